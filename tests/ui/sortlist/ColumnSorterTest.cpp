#include "ui/sortlist/ColumnSorter.h"

#include <gtest/gtest.h>
#include <limits>

TEST(ColumnSorter, NumericValueOfMinutesAndSecondsAndPlainNumbers)
{
    EXPECT_EQ(CColumnSorter::NumericValue(u"10:05"), 605);
    EXPECT_EQ(CColumnSorter::NumericValue(u"9:59"), 599);
    EXPECT_EQ(CColumnSorter::NumericValue(u"0:07"), 7);
    EXPECT_EQ(CColumnSorter::NumericValue(u"42"), 42);
    EXPECT_EQ(CColumnSorter::NumericValue(u""), 0);
    EXPECT_EQ(CColumnSorter::NumericValue(u"abc"), 0);
    EXPECT_EQ(CColumnSorter::NumericValue(u"x:30"), 30);
    // Only the first ":" splits; the seconds are read up to the next one.
    EXPECT_EQ(CColumnSorter::NumericValue(u"1:02:03"), 62);
}

TEST(ColumnSorter, LeadingNumberReadsLikeTheCLibraryAndSaturates)
{
    EXPECT_EQ(LeadingNumber(u" \t12px"), 12);
    EXPECT_EQ(LeadingNumber(u"-8"), -8);
    EXPECT_EQ(LeadingNumber(u"+8"), 8);
    EXPECT_EQ(LeadingNumber(u"- 8"), 0);
    EXPECT_EQ(LeadingNumber(u"garbage"), 0);
    EXPECT_EQ(LeadingNumber(u"99999999999999999999999"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(LeadingNumber(u"-99999999999"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(CColumnSorter::NumericValue(u"99999999:59"),
              std::numeric_limits<std::int32_t>::max());
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
