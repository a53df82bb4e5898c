#include "markup_scanner.h"

#include "text_util.h"

#include <algorithm>
#include <charconv>

namespace zentavo {
namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool IsNameChar(char c)
{
    return !IsSpace(c) && c != '>' && c != '/' && c != '=' && c != '<' && c != '"' && c != '\'';
}

void AppendUtf8(std::string& out, unsigned long cp)
{
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string LocalName(std::string_view name)
{
    const size_t colon = name.rfind(':');
    if (colon != std::string_view::npos)
        name.remove_prefix(colon + 1);
    return AsciiLowered(name);
}

} // namespace

std::string MarkupToken::Attribute(std::string_view attributeName) const
{
    for (const auto& [key, value] : attributes) {
        if (key == attributeName)
            return value;
    }
    return {};
}

std::string DecodeEntities(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const size_t amp = text.find('&', i);
        if (amp == std::string_view::npos) {
            out.append(text.substr(i));
            break;
        }
        out.append(text.substr(i, amp - i));
        const size_t semi = text.find(';', amp);
        const std::string_view body = semi == std::string_view::npos || semi - amp > 12
            ? std::string_view{}
            : text.substr(amp + 1, semi - amp - 1);
        bool decoded = true;
        if (body == "amp")
            out += '&';
        else if (body == "lt")
            out += '<';
        else if (body == "gt")
            out += '>';
        else if (body == "quot")
            out += '"';
        else if (body == "apos")
            out += '\'';
        else if (body.size() > 1 && body[0] == '#') {
            const bool hex = body[1] == 'x' || body[1] == 'X';
            const std::string_view digits = body.substr(hex ? 2 : 1);
            unsigned long cp = 0;
            const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
            decoded = !digits.empty() && result.ec == std::errc{} && result.ptr == digits.data() + digits.size();
            if (decoded)
                AppendUtf8(out, cp);
        } else {
            decoded = false;
        }
        if (decoded) {
            i = semi + 1;
        } else {
            out += '&';
            i = amp + 1;
        }
    }
    return out;
}

void MarkupScanner::Advance(size_t count)
{
    const size_t end = std::min(text_.size(), pos_ + count);
    line_ += static_cast<int>(std::count(text_.begin() + static_cast<std::ptrdiff_t>(pos_),
                                         text_.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
    pos_ = end;
}

bool MarkupScanner::Next(MarkupToken& token)
{
    while (pos_ < text_.size()) {
        token = MarkupToken{};
        token.line = line_;
        const std::string_view rest = text_.substr(pos_);
        if (rest.front() != '<') {
            const size_t lt = rest.find('<');
            const std::string_view raw = rest.substr(0, lt);
            Advance(raw.size());
            token.kind = MarkupToken::Kind::Text;
            token.text = DecodeEntities(raw);
            return true;
        }
        if (rest.starts_with("<!--")) {
            const size_t end = rest.find("-->", 4);
            Advance(end == std::string_view::npos ? rest.size() : end + 3);
            continue;
        }
        if (rest.starts_with("<![CDATA[")) {
            const size_t end = rest.find("]]>", 9);
            token.kind = MarkupToken::Kind::Text;
            token.text = rest.substr(9, end == std::string_view::npos ? std::string_view::npos : end - 9);
            Advance(end == std::string_view::npos ? rest.size() : end + 3);
            return true;
        }
        if (rest.starts_with("<?") || rest.starts_with("<!")) {
            const size_t end = rest.find('>');
            Advance(end == std::string_view::npos ? rest.size() : end + 1);
            continue;
        }
        if (ReadTag(token))
            return true;
        // A '<' that starts no tag ("a < b") is text.
        Advance(1);
        token.kind = MarkupToken::Kind::Text;
        token.text = "<";
        return true;
    }
    return false;
}

bool MarkupScanner::ReadTag(MarkupToken& token)
{
    const std::string_view t = text_;
    size_t p = pos_ + 1;
    bool closing = false;
    if (p < t.size() && t[p] == '/') {
        closing = true;
        ++p;
    }
    const size_t nameStart = p;
    while (p < t.size() && IsNameChar(t[p]))
        ++p;
    if (p == nameStart)
        return false;
    token.kind = closing ? MarkupToken::Kind::Close : MarkupToken::Kind::Open;
    token.name = LocalName(t.substr(nameStart, p - nameStart));
    while (p < t.size()) {
        while (p < t.size() && IsSpace(t[p]))
            ++p;
        if (p >= t.size())
            break;
        if (t[p] == '>') {
            ++p;
            break;
        }
        if (t[p] == '/') {
            token.selfClosing = true;
            ++p;
            continue;
        }
        if (t[p] == '<')
            break; // an unclosed tag: the next one starts here
        const size_t keyStart = p;
        while (p < t.size() && IsNameChar(t[p]))
            ++p;
        if (p == keyStart) {
            ++p; // a stray quote or '='
            continue;
        }
        std::string key = LocalName(t.substr(keyStart, p - keyStart));
        size_t q = p;
        while (q < t.size() && IsSpace(t[q]))
            ++q;
        std::string value;
        if (q < t.size() && t[q] == '=') {
            ++q;
            while (q < t.size() && IsSpace(t[q]))
                ++q;
            if (q < t.size() && (t[q] == '"' || t[q] == '\'')) {
                const size_t close = t.find(t[q], q + 1);
                const size_t end = close == std::string_view::npos ? t.size() : close;
                value = DecodeEntities(t.substr(q + 1, end - q - 1));
                q = close == std::string_view::npos ? t.size() : close + 1;
            } else {
                const size_t start = q;
                while (q < t.size() && !IsSpace(t[q]) && t[q] != '>')
                    ++q;
                // An unquoted value may end in '/' only when the tag closes right after: <ref href=x/>
                size_t end = q;
                if (q < t.size() && t[q] == '>' && end > start && t[end - 1] == '/') {
                    --end;
                    token.selfClosing = true;
                }
                value = DecodeEntities(t.substr(start, end - start));
            }
            p = q;
        }
        token.attributes.emplace_back(std::move(key), std::move(value));
    }
    Advance(p - pos_);
    return true;
}

} // namespace zentavo
