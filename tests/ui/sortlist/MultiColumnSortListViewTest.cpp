#include "ui/sortlist/MultiColumnSortListView.h"

#include "support/MemorySettingsStorage.h"
#include "ui/sortlist/ColumnSorter.h"
#include "ui/sortlist/SortHeaderCtrl.h"
#include "ui/sortlist/SortableListModel.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStandardItemModel>
#include <algorithm>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <ostream>
#include <random>
#include <tuple>
#include <vector>

// Readable failures.
void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace
{
// A click on the header at `at`, pressed and released, as the mouse makes it.
void ClickHeader(QHeaderView& header, QPointF at, Qt::MouseButton button,
                 Qt::KeyboardModifiers keys = Qt::NoModifier)
{
    const QPointF global = header.viewport()->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, button, button, keys);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, button, Qt::NoButton, keys);
    QApplication::sendEvent(header.viewport(), &press);
    QApplication::sendEvent(header.viewport(), &release);
}

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
    // The arrows of name, group and length.
    std::vector<ESortArrow> Arrows() const { return {Arrow(kName), Arrow(kGroup), Arrow(kLength)}; }
    std::vector<int> Widths() const
    {
        return {m_List->columnWidth(0), m_List->columnWidth(1), m_List->columnWidth(2)};
    }

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
    EXPECT_EQ(Arrows(), (std::vector{ESortArrow::Down, ESortArrow::Down, ESortArrow::None}));

    // Again on the same column: it turns round and stays the last key.
    CtrlClick(kName);
    EXPECT_EQ(Column(kName), "b d a c");
    EXPECT_EQ(m_List->SortKeys(), (std::vector<int>{kGroup, kName}));
    EXPECT_EQ(Arrows(), (std::vector{ESortArrow::Up, ESortArrow::Down, ESortArrow::None}));

    // An earlier key clicked with Ctrl moves to the end and turns round.
    CtrlClick(kGroup);
    EXPECT_EQ(m_List->SortKeys(), (std::vector<int>{kName, kGroup}));
    EXPECT_EQ(Column(kName), "a b c d");
    EXPECT_EQ(Arrows(), (std::vector{ESortArrow::Up, ESortArrow::Up, ESortArrow::None}));
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
    EXPECT_EQ(Arrows(), (std::vector{ESortArrow::None, ESortArrow::None, ESortArrow::Down}));
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
    ClickHeader(*header, at, Qt::RightButton);

    EXPECT_EQ(Column(kName), "a b");
    EXPECT_TRUE(m_List->SortKeys().empty());
    EXPECT_EQ(Arrow(kName), ESortArrow::None);
    EXPECT_EQ(m_List->m_Sorted, 0);

    // A left click on the header sorts, descending as for a first click.
    ClickHeader(*header, at, Qt::LeftButton);
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
    EXPECT_EQ(Widths(), (std::vector{70, 300, 70}));

    m_Storage.PutString("ColumnWidths", "LIST", "junk,,99999999");
    m_List->LoadColumnWidths();
    EXPECT_EQ(Widths(), (std::vector{70, 70, 70}));

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

namespace
{
using CClick = std::tuple<int, Qt::MouseButton, Qt::KeyboardModifiers>;

class SortHeaderCtrlTest : public ::testing::Test
{
protected:
    SortHeaderCtrlTest() : m_Model(1, 3)
    {
        m_Header.setModel(&m_Model);
        m_Header.setSectionsClickable(true);
        m_Header.resize(300, 24);
        for (int column = 0; column < 3; ++column)
            m_Header.resizeSection(column, 100);
        QObject::connect(&m_Header, &CSortHeaderCtrl::ColumnClicked,
                         [this](int column, Qt::MouseButton button, Qt::KeyboardModifiers keys)
                         { m_Clicks.emplace_back(column, button, keys); });
    }

    void Click(int x, Qt::MouseButton button, Qt::KeyboardModifiers keys)
    {
        ClickHeader(m_Header, QPointF(x, 12), button, keys);
    }

    QStandardItemModel m_Model;
    CSortHeaderCtrl m_Header;
    std::vector<CClick> m_Clicks;
};
} // namespace

TEST_F(SortHeaderCtrlTest, KeepsAndDrawsAnArrowOnEachColumnGiven)
{
    EXPECT_EQ(m_Header.LastArrowColumn(), -1);
    m_Header.SetSortArrow(0, true);
    m_Header.SetSortArrow(2, false);
    EXPECT_EQ(m_Header.SortArrow(0), ESortArrow::Up);
    EXPECT_EQ(m_Header.SortArrow(1), ESortArrow::None);
    EXPECT_EQ(m_Header.SortArrow(2), ESortArrow::Down);
    EXPECT_EQ(m_Header.LastArrowColumn(), 2);

    m_Header.SetSortArrow(0, false);
    EXPECT_EQ(m_Header.SortArrow(0), ESortArrow::Down);
    m_Header.ClearSortArrow(2);
    EXPECT_EQ(m_Header.SortArrow(2), ESortArrow::None);
    EXPECT_EQ(m_Header.SortArrow(0), ESortArrow::Down);
    m_Header.ClearAllSortArrows();
    EXPECT_EQ(m_Header.SortArrow(0), ESortArrow::None);

    // Arrows are drawn without changing the titles.
    m_Model.setHorizontalHeaderLabels(
        {QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")});
    const QImage plain = m_Header.grab().toImage();
    m_Header.SetSortArrow(1, true);
    const QImage marked = m_Header.grab().toImage();
    // Only the section with the arrow looks different.
    EXPECT_EQ(plain.copy(0, 0, 100, 24), marked.copy(0, 0, 100, 24));
    EXPECT_NE(plain.copy(100, 0, 100, 24), marked.copy(100, 0, 100, 24));
    EXPECT_EQ(plain.copy(200, 0, 100, 24), marked.copy(200, 0, 100, 24));
    m_Header.SetSortArrow(1, false);
    EXPECT_NE(m_Header.grab().toImage(), marked);
}

TEST_F(SortHeaderCtrlTest, ReportsClicksWithTheirButtonAndKeys)
{
    Click(150, Qt::LeftButton, Qt::ControlModifier);
    Click(250, Qt::LeftButton, Qt::NoModifier);
    Click(50, Qt::RightButton, Qt::NoModifier);
    EXPECT_EQ(m_Clicks, (std::vector<CClick>{{1, Qt::LeftButton, Qt::ControlModifier},
                                             {2, Qt::LeftButton, Qt::NoModifier},
                                             {0, Qt::RightButton, Qt::NoModifier}}));
}

// Minutes and seconds, or a plain number; only the first ":" splits, and the
// seconds are read up to the next one. Numbers read like the C library's and
// saturate.
TEST(ColumnSorter, NumericValueOfMinutesAndSecondsAndPlainNumbers)
{
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    const std::pair<const char16_t*, std::int32_t> times[] = {
        {u"10:05", 605}, {u"9:59", 599}, {u"0:07", 7},     {u"42", 42},           {u"", 0},
        {u"abc", 0},     {u"x:30", 30},  {u"1:02:03", 62}, {u"99999999:59", kMax}};
    for (const auto& [text, value] : times)
        EXPECT_EQ(CColumnSorter::NumericValue(text), value)
            << QString::fromUtf16(text).toStdString();
    const std::pair<const char16_t*, std::int32_t> numbers[] = {
        {u" \t12px", 12},
        {u"-8", -8},
        {u"+8", 8},
        {u"- 8", 0},
        {u"garbage", 0},
        {u"99999999999999999999999", kMax},
        {u"-99999999999", std::numeric_limits<std::int32_t>::min()}};
    for (const auto& [text, value] : numbers)
        EXPECT_EQ(LeadingNumber(text), value) << QString::fromUtf16(text).toStdString();
}

TEST(ColumnSorter, TextColumnsIgnoreCaseAndEqualTextsOrValuesKeepTheirOrder)
{
    const std::vector<QString> texts{QStringLiteral("b"), QStringLiteral("A"), QStringLiteral("a"),
                                     QStringLiteral("B"), QStringLiteral("c")};
    EXPECT_EQ(CColumnSorter(false, true).Order(texts), (std::vector<std::size_t>{1, 2, 0, 3, 4}));
    EXPECT_EQ(CColumnSorter(false, false).Order(texts), (std::vector<std::size_t>{4, 0, 3, 1, 2}));

    // So do equal numeric values.
    const std::vector<QString> times{QStringLiteral("60"), QStringLiteral("2:00"),
                                     QStringLiteral("1:00"), QStringLiteral("120"),
                                     QStringLiteral("x")};
    EXPECT_EQ(CColumnSorter(true, true).Order(times), (std::vector<std::size_t>{4, 0, 2, 1, 3}));
    EXPECT_EQ(CColumnSorter(true, false).Order(times), (std::vector<std::size_t>{1, 3, 0, 2, 4}));
}
