#pragma once
// A forgiving tokenizer for XML-like playlists (XSPF, ASX). ASX files in the wild are often not
// well-formed: tags in any case, attribute values without quotes, bare '&', elements never
// closed. The scanner never fails; it turns whatever it sees into tags and text.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zentavo {

struct MarkupToken {
    enum class Kind { Open, Close, Text };
    Kind kind = Kind::Text;
    std::string name; // tag name, lower case, without namespace prefix
    std::vector<std::pair<std::string, std::string>> attributes; // names lower case, values decoded
    bool selfClosing = false; // <ref href="..."/>
    std::string text; // decoded text (Text tokens; CDATA is text as it stands)
    int line = 0; // 1-based line where the token starts

    // Value of the attribute with that (lower-case) name; empty when absent.
    std::string Attribute(std::string_view attributeName) const;
};

class MarkupScanner {
public:
    explicit MarkupScanner(std::string_view text) : text_(text) {}

    // The next tag or piece of text; comments, processing instructions and declarations are
    // skipped. False at the end.
    bool Next(MarkupToken& token);

private:
    void Advance(size_t count);
    bool ReadTag(MarkupToken& token);

    std::string_view text_;
    size_t pos_ = 0;
    int line_ = 1;
};

// Replaces the five predefined entities and numeric character references; anything else that
// starts with '&' stays as it is.
std::string DecodeEntities(std::string_view text);

} // namespace zentavo
