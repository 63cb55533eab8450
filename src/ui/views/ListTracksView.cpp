#include "ui/views/ListTracksView.h"

#include "tracks/FolderListing.h"
#include "ui/common/ContextMenu.h"
#include "ui/common/DragData.h"
#include "ui/common/UiText.h"

#include <QContextMenuEvent>
#include <QDrag>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QVBoxLayout>

namespace
{
constexpr int kPathRole = Qt::UserRole;
}

CTrackListCtrl::CTrackListCtrl(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(1);
    setHeaderLabels({Tr("Track")});
    header()->resizeSection(0, 250);
    header()->setStretchLastSection(false);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
}

QStringList CTrackListCtrl::SelectedPaths() const
{
    QStringList paths;
    for (int row = 0; row < topLevelItemCount(); ++row)
    {
        const QTreeWidgetItem* item = topLevelItem(row);
        if (item->isSelected())
            paths.append(item->data(0, kPathRole).toString());
    }
    return paths;
}

void CTrackListCtrl::startDrag(Qt::DropActions)
{
    const QStringList paths = SelectedPaths();
    if (paths.isEmpty())
        return;
    m_dragging = true;
    auto* drag = new QDrag(this);
    drag->setMimeData(MakeTracksDrag(paths).release());
    if (const QTreeWidgetItem* item = currentItem())
        drag->setPixmap(item->icon(0).pixmap(16, 16));
    drag->exec(Qt::CopyAction);
    m_dragging = false;
}

void CTrackListCtrl::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_A && event->modifiers() == Qt::NoModifier)
        selectAll();
    QTreeWidget::keyReleaseEvent(event);
}

CListTracksView::CListTracksView(CTunewright20Doc& doc, AddTracksFunction addTracks,
                                 QWidget* parent)
    : QWidget(parent), m_doc(doc), m_addTracks(std::move(addTracks)),
      m_list(new CTrackListCtrl(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    setFocusProxy(m_list);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { AddSelectedTracks(); });
    m_doc.AddObserver(this);
    Fill();
}

CListTracksView::~CListTracksView()
{
    m_doc.RemoveObserver(this);
}

void CListTracksView::Fill()
{
    const std::string folder = m_doc.GetCurrentFolder();
    // Nothing chosen in the tree lists nothing, rather than some folder.
    // Each row keeps its file's full path.
    const std::vector<std::string> paths =
        folder.empty() ? std::vector<std::string>{} : ListTrackFiles(folder);
    m_list->setUpdatesEnabled(false);
    m_list->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(paths.size()));
    for (const std::string& path : paths)
    {
        const QString qpath = ToQString(path);
        auto* item = new QTreeWidgetItem({QFileInfo(qpath).fileName()});
        item->setIcon(0, m_icons.ForFile(qpath));
        item->setData(0, kPathRole, qpath);
        items.append(item);
    }
    m_list->addTopLevelItems(items);
    if (!items.isEmpty())
        m_list->setCurrentItem(items.last(), 0, QItemSelectionModel::NoUpdate);
    m_list->setUpdatesEnabled(true);
}

void CListTracksView::AddSelectedTracks()
{
    std::vector<std::string> paths;
    for (const QString& path : m_list->SelectedPaths())
        paths.push_back(ToUtf8(path));
    if (!paths.empty() && m_addTracks)
        m_addTracks(paths);
}

void CListTracksView::OnDocumentChanged(ViewScope scope)
{
    if (scope == ViewScope::AllButWorkingList && !m_list->IsDragging())
        Fill();
}

bool CListTracksView::QueryCommand(int id, bool& enabled) const
{
    if (id != kCmdAddTracks)
        return false;
    enabled = m_list->selectionModel()->hasSelection();
    return true;
}

void CListTracksView::RunCommand(int id)
{
    if (id == kCmdAddTracks)
        AddSelectedTracks();
}

void CListTracksView::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_contextMenu)
        return;
    PopupContextMenu(*m_contextMenu, *this, *event);
}
