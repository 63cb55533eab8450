#include "ui/frame/MainFrame.h"

#include "Version.h"
#include "settings/SettingsStore.h"
#include "tracks/Document.h"
#include "ui/common/HelpContext.h"
#include "ui/common/UiText.h"
#include "ui/frame/AboutBox.h"
#include "ui/frame/CommandTable.h"
#include "ui/frame/HelpWindow.h"
#include "ui/frame/MinSizeSplitter.h"
#include "ui/play/QtWaveOutDevice.h"
#include "ui/properties/TagEditing.h"
#include "ui/resources/UiResources.h"
#include "ui/runs/DocumentCommands.h"
#include "ui/settings/ConfigSheet.h"
#include "ui/tree/TreeView1.h"
#include "ui/views/ListSelectedTracksListView.h"
#include "ui/views/ListTracksView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <algorithm>

namespace
{
const std::string kSplitterSection = "Splitter";
const std::string kBarSection = "Main Frame/BarState";
constexpr int kDefaultPaneSize = 150;

// The start texts' trailing blanks give the panes their widths.
const char* const kStatusStartTexts[] = {"Ready", "Tracks: 0       ", "WAVs: 0       ",
                                         "MP3s: 0        ", "OGGs: 0       "};

bool Contains(const QWidget* pane, const QWidget* widget)
{
    return widget && (pane == widget || pane->isAncestorOf(widget));
}
} // namespace

// The document's commands: the whole-list runs, the report and the move.
class CMainFrame::CDocumentTarget final : public ICommandTarget
{
public:
    CDocumentTarget(CTunewright20Doc& doc, CDocumentCommands& commands)
        : m_doc(doc), m_commands(commands)
    {
    }

    bool QueryCommand(int id, bool& enabled) const override
    {
        switch (id)
        {
        case kCmdSaveAnalysisResults:
            enabled = m_doc.CanSaveAnalysisResults();
            return true;
        case kCmdMoveCorruptFiles:
        case kCmdRepairCorrupt:
            enabled = m_doc.CanMoveCorruptFiles();
            return true;
        case kCmdAnalyze:
            enabled = m_doc.CanAnalyze();
            return true;
        case kCmdConvertMp3ToMp3:
            enabled = m_doc.CanConvertMp3ToMp3();
            return true;
        case kCmdConvertToWav:
        case kCmdConvertToMp3:
        case kCmdConvertToOgg:
            enabled = m_doc.CanConvert();
            return true;
        default:
            return false;
        }
    }

    void RunCommand(int id) override
    {
        switch (id)
        {
        case kCmdSaveAnalysisResults:
            m_commands.SaveAnalysisResults();
            break;
        case kCmdMoveCorruptFiles:
            m_commands.MoveCorruptFiles();
            break;
        case kCmdAnalyze:
            m_commands.Analyze(m_doc.GetTracks());
            break;
        case kCmdRepairCorrupt:
            m_commands.Repair(m_doc.GetTracks());
            break;
        case kCmdConvertMp3ToMp3:
            m_commands.Convert(ConversionTarget::Mp3ToMp3, m_doc.GetTracks());
            break;
        case kCmdConvertToWav:
            m_commands.Convert(ConversionTarget::Wav, m_doc.GetTracks());
            break;
        case kCmdConvertToMp3:
            m_commands.Convert(ConversionTarget::Mp3, m_doc.GetTracks());
            break;
        case kCmdConvertToOgg:
            m_commands.Convert(ConversionTarget::Ogg, m_doc.GetTracks());
            break;
        default:
            break;
        }
    }

private:
    CTunewright20Doc& m_doc;
    CDocumentCommands& m_commands;
};

CMainFrame::CMainFrame(CTunewright20Doc& doc, CSettingsStore& settings, ISettingsStorage& storage,
                       CHelpContext& help, DeviceFactory createDevice, QWidget* parent)
    : QMainWindow(parent), m_doc(doc), m_settings(settings), m_storage(storage), m_help(help),
      m_createDevice(createDevice ? std::move(createDevice) : DeviceFactory(CreateWaveOutDevice))
{
    setWindowTitle(Tr(kProductName));
    setWindowIcon(ApplicationIcon());
    m_commands = std::make_unique<CDocumentCommands>(
        m_doc, m_settings, m_help, [this] { OpenSettings(); }, this);
    m_documentTarget = std::make_unique<CDocumentTarget>(m_doc, *m_commands);
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    CreatePanes();
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { OnFocusChanged(now); });
    resize(1000, 650);
    m_doc.AddObserver(this);
    ActivatePane(kPaneWorkingList);
}

CMainFrame::~CMainFrame()
{
    m_doc.RemoveObserver(this);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress)
    {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier &&
            watched->isWidgetType())
        {
            ShowHelp();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::OnDocumentChanged(ViewScope)
{
    // Once the change is over and the views have refilled, not in between.
    if (m_commandUIPending)
        return;
    m_commandUIPending = true;
    QMetaObject::invokeMethod(
        this,
        [this]
        {
            m_commandUIPending = false;
            UpdateCommandUI();
        },
        Qt::QueuedConnection);
}

void CMainFrame::CreateActions()
{
    for (const CommandInfo& command : CommandTable())
    {
        QString text = Tr(command.label);
        if (*command.keyText)
            text += QLatin1Char('\t') + QString::fromLatin1(command.keyText);
        auto* action = new QAction(text, this);
        if (*command.shortcut)
            action->setShortcut(QKeySequence(QString::fromLatin1(command.shortcut)));
        action->setStatusTip(Tr(command.statusText));
        if (*command.tooltip)
            action->setToolTip(Tr(command.tooltip));
        action->setIcon(CommandIcon(command.id));
        const int id = command.id;
        connect(action, &QAction::triggered, this, [this, id] { Execute(id); });
        m_actions[id] = action;
    }
    m_actions[kCmdViewToolbar]->setCheckable(true);
    m_actions[kCmdViewStatusBar]->setCheckable(true);
    // A key without a menu entry.
    addAction(m_actions[kCmdConvertMp3ToMp3]);

    // F1 opens the help at the topic of whatever dialog is open; shortcuts
    // of a window under a modal dialog do not fire, so the key is watched
    // for the whole program.
    qApp->installEventFilter(this);

    auto* next = new QShortcut(QKeySequence(Qt::Key_F6), this);
    connect(next, &QShortcut::activated, this, [this] { ActivateNextPane(true); });
    auto* previous = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6), this);
    connect(previous, &QShortcut::activated, this, [this] { ActivateNextPane(false); });
}

void CMainFrame::CreateMenus()
{
    for (const MenuLayout& layout : MenuBarLayout())
    {
        QMenu* menu = menuBar()->addMenu(Tr(layout.title));
        AddCommands(*menu, layout.commands);
        connect(menu, &QMenu::aboutToShow, this, [this] { UpdateCommandUI(); });
    }
}

void CMainFrame::AddCommands(QWidget& bar, const std::vector<int>& commands)
{
    for (int id : commands)
    {
        if (id != 0)
        {
            bar.addAction(m_actions.at(id));
            continue;
        }
        auto* separator = new QAction(&bar);
        separator->setSeparator(true);
        bar.addAction(separator);
    }
}

void CMainFrame::CreateToolBar()
{
    m_toolBar = addToolBar(Tr("Toolbar"));
    m_toolBar->setObjectName(QStringLiteral("MainToolBar"));
    m_toolBar->setIconSize(QSize(48, 48));
    m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    AddCommands(*m_toolBar, ToolbarLayout());
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    for (int pane = 1; pane < 5; ++pane)
    {
        auto* label = new QLabel(Tr(kStatusStartTexts[pane]), bar);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setMinimumWidth(label->sizeHint().width());
        bar->addPermanentWidget(label);
        m_statusPanes[pane] = label;
    }
    // The message pane says "Ready" whenever no prompt is shown.
    connect(bar, &QStatusBar::messageChanged, this,
            [bar](const QString& message)
            {
                if (message.isEmpty())
                    bar->showMessage(Tr(kStatusStartTexts[0]));
            });
    bar->showMessage(Tr(kStatusStartTexts[0]));
}

void CMainFrame::CreatePanes()
{
    auto addTracks = [this](const std::vector<std::string>& paths)
    { m_commands->AddTracks(paths); };
    m_treeView = new CTreeView1(m_doc, m_settings, addTracks);
    m_folderList = new CListTracksView(m_doc, addTracks);

    WorkingListActions actions;
    actions.addTracks = addTracks;
    actions.analyze = [this](const TrackRefs& tracks) { m_commands->Analyze(tracks); };
    actions.repair = [this](const TrackRefs& tracks) { m_commands->Repair(tracks); };
    actions.convert = [this](ConversionTarget target, const TrackRefs& tracks)
    { m_commands->Convert(target, tracks); };
    actions.editTags = [this](const std::vector<std::size_t>& rows) { EditTags(rows); };
    actions.setStatusText = [this](int pane, const QString& text)
    { SetStatusPaneText(pane, text); };
    actions.createDevice = m_createDevice;
    m_workingList = new CListSelectedTracksListView(m_doc, m_storage, std::move(actions));

    QMenu* addMenu = CreateContextMenu({kCmdAddTracks});
    m_treeView->SetContextMenu(addMenu);
    m_folderList->SetContextMenu(addMenu);
    m_workingList->SetContextMenu(CreateWorkingListMenu());

    m_splitterLeft = new CMinSizeSplitter(Qt::Vertical, 100, 100);
    m_splitterLeft->SetPanes(m_treeView, m_folderList);
    m_splitterLeft->SetInitialFirstSize(
        [this]
        { return m_storage.ReadInt(kSplitterSection, "LeftHeight").value_or(kDefaultPaneSize); });
    m_splitterMain = new CMinSizeSplitter(Qt::Horizontal, 100, 200, this);
    m_splitterMain->SetPanes(m_splitterLeft, m_workingList);
    m_splitterMain->SetInitialFirstSize(
        [this]
        { return m_storage.ReadInt(kSplitterSection, "LeftWidth").value_or(DefaultTreeWidth()); });
    setCentralWidget(m_splitterMain);

    connect(m_workingList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { UpdateCommandUI(); });
    connect(m_folderList->List().selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { UpdateCommandUI(); });
}

// Without a stored width the folder tree shows ordinary folder names a few
// levels down in full, rather than cutting them at 150 pixels.
int CMainFrame::DefaultTreeWidth() const
{
    constexpr int kLevels = 3;
    constexpr int kMargins = 24;
    const int name = m_treeView->fontMetrics().horizontalAdvance(Tr("An Ordinary Folder Name"));
    const int indent = m_treeView->style()->pixelMetric(QStyle::PM_TreeViewIndentation);
    const int icon = m_treeView->style()->pixelMetric(QStyle::PM_SmallIconSize);
    const int scrollBar = m_treeView->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return std::max(kDefaultPaneSize, name + kLevels * indent + icon + scrollBar + kMargins);
}

QMenu* CMainFrame::CreateContextMenu(const std::vector<int>& commands)
{
    auto* menu = new QMenu(this);
    AddCommands(*menu, commands);
    connect(menu, &QMenu::aboutToShow, this, [this] { UpdateCommandUI(); });
    return menu;
}

QMenu* CMainFrame::CreateWorkingListMenu()
{
    auto* menu = new QMenu(this);
    auto addEntry = [this](QMenu* to, int id, const char* label)
    {
        // Same command as the menu bar's, under the context menu's own label.
        QAction* action = to->addAction(Tr(label));
        action->setStatusTip(m_actions.at(id)->statusTip());
        action->setIcon(m_actions.at(id)->icon());
        connect(action, &QAction::triggered, this, [this, id] { Execute(id); });
        m_extraActions.emplace_back(id, action);
    };
    addEntry(menu, kCmdEditTags, "&Edit ID3-Tags");
    menu->addSeparator();
    addEntry(menu, kCmdRemoveTracks, "&Remove");
    menu->addSeparator();
    addEntry(menu, kCmdPlayTrack, "&Play Track");
    addEntry(menu, kCmdStopPlaying, "&Stop Playing");
    menu->addSeparator();
    const struct
    {
        const char* title;
        int all;
        int selected;
    } kRuns[] = {{"Analyze", kCmdAnalyze, kCmdAnalyzeSelected},
                 {"Repair Corrupt Files", kCmdRepairCorrupt, kCmdRepairSelected},
                 {"&Convert to WAV", kCmdConvertToWav, kCmdConvertSelectedToWav},
                 {"C&onvert to MP3", kCmdConvertToMp3, kCmdConvertSelectedToMp3},
                 {"Convert to OGG", kCmdConvertToOgg, kCmdConvertSelectedToOgg}};
    for (const auto& run : kRuns)
    {
        QMenu* sub = menu->addMenu(Tr(run.title));
        addEntry(sub, run.all, run.all == kCmdAnalyze ? "&All..." : "All...");
        addEntry(sub, run.selected, "Only selected...");
    }
    connect(menu, &QMenu::aboutToShow, this, [this] { UpdateCommandUI(); });
    return menu;
}

ICommandTarget* CMainFrame::RouteCommand(int id, bool& enabled) const
{
    const ICommandTarget* activeView = nullptr;
    switch (m_activePane)
    {
    case kPaneTree:
        activeView = m_treeView;
        break;
    case kPaneFolderList:
        activeView = m_folderList;
        break;
    default:
        activeView = m_workingList;
        break;
    }
    for (const ICommandTarget* target :
         {activeView, static_cast<const ICommandTarget*>(m_documentTarget.get()),
          static_cast<const ICommandTarget*>(this)})
    {
        if (target && target->QueryCommand(id, enabled))
            return const_cast<ICommandTarget*>(target);
    }
    enabled = false;
    return nullptr;
}

void CMainFrame::Execute(int id)
{
    bool enabled = false;
    ICommandTarget* target = RouteCommand(id, enabled);
    if (target && enabled)
        target->RunCommand(id);
    UpdateCommandUI();
}

void CMainFrame::UpdateCommandUI()
{
    for (const auto& [id, action] : m_actions)
    {
        bool enabled = false;
        RouteCommand(id, enabled);
        action->setEnabled(enabled);
    }
    // The context menus' own entries follow the command they carry.
    for (const auto& [id, action] : m_extraActions)
        action->setEnabled(m_actions.at(id)->isEnabled());
    m_actions.at(kCmdViewToolbar)->setChecked(m_toolBar && !m_toolBar->isHidden());
    m_actions.at(kCmdViewStatusBar)->setChecked(!statusBar()->isHidden());
}

bool CMainFrame::QueryCommand(int id, bool& enabled) const
{
    switch (id)
    {
    case kCmdExit:
    case kCmdSettings:
    case kCmdViewToolbar:
    case kCmdViewStatusBar:
    case kCmdHelpContents:
    case kCmdAbout:
        enabled = true;
        return true;
    default:
        return false;
    }
}

void CMainFrame::RunCommand(int id)
{
    switch (id)
    {
    case kCmdExit:
        close();
        break;
    case kCmdSettings:
        OpenSettings();
        break;
    case kCmdViewToolbar:
        m_toolBar->setVisible(m_toolBar->isHidden());
        break;
    case kCmdViewStatusBar:
        statusBar()->setVisible(statusBar()->isHidden());
        break;
    case kCmdHelpContents:
        ShowHelp();
        break;
    case kCmdAbout:
    {
        CAboutBox about(this);
        about.exec();
        break;
    }
    default:
        break;
    }
}

void CMainFrame::ActivatePane(Pane pane)
{
    m_activePane = pane;
    QWidget* widgets[kPaneCount] = {m_treeView, &m_folderList->List(), m_workingList};
    widgets[pane]->setFocus(Qt::OtherFocusReason);
    UpdateCommandUI();
}

void CMainFrame::ActivateNextPane(bool forward)
{
    const int step = forward ? 1 : kPaneCount - 1;
    ActivatePane(static_cast<Pane>((m_activePane + step) % kPaneCount));
}

void CMainFrame::OnFocusChanged(QWidget* now)
{
    if (Contains(m_treeView, now))
        m_activePane = kPaneTree;
    else if (Contains(m_folderList, now))
        m_activePane = kPaneFolderList;
    else if (Contains(m_workingList, now))
        m_activePane = kPaneWorkingList;
    else
        return;
    UpdateCommandUI();
}

QAction* CMainFrame::Action(int id) const
{
    const auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

QString CMainFrame::StatusPaneText(int pane) const
{
    if (pane == 0)
        return statusBar()->currentMessage();
    return m_statusPanes[pane]->text();
}

void CMainFrame::SetStatusPaneText(int pane, const QString& text)
{
    if (pane >= 1 && pane < 5)
        m_statusPanes[pane]->setText(text);
}

void CMainFrame::ShowHelp()
{
    const QString page = CHelpContext::TopicPage(m_help.Get());
    if (page.isEmpty())
        return;
    CHelpWindow* window = HelpWindowOver(QApplication::activeModalWidget());
    if (window->ShowPage(page))
    {
        window->show();
        window->raise();
    }
}

CHelpWindow* CMainFrame::HelpWindowOver(QWidget* modal)
{
    // A modal dialog blocks the frame's windows, but not its own.
    if (modal && modal != this)
    {
        auto* window = modal->findChild<CHelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
        return window ? window : new CHelpWindow(modal);
    }
    if (!m_helpWindow)
        m_helpWindow = new CHelpWindow(this);
    return m_helpWindow;
}

void CMainFrame::EditTags(const std::vector<std::size_t>& rows)
{
    EditTracksTags(m_doc, rows, m_help, this);
}

void CMainFrame::OpenSettings()
{
    // Over the conversion dialog that asked for it, if one did.
    QWidget* modal = QApplication::activeModalWidget();
    CConfigSheet sheet(m_settings, m_help, modal ? modal : this);
    sheet.exec();
}

void CMainFrame::ShowAtStoredPlacement()
{
    const Qt::WindowStates state = m_placement.Apply(FramePlacement::Load(m_storage));
    if (const auto bars = m_storage.ReadString(kBarSection, "State"))
        restoreState(QByteArray::fromBase64(QByteArray::fromStdString(*bars)));
    statusBar()->setVisible(m_storage.ReadInt(kBarSection, "StatusBar").value_or(1) != 0);
    setWindowState(state);
    show();
    UpdateCommandUI();
}

void CMainFrame::StoreState()
{
    if (m_stateStored)
        return;
    m_stateStored = true;
    // The folder tree's outer size, which the next run gives its column and row.
    m_storage.WriteInt(kSplitterSection, "LeftWidth", m_treeView->width());
    m_storage.WriteInt(kSplitterSection, "LeftHeight", m_treeView->height());
    m_placement.Capture().Save(m_storage);
    m_storage.WriteString(kBarSection, "State", saveState().toBase64().toStdString());
    m_storage.WriteInt(kBarSection, "StatusBar", statusBar()->isHidden() ? 0 : 1);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    StoreState();
    QMainWindow::closeEvent(event);
}

void CMainFrame::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange)
        m_placement.OnStateChanged(static_cast<QWindowStateChangeEvent*>(event)->oldState());
    QMainWindow::changeEvent(event);
}
