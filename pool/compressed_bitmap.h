// A bitmap file stored in the program compressed with zlib (by
// tools/embed_figure.cpp at build time), beside the header that the build
// read from the file before compressing it: the header is checked against
// the figure table while the program compiles, the bytes are inflated only
// when a figure is shown.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "resources/bitmap_header.h"

namespace pentrill {

struct CompressedBitmap {
  const std::uint64_t* words = nullptr;  // the zlib stream, packed into little-endian words
  std::size_t compressedSize = 0;        // bytes of the stream
  std::size_t size = 0;                  // bytes of the file
  std::optional<BitmapHeader> header;    // read from the file; none when it is not a bitmap
};

// The bytes of the file, inflated on the first call for this bitmap and kept
// until the program ends: later calls return the same bytes at once. Empty
// when the stream does not inflate to exactly size bytes, or when zlib
// (opened at run time) is missing. The bitmap must last as long as the
// program, as the embedded ones do.
std::span<const unsigned char> inflatedBytes(const CompressedBitmap& bitmap);

}  // namespace pentrill
