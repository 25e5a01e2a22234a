// Hints keyed by question identifier, from the user's "hints.txt" in the
// working directory, and the pictures that hints name.
//
// The file: one hint a line, "E5C10: the hint text"; only a line with a "]"
// after the ": " counts for the "Hint" label; "'" at the start makes a line a
// comment; "~Figure name.bmp" in a hint opens Figures/name.bmp beside the
// terminal. Lines may end in CR LF, CR or LF; a Ctrl-Z ends the file; the
// file may be Windows-1252 or UTF-8 (with or without a byte-order mark).
#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/console.h"
#include "platform/picture_windows.h"

namespace pentrill {

inline constexpr const char* kHintsFile = "hints.txt";
inline constexpr const char* kHintPictureFolder = "Figures/";
inline constexpr int kHintIndexLimit = 640;    // keys recorded at most
inline constexpr std::size_t kHintTextLimit = 1425;  // characters of a hint shown: 15 lines of 95
inline constexpr int kHintWrapWidth = 95;
inline constexpr int kHintFirstRow = 29;
inline constexpr int kHintLastRow = 43;
inline constexpr int kHintColumn = 2;
inline constexpr int kHintPictureTop = 50;
inline constexpr int kHintPictureRightMargin = 100;
// Bytes of a line that are kept; the rest of a longer line is skipped. No
// hint needs more (only 1425 characters are ever shown), and no file can
// make the program hold more than this of it.
inline constexpr std::size_t kHintLineLimit = 64 * 1024;

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
// backslash in the name taken as a folder separator.
std::string hintPicturePath(std::string_view pictureName);

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

// Reads the index from hints.txt (empty without a file).
HintIndex loadHintIndex();

// True when one of the index's identifiers equals key exactly (same case).
bool hasHint(std::string_view key, const HintIndex& index);

// The first hint for the key in hints.txt, read again now.
std::optional<std::string> findHint(std::string_view key);

// The hint for the key, printed from row 29, column 2, wrapped at 95
// columns, in the current colours; at most 15 lines, so the screen never
// scrolls. A picture it names opens first, replacing the one the handle
// holds. Nothing when the key has no hint.
void showHint(Console& console, PictureWindows& windows, std::string_view key, int& pictureHandle);

// The picture the key's hint in hints.txt names (captioned "Figure E7-2" for
// "~Figure E7-2.bmp"), with its bitmap file, when the file is one the
// program can draw.
struct HintPictureFile {
  std::string caption;
  std::vector<unsigned char> bitmap;
};
std::optional<HintPictureFile> hintPictureFile(std::string_view key);

// Opens the bitmap file at path (Windows-1252) at its own size in a window
// whose right edge is 100 pixels short of the desktop's, 50 pixels from the
// top, after closing the window the handle holds. A file that is missing or
// not a bitmap the program can draw opens nothing.
void showHintPicture(PictureWindows& windows, std::string_view path, std::string_view caption, int& handle);

}  // namespace pentrill
