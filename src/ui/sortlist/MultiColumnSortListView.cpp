#include "ui/sortlist/MultiColumnSortListView.h"

#include "settings/SettingsStore.h"
#include "ui/common/UiText.h"
#include "ui/sortlist/ColumnSorter.h"

#include <QItemSelection>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>

// Keys are distinct sortable columns, so they never outnumber the limit.
static_assert(CMultiColumnSortListView::kDirectionColumns <=
              CMultiColumnSortListView::kMaxSortKeys);

CMultiColumnSortListView::CMultiColumnSortListView(ISettingsStorage& storage, QWidget* parent)
    : QTreeWidget(parent), m_Storage(storage), m_pHeader(new CSortHeaderCtrl(this))
{
    setHeader(m_pHeader);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    // The list sorts itself on header clicks; the view's own sorting would
    // compare display texts only and reorder rows behind its back.
    setSortingEnabled(false);

    // Without tree decoration every column, the first included, may be
    // dragged elsewhere; widths stay as stored instead of stretching.
    m_pHeader->setSectionsMovable(true);
    m_pHeader->setFirstSectionMovable(true);
    m_pHeader->setSectionsClickable(true);
    m_pHeader->setSortIndicatorShown(false);
    m_pHeader->setStretchLastSection(false);
    connect(m_pHeader, &CSortHeaderCtrl::ColumnClicked, this,
            &CMultiColumnSortListView::OnHeaderClick);
}

CMultiColumnSortListView::~CMultiColumnSortListView()
{
    // Losing the widths is better than ending the program on the way out.
    try
    {
        StoreColumnWidths();
    }
    catch (...)
    {
    }
}

void CMultiColumnSortListView::AddNumericColumn(int column)
{
    if (!IsNumericColumn(column))
        m_NumericColumns.push_back(column);
}

bool CMultiColumnSortListView::IsNumericColumn(int column) const
{
    return std::find(m_NumericColumns.begin(), m_NumericColumns.end(), column) !=
           m_NumericColumns.end();
}

void CMultiColumnSortListView::LoadColumnWidths()
{
    if (m_Name.isEmpty())
        return;
    const QString text =
        ToQString(m_Storage.ReadString(kWidthSection, ToUtf8(m_Name)).value_or(""));
    const QStringList fields = text.split(u',');
    for (int column = 0; column < columnCount(); ++column)
    {
        const int width = column < fields.size() ? LeadingNumber(fields[column]) : 0;
        const bool usable = width >= kMinColumnWidth && width <= kMaxColumnWidth;
        setColumnWidth(column, usable ? width : kMinColumnWidth);
    }
}

void CMultiColumnSortListView::StoreColumnWidths()
{
    if (m_Name.isEmpty())
        return;
    QString text;
    for (int column = 0; column < columnCount(); ++column)
        text += QString::number(columnWidth(column)) + u',';
    m_Storage.WriteString(kWidthSection, ToUtf8(m_Name), ToUtf8(text));
}

void CMultiColumnSortListView::OnHeaderClick(int column, Qt::MouseButton button,
                                             Qt::KeyboardModifiers modifiers)
{
    if (button != Qt::LeftButton || column < 0 || column >= columnCount() ||
        column >= kDirectionColumns)
        return;
    if (modifiers.testFlag(Qt::ControlModifier))
        SortByAdding(column);
    else
        SortByOnly(column);
    OnSorted();
}

void CMultiColumnSortListView::SortByOnly(int column)
{
    m_pHeader->ClearAllSortArrows();
    m_SortKeys.assign(1, column);
    const bool ascending = IsAscending(column);
    RunPasses({{column, ascending}});
    m_pHeader->SetSortArrow(column, ascending);
    FlipDirection(column);
}

// The keys are sorted last key first, each pass stable, so the first key
// decides and each later key breaks the ties left by the keys before it.
// Keys other than the clicked one keep the direction they were last sorted
// in, which is the opposite of their flag.
void CMultiColumnSortListView::SortByAdding(int column)
{
    const auto found = std::find(m_SortKeys.begin(), m_SortKeys.end(), column);
    if (found != m_SortKeys.end())
        m_SortKeys.erase(found);
    m_SortKeys.push_back(column);

    std::vector<SSortPass> passes;
    for (auto key = m_SortKeys.rbegin(); key != m_SortKeys.rend(); ++key)
        passes.push_back({*key, *key == column ? IsAscending(*key) : !IsAscending(*key)});
    RunPasses(passes);
    m_pHeader->SetSortArrow(column, IsAscending(column));
    FlipDirection(column);
}

void CMultiColumnSortListView::RunPasses(const std::vector<SSortPass>& passes)
{
    m_bSorting = true;
    QList<QTreeWidgetItem*> rows;
    rows.reserve(topLevelItemCount());
    for (int row = 0; row < topLevelItemCount(); ++row)
        rows.push_back(topLevelItem(row));

    for (const SSortPass& pass : passes)
    {
        std::vector<QString> texts;
        texts.reserve(static_cast<std::size_t>(rows.size()));
        for (const QTreeWidgetItem* item : rows)
            texts.push_back(item->text(pass.column));
        const std::vector<std::size_t> order =
            CColumnSorter(IsNumericColumn(pass.column), pass.ascending).Order(texts);
        QList<QTreeWidgetItem*> sorted;
        sorted.reserve(rows.size());
        for (const std::size_t index : order)
            sorted.push_back(rows[static_cast<qsizetype>(index)]);
        rows.swap(sorted);
    }
    ShowRowsInOrder(rows);
    m_bSorting = false;
}

// Moves the rows into the given order. The items themselves move, with
// their texts, icons and data; which rows are selected, hidden and current
// and the scroll position are put back, and no selection signal reports the
// passing change.
void CMultiColumnSortListView::ShowRowsInOrder(const QList<QTreeWidgetItem*>& rows)
{
    const QSignalBlocker blocker(this);
    const QList<QTreeWidgetItem*> selected = selectedItems();
    QTreeWidgetItem* const current = currentItem();
    const int currentCol = currentColumn();
    QList<QTreeWidgetItem*> hidden;
    for (QTreeWidgetItem* item : rows)
        if (item->isHidden())
            hidden.push_back(item);
    const int scrolled = verticalScrollBar()->value();

    QTreeWidgetItem* const root = invisibleRootItem();
    root->takeChildren(); // the same items, handed back in their new order
    root->addChildren(rows);

    for (QTreeWidgetItem* item : hidden)
        item->setHidden(true);
    QItemSelection selection;
    for (QTreeWidgetItem* item : selected)
    {
        const QModelIndex index = indexFromItem(item);
        selection.select(index, index);
    }
    selectionModel()->select(selection, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (current != nullptr)
        setCurrentItem(current, currentCol, QItemSelectionModel::NoUpdate);
    executeDelayedItemsLayout();
    verticalScrollBar()->setValue(scrolled);
}
