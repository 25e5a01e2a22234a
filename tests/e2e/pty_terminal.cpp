#include "pty_terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utmp.h>
#include <vterm.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <thread>

extern char** environ;

namespace pentrill::e2e {

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void throwSystemError(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

milliseconds remainingUntil(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? left : milliseconds{0};
}

void setCloseOnExec(int fd) { fcntl(fd, F_SETFD, fcntl(fd, F_GETFD) | FD_CLOEXEC); }
void setNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

// The invoking environment, less everything that describes the invoking
// terminal or display, plus a fixed terminal type and a UTF-8 locale.
std::vector<std::string> childEnvironment(const std::vector<std::string>& extra) {
  auto dropped = [](std::string_view entry) {
    const std::string_view name = entry.substr(0, entry.find('='));
    for (std::string_view exact : {"TERM", "LANG", "LANGUAGE", "DISPLAY", "WAYLAND_DISPLAY", "COLUMNS", "LINES",
                                   "TERMCAP", "ESCDELAY", "COLORTERM", "TMUX", "STY"})
      if (name == exact) return true;
    return name.starts_with("LC_") || name.starts_with("NCURSES");
  };
  std::vector<std::string> result;
  for (char** entry = environ; *entry != nullptr; ++entry)
    if (!dropped(*entry)) result.emplace_back(*entry);
  result.emplace_back("TERM=xterm-256color");
  result.emplace_back("LANG=C.UTF-8");
  for (const std::string& entry : extra) {
    const std::string prefix = entry.substr(0, entry.find('=') + 1);
    std::erase_if(result, [&](const std::string& present) { return present.starts_with(prefix); });
    result.push_back(entry);
  }
  return result;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> result;
  for (std::string& text : texts) result.push_back(text.data());
  result.push_back(nullptr);
  return result;
}

void appendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

int paletteIndex(const VTermColor& colour) {
  if (VTERM_COLOR_IS_DEFAULT_FG(&colour) || VTERM_COLOR_IS_DEFAULT_BG(&colour)) return -1;
  if (!VTERM_COLOR_IS_INDEXED(&colour)) return -1;
  return paletteFromAnsi(colour.indexed.idx);
}

ExitStatus exitStatusFrom(int status) {
  ExitStatus result;
  result.exited = WIFEXITED(status);
  result.code = result.exited ? WEXITSTATUS(status) : 0;
  result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  return result;
}

// Writes everything, waiting while the pty's buffer is full.
void writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written > 0) {
      bytes.remove_prefix(static_cast<size_t>(written));
    } else if (written < 0 && (errno == EAGAIN || errno == EINTR)) {
      pollfd p{fd, POLLOUT, 0};
      if (::poll(&p, 1, static_cast<int>(kDefaultTimeout.count())) == 0)
        throw std::runtime_error("the program does not read its input");
    } else {
      throwSystemError("write to pty");
    }
  }
}

}  // namespace

// libvterm's callbacks, with the exact signatures it expects.
struct VTermHooks {
  static int setTermProp(VTermProp prop, VTermValue* value, void* user) {
    auto& terminal = *static_cast<PtyTerminal*>(user);
    switch (prop) {
      case VTERM_PROP_TITLE: terminal.title_ = value->string != nullptr ? value->string : ""; break;
      case VTERM_PROP_ALTSCREEN: terminal.altScreen_ = value->boolean != 0; break;
      case VTERM_PROP_CURSORVISIBLE: terminal.cursorVisible_ = value->boolean != 0; break;
      case VTERM_PROP_MOUSE: terminal.mouseMode_ = value->number; break;
      default: break;
    }
    return 1;  // accepted: libvterm applies the change
  }

  // Replies to the program's queries (cursor position, device attributes).
  static void output(const char* bytes, size_t length, void* user) {
    static_cast<PtyTerminal*>(user)->answers_.append(bytes, length);
  }
};

std::string ExitStatus::describe() const {
  if (exited) return "exit status " + std::to_string(code);
  return "killed by signal " + std::to_string(signal) + " (" + strsignal(signal) + ")";
}

const Cell& ScreenSnapshot::at(int row, int column) const {
  return cells.at(static_cast<size_t>((row - 1) * columns + (column - 1)));
}

std::string ScreenSnapshot::differences(const ScreenSnapshot& other) const {
  std::ostringstream out;
  if (rows != other.rows || columns != other.columns) {
    out << "size " << rows << "x" << columns << " vs " << other.rows << "x" << other.columns << "\n";
    return out.str();
  }
  if (cursorVisible != other.cursorVisible) out << "cursor visible " << cursorVisible << " vs " << other.cursorVisible << "\n";
  if (cursorRow != other.cursorRow || cursorColumn != other.cursorColumn)
    out << "cursor (" << cursorRow << "," << cursorColumn << ") vs (" << other.cursorRow << "," << other.cursorColumn
        << ")\n";
  for (int row = 1; row <= rows; ++row) {
    for (int column = 1; column <= columns; ++column) {
      const Cell& a = at(row, column);
      const Cell& b = other.at(row, column);
      if (a == b) continue;
      out << "row " << row << " column " << column << ": \"" << a.text << "\" " << a.foreground << " on "
          << a.background << " vs \"" << b.text << "\" " << b.foreground << " on " << b.background << "\n";
      break;  // the first difference of each row is enough
    }
  }
  return out.str();
}

int paletteFromAnsi(int ansiIndex) {
  if (ansiIndex < 0 || ansiIndex > 15) return ansiIndex;
  return (ansiIndex & ~5) | ((ansiIndex & 1) << 2) | ((ansiIndex & 4) >> 2);
}

int cellCount(std::string_view utf8) {
  int count = 0;
  for (char c : utf8)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  return count;
}

bool sameTermios(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag &&
         std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0 && cfgetispeed(&a) == cfgetispeed(&b) &&
         cfgetospeed(&a) == cfgetospeed(&b);
}

std::string describeTermios(const termios& t) {
  std::ostringstream out;
  out << std::hex << "iflag " << t.c_iflag << " oflag " << t.c_oflag << " cflag " << t.c_cflag << " lflag "
      << t.c_lflag << " cc";
  for (cc_t c : t.c_cc) out << ' ' << static_cast<int>(c);
  return out.str();
}

PtyTerminal::PtyTerminal(const std::string& program, PtyOptions options) { start(program, options); }

PtyTerminal::~PtyTerminal() {
  if (pid_ > 0 && !exitStatus_) {
    try {
      closeAndWait();
    } catch (const std::exception& error) {  // reading the last output failed
      ADD_FAILURE() << "closing the terminal: " << error.what();
      closeTerminal();
      if (!waitExit(kEndTimeout)) {
        ::kill(pid_, SIGKILL);
        reap(0);
      }
    }
  }
  if (vterm_ != nullptr) vterm_free(vterm_);
  if (master_ >= 0) ::close(master_);
  if (slave_ >= 0) ::close(slave_);
  if (ownsWorkingDirectory_) {
    std::error_code ignored;
    std::filesystem::remove_all(workingDirectory_, ignored);
  }
}

void PtyTerminal::start(const std::string& program, const PtyOptions& options) {
  rows_ = options.rows;
  columns_ = options.columns;
  workingDirectory_ = options.workingDirectory;
  if (workingDirectory_.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "pentrill-e2e-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throwSystemError("mkdtemp");
    workingDirectory_ = pattern;
    ownsWorkingDirectory_ = true;
  }

  vterm_ = vterm_new(rows_, columns_);
  vterm_set_utf8(vterm_, 1);
  vterm_output_set_callback(vterm_, &VTermHooks::output, this);
  screen_ = vterm_obtain_screen(vterm_);
  vterm_screen_enable_altscreen(screen_, 1);
  static const VTermScreenCallbacks callbacks = {
      .damage = nullptr,
      .moverect = nullptr,
      .movecursor = nullptr,
      .settermprop = &VTermHooks::setTermProp,
      .bell = nullptr,
      .resize = nullptr,
      .sb_pushline = nullptr,
      .sb_popline = nullptr,
  };
  vterm_screen_set_callbacks(screen_, &callbacks, this);
  vterm_screen_reset(screen_, 1);

  oldStyleMouse_ = options.oldStyleMouse;
  deviceAttributes_ = options.deviceAttributes;
  winsize size{};
  size.ws_row = static_cast<unsigned short>(options.reportedRows > 0 ? options.reportedRows : rows_);
  size.ws_col = static_cast<unsigned short>(options.reportedColumns > 0 ? options.reportedColumns : columns_);
  if (::openpty(&master_, &slave_, nullptr, nullptr, &size) != 0) throwSystemError("openpty");
  setCloseOnExec(master_);
  setCloseOnExec(slave_);
  setNonBlocking(master_);
  if (::tcgetattr(slave_, &initialTermios_) != 0) throwSystemError("tcgetattr");

  std::vector<std::string> arguments{program};
  arguments.insert(arguments.end(), options.arguments.begin(), options.arguments.end());
  // Each program keeps its study record in its own working directory, so that
  // no test sees another's answers (nor the user's); options may name another.
  std::vector<std::string> extra{"XDG_STATE_HOME=" + workingDirectory_ + "/state"};
  extra.insert(extra.end(), options.environment.begin(), options.environment.end());
  std::vector<std::string> environment = childEnvironment(extra);
  std::vector<char*> argv = pointers(arguments);
  std::vector<char*> envp = pointers(environment);

  pid_ = ::fork();
  if (pid_ < 0) throwSystemError("fork");
  if (pid_ == 0) {
    // The child: a session of its own with the pty as controlling terminal.
    const int slave = ::dup(slave_);
    if (slave < 0 || ::login_tty(slave) != 0) ::_exit(126);
    if (::chdir(workingDirectory_.c_str()) != 0) ::_exit(126);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGCHLD, SIGWINCH, SIGTSTP, SIGTTIN, SIGTTOU})
      ::signal(signal, SIG_DFL);
    ::execve(program.c_str(), argv.data(), envp.data());
    ::_exit(127);
  }
}

void PtyTerminal::send(std::string_view bytes) { writeAll(master_, bytes); }

std::string PtyTerminal::cursorKeySequence(char final) const {
  // Application cursor keys (DECCKM) when the program asked for them.
  return std::string(decMode(1) ? "\x1bO" : "\x1b[") + final;
}

std::string PtyTerminal::mouseSequence(int row, int column, MouseButton button, bool press) const {
  const int code = static_cast<int>(button);
  if (decMode(1006) && !oldStyleMouse_)
    return "\x1b[<" + std::to_string(code) + ";" + std::to_string(column) + ";" + std::to_string(row) +
           (press ? "M" : "m");
  if (row > 223 || column > 223) throw std::logic_error("position not expressible in X10 mouse encoding");
  std::string sequence = "\x1b[M";
  sequence += static_cast<char>(32 + (press ? code : 3));  // X10 releases do not say which button
  sequence += static_cast<char>(32 + column);
  sequence += static_cast<char>(32 + row);
  return sequence;
}

void PtyTerminal::click(int row, int column, MouseButton button) {
  checkPosition(row, column);
  const bool pressesOnly = mouseMode_ == VTERM_PROP_MOUSE_NONE && decMode(9);
  if (mouseMode_ == VTERM_PROP_MOUSE_NONE && !pressesOnly)
    throw std::logic_error("click at (" + std::to_string(row) + "," + std::to_string(column) +
                           "): the program has not switched mouse reporting on");
  send(mouseSequence(row, column, button, true));
  if (!pressesOnly) send(mouseSequence(row, column, button, false));
}

void PtyTerminal::doubleClick(int row, int column) {
  click(row, column);
  click(row, column);
}

size_t PtyTerminal::readAvailable(milliseconds wait) {
  if (master_ < 0) {
    std::this_thread::sleep_for(wait);
    return 0;
  }
  pollfd p{master_, POLLIN, 0};
  const int ready = ::poll(&p, 1, static_cast<int>(wait.count()));
  if (ready < 0 && errno != EINTR) throwSystemError("poll");
  if (ready <= 0) return 0;
  size_t total = 0;
  char buffer[65536];
  for (;;) {
    const ssize_t count = ::read(master_, buffer, sizeof buffer);
    if (count > 0) {
      feed(buffer, static_cast<size_t>(count));
      total += static_cast<size_t>(count);
      continue;
    }
    if (count < 0 && errno == EINTR) continue;
    break;  // EAGAIN: nothing more for now (EIO cannot happen while the slave stays open)
  }
  return total;
}

void PtyTerminal::feed(const char* bytes, size_t length) {
  received_.append(bytes, length);
  std::string forTerminal;
  for (size_t i = 0; i < length; ++i) scan(bytes[i], forTerminal);
  vterm_input_write(vterm_, forTerminal.data(), forTerminal.size());
  vterm_screen_flush_damage(screen_);
  if (!answers_.empty()) {
    const std::string answers = std::move(answers_);
    answers_.clear();
    send(answers);
  }
}

// Follows the control sequences that set modes and the title stack, and hands
// every byte on to libvterm. libvterm 0.1 applies only the first mode of a
// "\x1b[?1006;1000h", which xterm and ncurses use, so such sequences reach it
// one mode at a time.
void PtyTerminal::scan(char byte, std::string& forTerminal) {
  switch (scanState_) {
    case ScanState::Ground:
      if (byte == '\x1b') {
        scanState_ = ScanState::Escape;
      } else {
        forTerminal += byte;
      }
      break;
    case ScanState::Escape:
      if (byte == '[') {
        sequence_.clear();
        scanState_ = ScanState::ControlSequence;
        break;
      }
      if (byte == 'c') decModes_.clear();  // full reset
      forTerminal += '\x1b';
      if (byte == '\x1b') break;
      forTerminal += byte;
      scanState_ = ScanState::Ground;
      break;
    case ScanState::ControlSequence:
      if (byte >= 0x40 && byte <= 0x7E) {
        forTerminal += controlSequence(byte);
        scanState_ = ScanState::Ground;
      } else if (byte == '\x1b') {
        forTerminal += "\x1b[" + sequence_;  // abandoned: the terminal sees what came
        scanState_ = ScanState::Escape;
      } else if (static_cast<unsigned char>(byte) < 0x20) {
        forTerminal += byte;  // a control inside a sequence acts at once
      } else {
        sequence_ += byte;
      }
      break;
  }
}

std::string PtyTerminal::controlSequence(char final) {
  const std::string whole = "\x1b[" + sequence_ + final;
  const bool isPrivate = !sequence_.empty() && sequence_[0] == '?';
  std::vector<int> parameters;
  std::istringstream in(isPrivate ? sequence_.substr(1) : sequence_);
  for (std::string item; std::getline(in, item, ';');) parameters.push_back(item.empty() ? 0 : std::atoi(item.c_str()));
  if (isPrivate && (final == 'h' || final == 'l')) {
    std::string oneByOne;
    for (int mode : parameters) {
      decModes_[mode] = final == 'h';
      oneByOne += "\x1b[?" + std::to_string(mode) + final;
    }
    return oneByOne;
  }
  if (!isPrivate && final == 't' && !parameters.empty()) {
    if (parameters[0] == 22) ++titlePushes_;
    if (parameters[0] == 23) ++titlePops_;
  }
  const bool deviceAttributesQuery = !isPrivate && final == 'c' && (sequence_.empty() || sequence_ == "0");
  if (deviceAttributesQuery && deviceAttributes_ != PtyOptions::DeviceAttributes::Plain) {
    if (deviceAttributes_ == PtyOptions::DeviceAttributes::Sixel) answers_ += "\x1b[?62;4;22c";  // VT220, sixel, colour
    return "";
  }
  return whole;
}

bool PtyTerminal::decMode(int mode) const {
  const auto found = decModes_.find(mode);
  return found != decModes_.end() && found->second;
}

bool PtyTerminal::pump(milliseconds wait) {
  if (readAvailable(wait) > 0) return true;
  return running();
}

void PtyTerminal::settle(milliseconds duration) {
  const auto deadline = Clock::now() + duration;
  while (Clock::now() < deadline) {
    if (!pump(remainingUntil(deadline))) break;
  }
}

bool PtyTerminal::waitFor(const std::function<bool()>& condition, milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (Clock::now() >= deadline) return false;
    if (!pump(std::min(milliseconds{20}, remainingUntil(deadline)))) return condition();  // nothing more will come
  }
}

::testing::AssertionResult PtyTerminal::waitForText(int row, int column, std::string_view text, milliseconds timeout) {
  const int length = cellCount(text);
  auto fits = [&] { return row >= 1 && row <= rows_ && column >= 1 && column + length - 1 <= columns_; };
  if (waitFor([&] { return fits() && textAt(row, column, length) == text; }, timeout))
    return ::testing::AssertionSuccess();
  auto failure = ::testing::AssertionFailure();
  failure << "expected at row " << row << " column " << column << ": \"" << text << "\"\n";
  if (fits()) failure << "found:                     \"" << textAt(row, column, length) << "\"\n";
  return failure << "screen:\n" << screenDump();
}

::testing::AssertionResult PtyTerminal::waitForBytes(std::string_view bytes, size_t fromOffset, milliseconds timeout) {
  if (waitFor([&] { return countReceived(bytes, fromOffset) > 0; }, timeout)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "the program never sent \"" << bytes << "\"\nscreen:\n" << screenDump();
}

void PtyTerminal::checkPosition(int row, int column) const {
  if (row < 1 || row > rows_ || column < 1 || column > columns_)
    throw std::out_of_range("position (" + std::to_string(row) + "," + std::to_string(column) + ") outside " +
                            std::to_string(rows_) + "x" + std::to_string(columns_));
}

Cell PtyTerminal::cell(int row, int column) const {
  checkPosition(row, column);
  VTermScreenCell raw{};
  vterm_screen_get_cell(screen_, VTermPos{row - 1, column - 1}, &raw);
  Cell result;
  if (raw.chars[0] == 0) {
    result.text = " ";
  } else if (raw.chars[0] == static_cast<uint32_t>(-1)) {
    result.text.clear();  // right half of a wide character
  } else {
    result.text.clear();
    for (int i = 0; i < VTERM_MAX_CHARS_PER_CELL && raw.chars[i] != 0; ++i) appendUtf8(result.text, raw.chars[i]);
  }
  result.foreground = paletteIndex(raw.fg);
  result.background = paletteIndex(raw.bg);
  if (raw.attrs.reverse) std::swap(result.foreground, result.background);
  result.reverse = raw.attrs.reverse != 0;
  result.bold = raw.attrs.bold != 0;
  result.underline = raw.attrs.underline != 0;
  return result;
}

std::string PtyTerminal::textAt(int row, int column, int length) const {
  if (length > 0) checkPosition(row, column + length - 1);
  std::string text;
  for (int i = 0; i < length; ++i) text += cell(row, column + i).text;
  return text;
}

std::string PtyTerminal::rowText(int row) const { return textAt(row, 1, columns_); }

int PtyTerminal::cursorRow() const {
  VTermPos position{};
  vterm_state_get_cursorpos(vterm_obtain_state(vterm_), &position);
  return position.row + 1;
}

int PtyTerminal::cursorColumn() const {
  VTermPos position{};
  vterm_state_get_cursorpos(vterm_obtain_state(vterm_), &position);
  return position.col + 1;
}

ScreenSnapshot PtyTerminal::snapshot() const {
  ScreenSnapshot shot;
  shot.rows = rows_;
  shot.columns = columns_;
  shot.cursorVisible = cursorVisible_;
  shot.cursorRow = cursorRow();
  shot.cursorColumn = cursorColumn();
  shot.cells.reserve(static_cast<size_t>(rows_ * columns_));
  for (int row = 1; row <= rows_; ++row)
    for (int column = 1; column <= columns_; ++column) shot.cells.push_back(cell(row, column));
  return shot;
}

std::string PtyTerminal::screenDump() const {
  std::ostringstream out;
  for (int row = 1; row <= rows_; ++row) {
    std::string text = rowText(row);
    text.erase(text.find_last_not_of(' ') + 1);
    out << (row < 10 ? " " : "") << row << "|" << text << "\n";
  }
  return out.str();
}

void PtyTerminal::resize(int rows, int columns) {
  readAvailable(milliseconds{0});  // what was drawn before belongs to the old size
  rows_ = rows;
  columns_ = columns;
  vterm_set_size(vterm_, rows, columns);
  vterm_screen_flush_damage(screen_);
  winsize size{};
  size.ws_row = static_cast<unsigned short>(rows);
  size.ws_col = static_cast<unsigned short>(columns);
  if (::ioctl(master_, TIOCSWINSZ, &size) != 0) throwSystemError("TIOCSWINSZ");
}

void PtyTerminal::hangUp() {
  readAvailable(milliseconds{0});
  closeTerminal();
}

void PtyTerminal::closeTerminal() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
  if (slave_ >= 0) ::close(slave_);
  slave_ = -1;
}

void PtyTerminal::sendSignal(int signal) {
  if (::kill(pid_, signal) != 0) throwSystemError("kill");
}

void PtyTerminal::reap(int options) {
  if (exitStatus_) return;
  int status = 0;
  pid_t result;
  do {
    result = ::waitpid(pid_, &status, options);
  } while (result < 0 && errno == EINTR);
  if (result == pid_) exitStatus_ = exitStatusFrom(status);
}

bool PtyTerminal::running() {
  reap(WNOHANG);
  return !exitStatus_;
}

std::optional<ExitStatus> PtyTerminal::waitExit(milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (running()) {
    if (Clock::now() >= deadline) return std::nullopt;
    readAvailable(std::min(milliseconds{20}, remainingUntil(deadline)));
  }
  // The last output may still be on its way through the pty: Linux hands
  // it on before it says that there is nothing to read.
  if (master_ >= 0) readAvailable(milliseconds{0});
  return exitStatus_;
}

ExitStatus PtyTerminal::closeAndWait(milliseconds limit) {
  if (master_ >= 0) hangUp();
  if (std::optional<ExitStatus> status = waitExit(limit)) return *status;
  ADD_FAILURE() << "the program (pid " << pid_ << ") did not end within " << limit.count()
                << " ms of its terminal closing, and was killed";
  ::kill(pid_, SIGKILL);
  reap(0);
  return exitStatus_.value_or(ExitStatus{});
}

// /proc/PID/syscall names the system call a sleeping thread is in, and says
// "running" for one that runs or is about to.
bool PtyTerminal::asleepInPoll() const {
  std::ifstream file("/proc/" + std::to_string(pid_) + "/syscall");
  long number = -1;
  if (!(file >> number)) return false;
#ifdef SYS_poll
  if (number == SYS_poll) return true;
#endif
  return number == SYS_ppoll;
}

int PtyTerminal::unreadInput() const {
  int count = 0;
  if (::ioctl(slave_, FIONREAD, &count) != 0) throwSystemError("FIONREAD");
  return count;
}

unsigned long long PtyTerminal::bytesRead() const {
  std::ifstream file("/proc/" + std::to_string(pid_) + "/io");
  for (std::string line; std::getline(file, line);)
    if (line.starts_with("rchar:")) return std::stoull(line.substr(6));
  throw std::runtime_error("no rchar in /proc/" + std::to_string(pid_) + "/io");
}

::testing::AssertionResult PtyTerminal::sendAndWaitUntilRead(std::string_view bytes, milliseconds timeout) {
  const unsigned long long before = bytesRead();
  send(bytes);
  if (waitFor([&] { return bytesRead() - before >= bytes.size() && asleepInPoll(); }, timeout))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "the program read " << bytesRead() - before << " of the " << bytes.size()
                                       << " bytes sent, or never went back to waiting";
}

::testing::AssertionResult PtyTerminal::waitUntilIdle(milliseconds timeout) {
  if (!waitFor([&] { return asleepInPoll(); }, timeout))
    return ::testing::AssertionFailure() << "the program never went back to waiting";
  for (size_t seen = 0; seen != received_.size();) {
    seen = received_.size();
    pump(milliseconds{50});
  }
  return ::testing::AssertionSuccess();
}

size_t PtyTerminal::countReceived(std::string_view bytes, size_t fromOffset) const {
  size_t count = 0;
  for (size_t at = received_.find(bytes, fromOffset); at != std::string::npos; at = received_.find(bytes, at + 1))
    ++count;
  return count;
}

termios PtyTerminal::currentTermios() const {
  termios now{};
  if (::tcgetattr(slave_, &now) != 0) throwSystemError("tcgetattr");
  return now;
}

DetachedRun runDetached(const std::string& program, DetachedInput input, const std::vector<std::string>& arguments,
                        milliseconds timeout) {
  DetachedRun run;
  int out[2], err[2];
  if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) throwSystemError("pipe2");
  int master = -1, slave = -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (input == DetachedInput::DevNull) {
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  } else {
    winsize size{};
    size.ws_row = 43;
    size.ws_col = 100;
    if (::openpty(&master, &slave, nullptr, nullptr, &size) != 0) throwSystemError("openpty");
    setCloseOnExec(master);
    setCloseOnExec(slave);
    setNonBlocking(master);
    posix_spawn_file_actions_adddup2(&actions, slave, 0);
  }
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // A session of its own: no controlling terminal, whatever runs the tests.
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);

  std::vector<std::string> commandLine{program};
  commandLine.insert(commandLine.end(), arguments.begin(), arguments.end());
  std::vector<std::string> environment = childEnvironment({});
  std::vector<char*> argv = pointers(commandLine);
  std::vector<char*> envp = pointers(environment);
  pid_t pid = -1;
  const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ::close(out[1]);
  ::close(err[1]);
  if (spawned != 0) {
    errno = spawned;
    throwSystemError("posix_spawn");
  }

  const auto deadline = Clock::now() + timeout;
  bool outOpen = true, errOpen = true;
  char buffer[4096];
  auto drain = [&](int fd, std::string& into) {
    const ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count > 0) into.append(buffer, static_cast<size_t>(count));
    return count != 0 && !(count < 0 && errno != EINTR && errno != EAGAIN);
  };
  while ((outOpen || errOpen) && Clock::now() < deadline) {
    pollfd fds[3] = {{outOpen ? out[0] : -1, POLLIN, 0}, {errOpen ? err[0] : -1, POLLIN, 0}, {master, POLLIN, 0}};
    if (::poll(fds, 3, static_cast<int>(std::min(milliseconds{50}, remainingUntil(deadline)).count())) <= 0) continue;
    if (fds[0].revents != 0) outOpen = drain(out[0], run.standardOutput);
    if (fds[1].revents != 0) errOpen = drain(err[0], run.standardError);
    if (fds[2].revents & POLLIN) drain(master, run.terminalOutput);
  }
  // With its output closed the program is ending: it gets the whole time
  // again to finish, so that only a program still running is ever killed
  // (and the caller sees no status), never one in the middle of its exit.
  const auto exitDeadline = !outOpen && !errOpen ? Clock::now() + timeout : deadline;
  int status = 0;
  pid_t ended = 0;
  while ((ended = ::waitpid(pid, &status, WNOHANG)) == 0 && Clock::now() < exitDeadline) ::poll(nullptr, 0, 10);
  if (ended == pid) {
    run.status = exitStatusFrom(status);
  } else {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
  }
  if (master >= 0) {
    pollfd p{master, POLLIN, 0};
    while (::poll(&p, 1, 20) > 0 && drain(master, run.terminalOutput)) {
    }
    ::close(master);
    ::close(slave);
  }
  ::close(out[0]);
  ::close(err[0]);
  return run;
}


PipedProgram::PipedProgram(const std::string& program, const std::vector<std::string>& arguments,
                           const std::vector<std::string>& environment) {
  int in[2], out[2];
  if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) throwSystemError("pipe2");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);  // no terminal at all
  std::vector<std::string> commandLine{program};
  commandLine.insert(commandLine.end(), arguments.begin(), arguments.end());
  std::vector<std::string> variables = childEnvironment(environment);
  std::vector<char*> argv = pointers(commandLine);
  std::vector<char*> envp = pointers(variables);
  const int spawned = ::posix_spawn(&pid_, program.c_str(), &actions, &attributes, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ::close(in[0]);
  ::close(out[1]);
  input_ = in[1];
  outputFd_ = out[0];
  if (spawned != 0) {
    errno = spawned;
    throwSystemError("posix_spawn");
  }
}

PipedProgram::~PipedProgram() {
  if (!status_) shellStatus();
  ::close(outputFd_);
}

std::optional<std::string> takeLine(std::string& pending) {
  const size_t end = pending.find('\n');
  if (end == std::string::npos) return std::nullopt;
  std::string line = pending.substr(0, end);
  pending.erase(0, end + 1);
  return line;
}

std::optional<std::string> PipedProgram::nextLine(milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    if (std::optional<std::string> line = takeLine(pending_)) return line;
    pollfd watched{outputFd_, POLLIN, 0};
    const milliseconds left = remainingUntil(deadline);
    if (left.count() <= 0 || ::poll(&watched, 1, static_cast<int>(left.count())) <= 0) return std::nullopt;
    char buffer[4096];
    const ssize_t count = ::read(outputFd_, buffer, sizeof buffer);
    if (count <= 0) return std::nullopt;
    pending_.append(buffer, static_cast<size_t>(count));
    output_.append(buffer, static_cast<size_t>(count));
  }
}

std::vector<std::string> PipedProgram::linesThrough(std::string_view prefix) {
  std::vector<std::string> lines;
  while (std::optional<std::string> line = nextLine()) {
    lines.push_back(*line);
    if (line->starts_with(prefix)) return lines;
  }
  ADD_FAILURE() << "no line beginning \"" << prefix << "\"; the output was:\n" << output_;
  return lines;
}

void PipedProgram::sendLine(std::string_view line) {
  const std::string bytes = std::string(line) + "\n";
  EXPECT_EQ(::write(input_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

void PipedProgram::closeInput() {
  if (input_ >= 0) ::close(input_);
  input_ = -1;
}

int PipedProgram::shellStatus() {
  if (status_) return *status_;
  closeInput();
  while (nextLine(kEndTimeout)) {
  }
  int status = 0;
  const auto deadline = Clock::now() + kEndTimeout;
  while (::waitpid(pid_, &status, WNOHANG) == 0) {
    if (Clock::now() > deadline) {
      ADD_FAILURE() << "still running at the end of its input";
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
      break;
    }
    ::poll(nullptr, 0, 10);
  }
  status_ = exitStatusFrom(status).shellStatus();
  return *status_;
}

TemporaryFolder::TemporaryFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "pentrill-e2e-XXXXXX").string();
  if (::mkdtemp(pattern.data()) != nullptr) path = pattern;
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ignored;
  if (!path.empty()) std::filesystem::remove_all(path, ignored);
}

}  // namespace pentrill::e2e
