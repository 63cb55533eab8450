#include "ui/tree/FolderTreeCtrl.h"

#include "settings/SettingsStore.h"
#include "tracks/FolderListing.h"
#include "ui/common/UiText.h"

#include <QApplication>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>

namespace
{
constexpr int kPathRole = Qt::UserRole;
constexpr int kIconSize = 16;

// Switches a widget's drawing off for a scope and back to what it was.
class CRedrawOff
{
public:
    explicit CRedrawOff(QWidget& widget) : m_widget(widget), m_wasOn(widget.updatesEnabled())
    {
        m_widget.setUpdatesEnabled(false);
    }
    ~CRedrawOff() { m_widget.setUpdatesEnabled(m_wasOn); }
    CRedrawOff(const CRedrawOff&) = delete;
    CRedrawOff& operator=(const CRedrawOff&) = delete;

private:
    QWidget& m_widget;
    bool m_wasOn;
};

class CFlagScope
{
public:
    explicit CFlagScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~CFlagScope() { m_flag = false; }
    CFlagScope(const CFlagScope&) = delete;
    CFlagScope& operator=(const CFlagScope&) = delete;

private:
    bool& m_flag;
};

class CWaitCursor
{
public:
    CWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CWaitCursor() { QApplication::restoreOverrideCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

// `base` as it is, and the open-folder look while the item is selected.
QIcon WithOpenLook(const QIcon& base, const QIcon& open)
{
    if (base.isNull())
        return {};
    QIcon icon;
    const QPixmap normal = base.pixmap(kIconSize, kIconSize);
    const QPixmap selected = open.isNull() ? normal : open.pixmap(kIconSize, kIconSize);
    for (QIcon::State state : {QIcon::Off, QIcon::On})
    {
        icon.addPixmap(normal, QIcon::Normal, state);
        icon.addPixmap(selected, QIcon::Selected, state);
    }
    return icon;
}

// A drive's text: its root without the trailing separator ("C:"), except
// where that is all there is ("/").
QString RootText(const QString& root)
{
    QString text = QDir::toNativeSeparators(root);
    if (text.size() > 1 && (text.endsWith(QLatin1Char('/')) || text.endsWith(QLatin1Char('\\'))))
        text.chop(1);
    return text;
}

// The child of `parent` named `name`: the exact name first, as two folders
// may differ only in case; else the first that differs only in case.
QTreeWidgetItem* FindChild(const QTreeWidgetItem& parent, const QString& name)
{
    QTreeWidgetItem* loose = nullptr;
    for (int i = 0; i < parent.childCount(); ++i)
    {
        QTreeWidgetItem* child = parent.child(i);
        const QString text = child->text(0);
        if (text == name)
            return child;
        if (!loose && !text.isEmpty() && text.compare(name, Qt::CaseInsensitive) == 0)
            loose = child;
    }
    return loose;
}

bool IsInside(const QTreeWidgetItem* item, const QTreeWidgetItem* ancestor)
{
    for (const QTreeWidgetItem* up = item ? item->parent() : nullptr; up; up = up->parent())
    {
        if (up == ancestor)
            return true;
    }
    return false;
}

// Whether `path` lies on the drive `root` ("/", "C:/"). Sets `rest` to what follows the root.
bool OnRoot(const QString& path, const QString& root, Qt::CaseSensitivity cs, QString& rest)
{
    QString key = root;
    if (key.endsWith(QLatin1Char('/')))
        key.chop(1);
    if (!path.startsWith(key, cs))
        return false;
    if (path.size() != key.size() && path.at(key.size()) != QLatin1Char('/'))
        return false;
    rest = path.mid(key.size());
    return true;
}
} // namespace

CFolderTreeCtrl::CFolderTreeCtrl(CSettingsStore& settings, QWidget* parent)
    : QTreeWidget(parent), m_settings(settings)
{
    setColumnCount(1);
    header()->hide();
    // Deep folders scroll sideways rather than lose their names to "...".
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(kIconSize, kIconSize));
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setAcceptDrops(false);
    // The owning view shows the context menu.
    setContextMenuPolicy(Qt::NoContextMenu);
    connect(this, &QTreeWidget::itemExpanded, this, &CFolderTreeCtrl::OnItemExpanded);
    connect(this, &QTreeWidget::itemCollapsed, this, &CFolderTreeCtrl::OnItemCollapsed);
    connect(this, &QTreeWidget::itemSelectionChanged, this, &CFolderTreeCtrl::OnSelectionChanged);
}

bool CFolderTreeCtrl::Initialise(bool showFiles)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    clear();
    const QFileIconProvider icons;
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    m_DriveIcon = WithOpenLook(icons.icon(QAbstractFileIconProvider::Drive), open);
    m_FolderIcon = WithOpenLook(icons.icon(QAbstractFileIconProvider::Folder), open);
    if (m_DriveIcon.isNull())
    {
        m_LastError = Tr("Cannot retrieve the Handle of SystemImageList!");
        return false;
    }
    m_bShowFiles = showFiles;
    if (!ShowDrives())
        return false;
    SelectPath(ToQString(m_settings.GetLastPath()));
    return true;
}

bool CFolderTreeCtrl::ShowDrives()
{
    clear();
    const QFileInfoList drives = QDir::drives();
    if (drives.isEmpty())
    {
        m_LastError = Tr("Error Getting Logical DriveStrings!");
        return false;
    }
    for (const QFileInfo& drive : drives)
    {
        if (QTreeWidgetItem* item = InsertFolder(nullptr, drive.absoluteFilePath()))
            AddPlaceholderIfOpenable(item);
    }
    return true;
}

QIcon CFolderTreeCtrl::FolderIcon(bool drive) const
{
    return drive ? m_DriveIcon : m_FolderIcon;
}

// Appends an item for the folder at `path` under `parent` (top level when
// none); nothing when there is no icon for it.
QTreeWidgetItem* CFolderTreeCtrl::InsertFolder(QTreeWidgetItem* parent, const QString& path)
{
    const QIcon icon = FolderIcon(parent == nullptr);
    if (icon.isNull())
    {
        m_LastError = Tr("Error Gettting SystemFileInfo!");
        return nullptr;
    }
    auto* item = new QTreeWidgetItem;
    item->setText(0, parent ? QFileInfo(path).fileName() : RootText(path));
    item->setIcon(0, icon);
    item->setData(0, kPathRole, path);
    if (parent)
        parent->addChild(item);
    else
        addTopLevelItem(item);
    return item;
}

void CFolderTreeCtrl::AddPlaceholderIfOpenable(QTreeWidgetItem* item)
{
    if (HasSubitems(ToUtf8(ItemPath(item)), m_bShowFiles))
        item->addChild(new QTreeWidgetItem);
}

QString CFolderTreeCtrl::ItemPath(const QTreeWidgetItem* item) const
{
    return item ? item->data(0, kPathRole).toString() : QString();
}

void CFolderTreeCtrl::ReadFolder(QTreeWidgetItem* item)
{
    const CWaitCursor wait;
    const CRedrawOff redrawOff(*this);
    const std::vector<std::string> folders = ListSubfolders(ToUtf8(ItemPath(item)));
    for (const std::string& folder : folders)
    {
        if (QTreeWidgetItem* child = InsertFolder(item, ToQString(folder)))
            AddPlaceholderIfOpenable(child);
    }
}

void CFolderTreeCtrl::OnItemExpanded(QTreeWidgetItem* item)
{
    qDeleteAll(item->takeChildren());
    ReadFolder(item);
}

void CFolderTreeCtrl::OnItemCollapsed(QTreeWidgetItem* item)
{
    // Closing a branch around the chosen folder chooses the branch itself,
    // as the chosen folder is about to go.
    const bool hadSelection =
        !m_bOpeningPath && IsInside(currentItem(), item) && currentItem()->isSelected();
    qDeleteAll(item->takeChildren());
    // A branch that was opened by hand may hold nothing to open again.
    AddPlaceholderIfOpenable(item);
    if (hadSelection)
        setCurrentItem(item);
}

void CFolderTreeCtrl::OnSelectionChanged()
{
    const QList<QTreeWidgetItem*> selected = selectedItems();
    if (selected.isEmpty())
        return;
    const QString path = ItemPath(selected.front());
    if (path.isEmpty())
        return;
    m_settings.SetLastPath(ToUtf8(path));
    emit FolderSelected(path);
}

QTreeWidgetItem* CFolderTreeCtrl::FindRoot(const QString& path, QString& rest) const
{
    for (Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive})
    {
        for (int i = 0; i < topLevelItemCount(); ++i)
        {
            if (OnRoot(path, ItemPath(topLevelItem(i)), cs, rest))
                return topLevelItem(i);
        }
    }
    return nullptr;
}

// Opens `item` with its folder read from disk, also when it was open.
void CFolderTreeCtrl::OpenAfresh(QTreeWidgetItem* item)
{
    if (item->isExpanded())
        item->setExpanded(false);
    item->setExpanded(true);
}

bool CFolderTreeCtrl::SelectPath(const QString& path)
{
    const QString clean = QDir::cleanPath(QDir::fromNativeSeparators(path));
    QString rest;
    QTreeWidgetItem* item = clean.isEmpty() ? nullptr : FindRoot(clean, rest);
    if (!item || !QFileInfo(clean).isDir())
        return false;

    const CRedrawOff redrawOff(*this);
    {
        const CFlagScope opening(m_bOpeningPath);
        OpenAfresh(item);
        for (const QString& name : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts))
        {
            item = FindChild(*item, name);
            if (!item)
                return false;
            OpenAfresh(item);
        }
    }
    setCurrentItem(item);
    scrollToItem(item);
    return true;
}

void CFolderTreeCtrl::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F5 && !event->isAutoRepeat())
    {
        Initialise(m_bShowFiles);
        return;
    }
    QTreeWidget::keyReleaseEvent(event);
}

void CFolderTreeCtrl::startDrag(Qt::DropActions /*supportedActions*/)
{
    if (QTreeWidgetItem* item = currentItem(); item && !ItemPath(item).isEmpty())
        emit ItemDragStarted(item);
}
