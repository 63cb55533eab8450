#pragma once

#include <QString>
#include <QStringView>
#include <cstddef>
#include <cstdint>
#include <vector>

// The decimal number a text starts with, as the C library reads one:
// leading white space and a sign are allowed, reading stops at the first
// character that is not a digit, and a text that does not start with a
// number reads as 0. Values beyond 32 bits are held at the nearest limit.
std::int32_t LeadingNumber(QStringView text);

// One sort of the rows of a list by one column. Text columns compare
// case-insensitively; numeric columns compare the value of each row's
// text (see NumericValue). The sort is stable, so rows with equal keys keep
// their order, which lets several passes, last key first, sort by several
// columns.
class CColumnSorter
{
public:
    CColumnSorter(bool numeric, bool ascending) : m_bNumeric(numeric), m_bAscending(ascending) {}

    // The new order of the rows whose texts in the sort column are given:
    // entry i is the index in texts of the row that moves to place i.
    std::vector<std::size_t> Order(const std::vector<QString>& texts) const;

    // A numeric column's value of a text: minutes:seconds ("3:07") counts
    // the number before the first ":" times 60 plus the number after it;
    // any other text is read as a plain number.
    static std::int32_t NumericValue(QStringView text);

private:
    std::vector<std::size_t> OrderByText(const std::vector<QString>& texts) const;
    std::vector<std::size_t> OrderByValue(const std::vector<QString>& texts) const;

    bool m_bNumeric;
    bool m_bAscending;
};
