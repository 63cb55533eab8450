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
#include <algorithm>

void CFolderFilesModel::SetPaths(QStringList paths)
{
    beginResetModel();
    m_paths = std::move(paths);
    endResetModel();
}

int CFolderFilesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_paths.size());
}

QVariant CFolderFilesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_paths.size())
        return {};
    const QString& path = m_paths[index.row()];
    if (role == Qt::DisplayRole)
        return QFileInfo(path).fileName();
    if (role == Qt::DecorationRole)
        return m_icons.ForFile(path);
    return {};
}

QVariant CFolderFilesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section == 0)
        return Tr("Track");
    return {};
}

Qt::ItemFlags CFolderFilesModel::flags(const QModelIndex& index) const
{
    return QAbstractListModel::flags(index) | Qt::ItemIsDragEnabled;
}

CTrackListCtrl::CTrackListCtrl(QWidget* parent)
    : QTreeView(parent), m_files(new CFolderFilesModel(this))
{
    setModel(m_files);
    header()->resizeSection(0, 250);
    header()->setStretchLastSection(false);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
}

QStringList CTrackListCtrl::SelectedPaths() const
{
    std::vector<int> rows;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QStringList paths;
    for (const int row : rows)
        paths.append(m_files->Paths()[row]);
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
    if (const QModelIndex current = currentIndex(); current.isValid())
        drag->setPixmap(current.data(Qt::DecorationRole).value<QIcon>().pixmap(16, 16));
    drag->exec(Qt::CopyAction);
    m_dragging = false;
}

void CTrackListCtrl::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_A && event->modifiers() == Qt::NoModifier)
        selectAll();
    QTreeView::keyReleaseEvent(event);
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
    connect(m_list, &QAbstractItemView::doubleClicked, this, [this] { AddSelectedTracks(); });
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
    QStringList rows;
    rows.reserve(static_cast<qsizetype>(paths.size()));
    for (const std::string& path : paths)
        rows.append(ToQString(path));
    m_list->Files().SetPaths(std::move(rows));
    if (const int count = m_list->Files().rowCount(); count > 0)
        m_list->selectionModel()->setCurrentIndex(m_list->Files().index(count - 1),
                                                  QItemSelectionModel::NoUpdate);
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
