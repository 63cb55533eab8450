#include "ui/sortlist/MultiColumnSortListView.h"

#include "settings/SettingsStore.h"
#include "ui/common/UiText.h"
#include "ui/sortlist/ColumnSorter.h"
#include "ui/sortlist/SortableListModel.h"

#include <QItemSelection>
#include <QScrollBar>
#include <algorithm>
#include <numeric>

// Keys are distinct sortable columns, so they never outnumber the limit.
static_assert(CMultiColumnSortListView::kDirectionColumns <=
              CMultiColumnSortListView::kMaxSortKeys);

CMultiColumnSortListView::CMultiColumnSortListView(ISettingsStorage& storage, QWidget* parent)
    : QTreeView(parent), m_Storage(storage), m_pHeader(new CSortHeaderCtrl(this))
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
    // A width set by hand ends the fitting to contents.
    connect(m_pHeader, &QHeaderView::sectionResized, this,
            [this]
            {
                if (!m_bSizing)
                    m_bFitColumns = false;
            });
}

void CMultiColumnSortListView::SetSortModel(CSortableListModel* model)
{
    m_pModel = model;
    setModel(model);
}

int CMultiColumnSortListView::ColumnCount() const
{
    return m_pModel ? m_pModel->columnCount() : m_pHeader->count();
}

int CMultiColumnSortListView::RowCount() const
{
    return m_pModel ? m_pModel->rowCount() : 0;
}

std::vector<std::size_t> CMultiColumnSortListView::SelectedRows() const
{
    std::vector<std::size_t> rows;
    if (!selectionModel())
        return rows;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(static_cast<std::size_t>(row));
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void CMultiColumnSortListView::SelectRow(int row)
{
    if (!m_pModel || row < 0 || row >= m_pModel->rowCount())
        return;
    selectionModel()->setCurrentIndex(m_pModel->index(row, 0), QItemSelectionModel::ClearAndSelect |
                                                                   QItemSelectionModel::Rows);
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
    const std::optional<std::string> stored = m_Storage.ReadString(kWidthSection, ToUtf8(m_Name));
    // A first start has nothing stored: the columns show what they hold
    // rather than seventy pixels each.
    m_bFitColumns = !stored;
    if (m_bFitColumns)
    {
        FitColumnsIfUnset();
        return;
    }
    const QStringList fields = ToQString(*stored).split(u',');
    m_bSizing = true;
    for (int column = 0; column < ColumnCount(); ++column)
    {
        const int width = column < fields.size() ? LeadingNumber(fields[column]) : 0;
        const bool usable = width >= kMinColumnWidth && width <= kMaxColumnWidth;
        setColumnWidth(column, usable ? width : kMinColumnWidth);
    }
    m_bSizing = false;
}

void CMultiColumnSortListView::FitColumnsIfUnset()
{
    if (!m_bFitColumns)
        return;
    m_bSizing = true;
    for (int column = 0; column < ColumnCount(); ++column)
        setColumnWidth(column, FittedWidth(column));
    m_bSizing = false;
}

// The widest of the title (with room for an arrow), the typical text and
// the rows in view, within the minimum and kMaxFittedWidth.
int CMultiColumnSortListView::FittedWidth(int column)
{
    constexpr int kArrowRoom = 14;
    constexpr int kCellMargin = 12;
    int width = m_pHeader->sectionSizeHint(column) + kArrowRoom;
    if (column < m_TypicalTexts.size())
    {
        const int icon = column == 0 ? iconSize().width() + kCellMargin : 0;
        width = std::max(width, fontMetrics().horizontalAdvance(m_TypicalTexts[column]) +
                                    kCellMargin + icon);
    }
    if (RowCount() > 0)
        width = std::max(width, sizeHintForColumn(column));
    return std::clamp(width, kMinColumnWidth, kMaxFittedWidth);
}

void CMultiColumnSortListView::StoreColumnWidths()
{
    if (m_Name.isEmpty())
        return;
    QString text;
    for (int column = 0; column < ColumnCount(); ++column)
        text += QString::number(columnWidth(column)) + u',';
    m_Storage.WriteString(kWidthSection, ToUtf8(m_Name), ToUtf8(text));
}

void CMultiColumnSortListView::OnHeaderClick(int column, Qt::MouseButton button,
                                             Qt::KeyboardModifiers modifiers)
{
    if (button != Qt::LeftButton || !m_pModel || column < 0 || column >= ColumnCount() ||
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
    // rows[i]: the model row that is to stand at place i.
    std::vector<std::size_t> rows(static_cast<std::size_t>(m_pModel->rowCount()));
    std::iota(rows.begin(), rows.end(), std::size_t{0});
    for (const SSortPass& pass : passes)
    {
        std::vector<QString> texts;
        texts.reserve(rows.size());
        for (const std::size_t row : rows)
            texts.push_back(m_pModel->SortText(static_cast<int>(row), pass.column));
        const std::vector<std::size_t> order =
            CColumnSorter(IsNumericColumn(pass.column), pass.ascending).Order(texts);
        std::vector<std::size_t> sorted;
        sorted.reserve(rows.size());
        for (const std::size_t place : order)
            sorted.push_back(rows[place]);
        rows.swap(sorted);
    }
    // The selection and the current row follow their rows; the view stays
    // where it was scrolled to.
    const int scrolled = verticalScrollBar()->value();
    m_pModel->Reorder(rows);
    verticalScrollBar()->setValue(scrolled);
    m_bSorting = false;
}
