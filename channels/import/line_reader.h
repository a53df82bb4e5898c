#pragma once
// Walks a text line by line with 1-based line numbers; accepts LF, CRLF and lone CR line ends
// and a last line without a line end.

#include <string_view>

namespace zentavo {

class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}

    // The next line without its line end; false at the end of the text.
    bool Next(std::string_view& line)
    {
        if (pos_ >= text_.size())
            return false;
        size_t end = pos_;
        while (end < text_.size() && text_[end] != '\n' && text_[end] != '\r')
            ++end;
        line = text_.substr(pos_, end - pos_);
        if (end < text_.size() && text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n')
            pos_ = end + 2;
        else
            pos_ = end + 1;
        ++number_;
        return true;
    }

    // Number of the line that Next returned last.
    int LineNumber() const { return number_; }

private:
    std::string_view text_;
    size_t pos_ = 0;
    int number_ = 0;
};

// Removes blanks, tabs and other bytes below 0x20 from both ends.
inline std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 0x20)
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20)
        text.remove_suffix(1);
    return text;
}

} // namespace zentavo
