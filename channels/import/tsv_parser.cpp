#include "tsv_parser.h"

#include "line_reader.h"
#include "text_util.h"

#include <array>
#include <optional>
#include <string>

namespace zentavo {
namespace {

enum Column {
    kName,
    kDescription,
    kUrl,
    kCountry,
    kGroup,
    kType,
    kFormat,
    kLogo,
    kBandwidth,
    kCity,
    kArea,
    kCounty,
    kRegion,
    kState,
    kProvince,
    kColumnCount
};

std::optional<Column> ColumnFor(std::string_view header)
{
    static constexpr std::pair<std::string_view, Column> kNames[] = {
        {"name", kName},
        {"title", kName},
        {"station", kName},
        {"channel", kName},
        {"description", kDescription},
        {"url", kUrl},
        {"address", kUrl},
        {"stream", kUrl},
        {"link", kUrl},
        {"stream_url", kUrl},
        {"country", kCountry},
        {"group", kGroup},
        {"genre", kGroup},
        {"category", kGroup},
        {"type", kType},
        {"format", kFormat},
        {"logo", kLogo},
        {"favicon", kLogo},
        {"bandwidth", kBandwidth},
        {"bitrate", kBandwidth},
        {"city", kCity},
        {"area", kArea},
        {"county", kCounty},
        {"region", kRegion},
        {"state", kState},
        {"province", kProvince},
    };
    const std::string lowered = AsciiLowered(TrimBlanks(header));
    for (const auto& [name, column] : kNames) {
        if (lowered == name)
            return column;
    }
    return std::nullopt;
}

std::vector<std::string_view> SplitTabs(std::string_view line)
{
    std::vector<std::string_view> cells;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        cells.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos)
            break;
        start = tab + 1;
    }
    return cells;
}

// A cell written as "text" (as spreadsheets export it) loses its quotes; "" inside becomes ".
std::string Unquote(std::string_view cell)
{
    cell = TrimBlanks(cell);
    if (cell.size() < 2 || cell.front() != '"' || cell.back() != '"')
        return std::string(cell);
    std::string out;
    const std::string_view inner = cell.substr(1, cell.size() - 2);
    for (size_t i = 0; i < inner.size(); ++i) {
        out += inner[i];
        if (inner[i] == '"' && i + 1 < inner.size() && inner[i + 1] == '"')
            ++i;
    }
    return out;
}

std::optional<ChannelType> TypeFromWord(std::string_view word)
{
    if (EqualsNoCase(word, "tv"))
        return ChannelType::Tv;
    if (EqualsNoCase(word, "radio"))
        return ChannelType::Radio;
    if (EqualsNoCase(word, "webcam") || EqualsNoCase(word, "camera"))
        return ChannelType::Webcam;
    return std::nullopt;
}

// Where each column is in the header line; -1 for those it does not name.
std::array<int, kColumnCount> ColumnIndexes(std::string_view line)
{
    std::array<int, kColumnCount> index;
    index.fill(-1);
    const std::vector<std::string_view> header = SplitTabs(line);
    for (size_t i = 0; i < header.size(); ++i) {
        const auto column = ColumnFor(header[i]);
        if (column && index[*column] < 0)
            index[*column] = static_cast<int>(i);
    }
    return index;
}

} // namespace

bool IsTsvHeader(std::string_view line)
{
    return line.find('\t') != std::string_view::npos && ColumnIndexes(line)[kUrl] >= 0;
}

std::vector<PlaylistEntry> ParseTsv(std::string_view text)
{
    LineReader reader(text);
    std::string_view line;
    while (reader.Next(line) && TrimBlanks(line).empty()) {
    }
    const std::array<int, kColumnCount> index = ColumnIndexes(line);
    if (index[kUrl] < 0)
        throw PlaylistError("the header line names no url column");

    std::vector<PlaylistEntry> entries;
    while (reader.Next(line)) {
        if (TrimBlanks(line).empty())
            continue;
        const std::vector<std::string_view> cells = SplitTabs(line);
        const auto cell = [&](Column column) {
            const int i = index[column];
            return i >= 0 && static_cast<size_t>(i) < cells.size() ? Unquote(cells[static_cast<size_t>(i)])
                                                                   : std::string{};
        };
        PlaylistEntry entry;
        entry.line = reader.LineNumber();
        entry.url = cell(kUrl);
        entry.name = cell(kName);
        if (entry.name.empty())
            entry.name = cell(kDescription);
        std::string place;
        for (const Column part : {kCity, kArea, kCounty, kRegion, kState, kProvince}) {
            const std::string value = cell(part);
            if (value.empty() || place.find(value) != std::string::npos)
                continue;
            place += place.empty() ? value : ", " + value;
        }
        if (!place.empty())
            entry.name = entry.name.empty() ? place : entry.name + " (" + place + ")";
        entry.country = cell(kCountry);
        entry.group = cell(kGroup);
        entry.logo = cell(kLogo);
        entry.bandwidth = cell(kBandwidth);
        entry.type = TypeFromWord(cell(kType));
        if (!entry.type && EqualsNoCase(cell(kFormat), "IMAGE_STREAM"))
            entry.type = ChannelType::Webcam;
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace zentavo
