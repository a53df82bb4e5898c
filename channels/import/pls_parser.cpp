#include "pls_parser.h"

#include "line_reader.h"
#include "text_util.h"

#include <charconv>
#include <map>

namespace zentavo {
namespace {

struct Numbered {
    std::vector<PlaylistEntry> files; // every FileN line with this number
    std::string title;
    int firstLine = 0; // line of the first key with this number
};

// "File12" -> ("file", 12); keys without a number give -1.
std::pair<std::string, long> SplitKey(std::string_view key)
{
    key = TrimBlanks(key);
    size_t digits = key.size();
    while (digits > 0 && key[digits - 1] >= '0' && key[digits - 1] <= '9')
        --digits;
    long number = -1;
    if (digits < key.size()) {
        const auto* first = key.data() + digits;
        const auto* last = key.data() + key.size();
        if (std::from_chars(first, last, number).ec != std::errc{})
            number = -1;
    }
    return {AsciiLowered(key.substr(0, digits)), number};
}

} // namespace

std::vector<PlaylistEntry> ParsePls(std::string_view text)
{
    std::map<long, Numbered> byNumber;
    LineReader reader(text);
    std::string_view raw;
    while (reader.Next(raw)) {
        const std::string_view line = TrimBlanks(raw);
        const size_t equals = line.find('=');
        if (line.empty() || line.front() == '[' || line.front() == ';' || line.front() == '#'
            || equals == std::string_view::npos)
            continue;
        const auto [name, number] = SplitKey(line.substr(0, equals));
        if (number < 0)
            continue;
        const std::string_view value = TrimBlanks(line.substr(equals + 1));
        Numbered& slot = byNumber[number];
        if (slot.firstLine == 0)
            slot.firstLine = reader.LineNumber();
        if (name == "file" || name == "ref") {
            PlaylistEntry entry;
            entry.url = value;
            entry.line = reader.LineNumber();
            slot.files.push_back(std::move(entry));
        } else if (name == "title") {
            slot.title = value;
        }
    }
    std::vector<PlaylistEntry> entries;
    for (auto& [number, slot] : byNumber) {
        if (slot.files.empty()) {
            if (slot.title.empty())
                continue; // only a LengthN: nothing that could be a channel
            PlaylistEntry entry;
            entry.line = slot.firstLine;
            slot.files.push_back(std::move(entry));
        }
        for (PlaylistEntry& entry : slot.files) {
            entry.name = slot.title;
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}

} // namespace zentavo
