// Hints keyed by question identifier, from the user's "hints.txt" in the
// working directory, and the pictures that hints name. Read through the
// files seam; what a hint looks like on a screen is each face's concern.
//
// The file: one hint a line, "E5C10: the hint text"; only a line with a "]"
// after the ": " counts for the "Hint" label; "'" at the start makes a line a
// comment; "~Figure name.bmp" in a hint names Figures/name.bmp. Lines may end
// in CR LF, CR or LF; a Ctrl-Z ends the file; the file may be Windows-1252 or
// UTF-8 (with or without a byte-order mark).
#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "resources/bitmap_header.h"

namespace pentrill {

inline constexpr const char* kHintsFile = "hints.txt";
inline constexpr const char* kHintPictureFolder = "Figures/";
inline constexpr int kHintIndexLimit = 640;    // keys recorded at most
inline constexpr std::size_t kHintTextLimit = 1425;  // characters of a hint shown: 15 lines of 95
// Bytes of a line that are kept; the rest of a longer line is skipped. No
// hint needs more (only 1425 characters are ever shown), and no file can
// make the program hold more than this of it.
inline constexpr std::size_t kHintLineLimit = 64 * 1024;
// Files larger than these are not read at all: 640 hints of 1,425 characters
// come to under 1 MiB, and a picture beside a question to a few.
inline constexpr std::size_t kHintFileLimit = 4 * 1024 * 1024;
inline constexpr std::size_t kHintPictureFileLimit = 16 * 1024 * 1024;

// Turns the bytes of a hints file, fed in pieces of any size, into its lines
// as Windows-1252 text.
class HintFileReader {
 public:
  // Receives each line; returns false to stop reading.
  using LineSink = std::function<bool(std::string_view line)>;

  // Hands every line completed by these bytes to the sink. False once no
  // more lines will come (a Ctrl-Z, or the sink stopped).
  bool feed(std::string_view bytes, const LineSink& sink);
  // The end of the file: hands over a last line that has no line end.
  void finish(const LineSink& sink);

 private:
  bool endLine(const LineSink& sink);

  std::string line_;          // raw bytes of the line being read, at most kHintLineLimit
  bool afterCarriageReturn_ = false;  // a line feed now belongs to the CR before it
  bool atFileStart_ = true;   // the byte-order mark is looked for here
  bool utf8File_ = false;     // the file began with a UTF-8 byte-order mark
  bool ended_ = false;
};

// A line's bytes as Windows-1252 text. Lines of a file with a byte-order
// mark are UTF-8; otherwise a line that is valid UTF-8 with characters
// beyond ASCII is taken as UTF-8, and any other line as Windows-1252
// already. Characters that Windows-1252 lacks (and broken UTF-8) become "?".
std::string hintLineText(std::string_view bytes, bool utf8File);

// The key a line adds to the index: the text before the first ": ", when a
// "]" follows it; none for comments and other lines.
std::optional<std::string> hintIndexKey(std::string_view line);

// The hint a line holds for the key: the line's key (the text before its
// first ":") must equal it; the hint is the text after the first ": " (the
// whole line when it has none), without blanks at either end, cut to 1425
// characters.
std::optional<std::string> hintForKey(std::string_view line, std::string_view key);

// A hint split at its first "~Figure " marker: the text before it, and the
// picture named after it (blanks at both ends removed).
struct HintParts {
  std::string text;
  std::optional<std::string> pictureName;
};
HintParts splitHintPicture(std::string_view hint);

// The file of a picture named in a hint: "Figures/" and the name, a
// backslash in the name taken as a folder separator; none for a name that
// would leave the folder (an absolute path, a ".." part).
std::optional<std::string> hintPicturePath(std::string_view pictureName);

// The identifiers that have a hint: the keys of at most the first 640
// indexed lines of the file.
class HintIndex {
 public:
  // Records the key of the next indexed line; false once the index is full
  // (the key is then not recorded).
  bool add(std::string key);
  bool contains(std::string_view key) const { return keys_.find(key) != keys_.end(); }
  // Indexed lines recorded, 0 to 640.
  int lines() const { return lines_; }

 private:
  std::set<std::string, std::less<>> keys_;
  int lines_ = 0;
};

// True when one of the index's identifiers equals key exactly (same case).
bool hasHint(std::string_view key, const HintIndex& index);

// A picture that a hint names, when it is a bitmap the program can draw:
// its caption ("Figure E7-2" for "~Figure E7-2.bmp"), the whole file and its
// size in pixels.
struct HintPicture {
  std::string caption;
  std::vector<unsigned char> bitmap;
  PictureSize size;
};

// The hints of the file in the working folder: its index, read once, and
// each hint and picture read again when asked for, so that a file edited
// while the program runs is followed.
class Hints {
 public:
  explicit Hints(Files& files);

  bool has(std::string_view key) const { return hasHint(key, index_); }
  const HintIndex& index() const { return index_; }
  // The first hint for the key, split at its picture marker.
  std::optional<HintParts> find(std::string_view key) const;
  // The picture a hint names, when it is a bitmap the program can draw.
  std::optional<HintPicture> pictureOf(const HintParts& hint) const;
  // The picture the key's hint names.
  std::optional<HintPicture> picture(std::string_view key) const;

 private:
  Files* files_;
  HintIndex index_;
};

// The key's hint in the file's bytes, read again.
std::optional<std::string> findHint(std::string_view fileBytes, std::string_view key);
// The index of the file's bytes.
HintIndex hintIndexOf(std::string_view fileBytes);

}  // namespace pentrill
