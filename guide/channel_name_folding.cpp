#include "channel_name_folding.h"

#include <QRegularExpression>
#include <QString>

namespace zentavo {
namespace {

// A trailing quality word with what separates it from the name: " HD", "-FHD", " (720p)", "[4K]".
const QRegularExpression& TrailingQuality()
{
    static const QRegularExpression pattern(QStringLiteral(
        R"([\s\-_.|/]*[(\[]?\s*(?:hd|fhd|uhd|sd|hq|4k|8k|\d{3,4}[pi]|hevc|h\.?26[45]|hdr)\s*[)\]]?\s*$)"));
    return pattern;
}

const QRegularExpression& TrailingNote()
{
    static const QRegularExpression pattern(QStringLiteral(R"(\s*\[[^\[\]]*\]\s*$)"));
    return pattern;
}

QString WithoutMarks(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text.normalized(QString::NormalizationForm_KD)) {
        if (c.category() != QChar::Mark_NonSpacing)
            out += c;
    }
    return out;
}

} // namespace

std::string FoldChannelName(std::string_view name)
{
    QString text = WithoutMarks(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))).toCaseFolded();
    // Qt folds one character to one: the German sharp s, which folds to two, by hand.
    text.replace(QChar(0x00DF), QStringLiteral("ss"));
    for (;;) {
        QString shorter = text;
        shorter.remove(TrailingNote());
        if (shorter == text)
            shorter.remove(TrailingQuality());
        if (shorter == text)
            break;
        // A name that is nothing but a quality word keeps it.
        bool anyLeft = false;
        for (const QChar c : shorter)
            anyLeft = anyLeft || c.isLetterOrNumber();
        if (!anyLeft)
            break;
        text = shorter;
    }
    QString folded;
    folded.reserve(text.size());
    for (const QChar c : text) {
        if (c.isLetterOrNumber())
            folded += c;
    }
    return folded.toStdString();
}

std::string LowerAsciiId(std::string_view id)
{
    std::string lower(id);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

std::string_view IdWithoutFeed(std::string_view id)
{
    const size_t at = id.rfind('@');
    return at == std::string_view::npos || at == 0 ? id : id.substr(0, at);
}

} // namespace zentavo
