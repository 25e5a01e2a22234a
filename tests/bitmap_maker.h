// Bitmap files made up by tests: any size, 1 to 32 bits, bottom-up or
// top-down, with the header fields that the checks look at under the
// test's control.
#pragma once
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace pentrill::testing {

struct BitmapShape {
  int width = 4;
  int height = 3;       // negative: rows top-down
  int bits = 24;        // 1, 4, 8: palette of 1 << bits greys unless coloursUsed says fewer
  std::uint32_t infoSize = 40;
  std::uint32_t coloursUsed = 0;
  std::uint32_t compression = 0;
};

// The colour of pixel (x, y), y from the top: red, green, blue.
struct Rgb {
  unsigned char r, g, b;
  bool operator==(const Rgb&) const = default;
};

inline Rgb patternColour(int x, int y) {
  return {static_cast<unsigned char>(x * 37 + y * 11), static_cast<unsigned char>(x * 5 + y * 71),
          static_cast<unsigned char>(200 - x * 3 - y)};
}

// Palette pictures use grey levels: index i is grey 255 * i / (colours - 1).
inline int paletteIndex(int x, int y, int colours) { return (x + 2 * y) % colours; }

inline void put16(std::vector<unsigned char>& bytes, size_t at, std::uint32_t value) {
  bytes[at] = static_cast<unsigned char>(value);
  bytes[at + 1] = static_cast<unsigned char>(value >> 8);
}
inline void put32(std::vector<unsigned char>& bytes, size_t at, std::uint32_t value) {
  put16(bytes, at, value & 0xFFFF);
  put16(bytes, at + 2, value >> 16);
}

inline std::vector<unsigned char> makeBitmap(const BitmapShape& shape) {
  const int height = shape.height < 0 ? -shape.height : shape.height;
  const int colours = shape.bits <= 8 ? (shape.coloursUsed ? static_cast<int>(shape.coloursUsed) : 1 << shape.bits) : 0;
  const int width = shape.width > 0 ? shape.width : 0;  // the header may say otherwise
  const size_t rowBytes = (static_cast<size_t>(width) * static_cast<size_t>(shape.bits) + 31) / 32 * 4;
  const size_t pixelOffset = 14 + shape.infoSize + 4 * static_cast<size_t>(colours);
  std::vector<unsigned char> bytes(pixelOffset + rowBytes * static_cast<size_t>(height), 0);
  bytes[0] = 'B';
  bytes[1] = 'M';
  put32(bytes, 2, static_cast<std::uint32_t>(bytes.size()));
  put32(bytes, 10, static_cast<std::uint32_t>(pixelOffset));
  put32(bytes, 14, shape.infoSize);
  put32(bytes, 18, static_cast<std::uint32_t>(shape.width));
  put32(bytes, 22, static_cast<std::uint32_t>(shape.height));
  put16(bytes, 26, 1);
  put16(bytes, 28, static_cast<std::uint32_t>(shape.bits));
  put32(bytes, 30, shape.compression);
  put32(bytes, 46, shape.coloursUsed);
  for (int i = 0; i < colours; ++i) {
    const auto grey = static_cast<unsigned char>(colours > 1 ? 255 * i / (colours - 1) : 0);
    for (int c = 0; c < 3; ++c) bytes[14 + shape.infoSize + 4 * static_cast<size_t>(i) + static_cast<size_t>(c)] = grey;
  }
  for (int y = 0; y < height; ++y) {
    const int fileRow = shape.height < 0 ? y : height - 1 - y;
    unsigned char* row = bytes.data() + pixelOffset + rowBytes * static_cast<size_t>(fileRow);
    for (int x = 0; x < width; ++x) {
      if (shape.bits <= 8) {
        const size_t bit = static_cast<size_t>(x) * static_cast<size_t>(shape.bits);
        row[bit / 8] |= static_cast<unsigned char>(paletteIndex(x, y, colours) << (8 - shape.bits - bit % 8));
      } else if (shape.bits == 24 || shape.bits == 32) {
        // Other depths (16 bits) keep black pixels: a 3-byte pixel would not fit their rows.
        const Rgb colour = patternColour(x, y);
        unsigned char* pixel = row + static_cast<size_t>(x) * static_cast<size_t>(shape.bits / 8);
        pixel[0] = colour.b;
        pixel[1] = colour.g;
        pixel[2] = colour.r;
        if (shape.bits == 32) pixel[3] = 0xFF;
      }
    }
  }
  return bytes;
}

inline void writeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<std::streamsize>(bytes.size()));
}

}  // namespace pentrill::testing
