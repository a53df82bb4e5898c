#include "catalogue.h"
#include "id_path_matching.h"

#include <charconv>
#include <cstring>
#include <libxml/tree.h>
#include <libxml/xpath.h>

namespace zentavo {

namespace {

// The fields of a record in a fixed order, and the index of the field a child element fills.
constexpr std::string ChannelRecord::*kFields[] = {
    &ChannelRecord::id, &ChannelRecord::name, &ChannelRecord::country, &ChannelRecord::bandwidth,
    &ChannelRecord::type2, &ChannelRecord::imgindex, &ChannelRecord::url,
};

int FieldIndex(const char* name)
{
    switch (name[0]) {
    case 'i':
        if (std::strcmp(name, "id") == 0)
            return 0;
        return std::strcmp(name, "imgindex") == 0 ? 5 : -1;
    case 'n': return std::strcmp(name, "name") == 0 ? 1 : -1;
    case 'c': return std::strcmp(name, "country") == 0 ? 2 : -1;
    case 'b': return std::strcmp(name, "bandwidth") == 0 ? 3 : -1;
    case 't': return std::strcmp(name, "type2") == 0 ? 4 : -1;
    case 'u': return std::strcmp(name, "url") == 0 ? 6 : -1;
    default: return -1;
    }
}

double XPathNumberOf(const xmlNode* element)
{
    const xmlNode* child = element->children;
    if (child != nullptr && child->next == nullptr && child->type == XML_TEXT_NODE)
        return xmlXPathCastStringToNumber(child->content);
    xmlChar* content = xmlNodeGetContent(element);
    const double number = xmlXPathCastStringToNumber(content);
    xmlFree(content);
    return number;
}

bool IsXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

} // namespace

Catalogue Catalogue::Load(const std::filesystem::path& path)
{
    try {
        return Catalogue(XmlDocument::LoadFile(path));
    } catch (const XmlError& error) {
        throw ListFileError(error.what());
    }
}

Catalogue Catalogue::FromDocument(XmlDocument document)
{
    return Catalogue(std::move(document));
}

ChannelRecord Catalogue::ReadRecord(const XmlElement& item)
{
    ChannelRecord record;
    // One pass over the children; the first element of each name counts, later ones are ignored.
    unsigned seen = 0;
    for (xmlNode* child = item.Native()->children; child != nullptr; child = child->next) {
        if (child->type != XML_ELEMENT_NODE)
            continue;
        const int index = FieldIndex(reinterpret_cast<const char*>(child->name));
        if (index < 0 || (seen & (1U << index)) != 0)
            continue;
        seen |= 1U << index;
        record.*kFields[index] = XmlElement(child).Text();
    }
    return record;
}

void Catalogue::ForEachChannel(const std::function<void(const ChannelRecord&)>& visit) const
{
    for (auto item = document_.Root().FirstChildElement(); item; item = item->NextSiblingElement())
        visit(ReadRecord(*item));
}

std::optional<XmlElement> Catalogue::FindChannel(std::string_view id) const
{
    // The id goes into the path as it stands, without quotes: XPath then compares numbers, so
    // "017" selects the item with id 17. An id that does not form a valid path selects nothing.
    //
    // For an id that is a plain number, the one the player always passes, the path is evaluated
    // directly: the first item under the root "items" with an id child whose XPath number equals
    // the id's. That is what the XPath engine computes, in one pass that stops at the match
    // instead of a walk that converts every id of the file through temporary strings.
    if (IsXPathNumber(id)) {
        const xmlNode* root = document_.Root().Native();
        if (!IsElementNamed(root, "items"))
            return std::nullopt;
        const double wanted = xmlXPathCastStringToNumber(reinterpret_cast<const xmlChar*>(std::string(id).c_str()));
        for (xmlNode* item = root->children; item != nullptr; item = item->next) {
            if (!IsElementNamed(item, "item"))
                continue;
            for (const xmlNode* child = item->children; child != nullptr; child = child->next) {
                if (IsElementNamed(child, "id") && XPathNumberOf(child) == wanted)
                    return XmlElement(item);
            }
        }
        return std::nullopt;
    }
    std::string path;
    path.reserve(id.size() + 20);
    path.append("/items/item[id=").append(id).append("]");
    return document_.SelectSingleNode(path);
}

std::optional<ChannelRecord> Catalogue::FindChannelRecord(std::string_view id) const
{
    const auto item = FindChannel(id);
    if (!item)
        return std::nullopt;
    return ReadRecord(*item);
}

std::optional<int> ParseImgIndex(std::string_view text)
{
    while (!text.empty() && IsXmlSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsXmlSpace(text.back()))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty() || text.front() == '+')
        return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

int IconIndexOf(std::string_view imgindex)
{
    return ParseImgIndex(imgindex).value_or(kNoIcon);
}

} // namespace zentavo
