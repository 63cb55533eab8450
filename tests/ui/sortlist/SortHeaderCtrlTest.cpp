#include "ui/sortlist/SortHeaderCtrl.h"

#include <QApplication>
#include <QMouseEvent>
#include <QStandardItemModel>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

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
        const QPointF at(x, 12);
        QMouseEvent press(QEvent::MouseButtonPress, at, m_Header.viewport()->mapToGlobal(at),
                          button, button, keys);
        QMouseEvent release(QEvent::MouseButtonRelease, at, m_Header.viewport()->mapToGlobal(at),
                            button, Qt::NoButton, keys);
        QApplication::sendEvent(m_Header.viewport(), &press);
        QApplication::sendEvent(m_Header.viewport(), &release);
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
