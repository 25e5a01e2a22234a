// A terminal for end-to-end tests: runs a program in a pseudo-terminal and
// keeps a faithful model of what it draws (libvterm), of the terminal modes it
// switches and of every byte it sent.
//
// Positions are (row, column) from 1, as on the program's own screen. Colours
// are reported in the program's palette order (Windows order: 1 blue, 4 red,
// 14 yellow...), converted from the ANSI indices the terminal receives.
//
// Like many terminals it ignores the program's window requests (move, resize,
// title stack: counted, not acted on); tests change its size with resize().
// It answers the queries libvterm knows (cursor position, device attributes).
#pragma once

#include <sys/types.h>
#include <termios.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

struct VTerm;
struct VTermScreen;

namespace pentrill::e2e {

using std::chrono::milliseconds;

// Long enough for a loaded CI machine; waits end as soon as the condition holds.
inline constexpr milliseconds kDefaultTimeout{10000};
// How long a program the test is done with has to end by itself once its
// terminal has closed; longer than the job-control parent gives its job.
inline constexpr milliseconds kEndTimeout{30000};

// How a child process ended.
struct ExitStatus {
  bool exited = false;  // true: ended through exit(); false: killed by a signal
  int code = 0;         // exit code when exited
  int signal = 0;       // signal number when killed

  // The status a shell reports: the exit code, or 128 + the signal number.
  int shellStatus() const { return exited ? code : 128 + signal; }
  std::string describe() const;
};

// One cell of the screen as seen by the user.
struct Cell {
  std::string text = " ";  // UTF-8 of the cell's characters; a blank for an empty cell
  int foreground = -1;     // palette index in the program's order, -1 = terminal default
  int background = -1;
  bool bold = false;
  bool underline = false;
  bool reverse = false;  // reverse video (the colours above are already swapped)

  bool operator==(const Cell&) const = default;
};

// The whole visible screen at one moment.
struct ScreenSnapshot {
  int rows = 0;
  int columns = 0;
  std::vector<Cell> cells;  // row by row
  bool cursorVisible = true;
  int cursorRow = 1;
  int cursorColumn = 1;

  const Cell& at(int row, int column) const;
  bool operator==(const ScreenSnapshot&) const = default;
  // The rows that differ, for failure messages; empty when equal.
  std::string differences(const ScreenSnapshot& other) const;
};

// ANSI colour index (what the terminal receives) to the program's Windows
// palette order: bits 0 (red) and 2 (blue) change places. Indices above 15 are
// returned as they are; -1 stays -1.
int paletteFromAnsi(int ansiIndex);

// UTF-8 text as the number of characters (cells) it occupies on the screen.
int cellCount(std::string_view utf8);

bool sameTermios(const termios& a, const termios& b);
std::string describeTermios(const termios& t);

// Button numbers as the terminal reports them.
enum class MouseButton { Left = 0, Middle = 1, Right = 2 };

struct PtyOptions {
  int rows = 43;
  int columns = 100;
  std::string workingDirectory;      // empty: a fresh temporary directory
  std::vector<std::string> arguments;  // after the program name
  // Environment entries ("NAME=value") that replace or add to the fixed ones.
  std::vector<std::string> environment;
  // The size the terminal reports to the program, when it differs from the
  // modelled screen (rows, columns): a huge or bogus size costs the test nothing.
  int reportedRows = 0;
  int reportedColumns = 0;
  // Like terminals that know only the old mouse reports: "\x1b[?1006h" is
  // ignored and clicks arrive as ESC [ M and three bytes.
  bool oldStyleMouse = false;
  // How the terminal answers primary device attributes ("ESC [ c"): as
  // libvterm does (no graphics), as a terminal with sixel graphics does
  // (";4" among the attributes), or not at all.
  enum class DeviceAttributes { Plain, Sixel, Silent };
  DeviceAttributes deviceAttributes = DeviceAttributes::Plain;
};

class PtyTerminal {
 public:
  explicit PtyTerminal(const std::string& program, PtyOptions options = {});
  ~PtyTerminal();
  PtyTerminal(const PtyTerminal&) = delete;
  PtyTerminal& operator=(const PtyTerminal&) = delete;

  pid_t pid() const { return pid_; }
  const std::string& workingDirectory() const { return workingDirectory_; }

  // Input, written to the program as a terminal would send it.
  void send(std::string_view bytes);
  void sendEscape() { send("\x1b"); }
  void sendEnter() { send("\r"); }
  void sendCtrlC() { send("\x03"); }
  void sendUp() { send(cursorKeySequence('A')); }
  void sendDown() { send(cursorKeySequence('B')); }
  void sendRight() { send(cursorKeySequence('C')); }
  void sendLeft() { send(cursorKeySequence('D')); }
  void sendF1() { send("\x1bOP"); }
  // A button pressed and released at (row, column), in the mouse encoding
  // the program switched on (SGR when it sent "\x1b[?1006h", else X10).
  // Throws std::logic_error when the program has not switched mouse
  // reporting on: a real terminal would not report the click at all.
  void click(int row, int column, MouseButton button = MouseButton::Left);
  void doubleClick(int row, int column);

  // Reads what the program has sent, waiting at most the given time for the
  // first bytes. False once the program has ended and nothing is left.
  bool pump(milliseconds wait);
  // Reads output for the whole given time: for checks that nothing changes.
  void settle(milliseconds duration);
  // Reads output until the condition holds or the time runs out.
  bool waitFor(const std::function<bool()>& condition, milliseconds timeout = kDefaultTimeout);
  ::testing::AssertionResult waitForText(int row, int column, std::string_view text,
                                         milliseconds timeout = kDefaultTimeout);
  // Until the raw output since `fromOffset` contains `bytes`.
  ::testing::AssertionResult waitForBytes(std::string_view bytes, size_t fromOffset = 0,
                                          milliseconds timeout = kDefaultTimeout);

  // The screen, as the user sees it.
  int rows() const { return rows_; }
  int columns() const { return columns_; }
  Cell cell(int row, int column) const;
  std::string rowText(int row) const;  // every cell of the row, blanks included
  std::string textAt(int row, int column, int length) const;  // `length` cells
  int foreground(int row, int column) const { return cell(row, column).foreground; }
  int background(int row, int column) const { return cell(row, column).background; }
  ScreenSnapshot snapshot() const;
  std::string screenDump() const;  // all rows, numbered, for failure messages
  int cursorRow() const;
  int cursorColumn() const;

  // The terminal's size changes as when the user resizes the window: the
  // kernel sends the program SIGWINCH.
  void resize(int rows, int columns);
  // The terminal closes (the window is closed, the connection drops): the
  // kernel sends the program SIGHUP, and its reads and writes fail.
  void hangUp();

  // The program.
  void sendSignal(int signal);
  bool running();
  // Waits for the program to end, reading its output meanwhile.
  std::optional<ExitStatus> waitExit(milliseconds timeout = kDefaultTimeout);
  // Ends the program as closing the terminal window does (the destructor does
  // this to a program still running): the terminal hangs up, and the program
  // is waited for and reaped. It is killed only when still running after the
  // limit, and that fails the test. A program is never killed while it ends:
  // that would break its exit (a sanitizer's leak check among others).
  ExitStatus closeAndWait(milliseconds limit = kEndTimeout);
  // The program's main thread is asleep in poll(): it has acted on all the
  // input it has read and waits for more, or for a time limit. Used to know
  // that an unfinished sequence has been dropped at the end of the escape
  // delay: while one is held, poll() may sleep only until the delay ends.
  bool asleepInPoll() const;
  // Bytes typed that no program has read yet (what a shell would read next).
  int unreadInput() const;
  // Bytes the program has read so far, from any file (/proc/PID/io).
  unsigned long long bytesRead() const;
  // Sends the bytes, then waits until the program has read at least as many
  // and sleeps in poll() again: it has acted on them. (The pty's own count of
  // unread input can say 0 before the bytes have even reached it.)
  ::testing::AssertionResult sendAndWaitUntilRead(std::string_view bytes, milliseconds timeout = kDefaultTimeout);
  // Waits until the program has drawn all it had to and waits for input, and
  // reads its output to the last byte (what it wrote just before going to
  // sleep may still be on its way): the screen is whole.
  ::testing::AssertionResult waitUntilIdle(milliseconds timeout = kDefaultTimeout);

  // Terminal state the program switched.
  const std::string& title() const { return title_; }
  bool altScreen() const { return altScreen_; }
  bool cursorVisible() const { return cursorVisible_; }
  int mouseMode() const { return mouseMode_; }  // VTERM_PROP_MOUSE_*: 0 = off
  // A DEC private mode as last set or reset by the program ("\x1b[?Nh" / "l").
  bool decMode(int mode) const;
  int titlePushes() const { return titlePushes_; }  // "\x1b[22;...t"
  int titlePops() const { return titlePops_; }      // "\x1b[23;...t"

  // Every byte the program sent, in order.
  const std::string& received() const { return received_; }
  size_t countReceived(std::string_view bytes, size_t fromOffset = 0) const;

  // The pty's settings when the program started, and now (also after it ended).
  const termios& initialTermios() const { return initialTermios_; }
  termios currentTermios() const;

 private:
  friend struct VTermHooks;

  void start(const std::string& program, const PtyOptions& options);
  void feed(const char* bytes, size_t length);
  void scan(char byte, std::string& forTerminal);
  std::string controlSequence(char final);
  size_t readAvailable(milliseconds wait);
  std::string cursorKeySequence(char final) const;
  std::string mouseSequence(int row, int column, MouseButton button, bool press) const;
  void checkPosition(int row, int column) const;
  void reap(int options);
  void closeTerminal();

  int master_ = -1;
  int slave_ = -1;  // kept open so the terminal outlives the program
  pid_t pid_ = -1;
  std::optional<ExitStatus> exitStatus_;
  std::string workingDirectory_;
  bool ownsWorkingDirectory_ = false;
  int rows_ = 0;
  int columns_ = 0;
  bool oldStyleMouse_ = false;
  PtyOptions::DeviceAttributes deviceAttributes_ = PtyOptions::DeviceAttributes::Plain;

  VTerm* vterm_ = nullptr;
  VTermScreen* screen_ = nullptr;

  std::string received_;
  std::string answers_;  // the terminal's replies to queries, sent after each read
  std::string title_;
  bool altScreen_ = false;
  bool cursorVisible_ = true;
  int mouseMode_ = 0;
  int titlePushes_ = 0;
  int titlePops_ = 0;
  std::map<int, bool> decModes_;
  // Control-sequence scanner over the output (modes, title stack).
  enum class ScanState { Ground, Escape, ControlSequence } scanState_ = ScanState::Ground;
  std::string sequence_;

  termios initialTermios_{};
};

// A program started without a terminal, its output collected through pipes.
struct DetachedRun {
  std::optional<ExitStatus> status;  // empty when it did not end in time (then killed)
  std::string standardOutput;
  std::string standardError;
  std::string terminalOutput;  // what reached the pty, when standard input was one
};

enum class DetachedInput { DevNull, Pseudoterminal };

// Runs the program with standard output and error on pipes and standard input
// from /dev/null or from a fresh pseudo-terminal.
DetachedRun runDetached(const std::string& program, DetachedInput input, const std::vector<std::string>& arguments = {},
                        milliseconds timeout = kDefaultTimeout);

// A program on pipes, spoken to a line at a time as a script or a screen
// reader's user does; its standard error goes to /dev/null. The environment
// is the terminal's (TERM=xterm-256color, a UTF-8 locale) with `environment`.
class PipedProgram {
 public:
  PipedProgram(const std::string& program, const std::vector<std::string>& arguments,
               const std::vector<std::string>& environment = {});
  // A program the test is done with ends as at the end of its input.
  ~PipedProgram();
  PipedProgram(const PipedProgram&) = delete;
  PipedProgram& operator=(const PipedProgram&) = delete;

  // The next line written, without its end; none when none comes in time.
  std::optional<std::string> nextLine(milliseconds timeout = kDefaultTimeout);
  // The lines up to and including the first that begins with `prefix`; a
  // failure of the test when none does.
  std::vector<std::string> linesThrough(std::string_view prefix);
  void sendLine(std::string_view line);
  void closeInput();
  // Closes the input, reads the output to its end and waits for the program,
  // which is killed only when still running after kEndTimeout (a failure).
  int shellStatus();
  // Every byte written so far.
  const std::string& output() const { return output_; }

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  int outputFd_ = -1;
  std::optional<int> status_;
  std::string pending_;
  std::string output_;
};

// A folder of the test's own, removed with all it holds at the end.
// The first whole line of `pending` without its end, taken out of it; none
// while no line is whole.
std::optional<std::string> takeLine(std::string& pending);

struct TemporaryFolder {
  TemporaryFolder();
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  std::string path;  // empty when none could be made
};

}  // namespace pentrill::e2e
