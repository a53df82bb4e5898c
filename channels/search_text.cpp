#include "search_text.h"

#include <QChar>
#include <QStringList>
#include <algorithm>

namespace zentavo {

namespace {

char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool IsAsciiText(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool AsciiTextHoldsEveryWord(std::string_view asciiText, const std::vector<std::string>& words)
{
    // A search over a million captions runs this a million times a key: the first letter of the
    // word is looked for before the rest is compared.
    const std::size_t size = asciiText.size();
    const char* text = asciiText.data();
    for (const std::string& word : words) {
        const std::size_t length = word.size();
        if (length == 0)
            continue;
        if (length > size)
            return false;
        const char first = word[0];
        bool found = false;
        for (std::size_t at = 0; at + length <= size && !found; ++at) {
            if (AsciiLower(text[at]) != first)
                continue;
            std::size_t same = 1;
            while (same < length && AsciiLower(text[at + same]) == word[same])
                ++same;
            found = same == length;
        }
        if (!found)
            return false;
    }
    return true;
}

std::string FoldForSearch(std::string_view utf8)
{
    if (IsAsciiText(utf8)) {
        std::string folded(utf8);
        for (char& c : folded) {
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        }
        return folded;
    }
    const QString decomposed =
        QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).normalized(QString::NormalizationForm_KD);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        const QChar::Category category = c.category();
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
            || category == QChar::Mark_Enclosing)
            continue;
        folded.append(c);
    }
    return folded.toCaseFolded().toStdString();
}

std::vector<std::string> SearchWords(const QString& typed)
{
    std::vector<std::string> words;
    const QStringList parts = typed.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& part : parts)
        words.push_back(FoldForSearch(part.toStdString()));
    return words;
}

bool HoldsEveryWord(std::string_view foldedText, const std::vector<std::string>& words)
{
    return std::all_of(words.begin(), words.end(), [foldedText](const std::string& word) {
        return foldedText.find(word) != std::string_view::npos;
    });
}

} // namespace zentavo
