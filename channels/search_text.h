#pragma once
// Text as the channel list's filter compares it: case and accents folded away, so that "cafe"
// finds "Café" and "ZDF" finds "zdf".

#include <QString>
#include <string>
#include <vector>

namespace zentavo {

// The folded form of UTF-8 text, as UTF-8: letters case-folded, accents and other combining marks
// removed after compatibility decomposition ("Ŀ" -> "l", "ﬁ" -> "fi"). Plain ASCII takes a fast path.
std::string FoldForSearch(std::string_view utf8);

// The words of what the user typed, folded; blanks separate words.
std::vector<std::string> SearchWords(const QString& typed);

// Whether the folded text holds every word.
bool HoldsEveryWord(std::string_view foldedText, const std::vector<std::string>& words);

// Whether the text is ASCII alone; its fold is then its ASCII letters in lower case.
bool IsAsciiText(std::string_view text);
// HoldsEveryWord(FoldForSearch(asciiText), words) for an ASCII text, without making the fold.
bool AsciiTextHoldsEveryWord(std::string_view asciiText, const std::vector<std::string>& words);

} // namespace zentavo
