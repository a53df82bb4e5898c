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

int ListView1Compare(const ListRow& a, const ListRow& b, int sortColumn)
{
    // A row has one sub item (the id), so every column past the caption reads it.
    if (sortColumn == 0)
        return CompareListText(a.caption, b.caption);
    return CompareListText(a.id, b.id);
}

} // namespace zentavo
