#pragma once
// What "/items/item[id=N]" selects, worked out without the XPath engine for the common case of a
// plain number: the catalogue's single lookup and the favourites list's index both rely on it.

#include <libxml/tree.h>

#include <cstring>
#include <string_view>

namespace zentavo {

// An XPath Number token: Digits ('.' Digits?)? | '.' Digits. Anything else (signs, expressions,
// names) is left to the XPath engine.
inline bool IsXPathNumber(std::string_view text)
{
    bool digits = false;
    bool dot = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9')
            digits = true;
        else if (c == '.' && !dot)
            dot = true;
        else
            return false;
    }
    return digits;
}

// An element that a bare name test of a path selects: that name, no namespace.
inline bool IsElementNamed(const xmlNode* node, const char* name)
{
    return node->type == XML_ELEMENT_NODE && node->ns == nullptr
        && std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

} // namespace zentavo
