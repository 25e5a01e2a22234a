// libFuzzer target: any bytes as a hints file, read whole and cut into reads
// anywhere, then every line through the index rule, the hint lookup and the
// picture marker. Besides the sanitizers' checks: cut reads give the same
// lines, no line outgrows the line limit, a hint is never longer than what
// the screen shows, and picture paths stay below the Figures folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "session/hints.h"

namespace {

using namespace pentrill;

void check(bool condition) {
  if (!condition) std::abort();
}

std::vector<std::string> linesOf(std::string_view bytes, std::uint8_t cuts) {
  std::vector<std::string> lines;
  const HintFileReader::LineSink sink = [&lines](std::string_view line) {
    lines.emplace_back(line);
    return true;
  };
  HintFileReader reader;
  size_t at = 0;
  bool more = true;
  while (more && at < bytes.size()) {
    const size_t length = cuts == 0 ? bytes.size() : 1 + (cuts % 5) * (1 + at % 3);
    cuts = cuts == 0 ? 0 : static_cast<std::uint8_t>(cuts * 31 + 7);
    more = reader.feed(bytes.substr(at, length), sink);
    at += length;
  }
  if (more) reader.finish(sink);
  return lines;
}

bool hasEdgeBlank(std::string_view text) { return !text.empty() && (text.front() == ' ' || text.back() == ' '); }

void checkLine(std::string_view line) {
  check(line.size() <= kHintLineLimit);
  if (std::optional<std::string> key = hintIndexKey(line)) check(line.starts_with(*key));
  std::optional<std::string> hint = hintForKey(line, line.substr(0, 5));
  if (!hint) return;
  check(hint->size() <= kHintTextLimit && !hasEdgeBlank(*hint));
  const HintParts parts = splitHintPicture(*hint);
  check(hint->starts_with(parts.text));
  if (!parts.pictureName) return;
  check(!hasEdgeBlank(*parts.pictureName));
  const std::optional<std::string> path = hintPicturePath(*parts.pictureName);
  if (!path) return;
  check(path->starts_with(kHintPictureFolder) && path->find('\\') == std::string::npos &&
        path->find("/../") == std::string::npos && !path->ends_with("/.."));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::vector<std::string> lines = linesOf(bytes, 0);
  check(lines == linesOf(bytes, data[0] | 1));
  for (const std::string& line : lines) checkLine(line);
  return 0;
}
