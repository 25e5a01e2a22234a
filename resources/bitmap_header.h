// The header of a Windows bitmap file, read from its bytes. Usable at compile
// time, so that the figures stored in the program are checked by the build.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace pentrill {

struct BitmapHeader {
  std::uint32_t fileSize = 0;     // as the file header states it
  std::uint32_t pixelOffset = 0;  // where the rows begin
  std::uint32_t infoSize = 0;     // size of the information header (40 and up)
  std::int32_t width = 0;
  std::int32_t height = 0;        // negative: rows top-down
  int planes = 0;
  int bitsPerPixel = 0;
  std::uint32_t compression = 0;  // 0: none
};

inline constexpr std::size_t kBitmapHeadersSize = 54;  // file header 14, information header 40

// The header fields, or none when the bytes are too short for them or lack
// the "BM" signature. byteAt(i) gives byte i for i below size.
template <class ByteAt>
constexpr std::optional<BitmapHeader> readBitmapHeader(ByteAt byteAt, std::size_t size) {
  if (size < kBitmapHeadersSize || byteAt(0) != 'B' || byteAt(1) != 'M') return std::nullopt;
  auto u16 = [&](std::size_t at) { return static_cast<std::uint32_t>(byteAt(at) | (byteAt(at + 1) << 8)); };
  auto u32 = [&](std::size_t at) { return u16(at) | (u16(at + 2) << 16); };
  BitmapHeader header;
  header.fileSize = u32(2);
  header.pixelOffset = u32(10);
  header.infoSize = u32(14);
  header.width = static_cast<std::int32_t>(u32(18));
  header.height = static_cast<std::int32_t>(u32(22));
  header.planes = static_cast<int>(u16(26));
  header.bitsPerPixel = static_cast<int>(u16(28));
  header.compression = u32(30);
  return header;
}

inline std::optional<BitmapHeader> readBitmapHeader(std::span<const unsigned char> bytes) {
  return readBitmapHeader([bytes](std::size_t i) -> unsigned { return bytes[i]; }, bytes.size());
}

// The form of every figure stored in the program: a 40-byte information
// header, 24 bits per pixel, no compression, bottom-up rows right after the
// headers, exactly the given size, and nothing missing or left over.
constexpr bool isFigureBitmap(const std::optional<BitmapHeader>& header, std::size_t size, int width, int height) {
  if (!header || width <= 0 || height <= 0) return false;
  const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
  return header->infoSize == 40 && header->planes == 1 && header->bitsPerPixel == 24 && header->compression == 0 &&
         header->width == width && header->height == height && header->pixelOffset == kBitmapHeadersSize &&
         header->fileSize == size && size == kBitmapHeadersSize + rowBytes * static_cast<std::size_t>(height);
}

}  // namespace pentrill
