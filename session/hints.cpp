#include "session/hints.h"

#include <algorithm>

#include "screen/charset.h"
#include "screen/input.h"
#include "screen/text.h"

namespace pentrill {

namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr char kEndOfFile = '\x1A';  // Ctrl-Z
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kPictureMarker = "~Figure ";

bool isComment(std::string_view line) { return !line.empty() && line[0] == '\''; }

// A Windows-1252 path as the file system's UTF-8.
std::string utf8Path(std::string_view path) {
  std::string result;
  for (char byte : path) {
    if (static_cast<unsigned char>(byte) < 0x80)
      result += byte;
    else
      result += utf8Encode(displayCodePoint(byte));
  }
  return result;
}

// Every line of the file's bytes to the sink.
void readHintLines(std::string_view fileBytes, const HintFileReader::LineSink& sink) {
  HintFileReader reader;
  if (reader.feed(fileBytes, sink)) reader.finish(sink);
}

bool isFolderPart(std::string_view part) { return part == ".."; }

}  // namespace

bool HintFileReader::feed(std::string_view bytes, const LineSink& sink) {
  for (char byte : bytes) {
    if (ended_) return false;
    if (afterCarriageReturn_) {
      afterCarriageReturn_ = false;
      if (byte == kLineFeed) continue;
    }
    if (byte == kEndOfFile) {
      finish(sink);
      return false;
    }
    if (byte == kCarriageReturn || byte == kLineFeed) {
      afterCarriageReturn_ = byte == kCarriageReturn;
      if (!endLine(sink)) return false;
      continue;
    }
    if (line_.size() < kHintLineLimit) line_ += byte;
  }
  return !ended_;
}

void HintFileReader::finish(const LineSink& sink) {
  if (!ended_ && !line_.empty()) endLine(sink);
  ended_ = true;
}

bool HintFileReader::endLine(const LineSink& sink) {
  std::string_view raw = line_;
  if (atFileStart_ && raw.starts_with(kByteOrderMark)) {
    utf8File_ = true;
    raw.remove_prefix(kByteOrderMark.size());
  }
  atFileStart_ = false;
  const std::string text = hintLineText(raw, utf8File_);
  line_.clear();
  if (!sink(text)) ended_ = true;
  return !ended_;
}

std::string hintLineText(std::string_view bytes, bool utf8File) {
  const bool beyondAscii =
      std::any_of(bytes.begin(), bytes.end(), [](char byte) { return static_cast<unsigned char>(byte) >= 0x80; });
  if (!beyondAscii) return std::string(bytes);
  if (utf8File || isValidUtf8(bytes)) return windows1252FromUtf8(bytes);
  return std::string(bytes);
}

std::optional<std::string> hintIndexKey(std::string_view line) {
  if (isComment(line)) return std::nullopt;
  const std::size_t bracket = line.find(']');
  if (bracket == std::string_view::npos) return std::nullopt;
  const std::size_t colonBlank = line.substr(0, bracket + 1).find(": ");
  if (colonBlank == std::string_view::npos) return std::nullopt;
  return std::string(line.substr(0, colonBlank));
}

std::optional<std::string> hintForKey(std::string_view line, std::string_view key) {
  if (isComment(line)) return std::nullopt;
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos || line.substr(0, colon) != key) return std::nullopt;
  const std::size_t colonBlank = line.find(": ");
  const std::string_view text = colonBlank == std::string_view::npos ? line : line.substr(colonBlank + 2);
  std::string hint = trimBlanks(text);
  if (hint.size() > kHintTextLimit) hint.resize(kHintTextLimit);
  return hint;
}

HintParts splitHintPicture(std::string_view hint) {
  const std::size_t marker = hint.find(kPictureMarker);
  if (marker == std::string_view::npos) return {std::string(hint), std::nullopt};
  return {std::string(hint.substr(0, marker)), trimBlanks(hint.substr(marker + kPictureMarker.size()))};
}

std::optional<std::string> hintPicturePath(std::string_view pictureName) {
  std::string name(pictureName);
  std::replace(name.begin(), name.end(), '\\', '/');
  if (name.empty() || name.front() == '/') return std::nullopt;
  for (std::size_t start = 0; start <= name.size();) {
    const std::size_t end = std::min(name.find('/', start), name.size());
    if (isFolderPart(std::string_view(name).substr(start, end - start))) return std::nullopt;
    start = end + 1;
  }
  return kHintPictureFolder + name;
}

bool HintIndex::add(std::string key) {
  if (lines_ >= kHintIndexLimit) return false;
  keys_.insert(std::move(key));
  ++lines_;
  return true;
}

HintIndex hintIndexOf(std::string_view fileBytes) {
  HintIndex index;
  readHintLines(fileBytes, [&index](std::string_view line) {
    if (std::optional<std::string> key = hintIndexKey(line)) index.add(std::move(*key));
    return index.lines() < kHintIndexLimit;
  });
  return index;
}

bool hasHint(std::string_view key, const HintIndex& index) { return index.contains(key); }

std::optional<std::string> findHint(std::string_view fileBytes, std::string_view key) {
  std::optional<std::string> hint;
  readHintLines(fileBytes, [&hint, key](std::string_view line) {
    hint = hintForKey(line, key);
    return !hint;
  });
  return hint;
}

Hints::Hints(Files& files) : files_(&files) {
  if (const std::optional<std::string> bytes = files.readFile(kHintsFile, kHintFileLimit))
    index_ = hintIndexOf(*bytes);
}

std::optional<HintParts> Hints::find(std::string_view key) const {
  const std::optional<std::string> bytes = files_->readFile(kHintsFile, kHintFileLimit);
  if (!bytes) return std::nullopt;
  const std::optional<std::string> hint = findHint(*bytes, key);
  if (!hint) return std::nullopt;
  return splitHintPicture(*hint);
}

std::optional<HintPicture> Hints::pictureOf(const HintParts& hint) const {
  if (!hint.pictureName) return std::nullopt;
  const std::optional<std::string> path = hintPicturePath(*hint.pictureName);
  if (!path) return std::nullopt;
  const std::optional<std::string> bytes = files_->readFile(utf8Path(*path), kHintPictureFileLimit);
  if (!bytes) return std::nullopt;
  std::vector<unsigned char> bitmap(bytes->begin(), bytes->end());
  const std::optional<PictureSize> size = drawableBitmapSize(bitmap);
  if (!size) return std::nullopt;
  std::string name = *hint.pictureName;
  if (name.size() > 4 && upperCase(name.substr(name.size() - 4)) == ".BMP") name.resize(name.size() - 4);
  return HintPicture{"Figure " + name, std::move(bitmap), *size};
}

std::optional<HintPicture> Hints::picture(std::string_view key) const {
  const std::optional<HintParts> hint = find(key);
  if (!hint) return std::nullopt;
  return pictureOf(*hint);
}

}  // namespace pentrill
