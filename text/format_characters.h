#pragma once
// Invisible format characters that text from outside must not carry onto the screen. A direction
// override (U+202E) in a channel's name or a stream's title reverses everything after it on the
// same line, what the player writes there included; embeddings, isolates and marks move text
// likewise, and zero-width spaces and the like hide what a name really holds.

#include <QChar>

#include <string>

namespace zentavo {

// True for a character of the Unicode category Cf (format) other than the zero-width joiner and
// non-joiner, which only join or part letters and emoji: the direction embeddings, overrides and
// isolates (U+202A..U+202E, U+2066..U+2069), the direction marks, zero-width spaces, soft hyphens,
// byte order marks, tag characters.
bool IsHiddenFormatCharacter(char32_t c);

// Removes those characters from UTF-8 text in place. Bytes that are not well-formed UTF-8 stay as
// they are; text without them (most of it, and all ASCII) is left untouched after one pass.
void RemoveHiddenFormatCharacters(std::string& utf8);

} // namespace zentavo
