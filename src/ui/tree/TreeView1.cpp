#include "ui/tree/TreeView1.h"

#include "tracks/Document.h"
#include "tracks/FolderListing.h"
#include "ui/common/ContextMenu.h"
#include "ui/common/DragData.h"
#include "ui/common/UiText.h"
#include "ui/tree/FolderTreeCtrl.h"

#include <QContextMenuEvent>
#include <QDrag>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QVBoxLayout>

namespace
{
constexpr int kCaptionHeight = 17;
constexpr int kCaptionPixelSize = 12;
const QPoint kDragHotSpot(8, 8);

QLabel* MakeCaption(QWidget* parent)
{
    auto* caption = new QLabel(Tr(" Drives"), parent);
    caption->setFixedHeight(kCaptionHeight);
    caption->setAlignment(Qt::AlignCenter);
    QFont font = caption->font();
    font.setPixelSize(kCaptionPixelSize);
    caption->setFont(font);
    QPalette palette = caption->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    palette.setColor(QPalette::WindowText, Qt::black);
    caption->setPalette(palette);
    caption->setAutoFillBackground(true);
    return caption;
}
} // namespace

CTreeView1::CTreeView1(CTunewright20Doc& doc, CSettingsStore& settings, AddTracksFn addTracks,
                       QWidget* parent)
    : QWidget(parent), m_doc(doc), m_addTracks(std::move(addTracks))
{
    m_Caption = MakeCaption(this);
    m_Tree = new CFolderTreeCtrl(settings, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_Caption);
    layout->addWidget(m_Tree, 1);

    setFocusProxy(m_Tree);
    connect(m_Tree, &CFolderTreeCtrl::FolderSelected, this,
            [this](const QString& path)
            {
                m_selectedSinceClick = true;
                m_doc.SetCurrentFolder(ToUtf8(path));
            });
    // Clicking the folder already chosen shows it afresh; a click that chose
    // it has just done so.
    connect(m_Tree, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item)
            {
                if (!m_selectedSinceClick && item)
                    m_doc.SetCurrentFolder(ToUtf8(m_Tree->ItemPath(item)));
                m_selectedSinceClick = false;
            });
    connect(m_Tree, &CFolderTreeCtrl::ItemDragStarted, this, &CTreeView1::DragFolder);
    m_Tree->Initialise(true);
}

void CTreeView1::SetContextMenu(QMenu* menu)
{
    m_ContextMenu = menu;
}

bool CTreeView1::QueryCommand(int id, bool& enabled) const
{
    if (id != kCmdAddTracks)
        return false;
    enabled = true;
    return true;
}

void CTreeView1::RunCommand(int id)
{
    if (id == kCmdAddTracks && m_addTracks)
        m_addTracks(ListTrackFiles(m_doc.GetCurrentFolder()));
}

void CTreeView1::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_ContextMenu)
    {
        event->ignore();
        return;
    }
    PopupContextMenu(*m_ContextMenu, *this, *event);
    event->accept();
}

// A click that ends on the view itself rather than in the tree shows the
// chosen folder again.
void CTreeView1::mouseReleaseEvent(QMouseEvent* event)
{
    const QList<QTreeWidgetItem*> selected = m_Tree->selectedItems();
    if (!selected.isEmpty())
        m_doc.SetCurrentFolder(ToUtf8(m_Tree->ItemPath(selected.front())));
    QWidget::mouseReleaseEvent(event);
}

// The dragged folder becomes the current folder; the drop target decides
// what to do with it, and the tree itself takes no drops.
void CTreeView1::DragFolder(QTreeWidgetItem* item)
{
    m_Tree->setCurrentItem(item);
    const QString path = m_Tree->ItemPath(item);
    auto* drag = new QDrag(m_Tree);
    drag->setMimeData(MakeFolderDrag(path).release());
    const QRect rect = m_Tree->visualItemRect(item);
    QPixmap image = rect.isEmpty() ? item->icon(0).pixmap(16, 16) : m_Tree->viewport()->grab(rect);
    drag->setPixmap(image);
    drag->setHotSpot(kDragHotSpot);
    drag->exec(Qt::CopyAction);
}
