#include "xspf_parser.h"

#include "line_reader.h"
#include "markup_scanner.h"

#include <optional>

namespace zentavo {

std::vector<PlaylistEntry> ParseXspf(std::string_view text)
{
    std::vector<PlaylistEntry> entries;
    std::optional<PlaylistEntry> track;
    std::string annotation, creator;
    std::string field; // element whose text is being collected
    std::string value;
    int valueLine = 0;

    const auto finishField = [&] {
        if (!track || field.empty())
            return;
        const std::string trimmed(TrimBlanks(value));
        if (field == "location" && track->url.empty() && !trimmed.empty()) {
            track->url = trimmed;
            track->line = valueLine;
        } else if (field == "title" && track->name.empty()) {
            track->name = trimmed;
        } else if (field == "annotation" && annotation.empty()) {
            annotation = trimmed;
        } else if (field == "creator" && creator.empty()) {
            creator = trimmed;
        } else if (field == "image" && track->logo.empty()) {
            track->logo = trimmed;
        }
        field.clear();
    };
    const auto finishTrack = [&] {
        finishField();
        if (!track)
            return;
        if (track->name.empty())
            track->name = !annotation.empty() ? annotation : creator;
        entries.push_back(std::move(*track));
        track.reset();
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
        if (token.name == "track") {
            if (token.kind == MarkupToken::Kind::Open && !token.selfClosing) {
                finishTrack(); // a <track> that was never closed
                track = PlaylistEntry{};
                track->line = token.line;
                annotation.clear();
                creator.clear();
            } else {
                finishTrack();
            }
        } else if (track && token.kind == MarkupToken::Kind::Open && !token.selfClosing
                   && (token.name == "location" || token.name == "title" || token.name == "annotation"
                       || token.name == "creator" || token.name == "image")) {
            field = token.name;
            value.clear();
            valueLine = token.line;
        }
    }
    finishTrack();
    return entries;
}

} // namespace zentavo
