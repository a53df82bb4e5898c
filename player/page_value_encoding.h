#pragma once
// Where a placeholder of a page template stands (text, inside a tag, inside a script), worked out
// from the template text in front of it, and the encodings that keep a value inside that place.

#include <string>
#include <string_view>

namespace zentavo {

enum class PagePlace {
    Text, // between elements, or in a comment: HTML character references
    QuotedAttribute, // inside a tag, within quotes: HTML character references
    BareTag, // inside a tag, outside quotes: references for blanks, '=' and '`' as well
    Script, // inside a script element, in a string literal: JavaScript escapes
};

// Reads an HTML template from its start as a browser's tokenizer would, just far enough to tell
// the place of a position. Only the template is read, never a value put into it.
class PagePlaceTracker {
public:
    // The template must outlive the tracker.
    explicit PagePlaceTracker(std::string_view templateText) : text_(templateText) {}

    // The place of the byte at offset; offsets must not decrease from one call to the next.
    PagePlace PlaceAt(std::size_t offset);

private:
    enum class State { Text, Tag, Comment, Script };

    std::string_view text_;
    std::size_t at_ = 0;
    State state_ = State::Text;
    char quote_ = 0; // the open quote inside a tag, 0 outside quotes
    bool scriptTag_ = false; // the tag being read opens a script element
};

// The value as it may stand at that place without ending it: nothing in it can close the string,
// the attribute, the tag or the element, and the browser reads back exactly the value.
std::string EncodeForPlace(std::string_view value, PagePlace place);

} // namespace zentavo
