// How a figure is drawn inside the terminal: which graphics protocol, how many
// colours and which characters for the symbols fallback, chosen from the
// environment and, where that leaves it open, from the terminal's answers to
// two queries. Pure: no I/O here; the caller sends kFigureProtocolQuery, feeds
// what comes back to a TerminalReplyReader and waits at most
// kFigureProtocolWait.
#pragma once
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace pentrill {

enum class FigureProtocol { Kitty, Iterm, Sixel, Symbols };

// The value of --figures-in-terminal.
enum class FigureProtocolSetting { Auto, Kitty, Iterm, Sixel, Symbols };

// "auto", "kitty", "iterm", "sixel" or "symbols" (exactly); none otherwise.
std::optional<FigureProtocolSetting> parseFigureProtocolSetting(std::string_view value);
std::string_view figureProtocolName(FigureProtocol protocol);

// The environment variables the choice reads; an unset variable is empty.
struct TerminalEnvironment {
  std::string term;           // TERM
  std::string termProgram;    // TERM_PROGRAM
  std::string lcTerminal;     // LC_TERMINAL: iTerm2 sets it, and ssh passes LC_* on
  std::string colorTerm;      // COLORTERM
  std::string kittyWindowId;  // KITTY_WINDOW_ID
  std::string vteVersion;     // VTE_VERSION
  std::string tmux;           // TMUX
  std::string sty;            // STY (GNU screen)
};

// Reads the variables through `lookUp` (std::getenv in the program), which
// returns null for an unset variable.
TerminalEnvironment readTerminalEnvironment(const std::function<const char*(const char*)>& lookUp);

// Inside tmux or GNU screen: pictures would have to pass through the
// multiplexer, which draws over them, so symbols are used there.
bool insideMultiplexer(const TerminalEnvironment& environment);

// The protocol the setting and the environment decide, or none when the
// terminal must be asked. A setting other than Auto is always followed.
std::optional<FigureProtocol> figureProtocolFromEnvironment(FigureProtocolSetting setting,
                                                            const TerminalEnvironment& environment);

// Sent to ask: the kitty graphics query (a 1 x 1 image that is checked, not
// stored), the size of a cell in pixels (for terminals whose TIOCGWINSZ
// leaves it 0), then primary device attributes. Every terminal answers the
// last, and after the others, so its answer ends the wait.
inline constexpr std::string_view kFigureProtocolQuery =
    "\x1b_Gi=31,s=1,v=1,a=q,t=d,f=24;AAAA\x1b\\\x1b[16t\x1b[c";
// Long enough for a link with a slow round trip (SSH across the world); the
// wait ends as soon as the device attributes reply is in.
inline constexpr std::chrono::milliseconds kFigureProtocolWait{1000};

// What the terminal's replies said.
struct TerminalReplies {
  bool deviceAttributes = false;  // the primary device attributes reply came
  bool sixel = false;             // ... and listed 4 (sixel graphics)
  bool kittyGraphics = false;     // the kitty query was answered OK
  int cellWidth = 0;              // pixels, from "ESC [ 6 ; height ; width t"; 0 without it
  int cellHeight = 0;
};

// The protocol after asking: kitty when the kitty query was answered OK,
// sixel when the device attributes list 4, symbols otherwise (also when
// nothing came before the wait ended).
FigureProtocol figureProtocolFromReplies(const TerminalReplies& replies);

// Separates the terminal's replies from the keys and clicks the user typed
// meanwhile, bytes fed in any pieces. Only a complete "ESC [ ? ... c",
// "ESC [ 6 ; ... t" or "ESC _ G ... ESC \" is a reply (no key or mouse report
// has these forms); every other byte is the user's and is kept, in order,
// for the input decoder.
class TerminalReplyReader {
 public:
  void feed(std::string_view bytes);
  // The device attributes reply has come: nothing more is awaited.
  bool complete() const { return replies_.deviceAttributes; }
  // The wait is over: a reply begun but unfinished goes back to the user's bytes.
  void finish();

  const TerminalReplies& replies() const { return replies_; }
  // The bytes that were not part of a reply, in order; taken out by the call.
  std::string takeUserBytes();

 private:
  enum class State { Ground, Escape, Csi, DeviceAttributes, WindowReport, Apc, ApcGraphics, ApcEscape };
  // Longer than any reply: bytes held beyond this are not one.
  static constexpr std::size_t kLongestReply = 256;

  void feedByte(char byte);
  void releaseHeld();
  void finishReply();
  void readDeviceAttributes(std::string_view parameters);
  void readWindowReport(std::string_view parameters);
  void readGraphicsReply(std::string_view body);

  State state_ = State::Ground;
  std::string held_;  // a possible reply being read
  std::string user_;
  TerminalReplies replies_;
};

// Colours for the symbols: the terminal's default two only, 8, 16 (16 for
// the text, 8 for the background, as the Linux console has), 16, 256 or 24-bit.
enum class SymbolColours { TwoColours, Colours8, Colours16Foreground8Background, Colours16, Colours256, Truecolor };

// From COLORTERM, TERM and the terminal's own word for it where known, and
// the terminfo colour count (tigetnum("colors"); -1 or 0 when absent).
SymbolColours symbolColours(const TerminalEnvironment& environment, int terminfoColours);

// The characters the symbols may use: the Linux console's fonts hold only
// the blocks of the old PC character set; terminal emulators' fonts have the
// Unicode block elements, box drawing and more; a terminal whose character
// set is not UTF-8 gets ASCII alone.
enum class SymbolGlyphs { Unicode, ConsoleFont, Ascii };
SymbolGlyphs symbolGlyphs(const TerminalEnvironment& environment);

}  // namespace pentrill
