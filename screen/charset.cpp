#include "screen/charset.h"

#include <array>

#include "platform/console.h"

namespace pentrill {
namespace {

constexpr char32_t kUndefined = U'?';

// Bytes 0x80 to 0x9F, where Windows-1252 differs from Latin-1.
constexpr std::array<char32_t, 32> kHighControlRange = {
    U'\u20AC', kUndefined, U'\u201A', U'\u0192', U'\u201E', U'\u2026', U'\u2020', U'\u2021',
    U'\u02C6', U'\u2030', U'\u0160', U'\u2039', U'\u0152', kUndefined, U'\u017D', kUndefined,
    kUndefined, U'\u2018', U'\u2019', U'\u201C', U'\u201D', U'\u2022', U'\u2013', U'\u2014',
    U'\u02DC', U'\u2122', U'\u0161', U'\u203A', U'\u0153', kUndefined, U'\u017E', U'\u0178'};

// ASCII look-alikes of U+00A0 to U+00FF.
constexpr std::string_view kLatin1LookAlikes =
    " !cL$Y|S\"ca\"--R-o+23'uP.,1o\"????"  // A0-BF
    "AAAAAAACEEEEIIII"                      // C0-CF
    "DNOOOOOxOUUUUY?s"                      // D0-DF
    "aaaaaaaceeeeiiii"                      // E0-EF
    "dnooooo/ouuuuy?y";                     // F0-FF

static_assert(kLatin1LookAlikes.size() == 0x60);

}  // namespace

char32_t displayCodePoint(char byte) {
  auto value = static_cast<unsigned char>(byte);
  if (byte == kRuleByte) return U'\u2500';
  if (byte == kFullBlockByte) return U'\u2588';
  if (byte == kLightShadeByte) return U'\u2591';
  if (byte == kLowerHalfBlockByte) return U'\u2584';
  if (value == 0x1E) return U'-';
  if (value < 0x20 || value == 0x7F) return kUndefined;
  if (value >= 0x80 && value <= 0x9F) return kHighControlRange[value - 0x80];
  return value;
}

std::string utf8Encode(char32_t codePoint) {
  std::string bytes;
  auto add = [&bytes](char32_t value) { bytes += static_cast<char>(value); };
  if (codePoint < 0x80) {
    add(codePoint);
  } else if (codePoint < 0x800) {
    add(0xC0 | (codePoint >> 6));
    add(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    add(0xE0 | (codePoint >> 12));
    add(0x80 | ((codePoint >> 6) & 0x3F));
    add(0x80 | (codePoint & 0x3F));
  } else {
    add(0xF0 | (codePoint >> 18));
    add(0x80 | ((codePoint >> 12) & 0x3F));
    add(0x80 | ((codePoint >> 6) & 0x3F));
    add(0x80 | (codePoint & 0x3F));
  }
  return bytes;
}

std::string displayUtf8(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (char byte : text) result += utf8Encode(displayCodePoint(byte));
  return result;
}

std::string terminalText(std::string_view text, bool utf8) {
  if (utf8) return displayUtf8(text);
  std::string ascii;
  for (char byte : text) ascii += asciiLookAlike(displayCodePoint(byte));
  return ascii;
}

char asciiLookAlike(char32_t codePoint) {
  if (codePoint >= 0x20 && codePoint < 0x7F) return static_cast<char>(codePoint);
  if (codePoint >= 0xA0 && codePoint <= 0xFF) return kLatin1LookAlikes[codePoint - 0xA0];
  switch (codePoint) {
    case U'\u2018': case U'\u2019': case U'\u201A': return '\'';
    case U'\u201C': case U'\u201D': case U'\u201E': return '"';
    case U'\u2039': return '<';
    case U'\u203A': return '>';
    case U'\u2013': case U'\u2014': case U'\u2500': return '-';
    case U'\u2026': return '.';
    case U'\u2588': return '#';
    case U'\u2591': return ':';
    case U'\u2584': return '_';
    case U'\u2022': return '*';
    case U'\u2020': case U'\u2021': return '+';
    case U'\u2030': return '%';
    case U'\u02C6': return '^';
    case U'\u02DC': return '~';
    case U'\u20AC': return 'E';
    case U'\u0192': return 'f';
    case U'\u0160': return 'S';
    case U'\u0161': return 's';
    case U'\u0152': return 'O';
    case U'\u0153': return 'o';
    case U'\u017D': return 'Z';
    case U'\u017E': return 'z';
    case U'\u0178': return 'Y';
    case U'\u2122': return 'T';
    default: return '?';
  }
}

std::optional<char> windows1252Byte(char32_t codePoint) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) return static_cast<char>(codePoint);
  for (size_t i = 0; i < kHighControlRange.size(); ++i) {
    if (kHighControlRange[i] == codePoint && codePoint != kUndefined) return static_cast<char>(0x80 + i);
  }
  return std::nullopt;
}

namespace {

// One UTF-8 sequence at the start of bytes: its code point and length, or
// none when the bytes do not begin with a valid, shortest-form sequence.
struct Decoded {
  char32_t codePoint;
  std::size_t length;
};

std::optional<Decoded> decodeUtf8(std::string_view bytes) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  std::size_t length = 0;
  char32_t codePoint = 0;
  if (lead < 0x80) return Decoded{lead, 1};
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    codePoint = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    codePoint = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    codePoint = lead & 0x07;
  } else {
    return std::nullopt;
  }
  if (bytes.size() < length) return std::nullopt;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(bytes[i]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  static constexpr std::array<char32_t, 5> kSmallest = {0, 0, 0x80, 0x800, 0x10000};
  if (codePoint < kSmallest[length] || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
    return std::nullopt;
  return Decoded{codePoint, length};
}

}  // namespace

bool isValidUtf8(std::string_view bytes) {
  while (!bytes.empty()) {
    const std::optional<Decoded> decoded = decodeUtf8(bytes);
    if (!decoded) return false;
    bytes.remove_prefix(decoded->length);
  }
  return true;
}

std::string windows1252FromUtf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  while (!bytes.empty()) {
    const std::optional<Decoded> decoded = decodeUtf8(bytes);
    if (!decoded) {  // a broken sequence: one "?" for its first byte, then on
      text += '?';
      bytes.remove_prefix(1);
      continue;
    }
    text += windows1252Byte(decoded->codePoint).value_or('?');
    bytes.remove_prefix(decoded->length);
  }
  return text;
}

}  // namespace pentrill
