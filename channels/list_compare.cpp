#include "list_compare.h"

#include <algorithm>

namespace zentavo {

namespace {
unsigned char FoldAscii(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}
} // namespace

int CompareListText(std::string_view a, std::string_view b)
{
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const unsigned char x = FoldAscii(a[i]);
        const unsigned char y = FoldAscii(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

namespace {

// Rows that have the field come first; an empty field is no value to sort by.
int CompareFilledFirst(std::string_view a, std::string_view b, int (*compare)(std::string_view, std::string_view))
{
    if (a.empty() || b.empty())
        return a.empty() == b.empty() ? 0 : (a.empty() ? 1 : -1);
    return compare(a, b);
}

// Numbers of digits alone (ListRow::number), without leading zeros: the shorter is the smaller.
int CompareNumbers(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

} // namespace

int ListView1Compare(const ListRow& a, const ListRow& b, int sortColumn)
{
    switch (sortColumn) {
    case 0:
        return CompareListText(a.caption, b.caption);
    case 2:
        return CompareFilledFirst(a.number, b.number, CompareNumbers);
    case 3:
        return CompareFilledFirst(a.group, b.group, CompareListText);
    default:
        // The id column, and any other: the rows of the described lists have one sub item.
        return CompareListText(a.id, b.id);
    }
}

} // namespace zentavo
