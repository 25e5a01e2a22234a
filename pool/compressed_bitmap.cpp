#include "pool/compressed_bitmap.h"

#include <dlfcn.h>
#include <zlib.h>

#include <bit>
#include <limits>
#include <map>
#include <memory>
#include <mutex>

namespace pentrill {

namespace {

static_assert(std::endian::native == std::endian::little, "the stream is packed into little-endian words");

// Debian's zlib1g, opened when the first figure is inflated rather than
// linked: a run that shows no figure does not load it (linked, its pages
// cost about 90 kB of resident memory from start-up on). Null without it.
decltype(&uncompress) zlibUncompress() {
  static const auto function = []() -> decltype(&uncompress) {
    void* library = dlopen("libz.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!library) return nullptr;
    return reinterpret_cast<decltype(&uncompress)>(dlsym(library, "uncompress"));
  }();
  return function;
}

// The file's bytes, or none. Not zeroed first: the first pass over the
// new memory is zlib's (each of its pages is faulted in once, by inflate).
std::unique_ptr<unsigned char[]> inflateFile(const CompressedBitmap& bitmap) {
  if (bitmap.size == 0 || bitmap.size > std::numeric_limits<uLongf>::max() ||
      bitmap.compressedSize > std::numeric_limits<uLong>::max())
    return nullptr;
  const auto uncompressInto = zlibUncompress();
  if (!uncompressInto) return nullptr;
  auto bytes = std::make_unique_for_overwrite<unsigned char[]>(bitmap.size);
  uLongf length = static_cast<uLongf>(bitmap.size);
  const int status = uncompressInto(bytes.get(), &length, reinterpret_cast<const Bytef*>(bitmap.words),
                                    static_cast<uLong>(bitmap.compressedSize));
  if (status != Z_OK || length != bitmap.size) return nullptr;
  return bytes;
}

}  // namespace

std::span<const unsigned char> inflatedBytes(const CompressedBitmap& bitmap) {
  // Figures are shown from the main thread only (the SDL thread draws a copy
  // of the bytes); the lock keeps the cache sound for any other caller.
  static std::mutex mutex;
  static std::map<const CompressedBitmap*, std::unique_ptr<unsigned char[]>> inflated;
  const std::lock_guard lock(mutex);
  auto [entry, isNew] = inflated.try_emplace(&bitmap);
  if (isNew) entry->second = inflateFile(bitmap);
  if (!entry->second) return {};
  return {entry->second.get(), bitmap.size};
}

}  // namespace pentrill
