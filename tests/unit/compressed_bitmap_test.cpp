// The figures stored compressed: every one inflates to exactly the bitmap in
// resources/figures/<pool>/ (by its SHA-256 in that folder's SHA256SUMS),
// once per run, and a stream that does not inflate to its stated size gives
// no bytes.
#include "pool/compressed_bitmap.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <list>
#include <map>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "pool/edition.h"

namespace pentrill {
namespace {

std::string sha256Hex(std::span<const unsigned char> bytes) {
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1) return {};
  std::string hex;
  for (unsigned i = 0; i < length; ++i) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", digest[i]);
    hex += pair;
  }
  return hex;
}

// File name to checksum, from a sha256sum listing ("<hex>  <name>").
std::map<std::string, std::string> checksums(const std::string& path) {
  std::map<std::string, std::string> sums;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string hex, name;
    if (fields >> hex >> name) sums[name] = hex;
  }
  return sums;
}

TEST(CompressedFigures, EveryFigureOfEveryPoolInflatesToItsBitmapInResources) {
  for (const PoolEdition* edition : poolEditions()) {
    SCOPED_TRACE(edition->name);
    std::map<std::string, std::string> sums =
        checksums(std::string(PENTRILL_SOURCE_DIR) + "/resources/figures/" + std::string(edition->name) + "/SHA256SUMS");
    ASSERT_EQ(sums.size(), edition->figureTable.size()) << "SHA256SUMS should list every figure once";
    for (const Figure& figure : edition->figureTable) {
      SCOPED_TRACE(figure.reference);
      ASSERT_NE(figure.bitmap, nullptr);
      const std::string file = std::string(figure.reference.substr(figure.reference.find(':') + 1)) + ".bmp";
      ASSERT_EQ(sums.count(file), 1u) << file << " is not in SHA256SUMS";
      const std::span<const unsigned char> bytes = inflatedBytes(*figure.bitmap);
      EXPECT_EQ(bytes.size(), figure.bitmap->size);
      EXPECT_EQ(sha256Hex(bytes), sums[file]);
      EXPECT_LT(figure.bitmap->compressedSize, figure.bitmap->size / 10) << "not compressed as a line drawing is";
    }
  }
}

TEST(CompressedFigures, AreInflatedOnceAndKeptForTheRun) {
  const CompressedBitmap& bitmap = *pool2024To2028().figureTable[3].bitmap;
  const std::span<const unsigned char> first = inflatedBytes(bitmap);
  const std::span<const unsigned char> again = inflatedBytes(bitmap);
  EXPECT_EQ(again.data(), first.data());
  EXPECT_EQ(again.size(), first.size());
  EXPECT_NE(inflatedBytes(*pool2020To2024().figureTable[3].bitmap).data(), first.data());
}

// A bitmap of these bytes compressed as the build compresses them, stating
// the given size and stream length (0: the whole stream). Kept for the run,
// as the stored bitmaps are.
const CompressedBitmap& keptBitmap(const std::vector<unsigned char>& bytes, std::size_t statedSize,
                                   std::size_t streamLength = 0) {
  static std::list<std::vector<std::uint64_t>> words;
  static std::list<CompressedBitmap> bitmaps;
  uLongf length = compressBound(static_cast<uLong>(bytes.size()));
  std::vector<unsigned char> stream(length);
  EXPECT_EQ(compress2(stream.data(), &length, bytes.data(), static_cast<uLong>(bytes.size()), 9), Z_OK);
  std::vector<std::uint64_t>& packed = words.emplace_back((length + 7) / 8);
  std::memcpy(packed.data(), stream.data(), length);
  return bitmaps.emplace_back(
      CompressedBitmap{packed.data(), streamLength != 0 ? streamLength : length, statedSize, std::nullopt});
}

TEST(CompressedFigures, AStreamThatDoesNotInflateToItsStatedSizeGivesNoBytes) {
  const std::vector<unsigned char> file(5000, 0xFF);
  const std::span<const unsigned char> intact = inflatedBytes(keptBitmap(file, file.size()));
  EXPECT_TRUE(std::equal(intact.begin(), intact.end(), file.begin(), file.end()));
  EXPECT_TRUE(inflatedBytes(keptBitmap(file, file.size() - 1)).empty()) << "more bytes than stated";
  EXPECT_TRUE(inflatedBytes(keptBitmap(file, file.size() + 1)).empty()) << "fewer bytes than stated";
  EXPECT_TRUE(inflatedBytes(keptBitmap(file, file.size(), 10)).empty()) << "a cut stream";
}

}  // namespace
}  // namespace pentrill
