#pragma once

#include "tracks/Document.h"
#include "ui/common/Commands.h"
#include "ui/frame/FramePlacement.h"

#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

class CDocumentCommands;
class IWaveOutDevice;
class CHelpContext;
class CHelpWindow;
class CListSelectedTracksListView;
class CListTracksView;
class CMinSizeSplitter;
class CSettingsStore;
class CTreeView1;
class CTunewright20Doc;
class ISettingsStorage;
class QAction;
class QLabel;
class QMenu;
class QToolBar;

// The main window: menus, toolbar, status bar and the three panes (folder
// tree, folder list, working list). Commands go to the active pane first,
// then to the document, then to the window itself.
class CMainFrame : public QMainWindow, public ICommandTarget, public IDocumentObserver
{
    Q_OBJECT

public:
    enum Pane
    {
        kPaneTree,
        kPaneFolderList,
        kPaneWorkingList,
        kPaneCount
    };

    // The wave output of the players; the machine's own when not given.
    using DeviceFactory = std::function<std::unique_ptr<IWaveOutDevice>()>;

    CMainFrame(CTunewright20Doc& doc, CSettingsStore& settings, ISettingsStorage& storage,
               CHelpContext& help, DeviceFactory createDevice = {}, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Puts the window where it was last time and shows it so.
    void ShowAtStoredPlacement();

    // The command's route: the target that handles `id` and whether it is
    // enabled now; nullptr when nobody handles it.
    ICommandTarget* RouteCommand(int id, bool& enabled) const;
    // Carries out `id` if it is enabled.
    void Execute(int id);
    // Brings every command's enabled and checked look up to date.
    void UpdateCommandUI();

    Pane ActivePane() const { return m_activePane; }
    void ActivatePane(Pane pane);
    // The pane after (or before) the active one, as F6 and Shift+F6 go.
    void ActivateNextPane(bool forward);

    QAction* Action(int id) const;
    QString StatusPaneText(int pane) const;
    QToolBar* ToolBar() const { return m_toolBar; }
    CTreeView1& TreeView() const { return *m_treeView; }
    CListTracksView& FolderList() const { return *m_folderList; }
    CListSelectedTracksListView& WorkingList() const { return *m_workingList; }
    CHelpWindow* HelpWindow() const { return m_helpWindow; }
    // Opens the help at the current help context's topic, also over a
    // dialog that has the keyboard.
    void ShowHelp();

    bool QueryCommand(int id, bool& enabled) const override;
    void RunCommand(int id) override;
    void OnDocumentChanged(ViewScope scope) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    class CDocumentTarget;

    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreatePanes();
    // Adds the commands' actions to a menu or toolbar; 0 stands for a separator.
    void AddCommands(QWidget& bar, const std::vector<int>& commands);
    QMenu* CreateContextMenu(const std::vector<int>& commands);
    QMenu* CreateWorkingListMenu();
    void OnFocusChanged(QWidget* now);
    void SetStatusPaneText(int pane, const QString& text);
    CHelpWindow* HelpWindowOver(QWidget* modal);
    void OpenSettings();
    void EditTags(const std::vector<std::size_t>& rows);
    void StoreState();
    int DefaultTreeWidth() const;

    CTunewright20Doc& m_doc;
    CSettingsStore& m_settings;
    ISettingsStorage& m_storage;
    CHelpContext& m_help;
    DeviceFactory m_createDevice;
    std::unique_ptr<CDocumentCommands> m_commands;
    std::unique_ptr<CDocumentTarget> m_documentTarget;
    std::map<int, QAction*> m_actions;
    // Context menu entries of a command under another label.
    std::vector<std::pair<int, QAction*>> m_extraActions;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_statusPanes[5] = {};
    CMinSizeSplitter* m_splitterMain = nullptr;
    CMinSizeSplitter* m_splitterLeft = nullptr;
    CTreeView1* m_treeView = nullptr;
    CListTracksView* m_folderList = nullptr;
    CListSelectedTracksListView* m_workingList = nullptr;
    CHelpWindow* m_helpWindow = nullptr;
    Pane m_activePane = kPaneWorkingList;
    CFramePlacement m_placement{*this};
    bool m_stateStored = false;
    bool m_commandUIPending = false;
};
