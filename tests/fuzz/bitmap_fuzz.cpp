// libFuzzer target: any bytes as a picture named in a hint. Besides the
// sanitizers' checks: a bitmap accepted for drawing has a size the windows
// can take, and the file holds every byte its header promises.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "resources/bitmap_header.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pentrill;
  const std::span<const unsigned char> file(data, size);
  const std::optional<BitmapHeader> header = readBitmapHeader(file);
  check(header.has_value() == (size >= kBitmapHeadersSize && data[0] == 'B' && data[1] == 'M'));
  const std::optional<PictureSize> picture = drawableBitmapSize(file);
  if (!picture) return 0;
  check(picture->width >= 1 && picture->width <= kLargestPictureSide);
  check(picture->height >= 1 && picture->height <= kLargestPictureSide);
  const std::optional<std::size_t> length = drawableBitmapLength(header);
  check(length && *length <= size && *length > header->pixelOffset);
  return 0;
}
