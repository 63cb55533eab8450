#include "ui/sortlist/SortHeaderCtrl.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QStyleOptionHeaderV2>
#include <algorithm>

namespace
{

constexpr int kArrowWidth = 9;
constexpr int kArrowHeight = 5;
constexpr int kArrowGap = 5; // between the title and the arrow

void DrawArrow(QPainter& painter, const QRect& box, ESortArrow arrow, const QColor& color)
{
    const double left = box.left();
    const double right = box.left() + kArrowWidth;
    const double top = box.top();
    const double bottom = box.top() + kArrowHeight;
    const double middle = (left + right) / 2.0;
    QPolygonF triangle;
    if (arrow == ESortArrow::Up)
        triangle << QPointF(left, bottom) << QPointF(right, bottom) << QPointF(middle, top);
    else
        triangle << QPointF(left, top) << QPointF(right, top) << QPointF(middle, bottom);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPolygon(triangle);
}

} // namespace

CSortHeaderCtrl::CSortHeaderCtrl(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    // Clicks arrive through sectionClicked only for the left button; other
    // buttons are reported from the mouse handlers below.
    connect(this, &QHeaderView::sectionClicked, this,
            [this](int column) { emit ColumnClicked(column, Qt::LeftButton, m_ReleaseModifiers); });
}

void CSortHeaderCtrl::SetSortArrow(int column, bool ascending)
{
    m_Arrows[column] = ascending;
    m_LastArrowColumn = column;
    UpdateColumn(column);
}

void CSortHeaderCtrl::ClearSortArrow(int column)
{
    if (m_Arrows.erase(column) != 0)
        UpdateColumn(column);
}

void CSortHeaderCtrl::ClearAllSortArrows()
{
    m_Arrows.clear();
    viewport()->update();
}

ESortArrow CSortHeaderCtrl::SortArrow(int column) const
{
    const auto found = m_Arrows.find(column);
    if (found == m_Arrows.end())
        return ESortArrow::None;
    return found->second ? ESortArrow::Up : ESortArrow::Down;
}

void CSortHeaderCtrl::UpdateColumn(int column)
{
    if (column >= 0 && column < count())
        updateSection(column);
}

void CSortHeaderCtrl::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    const ESortArrow arrow = SortArrow(logicalIndex);
    if (arrow == ESortArrow::None || !rect.isValid())
        QHeaderView::paintSection(painter, rect, logicalIndex);
    else
        PaintWithArrow(painter, rect, logicalIndex, arrow);
}

// Draws the section as the style does, with the title moved aside to make
// room for the arrow, which goes right after the title's text.
void CSortHeaderCtrl::PaintWithArrow(QPainter* painter, const QRect& rect, int logicalIndex,
                                     ESortArrow arrow) const
{
    QStyleOptionHeaderV2 option;
    initStyleOption(&option);
    initStyleOptionForIndex(&option, logicalIndex);
    option.rect = rect;
    option.sortIndicator = QStyleOptionHeader::None;

    painter->save();
    painter->setClipRect(rect);
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);

    const QRect label = style()->subElementRect(QStyle::SE_HeaderLabel, &option, this);
    const QRect titleArea = label.adjusted(0, 0, -(kArrowWidth + kArrowGap), 0);
    QStyleOptionHeaderV2 title = option;
    title.rect = titleArea;
    if (textElideMode() != Qt::ElideNone)
        title.text = option.fontMetrics.elidedText(option.text, textElideMode(),
                                                   std::max(titleArea.width(), 0));
    style()->drawControl(QStyle::CE_HeaderLabel, &title, painter, this);

    const int textWidth = std::clamp(option.fontMetrics.horizontalAdvance(title.text), 0,
                                     std::max(titleArea.width(), 0));
    const QRect text = QStyle::alignedRect(layoutDirection(), option.textAlignment,
                                           QSize(textWidth, titleArea.height()), titleArea);
    const int arrowLeft = std::min(text.right() + 1 + kArrowGap, label.right() + 1 - kArrowWidth);
    const QRect box(arrowLeft, label.center().y() - kArrowHeight / 2, kArrowWidth, kArrowHeight);
    DrawArrow(*painter, box, arrow, option.palette.color(QPalette::ButtonText));
    painter->restore();
}

void CSortHeaderCtrl::mousePressEvent(QMouseEvent* event)
{
    m_PressedColumn =
        event->button() == Qt::LeftButton ? -1 : logicalIndexAt(event->position().toPoint());
    QHeaderView::mousePressEvent(event);
}

void CSortHeaderCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    m_ReleaseModifiers = event->modifiers();
    if (event->button() != Qt::LeftButton && m_PressedColumn >= 0)
    {
        const int column = logicalIndexAt(event->position().toPoint());
        const int pressed = m_PressedColumn;
        m_PressedColumn = -1;
        if (column == pressed)
            emit ColumnClicked(column, event->button(), m_ReleaseModifiers);
    }
    QHeaderView::mouseReleaseEvent(event);
}
