#include "ui/runs/ColorListBox.h"

#include <QPainter>
#include <QStyledItemDelegate>

namespace
{
constexpr int kColourRole = Qt::UserRole + 1;
constexpr int kTextMargin = 3;

QColor FromRgb(std::uint32_t colour)
{
    return QColor::fromRgb(static_cast<QRgb>(colour & 0xFFFFFFu));
}

// Every line is as wide as the widest so far: with one size for all, the
// list need not measure every line again for each one added.
class CColorLineDelegate final : public QStyledItemDelegate
{
public:
    explicit CColorLineDelegate(const int& widest, QObject* parent)
        : QStyledItemDelegate(parent), m_widest(widest)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        const bool enabled = option.state.testFlag(QStyle::State_Enabled);
        const auto colour = index.data(kColourRole).toUInt();
        painter->save();
        painter->fillRect(option.rect, CColorListBox::FillColour(colour, selected, option.palette));
        painter->setPen(CColorListBox::TextColour(colour, selected, enabled, option.palette));
        painter->setFont(option.font);
        painter->drawText(option.rect.adjusted(kTextMargin, 0, -kTextMargin, 0),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine |
                              Qt::TextExpandTabs,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
        if (option.state.testFlag(QStyle::State_HasFocus) && option.widget)
        {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(option);
            focus.backgroundColor = CColorListBox::FillColour(colour, selected, option.palette);
            option.widget->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter,
                                                  option.widget);
        }
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return {m_widest, QFontMetrics(option.font).height() + 2};
    }

private:
    const int& m_widest;
};
} // namespace

CColorListBox::CColorListBox(QWidget* parent) : QListWidget(parent)
{
    setItemDelegate(new CColorLineDelegate(m_widest, this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
}

int CColorListBox::AddLine(const QString& text, std::uint32_t colour)
{
    auto* item = new QListWidgetItem(text, this);
    item->setData(kColourRole, static_cast<uint>(colour));
    const int width = fontMetrics().horizontalAdvance(text) + 2 * kTextMargin;
    if (width > m_widest)
    {
        m_widest = width;
        scheduleDelayedItemsLayout();
    }
    scrollToItem(item);
    return row(item);
}

std::uint32_t CColorListBox::LineColour(int index) const
{
    const QListWidgetItem* line = item(index);
    return line ? line->data(kColourRole).toUInt() : 0;
}

QColor CColorListBox::FillColour(std::uint32_t colour, bool selected, const QPalette& palette)
{
    if (!selected)
        return palette.color(QPalette::Base);
    return colour == 0 ? palette.color(QPalette::Highlight) : FromRgb(colour);
}

QColor CColorListBox::TextColour(std::uint32_t colour, bool selected, bool enabled,
                                 const QPalette& palette)
{
    if (selected)
        return colour == 0 ? palette.color(QPalette::HighlightedText) : FromRgb(~colour);
    if (!enabled)
        return palette.color(QPalette::Disabled, QPalette::Text);
    return colour == 0 ? palette.color(QPalette::Text) : FromRgb(colour);
}
