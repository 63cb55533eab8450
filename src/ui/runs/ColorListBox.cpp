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

class CColorListBox::CLinesModel final : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        const Line& line = m_lines[static_cast<std::size_t>(index.row())];
        if (role == Qt::DisplayRole)
            return line.text;
        if (role == kColourRole)
            return static_cast<uint>(line.colour);
        return {};
    }

    void Append(std::vector<Line> lines)
    {
        if (lines.empty())
            return;
        const int first = rowCount();
        beginInsertRows({}, first, first + static_cast<int>(lines.size()) - 1);
        m_lines.insert(m_lines.end(), std::make_move_iterator(lines.begin()),
                       std::make_move_iterator(lines.end()));
        endInsertRows();
    }

    const Line* At(int index) const
    {
        return index >= 0 && index < rowCount() ? &m_lines[static_cast<std::size_t>(index)]
                                                : nullptr;
    }

private:
    std::vector<Line> m_lines;
};

CColorListBox::CColorListBox(QWidget* parent) : QListView(parent), m_lines(new CLinesModel(this))
{
    setModel(m_lines);
    setItemDelegate(new CColorLineDelegate(m_widest, this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

int CColorListBox::AddLine(const QString& text, std::uint32_t colour)
{
    AddLines({{text, colour}});
    return count() - 1;
}

void CColorListBox::AddLines(std::vector<Line> lines)
{
    if (lines.empty())
        return;
    int widest = m_widest;
    const QFontMetrics metrics = fontMetrics();
    for (const Line& line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line.text) + 2 * kTextMargin);
    m_lines->Append(std::move(lines));
    if (widest != m_widest)
    {
        m_widest = widest;
        scheduleDelayedItemsLayout();
    }
    scrollToBottom();
}

int CColorListBox::count() const
{
    return m_lines->rowCount();
}

QString CColorListBox::LineText(int index) const
{
    const Line* line = m_lines->At(index);
    return line ? line->text : QString();
}

std::uint32_t CColorListBox::LineColour(int index) const
{
    const Line* line = m_lines->At(index);
    return line ? line->colour : 0;
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
