#include "ui/sortlist/ColumnSorter.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace
{

constexpr std::int64_t kMinValue = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kMaxValue = std::numeric_limits<std::int32_t>::max();

std::int32_t Saturate(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp(value, kMinValue, kMaxValue));
}

// The white space the C library skips before a number.
bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

std::vector<std::size_t> Identity(std::size_t count)
{
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    return order;
}

} // namespace

std::int32_t LeadingNumber(QStringView text)
{
    qsizetype pos = 0;
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-'))
        negative = text[pos++] == u'-';
    // One past the limit is enough to saturate either way; stopping there
    // keeps the sum from overflowing on long digit runs.
    std::int64_t magnitude = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos)
        magnitude = std::min(magnitude * 10 + (text[pos].unicode() - u'0'), kMaxValue + 1);
    return Saturate(negative ? -magnitude : magnitude);
}

std::int32_t CColumnSorter::NumericValue(QStringView text)
{
    const qsizetype colon = text.indexOf(u':');
    if (colon < 0)
        return LeadingNumber(text);
    const std::int64_t minutes = LeadingNumber(text.left(colon));
    const std::int64_t seconds = LeadingNumber(text.mid(colon + 1));
    return Saturate(minutes * 60 + seconds);
}

std::vector<std::size_t> CColumnSorter::Order(const std::vector<QString>& texts) const
{
    return m_bNumeric ? OrderByValue(texts) : OrderByText(texts);
}

std::vector<std::size_t> CColumnSorter::OrderByText(const std::vector<QString>& texts) const
{
    // Folded once per row rather than at every comparison: the same order
    // as comparing without regard to case, at a fraction of the cost.
    std::vector<QString> folded;
    folded.reserve(texts.size());
    for (const QString& text : texts)
        folded.push_back(text.toCaseFolded());
    std::vector<std::size_t> order = Identity(texts.size());
    const auto less = [&](std::size_t a, std::size_t b) { return folded[a] < folded[b]; };
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b)
                     { return m_bAscending ? less(a, b) : less(b, a); });
    return order;
}

std::vector<std::size_t> CColumnSorter::OrderByValue(const std::vector<QString>& texts) const
{
    std::vector<std::int32_t> values;
    values.reserve(texts.size());
    for (const QString& text : texts)
        values.push_back(NumericValue(text));
    std::vector<std::size_t> order = Identity(texts.size());
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b)
                     { return m_bAscending ? values[a] < values[b] : values[b] < values[a]; });
    return order;
}
