#include "ui/sortlist/ColumnSorter.h"

#include <gtest/gtest.h>
#include <limits>

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
