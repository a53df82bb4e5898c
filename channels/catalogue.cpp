#include "catalogue.h"
#include "channel_id.h"

#include <charconv>
#include <iterator>

namespace zentavo {

namespace {

// The fields of a record in a fixed order, and the index of the field a child element fills.
constexpr std::string ChannelRecord::*kFields[] = {
    &ChannelRecord::id,      &ChannelRecord::name,     &ChannelRecord::country, &ChannelRecord::bandwidth,
    &ChannelRecord::type2,   &ChannelRecord::imgindex, &ChannelRecord::url,     &ChannelRecord::logo,
    &ChannelRecord::group,   &ChannelRecord::number,   &ChannelRecord::headers, &ChannelRecord::tvgid,
    &ChannelRecord::tvgname, &ChannelRecord::tvgshift,
};
static_assert(std::size(kFields) == kRecordFieldCount);

int FieldIndex(std::string_view name)
{
    if (name.empty())
        return -1;
    switch (name[0]) {
    case 'i':
        if (name == "id")
            return 0;
        return name == "imgindex" ? 5 : -1;
    case 'n':
        if (name == "name")
            return 1;
        return name == "number" ? 9 : -1;
    case 'g':
        return name == "group" ? 8 : -1;
    case 'h':
        return name == "headers" ? 10 : -1;
    case 'c':
        return name == "country" ? 2 : -1;
    case 'l':
        return name == "logo" ? 7 : -1;
    case 'b':
        return name == "bandwidth" ? 3 : -1;
    case 't':
        if (name == "type2")
            return 4;
        if (name == "tvgid")
            return 11;
        if (name == "tvgname")
            return 12;
        return name == "tvgshift" ? 13 : -1;
    case 'u':
        return name == "url" ? 6 : -1;
    default:
        return -1;
    }
}

} // namespace

int RecordFieldIndex(std::string_view name)
{
    return FieldIndex(name);
}

std::string& RecordField(ChannelRecord& record, int index)
{
    return record.*kFields[index];
}

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
    for (auto child = item.FirstChildElement(); child; child = child->NextSiblingElement()) {
        const int index = FieldIndex(child->NameView());
        if (index < 0 || (seen & (1U << index)) != 0)
            continue;
        seen |= 1U << index;
        record.*kFields[index] = child->Text();
    }
    return record;
}

void Catalogue::ForEachChannel(const std::function<void(const ChannelRecord&)>& visit) const
{
    for (auto item = document_.Root().FirstChildElement(); item; item = item->NextSiblingElement())
        visit(ReadRecord(*item));
}

void Catalogue::ForEachChannel(const std::function<void(const XmlElement& element, const ChannelRecord&)>& visit) const
{
    for (auto item = document_.Root().FirstChildElement(); item; item = item->NextSiblingElement())
        visit(*item, ReadRecord(*item));
}

void Catalogue::ForEachItem(const std::function<void(const XmlElement& item, std::string_view id)>& visit) const
{
    const XmlElement root = document_.Root();
    if (!root.HasPlainName("items"))
        return;
    std::string storage;
    for (auto item = root.FirstChildElement(); item; item = item->NextSiblingElement()) {
        if (!item->HasPlainName("item"))
            continue;
        // The id the lists show for the item: its first id element, as ReadRecord reads it.
        const auto id = item->FirstChildElement("id");
        visit(*item, id ? TrimXmlSpace(id->Text(storage)) : std::string_view());
    }
}

std::optional<XmlElement> Catalogue::FindChannel(std::string_view id) const
{
    if (!IsCanonicalChannelId(id))
        return std::nullopt;
    const XmlElement root = document_.Root();
    if (!root.HasPlainName("items"))
        return std::nullopt;
    std::string storage;
    for (auto item = root.FirstChildElement(); item; item = item->NextSiblingElement()) {
        if (!item->HasPlainName("item"))
            continue;
        const auto itemId = item->FirstChildElement("id");
        if (itemId && TrimXmlSpace(itemId->Text(storage)) == id)
            return item;
    }
    return std::nullopt;
}

std::optional<ChannelRecord> Catalogue::FindChannelRecord(std::string_view id) const
{
    const auto item = FindChannel(id);
    if (!item)
        return std::nullopt;
    return ReadRecord(*item);
}

std::optional<ChannelRecord> Catalogue::FindRecordInFile(const std::filesystem::path& path, std::string_view id)
{
    if (!IsCanonicalChannelId(id))
        return std::nullopt;
    std::optional<ChannelRecord> found;
    Stream(path, [&](const ChannelRecord& record, bool findable) {
        if (!findable || TrimXmlSpace(record.id) != id)
            return StreamVisit::Continue;
        found = record;
        return StreamVisit::Stop;
    });
    return found;
}

std::optional<int> ParseImgIndex(std::string_view text)
{
    text = TrimXmlSpace(text);
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
