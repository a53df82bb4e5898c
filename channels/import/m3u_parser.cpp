#include "m3u_parser.h"

#include "line_reader.h"
#include "text_util.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <optional>

namespace zentavo {
namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

void ApplyAttribute(PlaylistEntry& entry, std::string_view key, std::string_view value)
{
    value = TrimBlanks(value);
    if (EqualsNoCase(key, "tvg-id"))
        entry.tvgId = value;
    else if (EqualsNoCase(key, "tvg-name")) {
        if (entry.name.empty())
            entry.name = value;
    } else if (EqualsNoCase(key, "tvg-logo"))
        entry.logo = value;
    else if (EqualsNoCase(key, "tvg-shift"))
        entry.tvgShift = value;
    else if (EqualsNoCase(key, "tvg-country"))
        entry.country = value;
    else if (EqualsNoCase(key, "group-title"))
        entry.group = value;
    else if (EqualsNoCase(key, "tvg-chno"))
        entry.number = value;
    else if (EqualsNoCase(key, "radio")) {
        if (EqualsNoCase(value, "true"))
            entry.type = ChannelType::Radio;
    }
}

// "#EXTINF:<duration> key="value" key='v,w' key=v,Title, with commas"
// The title starts after the first comma that is not inside a quoted value. A quote that never
// closes ends its value at the next blank or comma instead of swallowing the title.
PlaylistEntry ParseExtInf(std::string_view info)
{
    PlaylistEntry entry;
    size_t p = 0;
    while (p < info.size() && !IsBlank(info[p]) && info[p] != ',')
        ++p; // duration
    std::string tvgName;
    while (p < info.size()) {
        while (p < info.size() && IsBlank(info[p]))
            ++p;
        if (p >= info.size())
            break;
        if (info[p] == ',') {
            entry.name = TrimBlanks(info.substr(p + 1));
            break;
        }
        const size_t keyStart = p;
        while (p < info.size() && info[p] != '=' && info[p] != ',' && !IsBlank(info[p]))
            ++p;
        const std::string_view key = info.substr(keyStart, p - keyStart);
        if (p >= info.size() || info[p] != '=')
            continue; // a bare word: nothing to keep
        ++p;
        std::string_view value;
        if (p < info.size() && (info[p] == '"' || info[p] == '\'')) {
            const char quote = info[p];
            const size_t close = info.find(quote, p + 1);
            if (close != std::string_view::npos) {
                value = info.substr(p + 1, close - p - 1);
                p = close + 1;
            } else {
                const size_t start = ++p;
                while (p < info.size() && info[p] != ',' && !IsBlank(info[p]))
                    ++p;
                value = info.substr(start, p - start);
            }
        } else {
            const size_t start = p;
            while (p < info.size() && info[p] != ',' && !IsBlank(info[p]))
                ++p;
            value = info.substr(start, p - start);
        }
        if (EqualsNoCase(key, "tvg-name")) {
            tvgName = TrimBlanks(value);
            entry.tvgName = tvgName;
        } else
            ApplyAttribute(entry, key, value);
    }
    if (entry.name.empty())
        entry.name = tvgName;
    return entry;
}

// #EXTHTTP:{"User-Agent":"...","Referer":"..."}: each member with a text value is a header.
void AddJsonHeaders(RequestHeaders& headers, std::string_view json)
{
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray(json.data(), static_cast<qsizetype>(json.size())));
    const QJsonObject object = document.object();
    for (auto member = object.begin(); member != object.end(); ++member) {
        if (member.value().isString())
            AddRequestHeader(headers, member.key().toStdString(), member.value().toString().toStdString());
    }
}

// Takes the request headers an option line names for the next address; other lines name none.
void TakeHeaderLine(std::string_view line, RequestHeaders& headers)
{
    constexpr std::string_view kVlcOption = "#EXTVLCOPT:";
    constexpr std::string_view kHttp = "#EXTHTTP:";
    constexpr std::string_view kKodiProperty = "#KODIPROP:";
    if (StartsWithNoCase(line, kVlcOption)) {
        const std::string_view option = TrimBlanks(line.substr(kVlcOption.size()));
        const size_t equals = option.find('=');
        if (equals == std::string_view::npos)
            return;
        const std::string_view name = TrimBlanks(option.substr(0, equals));
        const std::string_view value = option.substr(equals + 1);
        if (EqualsNoCase(name, "http-user-agent"))
            AddRequestHeader(headers, "User-Agent", value);
        else if (EqualsNoCase(name, "http-referrer") || EqualsNoCase(name, "http-referer"))
            AddRequestHeader(headers, "Referer", value);
        return;
    }
    if (StartsWithNoCase(line, kHttp)) {
        AddJsonHeaders(headers, line.substr(kHttp.size()));
        return;
    }
    if (StartsWithNoCase(line, kKodiProperty)) {
        const std::string_view property = TrimBlanks(line.substr(kKodiProperty.size()));
        const size_t equals = property.find('=');
        if (equals == std::string_view::npos)
            return;
        const std::string_view name = TrimBlanks(property.substr(0, equals));
        if (EqualsNoCase(name, "inputstream.adaptive.stream_headers")
            || EqualsNoCase(name, "inputstream.adaptive.manifest_headers"))
            AddEncodedRequestHeaders(headers, TrimBlanks(property.substr(equals + 1)));
    }
}

// Kodi-style lists append request headers to the address: "http://host/a.m3u8|User-Agent=...".
// The address is what comes before the bar; the headers after it are taken.
std::string_view TakeAddressHeaders(std::string_view address, RequestHeaders& headers)
{
    const size_t bar = address.find('|');
    if (bar == std::string_view::npos || address.find('=', bar) == std::string_view::npos)
        return address;
    AddEncodedRequestHeaders(headers, TrimBlanks(address.substr(bar + 1)));
    return TrimBlanks(address.substr(0, bar));
}

} // namespace

std::vector<PlaylistEntry> ParseM3u(std::string_view text)
{
    std::vector<PlaylistEntry> entries;
    // Most entries take two lines (#EXTINF and the address): enough room without regrowing.
    entries.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) / 2 + 1);
    std::optional<PlaylistEntry> pending; // an #EXTINF waiting for its address
    std::string nextGroup; // from #EXTGRP, for the next entry
    RequestHeaders nextHeaders; // from the option lines since the last address
    LineReader reader(text);
    std::string_view raw;
    while (reader.Next(raw)) {
        const std::string_view line = TrimBlanks(raw);
        if (line.empty())
            continue;
        if (line.front() == '#') {
            if (StartsWithNoCase(line, "#EXTINF:")) {
                if (pending)
                    entries.push_back(std::move(*pending));
                pending = ParseExtInf(line.substr(8));
                pending->line = reader.LineNumber();
            } else if (StartsWithNoCase(line, "#EXTGRP:")) {
                nextGroup = TrimBlanks(line.substr(8));
            } else {
                TakeHeaderLine(line, nextHeaders);
            }
            continue;
        }
        PlaylistEntry entry = pending ? std::move(*pending) : PlaylistEntry{};
        pending.reset();
        entry.headers = std::move(nextHeaders);
        nextHeaders.clear();
        entry.url = TakeAddressHeaders(line, entry.headers);
        entry.line = reader.LineNumber();
        if (entry.group.empty())
            entry.group = nextGroup;
        nextGroup.clear();
        entries.push_back(std::move(entry));
    }
    if (pending)
        entries.push_back(std::move(*pending));
    return entries;
}

namespace {

// Where the attribute `key` ("x-tvg-url=") starts as a word of its own, in any case, from `from` on.
size_t FindHeaderAttribute(std::string_view header, std::string_view key, size_t from)
{
    for (size_t i = from; i + key.size() <= header.size(); ++i) {
        if ((i == 0 || IsBlank(header[i - 1])) && StartsWithNoCase(header.substr(i), key))
            return i;
    }
    return std::string_view::npos;
}

bool IsGuideAddress(std::string_view address)
{
    return (StartsWithNoCase(address, "http://") || StartsWithNoCase(address, "https://"))
        && address.size() <= kMaxGuideAddress && std::none_of(address.begin(), address.end(), [](char c) {
               return static_cast<unsigned char>(c) <= ' ' || c == '\x7F';
           });
}

} // namespace

std::vector<std::string> M3uGuideAddresses(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::string_view header;
    LineReader reader(text);
    if (!reader.Next(header))
        return {};
    header = TrimBlanks(header);
    std::vector<std::string> addresses;
    if (!StartsWithNoCase(header, "#EXTM3U") || (header.size() > 7 && !IsBlank(header[7])))
        return addresses;
    for (const std::string_view key : {"x-tvg-url=", "url-tvg=", "tvg-url="}) {
        for (size_t at = FindHeaderAttribute(header, key, 0); at != std::string_view::npos;
             at = FindHeaderAttribute(header, key, at)) {
            size_t begin = at + key.size();
            size_t end = 0;
            if (begin < header.size() && (header[begin] == '"' || header[begin] == '\'')) {
                const char quote = header[begin++];
                end = std::min(header.find(quote, begin), header.size());
            } else {
                end = begin;
                while (end < header.size() && !IsBlank(header[end]))
                    ++end;
            }
            std::string_view list = header.substr(begin, end - begin);
            while (!list.empty()) {
                const size_t comma = list.find(',');
                const std::string_view address = TrimBlanks(list.substr(0, comma));
                if (IsGuideAddress(address) && addresses.size() < kMostGuideAddresses
                    && std::find(addresses.begin(), addresses.end(), address) == addresses.end())
                    addresses.emplace_back(address);
                list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
            }
            at = end;
        }
    }
    return addresses;
}

} // namespace zentavo
