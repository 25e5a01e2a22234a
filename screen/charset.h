// The program's texts are Windows-1252 bytes; the terminal wants Unicode.
// These conversions happen only at the terminal boundary.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace pentrill {

// The character a byte shows as on the screen. Every result is printable:
// control bytes become '?', except the rule byte (U+2500), the block bytes
// (U+2588, U+2591, U+2584) and 0x1E ('-').
char32_t displayCodePoint(char byte);

// The UTF-8 bytes of one code point.
std::string utf8Encode(char32_t codePoint);

// A Windows-1252 text as UTF-8 for display, byte by byte.
std::string displayUtf8(std::string_view text);

// A text as the terminal shows it: UTF-8, or where the terminal's character
// set is not UTF-8, each character's ASCII look-alike.
std::string terminalText(std::string_view text, bool utf8);

// One printable ASCII character that looks like the code point, for
// terminals that cannot show anything else.
char asciiLookAlike(char32_t codePoint);

// The Windows-1252 byte of a typed character; none for a character that the
// encoding lacks.
std::optional<char> windows1252Byte(char32_t codePoint);

// Whether the bytes are UTF-8: valid, shortest-form sequences only.
bool isValidUtf8(std::string_view bytes);

// UTF-8 text as Windows-1252: '?' for a character the encoding lacks and
// for the first byte of a broken sequence.
std::string windows1252FromUtf8(std::string_view bytes);

}  // namespace pentrill
