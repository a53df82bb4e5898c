#include "text_decoding.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <array>
#include <cstdint>
#include <cstring>

namespace zentavo {
namespace {

// windows-1252 code points of the bytes 0x80..0x9F; the five unassigned bytes keep their value.
constexpr std::array<char16_t, 32> kWindows1252High = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                       0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string Windows1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80)
            out += c;
        else if (b < 0xA0)
            AppendUtf8(out, kWindows1252High[b - 0x80]);
        else
            AppendUtf8(out, b);
    }
    return out;
}

std::string Utf16ToUtf8(std::string_view bytes, QStringConverter::Encoding encoding)
{
    QStringDecoder decoder(encoding, QStringConverter::Flag::Default);
    const QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), static_cast<size_t>(utf8.size()));
}

} // namespace

bool IsValidUtf8(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        // Eight ASCII bytes at a time: most playlists are almost all ASCII.
        if (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if ((word & 0x8080808080808080ULL) == 0) {
                p += 8;
                continue;
            }
        }
        if (*p < 0x80) {
            ++p;
            continue;
        }
        int more = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if ((*p & 0xE0) == 0xC0) {
            more = 1, cp = *p & 0x1F, min = 0x80;
        } else if ((*p & 0xF0) == 0xE0) {
            more = 2, cp = *p & 0x0F, min = 0x800;
        } else if ((*p & 0xF8) == 0xF0) {
            more = 3, cp = *p & 0x07, min = 0x10000;
        } else {
            return false;
        }
        if (end - p <= more)
            return false;
        for (int i = 1; i <= more; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        p += more + 1;
    }
    return true;
}

std::string DecodePlaylistText(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    else if (bytes.starts_with("\xFF\xFE"))
        return Utf16ToUtf8(bytes.substr(2), QStringConverter::Utf16LE);
    else if (bytes.starts_with("\xFE\xFF"))
        return Utf16ToUtf8(bytes.substr(2), QStringConverter::Utf16BE);
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    return Windows1252ToUtf8(bytes);
}

} // namespace zentavo
