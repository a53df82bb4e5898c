#include "asx_parser.h"

#include "address_check.h"
#include "line_reader.h"
#include "markup_scanner.h"

#include <optional>

namespace zentavo {

std::vector<PlaylistEntry> ParseAsx(std::string_view text)
{
    std::vector<PlaylistEntry> entries;
    std::optional<PlaylistEntry> entry;
    bool entryHasUsableRef = false;
    std::string field, value;
    std::vector<std::string> refs; // every <ref href> of the current entry

    const auto finishField = [&] {
        if (entry && field == "title" && entry->name.empty())
            entry->name = TrimBlanks(value);
        field.clear();
    };
    const auto finishEntry = [&] {
        finishField();
        if (entry) {
            if (refs.size() > 1)
                entry->alternatives = std::move(refs);
            entries.push_back(std::move(*entry));
        }
        entry.reset();
        refs.clear();
    };

    MarkupScanner scanner(text);
    MarkupToken token;
    while (scanner.Next(token)) {
        if (token.kind == MarkupToken::Kind::Text) {
            if (!field.empty())
                value += token.text;
            continue;
        }
        finishField();
        const bool open = token.kind == MarkupToken::Kind::Open;
        if (token.name == "entry") {
            finishEntry();
            if (open && !token.selfClosing) {
                entry = PlaylistEntry{};
                entry->line = token.line;
                entryHasUsableRef = false;
            }
        } else if (open && (token.name == "ref" || token.name == "entryref")) {
            const std::string href(TrimBlanks(token.Attribute("href")));
            if (!entry || token.name == "entryref") {
                PlaylistEntry single;
                single.url = href;
                single.line = token.line;
                entries.push_back(std::move(single));
                continue;
            }
            refs.push_back(href);
            // The first usable alternative wins; until there is one, keep the first given.
            const bool usable = !CheckStreamAddress(href).has_value();
            if (!entryHasUsableRef && (usable || entry->url.empty())) {
                entry->url = href;
                entry->line = token.line;
                entryHasUsableRef = usable;
            }
        } else if (open && token.name == "logo" && entry && entry->logo.empty()) {
            // <logo href="..." style="icon"/>: the entry's picture.
            entry->logo = TrimBlanks(token.Attribute("href"));
        } else if (open && !token.selfClosing && token.name == "title" && entry) {
            field = token.name;
            value.clear();
        }
    }
    finishEntry();
    return entries;
}

} // namespace zentavo
