// The console on a real terminal. ncursesw draws: the 100 x 43 screen lives
// in a grid of its own, drawn in the top-left corner of the terminal, so that
// no resize can lose what was drawn. Input is read and
// decoded by the program itself (terminal_input.h), so that no key or click
// of a burst is lost and an unfinished sequence never blocks.
#pragma once
#include <termios.h>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "backends/chafa_figure.h"
#include "screen/figure_protocol.h"
#include "screen/grid_console.h"
#include "screen/terminal_figure.h"
#include "screen/terminal_input.h"

// ncurses' own types, kept out of this header.
struct _win_st;
struct screen;

namespace pentrill {

class SignalWatch;

// Thrown from a wait when the program is to end at once: Ctrl-C, SIGTERM,
// SIGHUP, SIGQUIT or the terminal gone (status 128 + the signal number), or
// Esc on a terminal too small to show the screen (status 0). The console's
// destructor restores the terminal.
struct ProgramExit {
  int status;
};

// The terminal's colour for a palette index in Windows order (1 blue,
// 4 red, 14 yellow): bits 0 and 2 swap places.
int ansiColour(int paletteIndex);

// The largest terminal the program lets the terminal library manage; a
// larger (or bogus) size is shown as this much, so that it can neither
// exhaust memory nor crash the library. The screen itself is 100 x 43.
inline constexpr int kMaxManagedRows = 1000;
inline constexpr int kMaxManagedColumns = 1000;

class TerminalConsole : public GridConsole {
 public:
  // Takes over the terminal; throws std::runtime_error when it cannot. The
  // setting says how figures are drawn inside it (decided on the first one).
  explicit TerminalConsole(FigureProtocolSetting figures = FigureProtocolSetting::Auto);
  // Gives the terminal back exactly as it was found.
  ~TerminalConsole() override;
  TerminalConsole(const TerminalConsole&) = delete;
  TerminalConsole& operator=(const TerminalConsole&) = delete;

  void setTitle(std::string_view title) override;
  void moveWindow(int x, int y) override;
  void setScreenSize(int rows, int columns) override;
  void bringToFront() override;

  void clearScreen() override;
  void write(std::string_view text) override {
    GridConsole::write(text);
    if (!text.empty()) unseenText_ = true;
  }

  void pause(int milliseconds) override;
  std::optional<Key> nextEvent() override;
  void waitForInput(int milliseconds) override;
  std::int64_t steadyMilliseconds() override;

  // The figure screen is written around curses, straight to the terminal;
  // curses' screen is repainted whole when it is left. It is drawn again
  // after a stop or a resize, for the terminal's size then.
  void showFigure(std::span<const unsigned char> bitmap, std::string_view caption) override;
  void hideFigure() override;

 private:
  struct FigureOnShow {
    RgbPicture picture;
    std::string caption;  // UTF-8
    bool drawn = false;
  };
  struct ShownCursor {
    bool visible = false;
    int row = 0;
    int column = 0;
    bool operator==(const ShownCursor&) const = default;
  };

  void startCurses();
  void followTerminalSize();
  bool tooSmall() const;
  void flushScreen();
  void paintSurroundings();
  void showTooSmallNotice();
  void copyDirtyRows();
  void drawCell(int row, int column);
  short colourPair(int foreground, int background);
  void syncInputModes();
  void readPendingInput();
  void takeEvents(const std::vector<Key>& events, std::int64_t now);
  void serviceSignals();
  void suspend();
  void leaveTerminal();
  void reenterTerminal();
  void noteRestoreSequence();
  void sendControl(const std::string& sequence);
  void decideFigureStyle();
  void drawFigureScreen();
  void removeDrawnFigure();

  termios modesFound_{};  // the terminal's modes at start, restored exactly at every exit and stop
  std::unique_ptr<SignalWatch> signals_;
  screen* screen_ = nullptr;
  bool utf8_ = true;
  bool windowSequences_ = true;
  bool mouseCapable_ = true;
  int colours_ = 0;
  std::map<std::pair<int, int>, short> pairs_;
  ShownCursor shownCursor_;
  bool redrawAll_ = true;
  bool unseenText_ = false;  // text written since the terminal was last brought up to date
  bool noticeShown_ = false;
  int screenBackground_ = kBlack;  // the colour of the last clear, also around the screen
  int paintedBackground_ = -1;
  bool mouseOn_ = false;
  bool pasteOn_ = false;
  bool noColour_ = false;  // NO_COLOR: attributes mark what colour would
  InputDecoder decoder_;
  std::int64_t lastInputMilliseconds_ = 0;  // when the decoder last got bytes
  MouseTracker mouseTracker_;
  std::deque<Key> queue_;
  bool titlePushed_ = false;
  std::string title_;
  std::optional<std::pair<int, int>> sizeBefore_;  // rows, columns before the program asked to grow
  int savedStderr_ = -1;
  int originalCursor_ = 1;
  FigureProtocolSetting figureSetting_;
  std::optional<TerminalFigureStyle> figureStyle_;  // decided on the first figure, kept for the run
  int reportedCellWidth_ = 0;                        // from the terminal's answer, 0 when it gave none
  int reportedCellHeight_ = 0;
  std::optional<FigureOnShow> figure_;
};

}  // namespace pentrill
