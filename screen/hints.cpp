#include "screen/hints.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>

#include "screen/text.h"
#include "resources/bitmap_header.h"
#include "screen/charset.h"
#include "screen/input.h"
#include "screen/wrap_text.h"

namespace pentrill {

namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr char kEndOfFile = '\x1A';  // Ctrl-Z
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kPictureMarker = "~Figure ";
constexpr std::size_t kReadChunk = 64 * 1024;
// Headers, palette and gaps before the rows of any sensible bitmap fit in
// this; a file that puts its rows further away is not read.
constexpr std::size_t kLargestPixelOffset = 1024 * 1024;

// One UTF-8 sequence at the start of bytes: its code point and length, or
// none when the bytes do not begin with a valid, shortest-form sequence.
struct Decoded {
  char32_t codePoint;
  std::size_t length;
};

std::optional<Decoded> decodeUtf8(std::string_view bytes) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  std::size_t length = 0;
  char32_t codePoint = 0;
  if (lead < 0x80) return Decoded{lead, 1};
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    codePoint = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    codePoint = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    codePoint = lead & 0x07;
  } else {
    return std::nullopt;
  }
  if (bytes.size() < length) return std::nullopt;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(bytes[i]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  static constexpr std::array<char32_t, 5> kSmallest = {0, 0, 0x80, 0x800, 0x10000};
  if (codePoint < kSmallest[length] || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
    return std::nullopt;
  return Decoded{codePoint, length};
}

bool isValidUtf8(std::string_view bytes) {
  while (!bytes.empty()) {
    const std::optional<Decoded> decoded = decodeUtf8(bytes);
    if (!decoded) return false;
    bytes.remove_prefix(decoded->length);
  }
  return true;
}

std::string windows1252FromUtf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  while (!bytes.empty()) {
    const std::optional<Decoded> decoded = decodeUtf8(bytes);
    if (!decoded) {  // a broken sequence: one "?" for its first byte, then on
      text += '?';
      bytes.remove_prefix(1);
      continue;
    }
    text += windows1252Byte(decoded->codePoint).value_or('?');
    bytes.remove_prefix(decoded->length);
  }
  return text;
}

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

// A regular file opened for reading, or none. Never blocks: a pipe or device
// named like the file is not read.
class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {
    struct stat status {};
    if (fd_ >= 0 && (::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode))) {
      ::close(fd_);
      fd_ = -1;
    }
    size_ = static_cast<std::uint64_t>(status.st_size);
  }
  ~ReadOnlyFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  bool isOpen() const { return fd_ >= 0; }
  std::uint64_t size() const { return size_; }  // when opened

  // Up to `size` bytes into buffer; 0 at the end of the file or on an error.
  std::size_t read(char* buffer, std::size_t size) {
    for (;;) {
      const ssize_t got = ::read(fd_, buffer, size);
      if (got >= 0) return static_cast<std::size_t>(got);
      if (errno != EINTR) return 0;
    }
  }

  // Exactly `size` bytes into buffer; false when the file ends first.
  bool readFully(char* buffer, std::size_t size) {
    while (size > 0) {
      const std::size_t got = read(buffer, size);
      if (got == 0) return false;
      buffer += got;
      size -= got;
    }
    return true;
  }

 private:
  int fd_;
  std::uint64_t size_ = 0;
};

// Every line of hints.txt to the sink, read a piece at a time; nothing when
// there is no such file.
void readHintLines(const HintFileReader::LineSink& sink) {
  ReadOnlyFile file(kHintsFile);
  if (!file.isOpen()) return;
  HintFileReader reader;
  std::string buffer(kReadChunk, '\0');
  for (;;) {
    const std::size_t got = file.read(buffer.data(), buffer.size());
    if (got == 0) break;
    if (!reader.feed(std::string_view(buffer.data(), got), sink)) return;
  }
  reader.finish(sink);
}

struct Picture {
  std::vector<unsigned char> bitmap;  // the whole file
  PictureSize size;
};

// The bitmap file at path when it is one the program can draw.
std::optional<Picture> readDrawableBitmap(std::string_view path) {
  ReadOnlyFile file(utf8Path(path));
  if (!file.isOpen()) return std::nullopt;
  std::vector<unsigned char> bytes(kBitmapHeadersSize);
  if (!file.readFully(reinterpret_cast<char*>(bytes.data()), bytes.size())) return std::nullopt;
  const std::optional<BitmapHeader> header = readBitmapHeader(bytes);
  const std::optional<std::size_t> length = drawableBitmapLength(header, file.size());
  if (!length || header->pixelOffset > kLargestPixelOffset) return std::nullopt;
  bytes.resize(*length);
  if (!file.readFully(reinterpret_cast<char*>(bytes.data()) + kBitmapHeadersSize, *length - kBitmapHeadersSize))
    return std::nullopt;
  const std::optional<PictureSize> size = drawableBitmapSize(bytes);
  if (!size) return std::nullopt;
  return Picture{std::move(bytes), *size};
}

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

std::string hintPicturePath(std::string_view pictureName) {
  std::string path = kHintPictureFolder + std::string(pictureName);
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

bool HintIndex::add(std::string key) {
  if (lines_ >= kHintIndexLimit) return false;
  keys_.insert(std::move(key));
  ++lines_;
  return true;
}

HintIndex loadHintIndex() {
  HintIndex index;
  readHintLines([&index](std::string_view line) {
    if (std::optional<std::string> key = hintIndexKey(line)) index.add(std::move(*key));
    return index.lines() < kHintIndexLimit;
  });
  return index;
}

bool hasHint(std::string_view key, const HintIndex& index) { return index.contains(key); }

std::optional<std::string> findHint(std::string_view key) {
  std::optional<std::string> hint;
  readHintLines([&hint, key](std::string_view line) {
    hint = hintForKey(line, key);
    return !hint;
  });
  return hint;
}

void showHint(Console& console, PictureWindows& windows, std::string_view key, int& pictureHandle) {
  const std::optional<std::string> hint = findHint(key);
  if (!hint) return;
  const HintParts parts = splitHintPicture(*hint);
  if (parts.pictureName) showHintPicture(windows, hintPicturePath(*parts.pictureName), "", pictureHandle);
  const std::vector<std::string> lines = wrapText(parts.text, kHintWrapWidth);
  // A 16th line would have no row left; printing it would scroll the screen.
  const size_t count = std::min<size_t>(lines.size(), kHintLastRow - kHintFirstRow + 1);
  for (size_t i = 0; i < count; ++i) writeAt(console, kHintFirstRow + static_cast<int>(i), kHintColumn, lines[i]);
}

std::optional<HintPictureFile> hintPictureFile(std::string_view key) {
  const std::optional<std::string> hint = findHint(key);
  if (!hint) return std::nullopt;
  const HintParts parts = splitHintPicture(*hint);
  if (!parts.pictureName) return std::nullopt;
  std::optional<Picture> picture = readDrawableBitmap(hintPicturePath(*parts.pictureName));
  if (!picture) return std::nullopt;
  std::string name = *parts.pictureName;
  if (name.size() > 4 && upperCase(name.substr(name.size() - 4)) == ".BMP") name.resize(name.size() - 4);
  return HintPictureFile{"Figure " + name, std::move(picture->bitmap)};
}

void showHintPicture(PictureWindows& windows, std::string_view path, std::string_view caption, int& handle) {
  if (handle != 0) {
    windows.closePictureWindow(handle);
    handle = 0;
  }
  const std::optional<Picture> picture = readDrawableBitmap(path);
  if (!picture) return;
  const PictureSize size = picture->size;
  const int left = windows.desktopWidth() - (kHintPictureRightMargin + size.width);
  handle = windows.openPictureWindow(caption, left, kHintPictureTop, size.width, size.height);
  windows.drawPicture(handle, picture->bitmap, 0, 0, size.width - 1, size.height - 1);
}

}  // namespace pentrill
