#include "stream_title.h"

#include "text/format_characters.h"

#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <cctype>

namespace zentavo {
namespace {

bool IsFieldStart(std::string_view rest)
{
    // A field name (letters, digits, '_', '-') then "='".
    size_t length = 0;
    while (length < rest.size()
           && (std::isalnum(static_cast<unsigned char>(rest[length])) || rest[length] == '_' || rest[length] == '-'))
        ++length;
    return length > 0 && rest.substr(length, 2) == "='";
}

bool IsBlockEnd(std::string_view rest)
{
    return rest.find_first_not_of(std::string_view(" \t\r\n\0", 5)) == std::string_view::npos;
}

} // namespace

QString CleanTitle(std::string_view raw)
{
    const QByteArray bytes(raw.data(), static_cast<qsizetype>(raw.size()));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    QString clean;
    clean.reserve(std::min(text.size(), kMaxTitleChars));
    for (const QChar c : text) {
        // Invisible format characters (direction overrides and the like) go; line breaks, tabs and
        // other control characters part words.
        if (IsHiddenFormatCharacter(c.unicode()))
            continue;
        const bool space = c.category() == QChar::Other_Control || c.isSpace();
        if (space && (clean.isEmpty() || clean.back() == QLatin1Char(' ')))
            continue;
        clean.append(space ? QChar(QLatin1Char(' ')) : c);
    }
    clean = clean.trimmed();
    if (clean.size() > kMaxTitleChars) {
        qsizetype cut = kMaxTitleChars;
        if (clean.at(cut - 1).isHighSurrogate())
            --cut;
        clean.truncate(cut);
        clean = clean.trimmed();
    }
    return clean;
}

QString IcyStreamTitle(std::string_view block)
{
    // The block is padded with zero bytes to a multiple of 16.
    block = block.substr(0, block.find('\0'));
    static constexpr std::string_view kField = "StreamTitle='";
    size_t start = std::string_view::npos;
    for (size_t at = block.find(kField); at != std::string_view::npos; at = block.find(kField, at + 1)) {
        if (at == 0 || block[at - 1] == ';' || block[at - 1] == ' ') {
            start = at + kField.size();
            break;
        }
    }
    if (start == std::string_view::npos)
        return {};
    size_t end = std::string_view::npos;
    for (size_t at = block.find("';", start); at != std::string_view::npos; at = block.find("';", at + 1)) {
        const std::string_view rest = block.substr(at + 2);
        if (IsBlockEnd(rest) || IsFieldStart(rest)) {
            end = at;
            break;
        }
    }
    if (end == std::string_view::npos) {
        // No closing "';": a block cut short or ending with a lone quote.
        end = block.size();
        const size_t quote = block.rfind('\'');
        if (quote != std::string_view::npos && quote >= start && IsBlockEnd(block.substr(quote + 1)))
            end = quote;
    }
    return CleanTitle(block.substr(start, end - start));
}

QString ContainerTitle(std::string_view raw)
{
    const QString title = CleanTitle(raw);
    static const QStringList placeholders = {QStringLiteral("Unnamed"), QStringLiteral("N/A"),
                                             QStringLiteral("No Name"), QStringLiteral("Media Presentation"),
                                             QStringLiteral("Untitled")};
    if (placeholders.contains(title, Qt::CaseInsensitive)
        || title.startsWith(QLatin1String("Session streamed by"), Qt::CaseInsensitive))
        return {};
    return title;
}

} // namespace zentavo
