#include "screen/platform/terminal_console.h"

#define NCURSES_NOMACROS
#include <curses.h>
#include <term.h>
#undef lines    // term.h names capabilities as macros; keep them out of the way
#undef columns

#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <stdexcept>
#include <vector>

#include "screen/charset.h"

namespace pentrill {

// The signal handler only writes the signal's number into a pipe; every wait
// of the console watches the pipe and ends the program from there.
class SignalWatch {
 public:
  SignalWatch();
  ~SignalWatch();
  SignalWatch(const SignalWatch&) = delete;
  SignalWatch& operator=(const SignalWatch&) = delete;

  int readEnd() const { return pipe_[0]; }
  // The first signal that arrived and was not yet taken, if any.
  std::optional<int> takeSignal();

 private:
  static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
  int pipe_[2] = {-1, -1};
  struct sigaction previous_[std::size(kSignals)] = {};
};

namespace {

constexpr int kEscapeDelayMilliseconds = 25;
constexpr int kGrowWaitMilliseconds = 150;
constexpr mmask_t kButtonEvents = BUTTON1_PRESSED | BUTTON1_RELEASED | BUTTON2_PRESSED | BUTTON2_RELEASED |
                                  BUTTON3_PRESSED | BUTTON3_RELEASED;

volatile std::sig_atomic_t signalPipeWriteEnd = -1;  // the one global the signal handler needs

extern "C" void noteSignal(int signalNumber) {
  const int savedErrno = errno;
  const auto byte = static_cast<unsigned char>(signalNumber);
  if (signalPipeWriteEnd >= 0) {
    [[maybe_unused]] ssize_t written = ::write(signalPipeWriteEnd, &byte, 1);
  }
  errno = savedErrno;
}

std::int64_t monotonicMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

bool codesetIsUtf8() {
  std::string codeset = nl_langinfo(CODESET);
  std::transform(codeset.begin(), codeset.end(), codeset.begin(), [](unsigned char c) { return std::tolower(c); });
  return codeset == "utf-8" || codeset == "utf8";
}

// Only the character type is taken from the environment: the program's
// number texts must not follow a local decimal comma.
bool chooseUtf8Locale() {
  setlocale(LC_CTYPE, "");
  if (codesetIsUtf8()) return true;
  for (const char* name : {"C.UTF-8", "C.utf8"}) {
    if (setlocale(LC_CTYPE, name) && codesetIsUtf8()) return true;
  }
  setlocale(LC_CTYPE, "");
  return false;
}

// Terminals that do not understand xterm's title and window sequences and
// would show them as text.
bool knowsWindowSequences(std::string_view term) {
  return !(term.starts_with("linux") || term.starts_with("dumb") || term.starts_with("vt"));
}

void writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    bytes.remove_prefix(static_cast<size_t>(written));
  }
}

std::optional<std::pair<int, int>> terminalSize() {
  winsize size{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_row == 0 || size.ws_col == 0) return std::nullopt;
  return std::pair<int, int>{size.ws_row, size.ws_col};
}

}  // namespace

SignalWatch::SignalWatch() {
  if (pipe2(pipe_, O_NONBLOCK | O_CLOEXEC) != 0) throw std::runtime_error("cannot create a pipe for signals");
  signalPipeWriteEnd = pipe_[1];
  struct sigaction action{};
  action.sa_handler = noteSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &action, &previous_[i]);
}

SignalWatch::~SignalWatch() {
  for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &previous_[i], nullptr);
  signalPipeWriteEnd = -1;
  close(pipe_[0]);
  close(pipe_[1]);
}

std::optional<int> SignalWatch::takeSignal() {
  unsigned char byte = 0;
  if (::read(pipe_[0], &byte, 1) == 1) return byte;
  return std::nullopt;
}

int ansiColour(int paletteIndex) {
  return (paletteIndex & 0b1010) | ((paletteIndex & 1) << 2) | ((paletteIndex & 4) >> 2);
}

// Signal handlers come first, so that ncurses leaves SIGINT and SIGTERM to us.
TerminalConsole::TerminalConsole() : signals_(std::make_unique<SignalWatch>()) {
  utf8_ = chooseUtf8Locale();
  startCurses();
}

void TerminalConsole::startCurses() {
  const char* term = std::getenv("TERM");
  if (term == nullptr || *term == '\0') throw std::runtime_error("TERM is not set");
  windowSequences_ = knowsWindowSequences(term);
  screen_ = newterm(nullptr, stdout, stdin);
  if (screen_ == nullptr) throw std::runtime_error(std::string("unknown terminal type \"") + term + "\"");
  set_term(screen_);
  const char* cursorAddress = tigetstr("cup");
  if (cursorAddress == nullptr || cursorAddress == reinterpret_cast<const char*>(-1)) {
    endwin();
    delscreen(screen_);
    screen_ = nullptr;
    throw std::runtime_error(std::string("terminal type \"") + term + "\" cannot place the cursor");
  }
  cbreak();
  noecho();
  nonl();
  intrflush(stdscr, FALSE);
  set_escdelay(kEscapeDelayMilliseconds);
  originalCursor_ = curs_set(0);
  shownCursor_ = ShownCursor{};
  if (has_colors() && start_color() == OK) colours_ = COLORS;
  pad_ = newpad(kScreenRows, kScreenColumns);
  keypad(pad_, TRUE);
  nodelay(pad_, TRUE);
  learnKeypadKeys();
  mouseinterval(0);
  // Libraries print to stderr; on the terminal that would garble the screen.
  savedStderr_ = dup(STDERR_FILENO);
  int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (devNull >= 0) {
    dup2(devNull, STDERR_FILENO);
    close(devNull);
  }
}

TerminalConsole::~TerminalConsole() {
  if (screen_ == nullptr) return;
  mousemask(0, nullptr);
  curs_set(originalCursor_ == ERR ? 1 : std::max(originalCursor_, 1));
  delwin(pad_);
  endwin();
  if (titlePushed_) writeAll(STDOUT_FILENO, "\x1b[23;0t");
  if (sizeBefore_) {
    writeAll(STDOUT_FILENO,
             "\x1b[8;" + std::to_string(sizeBefore_->first) + ";" + std::to_string(sizeBefore_->second) + "t");
  }
  delscreen(screen_);
  if (savedStderr_ >= 0) {
    dup2(savedStderr_, STDERR_FILENO);
    close(savedStderr_);
  }
}

// ncurses switches the numeric keypad to application mode, in which many
// terminals send its keys as escape sequences even with Num Lock on; the
// terminal description says which sequence stands for which key.
void TerminalConsole::learnKeypadKeys() {
  static constexpr std::pair<const char*, char> kKeypad[] = {
      {"ka1", '7'}, {"ka2", '8'}, {"ka3", '9'}, {"kb1", '4'}, {"kb2", '5'}, {"kb3", '6'},
      {"kc1", '1'}, {"kc2", '2'}, {"kc3", '3'}, {"kpZRO", '0'}, {"kpDOT", '.'}, {"kpCMA", ','},
      {"kpADD", '+'}, {"kpSUB", '-'}, {"kpMUL", '*'}, {"kpDIV", '/'},
  };
  for (const auto& [name, character] : kKeypad) {
    const char* sequence = tigetstr(name);
    if (sequence == nullptr || sequence == reinterpret_cast<const char*>(-1)) continue;
    const int code = key_defined(sequence);
    if (code > 0) keypadCharacters_[code] = character;
  }
}

void TerminalConsole::sendControl(const std::string& sequence) {
  if (!windowSequences_) return;
  doupdate();  // whatever ncurses holds goes out first
  writeAll(STDOUT_FILENO, sequence);
}

void TerminalConsole::setTitle(std::string_view title) {
  std::string text;
  if (utf8_) {
    text = displayUtf8(title);
  } else {
    for (char byte : title) text += asciiLookAlike(displayCodePoint(byte));
  }
  if (!titlePushed_ && windowSequences_) {
    sendControl("\x1b[22;0t");
    titlePushed_ = true;
  }
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
  readPendingInput();  // lets ncurses take in the new size
}

// The screen normally reaches the terminal when the program waits. Text that
// a clear is about to wipe out goes first, so that a notice shown just before
// a long step (such as preparing an exam) is seen.
void TerminalConsole::clearScreen() {
  if (unseenText_) flushScreen();
  GridConsole::clearScreen();
}

bool TerminalConsole::tooSmall() const { return LINES < kScreenRows || COLS < kScreenColumns; }

void TerminalConsole::throwIfSignalled() {
  if (std::optional<int> signalNumber = signals_->takeSignal()) throw ProgramExit{128 + *signalNumber};
}

std::int64_t TerminalConsole::steadyMilliseconds() { return monotonicMilliseconds(); }

// Mouse reporting follows the program's switch; the terminal keeps its own
// text selection until the program asks for clicks.
void TerminalConsole::syncMouse() {
  if (mouse.inputOn == mouseOn_) return;
  mousemask(mouse.inputOn ? kButtonEvents : 0, nullptr);
  mouseOn_ = mouse.inputOn;
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
  const attr_t bold = (colours_ < 16 && (ansiColour(cell.foreground) & 8)) ? A_BOLD : A_NORMAL;
  cchar_t shown{};
  if (cell.byte == kRuleByte && !utf8_) {
    wchar_t lineDrawing[CCHARW_MAX + 1] = {};
    attr_t attributes = 0;
    short unusedPair = 0;
    getcchar(WACS_HLINE, lineDrawing, &attributes, &unusedPair, nullptr);
    setcchar(&shown, lineDrawing, attributes | bold, pair, nullptr);
  } else {
    const char32_t codePoint = displayCodePoint(cell.byte);
    const wchar_t character[2] = {utf8_ ? static_cast<wchar_t>(codePoint)
                                        : static_cast<wchar_t>(asciiLookAlike(codePoint)),
                                  L'\0'};
    setcchar(&shown, character, bold, pair, nullptr);
  }
  mvwadd_wch(pad_, row - 1, column - 1, &shown);
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
      "Please make it larger, or press Esc to quit."};
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
  shownCursor_ = ShownCursor{};
}

// Sends what changed since the last time, and nothing at all when nothing did:
// the drill rewrites its clock every 20 ms with the same text.
void TerminalConsole::flushScreen() {
  syncMouse();
  unseenText_ = false;
  if (tooSmall()) {
    if (!noticeShown_ || redrawAll_) showTooSmallNotice();
    redrawAll_ = false;
    return;
  }
  bool changed = false;
  if (noticeShown_ || redrawAll_) {
    werase(stdscr);
    wnoutrefresh(stdscr);
    touchwin(pad_);
    noticeShown_ = false;
    redrawAll_ = false;
    changed = true;
  }
  if (grid_.dirtyRows != 0) {
    copyDirtyRows();
    changed = true;
  }
  ShownCursor cursor;
  if (cursorVisible_) cursor = ShownCursor{true, grid_.cursorRow(), grid_.cursorColumn()};
  if (!changed && cursor == shownCursor_) return;

  if (!cursor.visible && shownCursor_.visible) curs_set(0);
  leaveok(pad_, cursor.visible ? FALSE : TRUE);
  if (cursor.visible) wmove(pad_, cursor.row - 1, cursor.column - 1);
  pnoutrefresh(pad_, 0, 0, 0, 0, kScreenRows - 1, kScreenColumns - 1);
  doupdate();
  if (cursor.visible && !shownCursor_.visible) curs_set(1);
  shownCursor_ = cursor;
}

void TerminalConsole::addKey(const TerminalKey& key, bool afterEscape) {
  if (key.isKeyCode) {
    if (auto keypad = keypadCharacters_.find(key.code); keypad != keypadCharacters_.end()) {
      InputEvent event;
      event.key = KeyString(1, keypad->second);
      queue_.push_back(std::move(event));
      return;
    }
  }
  if (afterEscape) {
    if (std::optional<KeyString> alt = altKeyStringOf(key)) {
      queue_.back().key = *alt;
      return;
    }
  }
  InputEvent event;
  event.key = keyStringOf(key);
  if (!event.key.empty()) queue_.push_back(std::move(event));
}

// ncurses hands over a burst of mouse events with one KEY_MOUSE, and
// getmouse() gives them newest first.
void TerminalConsole::addMouseEvents() {
  std::vector<MEVENT> burst;
  MEVENT report{};
  while (getmouse(&report) == OK) burst.push_back(report);
  const std::int64_t now = monotonicMilliseconds();
  for (auto event = burst.rbegin(); event != burst.rend(); ++event) {
    if (std::optional<MouseReport> mouseReport = mouseTracker_.report(event->y, event->x, event->bstate, now)) {
      InputEvent input;
      input.kind = InputEvent::Kind::Mouse;
      input.mouse = *mouseReport;
      queue_.push_back(input);
    }
  }
}

// Takes in everything the terminal has sent so far. Esc on a terminal too
// small to show the screen ends the program; other input waits in the queue.
// A key sequence that the terminal description lacks comes through as Esc and
// plain characters; it is dropped whole, so that an unknown function key can
// neither quit the menu nor answer a question.
void TerminalConsole::readPendingInput() {
  const size_t before = queue_.size();
  EscapeState state = EscapeState::None;
  for (;;) {
    wint_t character = 0;
    const int status = wget_wch(pad_, &character);
    if (status == ERR) break;
    const TerminalKey key{status == KEY_CODE_YES, static_cast<int>(character)};
    if (key.isKeyCode && key.code == KEY_RESIZE) {
      redrawAll_ = true;
      state = EscapeState::None;
    } else if (key.isKeyCode && key.code == KEY_MOUSE) {
      addMouseEvents();
      state = EscapeState::None;
    } else if (!skipUnknownSequence(key, state)) {
      addKey(key, state == EscapeState::AfterEscape);
      state = !key.isKeyCode && key.code == kEscape ? EscapeState::AfterEscape : EscapeState::None;
    }
  }
  if (tooSmall()) {
    for (size_t i = before; i < queue_.size(); ++i) {
      if (queue_[i].kind == InputEvent::Kind::Key && queue_[i].key == KeyString(1, kEscape)) throw ProgramExit{0};
    }
  }
}

// CSI sequences run to a final byte from 0x40 to 0x7E; SS3 sequences are one
// character long. True when the key belongs to such a sequence.
bool TerminalConsole::skipUnknownSequence(const TerminalKey& key, EscapeState& state) {
  if (key.isKeyCode) {
    state = EscapeState::None;
    return false;
  }
  switch (state) {
    case EscapeState::AfterEscape:
      if (key.code != '[' && key.code != 'O') return false;
      queue_.pop_back();  // the Esc that began it
      state = key.code == '[' ? EscapeState::InCsi : EscapeState::InSs3;
      return true;
    case EscapeState::InCsi:
      if (key.code >= 0x20 && key.code <= 0x3F) return true;
      state = EscapeState::None;
      return key.code >= 0x40 && key.code <= 0x7E;
    case EscapeState::InSs3:
      state = EscapeState::None;
      return key.code >= 0x20 && key.code <= 0x7E;
    case EscapeState::None:
      break;
  }
  return false;
}

std::optional<InputEvent> TerminalConsole::nextEvent() {
  readPendingInput();
  if (tooSmall() || queue_.empty()) return std::nullopt;
  InputEvent event = std::move(queue_.front());
  queue_.pop_front();
  return event;
}

void TerminalConsole::waitForInput(int milliseconds) {
  throwIfSignalled();
  flushScreen();
  if (!queue_.empty() && !tooSmall()) return;
  pollfd watched[2] = {{STDIN_FILENO, POLLIN, 0}, {signals_->readEnd(), POLLIN, 0}};
  const int ready = poll(watched, 2, std::max(milliseconds, 0));
  if (ready <= 0) return;  // time up, or a signal such as a resize
  throwIfSignalled();
  if ((watched[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) throw ProgramExit{128 + SIGHUP};
}

// Input that arrives meanwhile stays queued; a resize is still shown.
void TerminalConsole::pause(int milliseconds) {
  throwIfSignalled();
  flushScreen();
  const std::int64_t deadline = monotonicMilliseconds() + milliseconds;
  for (;;) {
    const std::int64_t remaining = deadline - monotonicMilliseconds();
    if (remaining <= 0) return;
    pollfd watched{signals_->readEnd(), POLLIN, 0};
    const int ready = poll(&watched, 1, static_cast<int>(remaining));
    if (ready > 0) throwIfSignalled();
    if (ready < 0 && errno == EINTR) {
      readPendingInput();
      flushScreen();
    }
  }
}

}  // namespace pentrill
