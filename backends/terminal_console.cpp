#include "backends/terminal_console.h"

// SDL's headers before term.h, whose capability macros clash with their names.
#include "backends/sdl_thread.h"

#define NCURSES_NOMACROS
#include <curses.h>
#include <term.h>
#undef lines    // term.h names capabilities as macros; keep them out of the way
#undef columns

#include <fcntl.h>
#include <locale.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <stdexcept>
#include <vector>

#include "backends/chafa_library.h"
#include "backends/figure_screen.h"
#include "backends/locale_charset.h"
#include "backends/terminal_query.h"
#include "screen/charset.h"

namespace pentrill {

namespace {

constexpr int kEscapeDelayMilliseconds = 25;
constexpr int kGrowWaitMilliseconds = 150;
constexpr size_t kMaxReadsAtOnce = 16;  // 64 KiB, then the program gets a turn
constexpr const char* kMouseOn = "\x1b[?1000h\x1b[?1006h";  // presses and releases, SGR reports where offered
constexpr const char* kMouseOff = "\x1b[?1006l\x1b[?1000l";
// Bracketed paste: pasted text comes between two markers, so that it is
// never taken for typed keys.
constexpr const char* kPasteOn = "\x1b[?2004h";
constexpr const char* kPasteOff = "\x1b[?2004l";
constexpr const char* kTitlePush = "\x1b[22;0t";
constexpr const char* kTitlePop = "\x1b[23;0t";

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int kServiceSignals[] = {SIGTSTP, SIGCONT, SIGWINCH};
constexpr int kCrashSignals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE};

// What the signal handlers share with the program: flags they set, the pipe
// they write one byte into so that a wait wakes up, and what a crash needs to
// give the terminal back. The one global state the signals require.
volatile std::sig_atomic_t wakeFd = -1;
volatile std::sig_atomic_t endingSignal = 0;
volatile std::sig_atomic_t stopAsked = 0;
volatile std::sig_atomic_t continued = 0;
volatile std::sig_atomic_t resized = 0;
char crashRestoreBytes[512];
volatile std::sig_atomic_t crashRestoreLength = 0;
termios crashModes{};
volatile std::sig_atomic_t haveCrashModes = 0;
struct sigaction previousCrashActions[std::size(kCrashSignals)] = {};
alignas(16) char alternateStack[64 * 1024];

void writeAll(int fd, const char* bytes, size_t length) {
  while (length > 0) {
    const ssize_t written = ::write(fd, bytes, length);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    bytes += written;
    length -= static_cast<size_t>(written);
  }
}

void writeAll(int fd, std::string_view bytes) { writeAll(fd, bytes.data(), bytes.size()); }

extern "C" void noteSignal(int signalNumber) {
  const int savedErrno = errno;
  switch (signalNumber) {
    case SIGTSTP: stopAsked = 1; break;
    case SIGCONT: continued = 1; break;
    case SIGWINCH: resized = 1; break;
    default:
      if (endingSignal == 0) {
        endingSignal = signalNumber;
        // The first signal decides; later ones are ignored while the program ends.
        struct sigaction ignore{};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        for (int ending : kEndingSignals) sigaction(ending, &ignore, nullptr);
      }
      break;
  }
  if (wakeFd >= 0) {
    const char byte = 1;
    [[maybe_unused]] ssize_t written = ::write(wakeFd, &byte, 1);
  }
  errno = savedErrno;
}

// A crash: the terminal first, then whatever handled the signal before (the
// default ends the process by the signal).
extern "C" void restoreTerminalAndCrash(int signalNumber, siginfo_t* info, void*) {
  writeAll(STDOUT_FILENO, crashRestoreBytes, static_cast<size_t>(crashRestoreLength));
  if (haveCrashModes) {
    tcsetattr(STDIN_FILENO, TCSADRAIN, &crashModes);
    tcflush(STDIN_FILENO, TCIFLUSH);
  }
  for (size_t i = 0; i < std::size(kCrashSignals); ++i)
    if (kCrashSignals[i] == signalNumber) sigaction(signalNumber, &previousCrashActions[i], nullptr);
  // A fault repeats by itself on return; a signal that was sent is sent again.
  if (info == nullptr || info->si_code <= 0) raise(signalNumber);
}

std::int64_t monotonicMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// The NO_COLOR convention: set to anything but empty, no colour is used.
bool coloursRefused() {
  const char* value = std::getenv("NO_COLOR");
  return value != nullptr && *value != '\0';
}

// Colours other than black, white and the greys: without colour, a cell in
// one of them is bold, as it marks something (a wrong answer, the correct
// letter, a notice).
bool markingColour(int paletteIndex) {
  return paletteIndex != kBlack && paletteIndex != kLightGrey && paletteIndex != 8 && paletteIndex != kBrightWhite;
}

// Terminals that do not understand xterm's title and window sequences and
// would show them as text.
bool knowsWindowSequences(std::string_view term) {
  return !(term.starts_with("linux") || term.starts_with("dumb") || term.starts_with("vt"));
}

std::optional<std::pair<int, int>> terminalSize() {
  winsize size{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_row == 0 || size.ws_col == 0) return std::nullopt;
  return std::pair<int, int>{size.ws_row, size.ws_col};
}

// An environment variable set for a while, then as it was.
class EnvironmentSetting {
 public:
  EnvironmentSetting(const char* name, const std::string& value) : name_(name) {
    if (const char* before = std::getenv(name)) before_ = before;
    setenv(name, value.c_str(), 1);
  }
  ~EnvironmentSetting() {
    if (before_) {
      setenv(name_, before_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  EnvironmentSetting(const EnvironmentSetting&) = delete;
  EnvironmentSetting& operator=(const EnvironmentSetting&) = delete;

 private:
  const char* name_;
  std::optional<std::string> before_;
};

// The size comes from the terminal alone (never from LINES and COLUMNS left
// in the environment), and is capped before ncurses allocates it: ncurses
// starts at the size of the terminfo entry and is resized from there. An
// entry without a size (linux, and other consoles) makes ncurses refuse to
// start that way; it is then given the terminal's own size, capped, through
// LINES and COLUMNS for that one call.
screen* newScreen() {
  use_env(FALSE);
  if (screen* started = newterm(nullptr, stdout, stdin)) return started;
  const std::optional<std::pair<int, int>> size = terminalSize();
  if (!size) return nullptr;
  const EnvironmentSetting lines("LINES", std::to_string(std::min(size->first, kMaxManagedRows)));
  const EnvironmentSetting columns("COLUMNS", std::to_string(std::min(size->second, kMaxManagedColumns)));
  use_env(TRUE);
  return newterm(nullptr, stdout, stdin);
}

// A terminfo string without its padding ("$<5>"), or empty.
std::string capability(const char* name) {
  const char* value = tigetstr(name);
  if (value == nullptr || value == reinterpret_cast<const char*>(-1)) return {};
  std::string result;
  for (const char* p = value; *p != '\0'; ++p) {
    if (p[0] == '$' && p[1] == '<') {
      const char* end = std::strchr(p, '>');
      if (end != nullptr) {
        p = end;
        continue;
      }
    }
    result += *p;
  }
  return result;
}

// What 8 colours cannot show: a bright foreground is bold.
attr_t brightness(const Cell& cell, int colours) {
  return colours < 16 && (ansiColour(cell.foreground) & 8) ? A_BOLD : A_NORMAL;
}

// Without colour, what colour marked: a background other than the screen's
// own (buttons, labels, the choice letters) in reverse video, a marking
// foreground in bold.
attr_t markWithoutColour(const Cell& cell, int screenBackground) {
  return (cell.background != screenBackground ? A_REVERSE : A_NORMAL) |
         (markingColour(cell.foreground) ? A_BOLD : A_NORMAL);
}

}  // namespace

// Installs the program's signal handlers and gives the old ones back.
class SignalWatch {
 public:
  SignalWatch();
  ~SignalWatch();
  SignalWatch(const SignalWatch&) = delete;
  SignalWatch& operator=(const SignalWatch&) = delete;

  int readEnd() const { return pipe_[0]; }
  void drain();

 private:
  int pipe_[2] = {-1, -1};
  struct sigaction previousEnding_[std::size(kEndingSignals)] = {};
  struct sigaction previousService_[std::size(kServiceSignals)] = {};
};

SignalWatch::SignalWatch() {
  if (pipe2(pipe_, O_NONBLOCK | O_CLOEXEC) != 0) throw std::runtime_error("cannot create a pipe for signals");
  wakeFd = pipe_[1];
  endingSignal = 0;
  stopAsked = 0;
  continued = 0;
  resized = 0;

  struct sigaction action{};
  action.sa_handler = noteSignal;
  // While one ending signal is being noted the others wait, and are then
  // discarded by being ignored: the first one decides.
  sigemptyset(&action.sa_mask);
  for (int ending : kEndingSignals) sigaddset(&action.sa_mask, ending);
  action.sa_flags = SA_RESTART;
  for (size_t i = 0; i < std::size(kEndingSignals); ++i) sigaction(kEndingSignals[i], &action, &previousEnding_[i]);
  for (size_t i = 0; i < std::size(kServiceSignals); ++i) sigaction(kServiceSignals[i], &action, &previousService_[i]);

  // A crash from a stack overflow needs a stack of its own to restore from.
  stack_t current{};
  if (sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE)) {
    stack_t stack{};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    sigaltstack(&stack, nullptr);
  }
  struct sigaction crash{};
  crash.sa_sigaction = restoreTerminalAndCrash;
  sigemptyset(&crash.sa_mask);
  crash.sa_flags = SA_SIGINFO | SA_ONSTACK;
  for (size_t i = 0; i < std::size(kCrashSignals); ++i) sigaction(kCrashSignals[i], &crash, &previousCrashActions[i]);
}

SignalWatch::~SignalWatch() {
  for (size_t i = 0; i < std::size(kCrashSignals); ++i) sigaction(kCrashSignals[i], &previousCrashActions[i], nullptr);
  for (size_t i = 0; i < std::size(kServiceSignals); ++i) sigaction(kServiceSignals[i], &previousService_[i], nullptr);
  // After an ending signal the others stay ignored until the process is gone.
  if (endingSignal == 0)
    for (size_t i = 0; i < std::size(kEndingSignals); ++i) sigaction(kEndingSignals[i], &previousEnding_[i], nullptr);
  wakeFd = -1;
  close(pipe_[0]);
  close(pipe_[1]);
}

void SignalWatch::drain() {
  char buffer[64];
  while (::read(pipe_[0], buffer, sizeof buffer) > 0) {
  }
}

int ansiColour(int paletteIndex) {
  return (paletteIndex & 0b1010) | ((paletteIndex & 1) << 2) | ((paletteIndex & 4) >> 2);
}

// The modes are noted before anything changes them; the signal handlers come
// before ncurses, so that it leaves every signal to the program.
TerminalConsole::TerminalConsole(FigureProtocolSetting figures) : figureSetting_(figures) {
  if (tcgetattr(STDIN_FILENO, &modesFound_) != 0) throw std::runtime_error("standard input is not a terminal");
  crashModes = modesFound_;
  haveCrashModes = 1;
  signals_ = std::make_unique<SignalWatch>();
  utf8_ = localeIsUtf8();
  decoder_ = InputDecoder(utf8_);
  startCurses();
  SdlThread::reportFrames(true);
}

void TerminalConsole::startCurses() {
  const char* term = std::getenv("TERM");
  if (term == nullptr || *term == '\0') throw std::runtime_error("TERM is not set");
  windowSequences_ = knowsWindowSequences(term);
  screen_ = newScreen();
  if (screen_ == nullptr) throw std::runtime_error(std::string("unknown terminal type \"") + term + "\"");
  set_term(screen_);
  if (capability("cup").empty()) {
    endwin();
    delscreen(screen_);
    screen_ = nullptr;
    tcsetattr(STDIN_FILENO, TCSADRAIN, &modesFound_);
    throw std::runtime_error(std::string("terminal type \"") + term + "\" cannot place the cursor");
  }
  followTerminalSize();
  cbreak();
  noecho();
  nonl();
  intrflush(stdscr, FALSE);
  // A Ctrl-C or Ctrl-\ must not make the terminal discard output it has not
  // shown yet: a second one, pressed while the program ends, would take the
  // bytes that give the terminal back.
  termios modes{};
  if (tcgetattr(STDIN_FILENO, &modes) == 0) {
    modes.c_lflag |= NOFLSH;
    tcsetattr(STDIN_FILENO, TCSADRAIN, &modes);
  }
  def_prog_mode();
  mouseCapable_ = !capability("kmous").empty();
  originalCursor_ = curs_set(0);
  shownCursor_ = ShownCursor{};
  noColour_ = coloursRefused();
  if (!noColour_ && has_colors() && start_color() == OK) {
    colours_ = COLORS;
    // Colour pair 0 is the terminal's own default: nothing needs setting
    // back after each update, and the small-terminal notice shows in the
    // terminal's colours.
    use_default_colors();
  }
  noteRestoreSequence();
  // Libraries print to stderr; on the terminal that would garble the screen.
  savedStderr_ = dup(STDERR_FILENO);
  int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (devNull >= 0) {
    dup2(devNull, STDERR_FILENO);
    close(devNull);
  }
}

TerminalConsole::~TerminalConsole() {
  SdlThread::reportFrames(false);
  if (screen_ == nullptr) return;
  leaveTerminal();
  if (sizeBefore_) {
    writeAll(STDOUT_FILENO,
             "\x1b[8;" + std::to_string(sizeBefore_->first) + ";" + std::to_string(sizeBefore_->second) + "t");
  }
  delscreen(screen_);
  crashRestoreLength = 0;
  haveCrashModes = 0;
  if (savedStderr_ >= 0) {
    dup2(savedStderr_, STDERR_FILENO);
    close(savedStderr_);
  }
}

// What a crash writes to give the terminal back: the same as a normal end,
// without the help of ncurses.
void TerminalConsole::noteRestoreSequence() {
  std::string bytes;
  if (mouseOn_) bytes += kMouseOff;
  if (pasteOn_) bytes += kPasteOff;
  bytes += capability("sgr0") + capability("cnorm") + capability("rmcup");
  if (titlePushed_) bytes += kTitlePop;
  if (bytes.size() > sizeof crashRestoreBytes) bytes.clear();
  crashRestoreLength = 0;
  std::copy(bytes.begin(), bytes.end(), crashRestoreBytes);
  crashRestoreLength = static_cast<std::sig_atomic_t>(bytes.size());
}

// Everything the program switched, switched back, and the modes exactly as
// they were found, however often the program was suspended meanwhile. Keys
// typed and not yet read are dropped: they were meant for the program, not
// for the shell that reads next.
void TerminalConsole::leaveTerminal() {
  if (isendwin()) return;
  removeDrawnFigure();
  // Until the bytes that give the terminal back are written, a Ctrl-C must
  // not make the terminal discard them: ncurses' own restoring keeps NOFLSH.
  termios keeping = modesFound_;
  keeping.c_lflag |= NOFLSH;
  if (tcsetattr(STDIN_FILENO, TCSADRAIN, &keeping) == 0) def_shell_mode();
  std::string modesOff;
  if (mouseOn_) modesOff += kMouseOff;
  if (pasteOn_) modesOff += kPasteOff;
  if (!modesOff.empty()) {
    doupdate();
    writeAll(STDOUT_FILENO, modesOff);
    mouseOn_ = false;
    pasteOn_ = false;
  }
  curs_set(originalCursor_ == ERR ? 1 : std::max(originalCursor_, 1));
  endwin();
  if (titlePushed_) writeAll(STDOUT_FILENO, kTitlePop);
  tcsetattr(STDIN_FILENO, TCSADRAIN, &modesFound_);
  tcflush(STDIN_FILENO, TCIFLUSH);
}

// Back from a stop: the program's modes again, and everything repainted.
void TerminalConsole::reenterTerminal() {
  reset_prog_mode();
  if (titlePushed_) sendControl(kTitlePush + ("\x1b]2;" + title_ + "\x07"));
  curs_set(0);
  shownCursor_ = ShownCursor{};
  followTerminalSize();
  redrawAll_ = true;
  noteRestoreSequence();
}

// Ctrl-Z: the terminal as it was found while the program is stopped. Without
// job control the stop does not happen and the program simply goes on.
void TerminalConsole::suspend() {
  leaveTerminal();
  struct sigaction standard{};
  standard.sa_handler = SIG_DFL;
  sigemptyset(&standard.sa_mask);
  struct sigaction ours{};
  sigaction(SIGTSTP, &standard, &ours);
  stopAsked = 0;  // a Ctrl-Z from now on stops the program again, now or after this one
  raise(SIGTSTP);
  continued = 0;
  sigaction(SIGTSTP, &ours, nullptr);
  reenterTerminal();
}

void TerminalConsole::serviceSignals() {
  signals_->drain();
  if (endingSignal != 0) throw ProgramExit{128 + endingSignal};
  if (stopAsked) suspend();
  if (continued) {
    // Stopped and continued from outside: whatever happened meanwhile, the
    // program's modes and screen come back.
    continued = 0;
    reset_prog_mode();
    mouseOn_ = false;
    pasteOn_ = false;
    redrawAll_ = true;
  }
  if (resized) {
    resized = 0;
    followTerminalSize();
  }
}

// The terminal's own size, capped; nothing changes when it stayed the same.
void TerminalConsole::followTerminalSize() {
  const std::optional<std::pair<int, int>> size = terminalSize();
  if (!size) return;
  const int rows = std::min(size->first, kMaxManagedRows);
  const int columns = std::min(size->second, kMaxManagedColumns);
  if (rows == LINES && columns == COLS) return;
  resize_term(rows, columns);
  redrawAll_ = true;
  if (tooSmall()) queue_.clear();  // typed for a screen no longer seen
}

void TerminalConsole::sendControl(const std::string& sequence) {
  if (!windowSequences_) return;
  doupdate();  // whatever ncurses holds goes out first
  writeAll(STDOUT_FILENO, sequence);
}

void TerminalConsole::setTitle(std::string_view title) {
  const std::string text = terminalText(title, utf8_);
  if (!titlePushed_ && windowSequences_) {
    sendControl(kTitlePush);
    titlePushed_ = true;
    noteRestoreSequence();
  }
  title_ = text;
  sendControl("\x1b]2;" + text + "\x07");
}

void TerminalConsole::moveWindow(int x, int y) {
  sendControl("\x1b[3;" + std::to_string(x) + ";" + std::to_string(y) + "t");
}

void TerminalConsole::bringToFront() { sendControl("\x1b[5t"); }

// Asks the terminal to grow where it is smaller than the screen (a larger
// one is left alone), then gives it a moment to do so.
void TerminalConsole::setScreenSize(int rows, int columns) {
  std::optional<std::pair<int, int>> size = terminalSize();
  if (!size || !windowSequences_) return;
  if (size->first >= rows && size->second >= columns) return;
  const int wantRows = std::max(size->first, rows);
  const int wantColumns = std::max(size->second, columns);
  if (!sizeBefore_) sizeBefore_ = size;
  sendControl("\x1b[8;" + std::to_string(wantRows) + ";" + std::to_string(wantColumns) + "t");
  const std::int64_t deadline = monotonicMilliseconds() + kGrowWaitMilliseconds;
  while (monotonicMilliseconds() < deadline) {
    size = terminalSize();
    if (size && size->first >= rows && size->second >= columns) break;
    poll(nullptr, 0, 10);
  }
  followTerminalSize();
}

// The screen normally reaches the terminal when the program waits. Text that
// a clear is about to wipe out goes first, so that a notice shown just before
// a long step (such as preparing an exam) is seen.
void TerminalConsole::clearScreen() {
  if (unseenText_) flushScreen();
  screenBackground_ = grid_.background();
  GridConsole::clearScreen();
}

bool TerminalConsole::tooSmall() const { return LINES < kScreenRows || COLS < kScreenColumns; }

std::int64_t TerminalConsole::steadyMilliseconds() { return monotonicMilliseconds(); }

// Bracketed paste is on while the program has the terminal (where xterm's
// sequences are understood). Mouse reporting follows the program's switch;
// the terminal keeps its own text selection until the program asks for clicks.
void TerminalConsole::syncInputModes() {
  std::string bytes;
  if (!pasteOn_ && windowSequences_) {
    bytes += kPasteOn;
    pasteOn_ = true;
  }
  const bool wanted = mouse.inputOn && mouseCapable_;
  if (wanted != mouseOn_) {
    bytes += wanted ? kMouseOn : kMouseOff;
    mouseOn_ = wanted;
  }
  if (bytes.empty()) return;
  doupdate();
  writeAll(STDOUT_FILENO, bytes);
  noteRestoreSequence();
}

short TerminalConsole::colourPair(int foreground, int background) {
  if (colours_ == 0) return 0;
  int fg = ansiColour(foreground);
  int bg = ansiColour(background);
  if (colours_ < 16) {
    fg &= 7;  // brightness comes from A_BOLD instead
    // Bright backgrounds fall back to their dim colour, so bright white
    // (question screens) becomes light grey; light grey itself (labels) then
    // turns black so that a label still stands out.
    if (background == kLightGrey) {
      bg = 0;
      if (fg == 0) fg = 7;
    } else {
      bg &= 7;
    }
  }
  auto found = pairs_.find({fg, bg});
  if (found != pairs_.end()) return found->second;
  const int next = static_cast<int>(pairs_.size()) + 1;
  if (next >= COLOR_PAIRS || next > SHRT_MAX) return 0;
  init_pair(static_cast<short>(next), static_cast<short>(fg), static_cast<short>(bg));
  pairs_.emplace(std::pair{fg, bg}, static_cast<short>(next));
  return static_cast<short>(next);
}

void TerminalConsole::drawCell(int row, int column) {
  const Cell& cell = grid_.cell(row, column);
  const short pair = colourPair(cell.foreground, cell.background);
  const attr_t marks = noColour_ ? markWithoutColour(cell, screenBackground_) : brightness(cell, colours_);
  cchar_t shown{};
  if (cell.byte == kRuleByte && !utf8_) {
    wchar_t lineDrawing[CCHARW_MAX + 1] = {};
    attr_t attributes = 0;
    short unusedPair = 0;
    getcchar(WACS_HLINE, lineDrawing, &attributes, &unusedPair, nullptr);
    setcchar(&shown, lineDrawing, attributes | marks, pair, nullptr);
  } else {
    const char32_t codePoint = displayCodePoint(cell.byte);
    const wchar_t character[2] = {utf8_ ? static_cast<wchar_t>(codePoint)
                                        : static_cast<wchar_t>(asciiLookAlike(codePoint)),
                                  L'\0'};
    setcchar(&shown, character, marks, pair, nullptr);
  }
  mvwadd_wch(stdscr, row - 1, column - 1, &shown);
}

void TerminalConsole::copyDirtyRows() {
  for (int row = 1; row <= kScreenRows; ++row) {
    if (!(grid_.dirtyRows & (1ull << (row - 1)))) continue;
    for (int column = 1; column <= kScreenColumns; ++column) drawCell(row, column);
  }
  grid_.dirtyRows = 0;
}

void TerminalConsole::showTooSmallNotice() {
  const std::string lines[] = {
      "Pentrill needs a terminal of " + std::to_string(kScreenColumns) + " x " + std::to_string(kScreenRows) +
          "; this one is " + std::to_string(COLS) + " x " + std::to_string(LINES) + ".",
      "Please make it larger, or press Esc to quit.",
      "Or run pentrill --plain, which works at any size."};
  if (redrawAll_) clearok(curscr, TRUE);
  wbkgdset(stdscr, ' ' | A_NORMAL);
  werase(stdscr);
  int row = 0;
  for (const std::string& line : lines) {
    for (size_t start = 0; start < line.size() && row < LINES; start += static_cast<size_t>(COLS)) {
      mvwaddnstr(stdscr, row++, 0, line.c_str() + start, COLS);
    }
  }
  curs_set(0);
  leaveok(stdscr, TRUE);
  wrefresh(stdscr);
  noticeShown_ = true;
  paintedBackground_ = -1;
  shownCursor_ = ShownCursor{};
}

// Around the 100 x 43 screen, a larger terminal shows the screen's own
// background rather than its default colours. The screen is drawn in the
// top left corner of the same window (a window of its own would be one more
// copy of every cell), so all of it is drawn again after the erase.
void TerminalConsole::paintSurroundings() {
  wbkgdset(stdscr, ' ' | COLOR_PAIR(colourPair(kBrightWhite, screenBackground_)));
  werase(stdscr);
  grid_.dirtyRows = ~0ull;
  paintedBackground_ = screenBackground_;
}

// Sends what changed since the last time, and nothing at all when nothing did.
void TerminalConsole::flushScreen() {
  syncInputModes();
  unseenText_ = false;
  if (tooSmall()) {
    if (!noticeShown_ || redrawAll_) showTooSmallNotice();
    redrawAll_ = false;
    if (figure_) figure_->drawn = false;
    return;
  }
  if (figure_) {
    if (!figure_->drawn || redrawAll_ || noticeShown_) drawFigureScreen();
    redrawAll_ = false;
    return;
  }
  bool changed = false;
  if (noticeShown_ || redrawAll_ || paintedBackground_ != screenBackground_) {
    if (redrawAll_) clearok(curscr, TRUE);  // the terminal's content is unknown
    paintSurroundings();
    noticeShown_ = false;
    redrawAll_ = false;
    changed = true;
  }
  if (grid_.dirtyRows != 0) {
    copyDirtyRows();
    changed = true;
  }
  // The terminal's cursor ends every frame where the line is typed, or,
  // hidden, where the screen says a screen reader's attention belongs.
  const ShownCursor cursor =
      cursorVisible_ ? ShownCursor{true, grid_.cursorRow(), grid_.cursorColumn()}
                     : ShownCursor{false, std::clamp(rest.row, 1, kScreenRows), std::clamp(rest.column, 1, kScreenColumns)};
  if (!changed && cursor == shownCursor_) return;

  if (!cursor.visible && shownCursor_.visible) curs_set(0);
  leaveok(stdscr, FALSE);
  wmove(stdscr, cursor.row - 1, cursor.column - 1);
  wnoutrefresh(stdscr);
  doupdate();
  if (cursor.visible && !shownCursor_.visible) curs_set(1);
  shownCursor_ = cursor;
}

// The protocol from the setting and the environment, or else from the
// terminal's answers: keys typed while it is asked are kept, after what came
// before them. A terminal that does not answer costs the wait once.
void TerminalConsole::decideFigureStyle() {
  const TerminalEnvironment environment = readTerminalEnvironment([](const char* name) { return std::getenv(name); });
  std::optional<FigureProtocol> protocol = figureProtocolFromEnvironment(figureSetting_, environment);
  if (!protocol) {
    readPendingInput();
    const TerminalAnswer answer = askTerminal(STDIN_FILENO, STDOUT_FILENO);
    if (!answer.userBytes.empty()) {
      std::vector<Key> events;
      decoder_.feed(answer.userBytes, events);
      lastInputMilliseconds_ = monotonicMilliseconds();
      takeEvents(events, lastInputMilliseconds_);
    }
    reportedCellWidth_ = answer.replies.cellWidth;
    reportedCellHeight_ = answer.replies.cellHeight;
    protocol = figureProtocolFromReplies(answer.replies);
  }
  TerminalFigureStyle style;
  style.protocol = *protocol;
  style.colours = noColour_ ? SymbolColours::TwoColours : symbolColours(environment, tigetnum("colors"));
  style.glyphs = utf8_ ? symbolGlyphs(environment) : SymbolGlyphs::Ascii;
  figureStyle_ = style;
}

// Kitty keeps pictures apart from the text: they go before anything is
// drawn over them. The other protocols' pixels are covered by what follows.
void TerminalConsole::removeDrawnFigure() {
  if (!figure_ || !figure_->drawn || !figureStyle_) return;
  writeAll(STDOUT_FILENO, figureRemovalBytes(figureStyle_->protocol));
  figure_->drawn = false;
}

// The figure screen for the terminal's cell size now. Every doupdate leaves
// curses' attributes normal, as the bytes leave the terminal's.
void TerminalConsole::drawFigureScreen() {
  removeDrawnFigure();
  if (shownCursor_.visible) curs_set(0);
  shownCursor_ = ShownCursor{};
  winsize size{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0) size = winsize{};
  TerminalFigureStyle style = *figureStyle_;
  style.cell = terminalCellPixels(size.ws_xpixel, size.ws_ypixel, size.ws_col, size.ws_row, reportedCellWidth_,
                                  reportedCellHeight_);
  writeAll(STDOUT_FILENO, figureScreenBytes(loadChafa(), figure_->picture, figure_->caption, style,
                                            FigureScreenColours{colours_ >= 16}));
  figure_->drawn = true;
  noticeShown_ = false;
  paintedBackground_ = -1;
}

void TerminalConsole::showFigure(std::span<const unsigned char> bitmap, std::string_view caption) {
  FigureOnShow shown;
  if (std::optional<RgbPicture> picture = readBitmapPixels(bitmap)) shown.picture = std::move(*picture);
  shown.caption = utf8_ ? displayUtf8(caption) : std::string(caption);
  if (!figureStyle_) decideFigureStyle();
  figure_ = std::move(shown);
  flushScreen();
}

void TerminalConsole::hideFigure() {
  if (!figure_) return;
  removeDrawnFigure();
  figure_.reset();
  redrawAll_ = true;
}

// Takes in everything the terminal has sent so far, without waiting. A
// sequence left unfinished for the escape delay is settled: a lone Esc is
// the Esc key, anything else is dropped. A terminal that has gone away ends
// the program.
void TerminalConsole::readPendingInput() {
  if (resized) {  // keys are taken for the size the terminal has now
    resized = 0;
    followTerminalSize();
  }
  const std::int64_t now = monotonicMilliseconds();
  for (size_t reads = 0; reads < kMaxReadsAtOnce; ++reads) {
    pollfd watched{STDIN_FILENO, POLLIN, 0};
    if (poll(&watched, 1, 0) <= 0) break;
    if ((watched.revents & POLLIN) == 0) throw ProgramExit{128 + SIGHUP};
    char buffer[4096];
    const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (count > 0) {
      std::vector<Key> events;
      decoder_.feed(std::string_view(buffer, static_cast<size_t>(count)), events);
      lastInputMilliseconds_ = now;
      takeEvents(events, now);
    } else if (count == 0 || (errno != EINTR && errno != EAGAIN)) {
      throw ProgramExit{128 + SIGHUP};
    }
  }
  if (decoder_.pending() && now - lastInputMilliseconds_ >= kEscapeDelayMilliseconds) {
    std::vector<Key> events;
    decoder_.expire(events);
    takeEvents(events, now);
  }
}

// Decoded events join the queue. On a terminal too small to show the screen
// Esc ends the program and everything else is dropped: no key may act on a
// screen the user cannot see, then or later.
void TerminalConsole::takeEvents(const std::vector<Key>& events, std::int64_t now) {
  for (const Key& event : events) {
    if (tooSmall()) {
      if (event.is(kEscape)) throw ProgramExit{0};
    } else if (!event.isMouse()) {
      queue_.push_back(event);
    } else if (std::optional<Key> click = mouseTracker_.track(event, now)) {
      queue_.push_back(*click);
    }
  }
}

std::optional<Key> TerminalConsole::nextEvent() {
  readPendingInput();
  if (tooSmall() || queue_.empty()) return std::nullopt;
  const Key key = queue_.front();
  queue_.pop_front();
  return key;
}

// Blocks until input, a signal or the time limit (none when negative); an
// unfinished sequence limits the wait to what is left of the escape delay.
void TerminalConsole::waitForInput(int milliseconds) {
  serviceSignals();
  flushScreen();
  SdlThread::frameFinished();
  if (!queue_.empty() && !tooSmall()) return;
  int timeout = milliseconds < 0 ? -1 : milliseconds;
  if (decoder_.pending()) {
    const auto left = static_cast<int>(
        std::max<std::int64_t>(0, lastInputMilliseconds_ + kEscapeDelayMilliseconds - monotonicMilliseconds()));
    timeout = timeout < 0 ? left : std::min(timeout, left);
  }
  pollfd watched[2] = {{STDIN_FILENO, POLLIN, 0}, {signals_->readEnd(), POLLIN, 0}};
  const int ready = poll(watched, 2, timeout);
  if (ready <= 0) return;  // time up, or interrupted
  if (watched[1].revents != 0) serviceSignals();
  if ((watched[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0 && (watched[0].revents & POLLIN) == 0)
    throw ProgramExit{128 + SIGHUP};
}

// Input that arrives meanwhile stays queued; a resize or a stop is still served.
void TerminalConsole::pause(int milliseconds) {
  serviceSignals();
  flushScreen();
  SdlThread::frameFinished();
  const std::int64_t deadline = monotonicMilliseconds() + milliseconds;
  for (;;) {
    const std::int64_t remaining = deadline - monotonicMilliseconds();
    if (remaining <= 0) return;
    pollfd watched{signals_->readEnd(), POLLIN, 0};
    if (poll(&watched, 1, static_cast<int>(remaining)) > 0) {
      serviceSignals();
      flushScreen();
    }
  }
}

}  // namespace pentrill
