// What embed_file and embed_figure share: reading the input, checking the
// symbol, and writing bytes as C++ array elements. The bytes are packed into
// 64-bit words (little-endian) because compilers parse a few large numbers
// far faster than many small ones: a 1.3 MB file compiles in well under a
// second this way.
#pragma once
#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace embed_words {

inline bool readFile(const char* path, std::vector<unsigned char>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

inline bool writeFile(const char* path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out.flush());
}

inline bool isIdentifier(const std::string& name) {
  if (name.empty() || (name[0] >= '0' && name[0] <= '9')) return false;
  for (char c : name)
    if (!(c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
      return false;
  return true;
}

inline std::uint64_t littleEndianWord(const std::vector<unsigned char>& bytes, std::size_t first) {
  std::uint64_t word = 0;
  for (std::size_t i = 0; i < 8 && first + i < bytes.size(); ++i)
    word |= static_cast<std::uint64_t>(bytes[first + i]) << (8 * i);
  return word;
}

inline void appendHex(std::string& out, std::uint64_t word) {
  std::array<char, 16> digits{};
  auto result = std::to_chars(digits.data(), digits.data() + digits.size(), word, 16);
  out += "0x";
  out.append(digits.data(), result.ptr);
}

// The initializer of a std::uint64_t array holding the bytes, sixteen words
// a line; one zero word for no bytes (an array may not be empty).
inline std::string wordLines(const std::vector<unsigned char>& bytes) {
  constexpr std::size_t kWordsPerLine = 16;
  std::string out;
  std::size_t words = (bytes.size() + 7) / 8;
  if (words == 0) words = 1;
  out.reserve(words * 20);
  for (std::size_t w = 0; w < words; ++w) {
    appendHex(out, littleEndianWord(bytes, w * 8));
    out += (w + 1) % kWordsPerLine == 0 ? ",\n" : ",";
  }
  return out;
}

}  // namespace embed_words
