// The terminal console in a pseudo-terminal of its own: the child process
// runs the console, the test reads the bytes it sends and types at it.
#include "backends/terminal_console.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

namespace pentrill {
namespace {

using namespace std::chrono_literals;

TEST(TerminalPalette, WindowsOrderToAnsiOrder) {
  const int ansi[16] = {0, 4, 2, 6, 1, 5, 3, 7, 8, 12, 10, 14, 9, 13, 11, 15};
  for (int index = 0; index < 16; ++index) EXPECT_EQ(ansiColour(index), ansi[index]) << index;
}

// A child process with the console on a pseudo-terminal. The child tells the
// test about its progress through a pipe, one line per step.
class ConsoleChild {
 public:
  ConsoleChild(int rows, int columns, const std::function<int(TerminalConsole&, int report)>& body) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) throw std::runtime_error("pipe");
    winsize size{static_cast<unsigned short>(rows), static_cast<unsigned short>(columns), 0, 0};
    pid_ = forkpty(&master_, nullptr, nullptr, &size);
    if (pid_ < 0) throw std::runtime_error("forkpty");
    if (pid_ == 0) {
      close(pipeEnds[0]);
      setenv("TERM", "xterm-256color", 1);
      int status = 97;
      try {
        TerminalConsole console;
        status = body(console, pipeEnds[1]);
      } catch (const ProgramExit& exit) {
        status = exit.status;
      } catch (...) {
        status = 98;
      }
      _exit(status);
    }
    close(pipeEnds[1]);
    reports_ = pipeEnds[0];
    fcntl(master_, F_SETFL, O_NONBLOCK);
    fcntl(reports_, F_SETFL, O_NONBLOCK);
  }

  ~ConsoleChild() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(master_);
    close(reports_);
  }

  // Types the bytes and waits until the child has read them (/proc/PID/io
  // counts every byte it reads); it decides on each as it reads it.
  void typeAndWaitUntilRead(std::string_view bytes) {
    const unsigned long long before = bytesRead();
    type(bytes);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (bytesRead() - before < bytes.size() && std::chrono::steady_clock::now() < deadline) readOutput(10);
    ASSERT_GE(bytesRead() - before, bytes.size()) << "the child never read its input";
  }

  // Output until the child has reported the given line; afterwards, what the
  // terminal still carries in is collected too.
  std::string outputUntilReport(const std::string& line) {
    std::string output;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (std::chrono::steady_clock::now() < deadline) {
      output += readOutput(20);
      if (takeReport(line)) {
        output += readOutput(100);
        return output;
      }
    }
    ADD_FAILURE() << "no report \"" << line << "\"; reports so far: " << reports_text_;
    return output;
  }

  // Output until it contains the text, or five seconds have passed.
  std::string outputUntil(const std::string& text) {
    std::string output;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (output.find(text) == std::string::npos && std::chrono::steady_clock::now() < deadline)
      output += readOutput(20);
    return output;
  }

  std::string reports() {
    readOutput(0);
    return reports_text_;
  }

  void type(std::string_view bytes) { ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), ssize_t(bytes.size())); }

  void resize(int rows, int columns) {
    winsize size{static_cast<unsigned short>(rows), static_cast<unsigned short>(columns), 0, 0};
    ioctl(master_, TIOCSWINSZ, &size);  // the child gets SIGWINCH
  }

  void signal(int number) { kill(pid_, number); }

  // The child's exit status, and everything it sent until then.
  int exitStatus(std::string* output = nullptr) {
    std::string rest;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
      rest += readOutput(20);
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        rest += readOutput(50);
        if (output) *output = rest;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
      }
    }
    ADD_FAILURE() << "the child did not end";
    return -1;
  }

 private:
  // Reads what the child sent within the time; a closed end is watched no more.
  std::string readOutput(int milliseconds) {
    std::string output;
    char buffer[4096];
    pollfd watched[2] = {{masterOpen_ ? master_ : -1, POLLIN, 0}, {reportsOpen_ ? reports_ : -1, POLLIN, 0}};
    while (poll(watched, 2, milliseconds) > 0) {
      if (watched[0].revents != 0) {
        const ssize_t count = read(master_, buffer, sizeof buffer);
        if (count > 0) output.append(buffer, static_cast<size_t>(count));
        if (count <= 0 && errno != EAGAIN) masterOpen_ = false, watched[0].fd = -1;  // the child has gone
      }
      if (watched[1].revents != 0) {
        const ssize_t count = read(reports_, buffer, sizeof buffer);
        if (count > 0) reports_text_.append(buffer, static_cast<size_t>(count));
        if (count <= 0 && errno != EAGAIN) reportsOpen_ = false, watched[1].fd = -1;
      }
    }
    return output;
  }

  unsigned long long bytesRead() const {
    FILE* io = fopen(("/proc/" + std::to_string(pid_) + "/io").c_str(), "r");
    unsigned long long count = 0;
    if (io == nullptr || fscanf(io, "rchar: %llu", &count) != 1) ADD_FAILURE() << "no read count for the child";
    if (io != nullptr) fclose(io);
    return count;
  }

  bool takeReport(const std::string& line) {
    const size_t at = reports_text_.find(line + "\n");
    if (at == std::string::npos) return false;
    reports_text_.erase(at, line.size() + 1);
    return true;
  }

  pid_t pid_ = -1;
  int master_ = -1;
  int reports_ = -1;
  bool exited_ = false;
  bool masterOpen_ = true;
  bool reportsOpen_ = true;
  std::string reports_text_;
};

void report(int fd, const std::string& line) {
  std::string text = line + "\n";
  [[maybe_unused]] ssize_t written = ::write(fd, text.data(), text.size());
}

std::string describe(const Key& key) {
  static constexpr const char* kNames[] = {"F1",   "F2",     "F3",   "F4",    "F5",    "F6",       "F7",     "F8",
                                           "F9",   "F10",    "F11",  "F12",   "Home",  "Up",       "PageUp", "Left",
                                           "Right", "End",   "Down", "PageDown", "Insert", "Delete", "BackTab", "Other"};
  static constexpr const char* kActions[] = {"press", "double", "release", "motion", "wheel"};
  std::string text;
  switch (key.kind) {
    case Key::Kind::Mouse:
      return std::string("mouse ") + kActions[static_cast<int>(key.action)] + " " + std::to_string(key.button) + " " +
             std::to_string(key.row) + "," + std::to_string(key.column);
    case Key::Kind::Named:
      text = std::string("named ") + kNames[static_cast<int>(key.name)];
      break;
    case Key::Kind::Character:
      text = "key " + std::to_string(static_cast<unsigned char>(key.character));
      break;
  }
  if (key.modifiers & kShift) text += " shift";
  if (key.modifiers & kAlt) text += " alt";
  if (key.modifiers & kCtrl) text += " ctrl";
  return text;
}

// In the child: reports every event until "q" arrives.
int reportEvents(TerminalConsole& console, int fd) {
  for (;;) {
    while (std::optional<Key> event = console.nextEvent()) {
      report(fd, describe(*event));
      if (event->is('q')) return 0;
    }
    console.waitForInput(20);
  }
}

void drawGreeting(TerminalConsole& console) {
  console.setColours(kBrightWhite, kBlue);
  console.clearScreen();
  console.locate(2, 5);
  console.write("Hello");
  console.setCursorVisible(false);
  console.mouse.inputOn = true;
}

// In the child: waits for the test to type the next step's go-ahead.
void waitForGoAhead(TerminalConsole& console) {
  while (!console.nextEvent()) console.waitForInput(20);
}

TEST(TerminalConsole, AnUnchangedScreenSendsNothing) {
  ConsoleChild child(kScreenRows, kScreenColumns, [](TerminalConsole& console, int fd) {
    drawGreeting(console);
    console.waitForInput(1);
    report(fd, "drawn");
    waitForGoAhead(console);
    for (int i = 0; i < 10; ++i) {
      console.locate(2, 5);
      console.write("Hello");  // the same text again, as the drill's clock does
      console.waitForInput(5);
    }
    report(fd, "rewritten");
    waitForGoAhead(console);
    console.locate(2, 5);
    console.write("J");
    console.waitForInput(1);
    report(fd, "changed");
    return reportEvents(console, fd);
  });
  const std::string first = child.outputUntilReport("drawn");
  EXPECT_NE(first.find("Hello"), std::string::npos);
  child.type("1");
  EXPECT_EQ(child.outputUntilReport("rewritten"), "");
  child.type("2");
  const std::string change = child.outputUntilReport("changed");
  EXPECT_NE(change.find('J'), std::string::npos) << testing::PrintToString(change);
  EXPECT_LT(change.size(), 40u) << "one changed cell should not redraw the screen";
  child.type("q");
  EXPECT_EQ(child.exitStatus(), 0);
}

TEST(TerminalConsole, TextIsShownBeforeAClearWipesItOut) {
  ConsoleChild child(kScreenRows, kScreenColumns, [](TerminalConsole& console, int fd) {
    drawGreeting(console);
    console.waitForInput(1);
    report(fd, "drawn");
    waitForGoAhead(console);
    console.locate(21, 29);
    console.write("One moment please");
    console.clearScreen();
    console.clearScreen();
    console.write("Menu");
    console.waitForInput(1);
    report(fd, "menu");
    return reportEvents(console, fd);
  });
  child.outputUntilReport("drawn");
  child.type("1");
  const std::string output = child.outputUntilReport("menu");
  EXPECT_NE(output.find("One moment please"), std::string::npos);
  EXPECT_NE(output.find("Menu"), std::string::npos);
  child.type("q");
  EXPECT_EQ(child.exitStatus(), 0);
}

TEST(TerminalConsole, KeysAndClicksArriveAsTheProgramsEvents) {
  ConsoleChild child(kScreenRows, kScreenColumns, [](TerminalConsole& console, int fd) {
    drawGreeting(console);
    return reportEvents(console, fd);
  });
  child.outputUntil("Hello");
  child.type("a\xc3\xa9");                                      // a, é
  child.type("\x1bOA\x1bOP\x1b[3~");                             // up, F1, Delete
  child.type("\x1b" "b");                                        // Alt+b
  child.type("\x1b[11~\x1b[1;5Z");                               // F1 as PuTTY sends it, Shift+Tab
  child.type("\x1b[E\x1b[99~\x1b[I\x1b[200~q\x1b[201~");        // keypad 5, keys nobody knows, focus, a paste
  child.type("\x1bOq\x1bOp");                                     // keypad 1 and 0 in application mode
  child.type("\r\x7f\t");                                        // Enter, Backspace, Tab
  child.type("\x1b[<0;20;8M\x1b[<0;20;8m\x1b[<0;20;8M\x1b[<0;20;8m");  // a double-click at row 8, column 20
  child.type("\x1b[<2;1;1M\x1b[<2;1;1m");                        // right click, top left
  child.type("\x1b");                                            // Esc alone
  child.outputUntilReport("key 27");  // a letter typed before Esc is read would make Alt+letter
  child.type("q");
  EXPECT_EQ(child.exitStatus(), 0);
  EXPECT_EQ(child.reports(),
            "key 97\nkey 233\nnamed Up\nnamed F1\nnamed Delete\nkey 98 alt\nnamed F1\nnamed BackTab shift\nkey 49\n"
            "key 48\nkey 13\nkey 8\nkey 9\n"
            "mouse press 1 8,20\nmouse release 1 8,20\nmouse double 1 8,20\nmouse release 1 8,20\n"
            "mouse press 2 1,1\nmouse release 2 1,1\n"
            "key 113\n");
}

void expectTerminalGivenBack(const std::string& output) {
  EXPECT_NE(output.find("1000l"), std::string::npos) << "mouse reporting left on";
  EXPECT_NE(output.find("\x1b[?25h"), std::string::npos) << "cursor left hidden";
  EXPECT_NE(output.find("\x1b[?1049l"), std::string::npos) << "alternate screen not left";
}

struct SignalCase {
  int signal;
  bool typed;  // Ctrl-C at the keyboard rather than kill
};

class TerminalConsoleSignal : public testing::TestWithParam<SignalCase> {};

TEST_P(TerminalConsoleSignal, EndsTheProgramWith128PlusTheSignalAndRestores) {
  ConsoleChild child(kScreenRows, kScreenColumns, [](TerminalConsole& console, int fd) {
    drawGreeting(console);
    console.setTitle("Pentrill");
    console.waitForInput(1);
    report(fd, "ready");
    return reportEvents(console, fd);
  });
  child.outputUntilReport("ready");
  if (GetParam().typed) {
    child.type(GetParam().signal == SIGINT ? "\x03" : "\x1c");
  } else {
    child.signal(GetParam().signal);
  }
  std::string output;
  EXPECT_EQ(child.exitStatus(&output), 128 + GetParam().signal);
  expectTerminalGivenBack(output);
  EXPECT_NE(output.find("\x1b[23;0t"), std::string::npos) << "title not restored";
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminalConsoleSignal,
                         testing::Values(SignalCase{SIGINT, true}, SignalCase{SIGTERM, false},
                                         SignalCase{SIGHUP, false}, SignalCase{SIGQUIT, true}),
                         [](const testing::TestParamInfo<SignalCase>& info) {
                           if (info.param.typed) return std::string(info.param.signal == SIGINT ? "CtrlC" : "CtrlBackslash");
                           return std::string(info.param.signal == SIGTERM ? "Sigterm" : "Sighup");
                         });

TEST(TerminalConsole, PauseEndsEarlyOnlyForASignal) {
  ConsoleChild child(kScreenRows, kScreenColumns, [](TerminalConsole& console, int fd) {
    drawGreeting(console);
    const std::int64_t start = console.steadyMilliseconds();
    console.pause(300);
    const std::int64_t took = console.steadyMilliseconds() - start;
    report(fd, took >= 300 && took < 4000 ? "paused" : "pause took " + std::to_string(took));
    std::string kept = "input kept:";
    while (std::optional<Key> event = console.nextEvent()) kept.append(" ").append(describe(*event));
    report(fd, kept);
    console.pause(5000);
    return 0;
  });
  child.outputUntil("Hello");
  child.type("xy");
  child.outputUntilReport("paused");
  child.outputUntilReport("input kept: key 120 key 121");
  child.signal(SIGTERM);
  EXPECT_EQ(child.exitStatus(), 128 + SIGTERM);
}

TEST(TerminalConsole, TooSmallTerminalShowsANoticeAndDropsInputUntilItGrows) {
  ConsoleChild child(24, 80, [](TerminalConsole& console, int fd) {
    console.setScreenSize(kScreenRows, kScreenColumns);
    drawGreeting(console);
    return reportEvents(console, fd);
  });
  const std::string notice = child.outputUntil("this one is 80 x 24.");
  EXPECT_NE(notice.find("100 x 43"), std::string::npos);
  EXPECT_NE(notice.find("\x1b[8;43;100t"), std::string::npos) << "no request to grow";
  child.typeAndWaitUntilRead("x\x1b[<0;5;5M");

  child.resize(kScreenRows, kScreenColumns);
  const std::string redrawn = child.outputUntil("Hello");
  EXPECT_NE(redrawn.find("Hello"), std::string::npos);
  child.type("y");
  child.outputUntilReport("key 121");
  EXPECT_EQ(child.reports(), "") << "input typed while the screen could not be seen reached the program";

  child.resize(30, 90);
  child.outputUntil("this one is 90 x 30.");
  child.type("\x1b");
  std::string output;
  EXPECT_EQ(child.exitStatus(&output), 0);  // Esc ends the program from the notice
  expectTerminalGivenBack(output);
  EXPECT_NE(output.find("\x1b[8;24;80t"), std::string::npos) << "the terminal's size not asked back";
}

}  // namespace
}  // namespace pentrill
