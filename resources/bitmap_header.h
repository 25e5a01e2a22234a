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
  std::uint32_t coloursUsed = 0;  // palette entries; 0: as many as the bits address
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
  header.coloursUsed = u32(46);
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

namespace pentrill {

// Pictures named in hints are shown only when they are bitmaps that the
// program can certainly draw, and never larger than this on either side.
inline constexpr int kLargestPictureSide = 4096;

struct PictureSize {
  int width = 0;
  int height = 0;
};

// The bytes a bitmap file must hold for its header's picture: headers,
// palette and every row. None when the header is not one of a bitmap the
// program draws: "BM", an information header of 40 bytes or more, width and
// height from 1 to 4096 (a negative height: rows from the top down), 1, 4,
// 8, 24 or 32 bits per pixel without compression, a palette of no more
// colours than the bits can address.
inline std::optional<std::size_t> drawableBitmapLength(const std::optional<BitmapHeader>& header) {
  if (!header || header->infoSize < 40 || header->compression != 0) return std::nullopt;
  const int bits = header->bitsPerPixel;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return std::nullopt;
  const std::int64_t width = header->width;
  const std::int64_t height = header->height < 0 ? -static_cast<std::int64_t>(header->height) : header->height;
  if (width < 1 || width > kLargestPictureSide || height < 1 || height > kLargestPictureSide) return std::nullopt;
  std::uint64_t paletteBytes = 0;
  if (bits <= 8) {
    const std::uint64_t addressable = std::uint64_t{1} << bits;
    if (header->coloursUsed > addressable) return std::nullopt;
    paletteBytes = 4 * (header->coloursUsed != 0 ? header->coloursUsed : addressable);
  }
  if (std::uint64_t{14} + header->infoSize + paletteBytes > header->pixelOffset) return std::nullopt;
  const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(bits) + 31) / 32 * 4;
  return static_cast<std::size_t>(header->pixelOffset + rowBytes * static_cast<std::uint64_t>(height));
}

// The bytes to read for the header's picture from a file of `fileSize`
// bytes: none when it is not drawable or the file is shorter than the header
// claims, so that nothing is ever allocated for rows the file does not hold
// (a 54-byte file may claim 4096 x 4096 pixels).
inline std::optional<std::size_t> drawableBitmapLength(const std::optional<BitmapHeader>& header,
                                                       std::uint64_t fileSize) {
  const std::optional<std::size_t> length = drawableBitmapLength(header);
  if (!length || *length > fileSize) return std::nullopt;
  return length;
}

// The size of the picture in a whole bitmap file, when it is one the program
// draws (see drawableBitmapLength): the file must hold every row, and every
// pixel of a palette picture must name one of its colours (SDL refuses a
// picture with one that does not).
inline std::optional<PictureSize> drawableBitmapSize(std::span<const unsigned char> file) {
  const std::optional<BitmapHeader> header = readBitmapHeader(file);
  const std::optional<std::size_t> length = drawableBitmapLength(header);
  if (!length || *length > file.size()) return std::nullopt;
  const PictureSize size{header->width, header->height < 0 ? -header->height : header->height};
  const int bits = header->bitsPerPixel;
  if (bits <= 8) {
    const unsigned colours = header->coloursUsed != 0 ? header->coloursUsed : 1u << bits;
    const std::size_t rowBytes = (static_cast<std::size_t>(size.width) * static_cast<std::size_t>(bits) + 31) / 32 * 4;
    for (int y = 0; y < size.height; ++y) {
      const unsigned char* row = file.data() + header->pixelOffset + rowBytes * static_cast<std::size_t>(y);
      for (int x = 0; x < size.width; ++x) {
        const std::size_t bit = static_cast<std::size_t>(x) * static_cast<std::size_t>(bits);
        const unsigned index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
        if (index >= colours) return std::nullopt;
      }
    }
  }
  return size;
}

}  // namespace pentrill
