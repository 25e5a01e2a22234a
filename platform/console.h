// The text console: a 100 x 43 grid of coloured cells, its cursor, and the
// queue of key and mouse events. Texts are Windows-1252 bytes; backends
// convert them for display.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/key.h"

namespace pentrill {

inline constexpr int kScreenRows = 43;
inline constexpr int kScreenColumns = 100;
inline constexpr int kNoTimeLimit = -1;  // for waitForInput

// Palette indices in the console's own (Windows) order.
enum Colour : int { kBlack = 0, kBlue = 1, kGreen = 2, kRed = 4, kLightGrey = 7, kYellow = 14, kBrightWhite = 15 };

// Byte that stands for one cell of a horizontal rule (U+2500). Chosen from the
// control bytes, which no text of the pool or the screens uses.
inline constexpr char kRuleByte = '\x1F';
inline std::string rule(int cells) { return std::string(static_cast<size_t>(cells), kRuleByte); }
// Block characters of the progress screen's bars and chart, stored in the
// grid as control bytes the way a rule is.
inline constexpr char kFullBlockByte = '\x1C';       // U+2588
inline constexpr char kLightShadeByte = '\x1D';      // U+2591
inline constexpr char kLowerHalfBlockByte = '\x1A';  // U+2584

// A cell of the screen, row and column from 1.
struct CellPosition {
  int row = 1;
  int column = 1;
};

// Which mouse events the input layer passes on, for the whole program.
struct MouseState {
  int reportButtons = kLeftButton;                      // buttons to report
  int reportKinds = kMousePressed | kMouseDoubleClick;  // actions to report (kMouse... bits)
  bool inputOn = false;
};

class Console {
 public:
  virtual ~Console() = default;

  // Window-level operations; best effort where the terminal has no such notion.
  virtual void setTitle(std::string_view title) = 0;
  virtual void moveWindow(int x, int y) = 0;
  virtual void setScreenSize(int rows, int columns) = 0;
  virtual void bringToFront() = 0;

  // Drawing.
  virtual void setColours(int foreground, int background) = 0;
  virtual void clearScreen() = 0;
  virtual void locate(int row, int column) = 0;
  virtual void write(std::string_view text) = 0;
  virtual void endLine() = 0;
  virtual void setCursorVisible(bool visible) = 0;
  virtual bool cursorVisible() const = 0;
  virtual int cursorRow() const = 0;
  virtual int cursorColumn() const = 0;

  // Blocks for the given time; input that arrives meanwhile stays queued.
  virtual void pause(int milliseconds) = 0;

  // Input: the next queued key or mouse event, without waiting.
  virtual std::optional<Key> nextEvent() = 0;
  // Blocks until input may be ready or the time has passed; a negative time
  // waits for input however long it takes.
  virtual void waitForInput(int milliseconds) = 0;
  // A steady millisecond count for time limits.
  virtual std::int64_t steadyMilliseconds() = 0;

  // A figure drawn inside the terminal over the whole screen until
  // hideFigure: the picture of the bitmap file as large as fits, its caption
  // (Windows-1252) and the way back under it. The grid is left as it is
  // beneath, and hideFigure brings it back whole. The bytes must stay valid
  // until hideFigure.
  virtual void showFigure(std::span<const unsigned char> bitmap, std::string_view caption) = 0;
  virtual void hideFigure() = 0;

  MouseState mouse;
  // Where a screen reader's attention belongs after the frame being drawn (a new question's text, the
  // line that says right or wrong, the chosen item of a menu or prompt): the terminal's cursor rests
  // there after every frame, even while it is hidden. Row and column from 1.
  CellPosition rest;
};

// Text at a position: the way nearly every screen writes.
inline void writeAt(Console& console, int row, int column, std::string_view text) {
  console.locate(row, column);
  console.write(text);
}

}  // namespace pentrill
