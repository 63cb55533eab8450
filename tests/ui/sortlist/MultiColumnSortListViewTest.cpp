#include "ui/sortlist/MultiColumnSortListView.h"

#include "support/MemorySettingsStorage.h"
#include "ui/sortlist/ColumnSorter.h"
#include "ui/sortlist/SortableListModel.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <random>

// Readable failures.
void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace
{

constexpr int kName = 0;
constexpr int kGroup = 1;
constexpr int kLength = 2;

// Rows of three texts: name, group, length.
class CRowsModel final : public CSortableListModel
{
public:
    void Add(const QString& name, const QString& group, const QString& length)
    {
        beginInsertRows({}, rowCount(), rowCount());
        m_rows.push_back({name, group, length});
        endInsertRows();
    }
    int rowCount(const QModelIndex& = {}) const override { return int(m_rows.size()); }
    int columnCount(const QModelIndex& = {}) const override { return 3; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        return m_rows[std::size_t(index.row())][index.column()];
    }

protected:
    void MoveRows(const std::vector<std::size_t>& order) override
    {
        std::vector<QStringList> moved;
        for (const std::size_t row : order)
            moved.push_back(m_rows[row]);
        m_rows.swap(moved);
    }

private:
    std::vector<QStringList> m_rows;
};

class CCountingList : public CMultiColumnSortListView
{
public:
    explicit CCountingList(ISettingsStorage& storage)
        : CMultiColumnSortListView(storage), m_Rows(new CRowsModel)
    {
        m_Rows->setParent(this);
        SetSortModel(m_Rows);
    }
    CRowsModel* m_Rows;
    int m_Sorted = 0;

protected:
    void OnSorted() override { ++m_Sorted; }
};

class MultiColumnSortListViewTest : public ::testing::Test
{
protected:
    MultiColumnSortListViewTest() : m_List(std::make_unique<CCountingList>(m_Storage))
    {
        m_List->AddNumericColumn(kLength);
    }

    void AddRow(const QString& name, const QString& group, const QString& length = {})
    {
        m_List->m_Rows->Add(name, group, length);
    }

    QModelIndex At(int row) const { return m_List->m_Rows->index(row, 0); }
    bool IsSelected(int row) const { return m_List->selectionModel()->isRowSelected(row); }

    // The rows' texts in one column, top to bottom, joined by spaces.
    QString Column(int column) const
    {
        QStringList texts;
        for (int row = 0; row < m_List->RowCount(); ++row)
            texts << m_List->m_Rows->SortText(row, column);
        return texts.join(u' ');
    }

    void Click(int column, Qt::KeyboardModifiers keys = Qt::NoModifier)
    {
        m_List->OnHeaderClick(column, Qt::LeftButton, keys);
    }
    void CtrlClick(int column) { Click(column, Qt::ControlModifier); }

    ESortArrow Arrow(int column) const { return m_List->SortHeader().SortArrow(column); }

    CMemorySettingsStorage m_Storage;
    std::unique_ptr<CCountingList> m_List;
};

} // namespace

TEST_F(MultiColumnSortListViewTest, PlainClicksAlternateStartingDescending)
{
    AddRow("b", "x", "9:59");
    AddRow("C", "x", "");
    AddRow("a", "x", "10:05");
    AddRow("d", "x", "300");
    Click(kName);
    EXPECT_EQ(Column(kName), "d C b a");
    EXPECT_EQ(Arrow(kName), ESortArrow::Down);
    EXPECT_EQ(m_List->SortKeys(), std::vector<int>{kName});
    Click(kName);
    EXPECT_EQ(Column(kName), "a b C d");
    EXPECT_EQ(Arrow(kName), ESortArrow::Up);
    // Numeric columns sort by time.
    Click(kLength);
    EXPECT_EQ(Column(kLength), "10:05 9:59 300 ");
    Click(kLength);
    EXPECT_EQ(Column(kLength), " 300 9:59 10:05");
    EXPECT_EQ(m_List->m_Sorted, 4);
    EXPECT_FALSE(m_List->IsSorting());
}

TEST_F(MultiColumnSortListViewTest, CtrlClicksSortBySeveralColumns)
{
    AddRow("a", "x");
    AddRow("b", "y");
    AddRow("c", "x");
    AddRow("d", "y");
    Click(kGroup);
    CtrlClick(kName);
    // The group decides, still descending; names break ties descending.
    EXPECT_EQ(Column(kGroup), "y y x x");
    EXPECT_EQ(Column(kName), "d b c a");
    EXPECT_EQ(m_List->SortKeys(), (std::vector<int>{kGroup, kName}));
    EXPECT_EQ(Arrow(kGroup), ESortArrow::Down);
    EXPECT_EQ(Arrow(kName), ESortArrow::Down);

    // Again on the same column: it turns round and stays the last key.
    CtrlClick(kName);
    EXPECT_EQ(Column(kName), "b d a c");
    EXPECT_EQ(m_List->SortKeys(), (std::vector<int>{kGroup, kName}));
    EXPECT_EQ(Arrow(kGroup), ESortArrow::Down);
    EXPECT_EQ(Arrow(kName), ESortArrow::Up);

    // An earlier key clicked with Ctrl moves to the end and turns round.
    CtrlClick(kGroup);
    EXPECT_EQ(m_List->SortKeys(), (std::vector<int>{kName, kGroup}));
    EXPECT_EQ(Column(kName), "a b c d");
    EXPECT_EQ(Arrow(kGroup), ESortArrow::Up);
    EXPECT_EQ(Arrow(kName), ESortArrow::Up);
    EXPECT_EQ(m_List->m_Sorted, 4);
}

TEST_F(MultiColumnSortListViewTest, PlainClickAfterCtrlClicksDropsTheOtherKeys)
{
    AddRow("a", "x", "1");
    AddRow("b", "y", "2");
    CtrlClick(kGroup);
    CtrlClick(kName);
    Click(kLength);
    EXPECT_EQ(m_List->SortKeys(), std::vector<int>{kLength});
    EXPECT_EQ(Arrow(kGroup), ESortArrow::None);
    EXPECT_EQ(Arrow(kName), ESortArrow::None);
    EXPECT_EQ(Arrow(kLength), ESortArrow::Down);
    // The dropped keys keep their directions for the next time.
    Click(kName);
    EXPECT_EQ(Column(kName), "a b");
}

TEST_F(MultiColumnSortListViewTest, OtherButtonsChangeNothing)
{
    AddRow("a", "x");
    AddRow("b", "y");
    m_List->OnHeaderClick(kName, Qt::RightButton, Qt::NoModifier);
    m_List->OnHeaderClick(kName, Qt::MiddleButton, Qt::ControlModifier);

    // The same through the header itself, which needs to be on screen to
    // tell a click from the start of a column drag.
    m_List->resize(400, 200);
    m_List->show();
    QHeaderView* header = m_List->header();
    const QPointF at(header->sectionPosition(kName) + 5, header->height() / 2);
    const auto click = [&](Qt::MouseButton button)
    {
        const QPointF global = header->viewport()->mapToGlobal(at);
        QMouseEvent press(QEvent::MouseButtonPress, at, global, button, button, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, global, button, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(header->viewport(), &press);
        QApplication::sendEvent(header->viewport(), &release);
    };
    click(Qt::RightButton);

    EXPECT_EQ(Column(kName), "a b");
    EXPECT_TRUE(m_List->SortKeys().empty());
    EXPECT_EQ(Arrow(kName), ESortArrow::None);
    EXPECT_EQ(m_List->m_Sorted, 0);

    // A left click on the header sorts, descending as for a first click.
    click(Qt::LeftButton);
    EXPECT_EQ(Column(kName), "b a");
}

TEST_F(MultiColumnSortListViewTest, SortingAHundredThousandRowsKeepsTiesInOrderAndTheSelection)
{
    // Synthetic records: a group of ten, a length, and a name that says
    // where the row stood, so that ties show whether their order was kept.
    constexpr int kRows = 100000;
    std::mt19937 random(17);
    for (int row = 0; row < kRows; ++row)
        AddRow(
            QStringLiteral("%1").arg(row, 6, 10, QLatin1Char('0')),
            QStringLiteral("g%1").arg(random() % 10),
            QStringLiteral("%1:%2").arg(random() % 12).arg(random() % 60, 2, 10, QLatin1Char('0')));
    const auto selection = [&] { return m_List->SelectedRows(); };
    m_List->selectionModel()->select(QItemSelection(At(10), At(12)),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    m_List->selectionModel()->select(At(70000),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    m_List->selectionModel()->setCurrentIndex(At(70000), QItemSelectionModel::NoUpdate);
    QStringList chosen;
    for (const std::size_t row : selection())
        chosen << m_List->m_Rows->SortText(int(row), kName);

    Click(kGroup);
    CtrlClick(kLength);
    // Group descending, then length descending, then the original order.
    const auto key = [&](int row)
    {
        const CRowsModel& rows = *m_List->m_Rows;
        return std::tuple(rows.SortText(row, kGroup),
                          -CColumnSorter::NumericValue(rows.SortText(row, kLength)),
                          rows.SortText(row, kName));
    };
    for (int row = 1; row < kRows; ++row)
    {
        const auto before = key(row - 1), after = key(row);
        ASSERT_GE(std::get<0>(before), std::get<0>(after)) << row;
        if (std::get<0>(before) == std::get<0>(after))
        {
            ASSERT_LE(std::tuple(std::get<1>(before), std::get<2>(before)),
                      std::tuple(std::get<1>(after), std::get<2>(after)))
                << row;
        }
    }
    QStringList stillChosen;
    for (const std::size_t row : selection())
        stillChosen << m_List->m_Rows->SortText(int(row), kName);
    std::sort(stillChosen.begin(), stillChosen.end());
    EXPECT_EQ(stillChosen, chosen) << "the selected records stay selected wherever they went";
    EXPECT_EQ(m_List->m_Rows->SortText(m_List->currentIndex().row(), kName), "070000");
}

TEST_F(MultiColumnSortListViewTest, SortingKeepsTheScrollPosition)
{
    for (int row = 0; row < 100; ++row)
        AddRow(QString::number(row), "");
    m_List->resize(200, 150);
    m_List->show();
    QApplication::processEvents();
    m_List->verticalScrollBar()->setValue(40);
    Click(kName);
    QApplication::processEvents();
    EXPECT_EQ(m_List->verticalScrollBar()->value(), 40);
}

TEST_F(MultiColumnSortListViewTest, LoadedWidthsBelowTheMinimumOrMissingBecomeTheMinimum)
{
    m_List->SetName("LIST");
    m_Storage.PutString("ColumnWidths", "LIST", "50,300,");
    m_List->LoadColumnWidths();
    EXPECT_EQ(m_List->columnWidth(0), 70);
    EXPECT_EQ(m_List->columnWidth(1), 300);
    EXPECT_EQ(m_List->columnWidth(2), 70);

    m_Storage.PutString("ColumnWidths", "LIST", "junk,,99999999");
    m_List->LoadColumnWidths();
    EXPECT_EQ(m_List->columnWidth(0), 70);
    EXPECT_EQ(m_List->columnWidth(1), 70);
    EXPECT_EQ(m_List->columnWidth(2), 70);

    EXPECT_FALSE(m_List->FitsColumns());
}

TEST_F(MultiColumnSortListViewTest, WithNothingStoredColumnsFitTheirContentsUntilSetByHand)
{
    const QString longName = QStringLiteral("a rather long name that needs room to be read.mp3");
    m_List->SetTypicalTexts({QStringLiteral("a typical name of a file.mp3")});
    m_List->SetName("LIST");
    m_List->LoadColumnWidths();
    ASSERT_TRUE(m_List->FitsColumns());
    const int typical = m_List->columnWidth(kName);
    EXPECT_GT(typical, m_List->fontMetrics().horizontalAdvance("a typical name of a file.mp3"));
    EXPECT_EQ(m_List->columnWidth(kGroup), 70) << "a short title needs no more than the minimum";

    AddRow(longName, "x");
    m_List->FitColumnsIfUnset();
    EXPECT_GT(m_List->columnWidth(kName), m_List->fontMetrics().horizontalAdvance(longName));
    EXPECT_LE(m_List->columnWidth(kName), CMultiColumnSortListView::kMaxFittedWidth);

    m_List->header()->resizeSection(kName, 90); // by hand
    m_List->FitColumnsIfUnset();
    EXPECT_EQ(m_List->columnWidth(kName), 90);
}

TEST_F(MultiColumnSortListViewTest, WidthsAreStoredInColumnOrderWhenTheListGoes)
{
    m_List->SetName("LIST");
    m_List->setColumnWidth(0, 100);
    m_List->setColumnWidth(1, 200);
    m_List->setColumnWidth(2, 300);
    m_List->header()->moveSection(2, 0);
    CCountingList(m_Storage).setColumnWidth(0, 100); // without a name nothing is stored
    EXPECT_EQ(m_Storage.WriteCount(), 0u);
    m_List.reset();
    EXPECT_EQ(m_Storage.ReadString("ColumnWidths", "LIST"), "100,200,300,");

    auto again = std::make_unique<CCountingList>(m_Storage);
    again->SetName("LIST");
    again->LoadColumnWidths();
    EXPECT_EQ(again->columnWidth(2), 300);
}
