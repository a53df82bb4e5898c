#include "channel_id_index.h"

#include <libxml/xpath.h>

#include <cmath>
#include <string>

namespace zentavo {

namespace {
// A plain XPath number literal: Digits ('.' Digits?)? | '.' Digits. Anything else (signs,
// expressions, names) is left to the XPath engine.
bool IsNumberLiteral(std::string_view text)
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

double XPathNumber(const std::string& text)
{
    return xmlXPathCastStringToNumber(reinterpret_cast<const xmlChar*>(text.c_str()));
}

// An element that a bare name test in a path selects: that name and no namespace.
bool IsElementNamed(const xmlNode* node, const char* name)
{
    return node->type == XML_ELEMENT_NODE && node->ns == nullptr
        && xmlStrEqual(node->name, reinterpret_cast<const xmlChar*>(name));
}
} // namespace

ChannelIdIndex::ChannelIdIndex(const Catalogue& catalogue) : catalogue_(catalogue)
{
    const xmlNode* root = catalogue.Document().Root().Native();
    if (!IsElementNamed(root, "items"))
        return; // "/items/..." selects nothing in such a document
    for (xmlNode* item = root->children; item != nullptr; item = item->next) {
        if (!IsElementNamed(item, "item"))
            continue;
        for (xmlNode* id = item->children; id != nullptr; id = id->next) {
            if (!IsElementNamed(id, "id"))
                continue;
            const double number = XPathNumber(XmlElement(id).Text());
            if (!std::isnan(number))
                byNumber_.try_emplace(number, XmlElement(item));
        }
    }
}

std::optional<XmlElement> ChannelIdIndex::Find(std::string_view id) const
{
    if (!IsNumberLiteral(id))
        return catalogue_.FindChannel(id);
    const auto found = byNumber_.find(XPathNumber(std::string(id)));
    if (found == byNumber_.end())
        return std::nullopt;
    return found->second;
}

} // namespace zentavo
