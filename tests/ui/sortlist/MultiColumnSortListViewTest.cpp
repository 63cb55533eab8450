#include "ui/sortlist/MultiColumnSortListView.h"

#include "support/MemorySettingsStorage.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

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

class CCountingList : public CMultiColumnSortListView
{
public:
    using CMultiColumnSortListView::CMultiColumnSortListView;
    int m_Sorted = 0;

protected:
    void OnSorted() override { ++m_Sorted; }
};

class MultiColumnSortListViewTest : public ::testing::Test
{
protected:
    MultiColumnSortListViewTest() : m_List(std::make_unique<CCountingList>(m_Storage))
    {
        m_List->setHeaderLabels(
            {QStringLiteral("Name"), QStringLiteral("Group"), QStringLiteral("Length")});
        m_List->AddNumericColumn(kLength);
    }

    void AddRow(const QString& name, const QString& group, const QString& length = {})
    {
        m_List->addTopLevelItem(new QTreeWidgetItem(QStringList{name, group, length}));
    }

    // The rows' texts in one column, top to bottom, joined by spaces.
    QString Column(int column) const
    {
        QStringList texts;
        for (int row = 0; row < m_List->topLevelItemCount(); ++row)
            texts << m_List->topLevelItem(row)->text(column);
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
    AddRow("b", "x");
    AddRow("C", "x");
    AddRow("a", "x");
    Click(kName);
    EXPECT_EQ(Column(kName), "C b a");
    EXPECT_EQ(Arrow(kName), ESortArrow::Down);
    EXPECT_EQ(m_List->SortKeys(), std::vector<int>{kName});
    Click(kName);
    EXPECT_EQ(Column(kName), "a b C");
    EXPECT_EQ(Arrow(kName), ESortArrow::Up);
    EXPECT_EQ(m_List->m_Sorted, 2);
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

TEST_F(MultiColumnSortListViewTest, NumericColumnsSortByTime)
{
    AddRow("a", "", "9:59");
    AddRow("b", "", "");
    AddRow("c", "", "10:05");
    AddRow("d", "", "300");
    Click(kLength);
    EXPECT_EQ(Column(kLength), "10:05 9:59 300 ");
    Click(kLength);
    EXPECT_EQ(Column(kLength), " 300 9:59 10:05");
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
    QMouseEvent press(QEvent::MouseButtonPress, at, header->viewport()->mapToGlobal(at),
                      Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, header->viewport()->mapToGlobal(at),
                        Qt::RightButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(header->viewport(), &press);
    QApplication::sendEvent(header->viewport(), &release);

    EXPECT_EQ(Column(kName), "a b");
    EXPECT_TRUE(m_List->SortKeys().empty());
    EXPECT_EQ(Arrow(kName), ESortArrow::None);
    EXPECT_EQ(m_List->m_Sorted, 0);

    // A left click on the header sorts, descending as for a first click.
    QMouseEvent left(QEvent::MouseButtonPress, at, header->viewport()->mapToGlobal(at),
                     Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent leftUp(QEvent::MouseButtonRelease, at, header->viewport()->mapToGlobal(at),
                       Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(header->viewport(), &left);
    QApplication::sendEvent(header->viewport(), &leftUp);
    EXPECT_EQ(Column(kName), "b a");
}

TEST_F(MultiColumnSortListViewTest, SortingKeepsItemsWithTheirDataAndSelection)
{
    AddRow("a", "");
    AddRow("b", "");
    AddRow("c", "");
    QTreeWidgetItem* const a = m_List->topLevelItem(0);
    QTreeWidgetItem* const c = m_List->topLevelItem(2);
    a->setData(kName, Qt::UserRole, 7);
    a->setSelected(true);
    c->setSelected(true);
    m_List->setCurrentItem(c, 0, QItemSelectionModel::NoUpdate);
    int selectionSignals = 0;
    QObject::connect(m_List.get(), &QTreeWidget::itemSelectionChanged,
                     [&selectionSignals] { ++selectionSignals; });

    Click(kName);
    ASSERT_EQ(Column(kName), "c b a");
    EXPECT_EQ(m_List->topLevelItem(2), a);
    EXPECT_EQ(a->data(kName, Qt::UserRole).toInt(), 7);
    EXPECT_EQ(m_List->selectedItems().size(), 2);
    EXPECT_TRUE(a->isSelected());
    EXPECT_TRUE(c->isSelected());
    EXPECT_FALSE(m_List->topLevelItem(1)->isSelected());
    EXPECT_EQ(m_List->currentItem(), c);
    EXPECT_EQ(selectionSignals, 0);
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

    // Nothing stored: the insertion widths do not survive either.
    m_List->setColumnWidth(1, 250);
    m_List->SetName("OTHER");
    m_List->LoadColumnWidths();
    EXPECT_EQ(m_List->columnWidth(1), 70);
}

TEST_F(MultiColumnSortListViewTest, WidthsAreStoredInColumnOrderWhenTheListGoes)
{
    m_List->SetName("LIST");
    m_List->setColumnWidth(0, 100);
    m_List->setColumnWidth(1, 200);
    m_List->setColumnWidth(2, 300);
    m_List->header()->moveSection(2, 0);
    m_List.reset();
    EXPECT_EQ(m_Storage.ReadString("ColumnWidths", "LIST"), "100,200,300,");

    auto again = std::make_unique<CCountingList>(m_Storage);
    again->setColumnCount(3);
    again->SetName("LIST");
    again->LoadColumnWidths();
    EXPECT_EQ(again->columnWidth(2), 300);
}

TEST_F(MultiColumnSortListViewTest, AListWithoutANameStoresNothing)
{
    m_List.reset();
    EXPECT_EQ(m_Storage.WriteCount(), 0u);
}
