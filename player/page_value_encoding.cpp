#include "page_value_encoding.h"

#include <cctype>

namespace zentavo {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// text at offset starts with word, ASCII letters compared without case.
bool StartsWithNoCase(std::string_view text, std::size_t offset, std::string_view word)
{
    if (text.size() - offset < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[offset + i])) != word[i])
            return false;
    }
    return true;
}

// After a tag name: the name ends at a blank, '/' or '>' (or the end of the text).
bool EndsTagName(std::string_view text, std::size_t offset)
{
    if (offset >= text.size())
        return true;
    const char c = text[offset];
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '/' || c == '>';
}

void AppendHex(std::string& out, const char* prefix, unsigned char byte)
{
    out += prefix;
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0x0F];
}

std::string EncodeForScriptString(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const auto byte = static_cast<unsigned char>(value[i]);
        switch (byte) {
        case '\\':
            out += "\\\\";
            continue;
        case '"':
            out += "\\\"";
            continue;
        case '\'':
            out += "\\'";
            continue;
        default:
            break;
        }
        // '<' and '>' could end the script element ("</script>") or open a comment in it.
        if (byte < 0x20 || byte == 0x7F || byte == '<' || byte == '>') {
            AppendHex(out, "\\x", byte);
            continue;
        }
        // U+2028 and U+2029 end a line, and so a string literal, in older script engines.
        if (byte == 0xE2 && i + 2 < value.size() && static_cast<unsigned char>(value[i + 1]) == 0x80
            && (value[i + 2] == '\xA8' || value[i + 2] == '\xA9')) {
            out += value[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
            i += 2;
            continue;
        }
        out += value[i];
    }
    return out;
}

std::string EncodeForHtml(std::string_view value, bool bareTag)
{
    std::string out;
    out.reserve(value.size());
    for (const char c : value) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case ' ':
        case '\t':
        case '\r':
        case '\n':
        case '\f':
        case '=':
        case '`':
            // Outside quotes these end the attribute value or start another attribute.
            if (bareTag)
                out.append("&#").append(std::to_string(static_cast<int>(c))).append(";");
            else
                out += c;
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

} // namespace

PagePlace PagePlaceTracker::PlaceAt(std::size_t offset)
{
    if (offset > text_.size())
        offset = text_.size();
    while (at_ < offset) {
        const char c = text_[at_];
        switch (state_) {
        case State::Text:
            if (c == '<') {
                if (StartsWithNoCase(text_, at_, "<!--")) {
                    state_ = State::Comment;
                    at_ += 4;
                    continue;
                }
                const char next = at_ + 1 < text_.size() ? text_[at_ + 1] : '\0';
                if (std::isalpha(static_cast<unsigned char>(next)) || next == '/' || next == '!' || next == '?') {
                    state_ = State::Tag;
                    quote_ = 0;
                    scriptTag_ = StartsWithNoCase(text_, at_, "<script") && EndsTagName(text_, at_ + 7);
                }
            }
            break;
        case State::Tag:
            if (quote_ != 0) {
                if (c == quote_)
                    quote_ = 0;
            } else if (c == '"' || c == '\'') {
                quote_ = c;
            } else if (c == '>') {
                state_ = scriptTag_ ? State::Script : State::Text;
            }
            break;
        case State::Comment:
            if (StartsWithNoCase(text_, at_, "-->")) {
                state_ = State::Text;
                at_ += 3;
                continue;
            }
            break;
        case State::Script:
            if (StartsWithNoCase(text_, at_, "</script") && EndsTagName(text_, at_ + 8)) {
                state_ = State::Tag;
                quote_ = 0;
                scriptTag_ = false;
            }
            break;
        }
        ++at_;
    }
    switch (state_) {
    case State::Tag:
        return quote_ != 0 ? PagePlace::QuotedAttribute : PagePlace::BareTag;
    case State::Script:
        return PagePlace::Script;
    case State::Text:
    case State::Comment:
        break;
    }
    return PagePlace::Text;
}

std::string EncodeForPlace(std::string_view value, PagePlace place)
{
    switch (place) {
    case PagePlace::Script:
        return EncodeForScriptString(value);
    case PagePlace::BareTag:
        return EncodeForHtml(value, true);
    case PagePlace::QuotedAttribute:
    case PagePlace::Text:
        break;
    }
    return EncodeForHtml(value, false);
}

} // namespace zentavo
