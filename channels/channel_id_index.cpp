#include "channel_id_index.h"
#include "id_path_matching.h"

#include <libxml/xpath.h>

#include <cmath>
#include <string>

namespace zentavo {

namespace {
double XPathNumber(const std::string& text)
{
    return xmlXPathCastStringToNumber(reinterpret_cast<const xmlChar*>(text.c_str()));
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
    if (!IsXPathNumber(id))
        return catalogue_.FindChannel(id);
    const auto found = byNumber_.find(XPathNumber(std::string(id)));
    if (found == byNumber_.end())
        return std::nullopt;
    return found->second;
}

} // namespace zentavo
