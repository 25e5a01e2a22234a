#include "backends/terminal_query.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <thread>

namespace pentrill {
namespace {

// A terminal at the other end of two pipes: it reads the whole query, then,
// after the given delay, writes its answer in the given pieces (none: it
// stays silent).
class FakeTerminal {
 public:
  FakeTerminal() {
    if (::pipe(toTerminal_) != 0 || ::pipe(fromTerminal_) != 0) throw std::runtime_error("pipe");
  }
  ~FakeTerminal() {
    if (thread_.joinable()) thread_.join();
    for (const int fd : {toTerminal_[0], toTerminal_[1], fromTerminal_[0], fromTerminal_[1]}) ::close(fd);
  }
  FakeTerminal(const FakeTerminal&) = delete;
  FakeTerminal& operator=(const FakeTerminal&) = delete;

  // Keys the user typed before the query was sent.
  void typeAhead(std::string_view keys) { ASSERT_EQ(::write(fromTerminal_[1], keys.data(), keys.size()), static_cast<ssize_t>(keys.size())); }

  void answer(std::vector<std::string> pieces, std::chrono::milliseconds delay = {}) {
    thread_ = std::thread([this, pieces = std::move(pieces), delay] {
      std::string query;
      char byte;
      while (query.size() < kFigureProtocolQuery.size() && ::read(toTerminal_[0], &byte, 1) == 1) query += byte;
      received_ = query;
      std::this_thread::sleep_for(delay);
      for (const std::string& piece : pieces)
        if (::write(fromTerminal_[1], piece.data(), piece.size()) != static_cast<ssize_t>(piece.size())) return;
    });
  }

  TerminalAnswer ask(std::chrono::milliseconds wait) {
    TerminalAnswer answer = askTerminal(fromTerminal_[0], toTerminal_[1], wait);
    thread_.join();
    return answer;
  }
  const std::string& received() const { return received_; }

 private:
  int toTerminal_[2] = {-1, -1};
  int fromTerminal_[2] = {-1, -1};
  std::thread thread_;
  std::string received_;
};

// Long enough never to pass while the fake terminal answers: an answered
// query returns as soon as the reply is complete.
constexpr std::chrono::milliseconds kAnsweredWait{10000};

TEST(AskTerminal, ReadsTheRepliesAndHandsBackTheKeysInOrder) {
  FakeTerminal terminal;
  terminal.typeAhead("ab");
  terminal.answer({"c\x1b_Gi=31;OK\x1b\\d\x1b[6;18;", "9t\x1b[<0;5;7Me\x1b[?62", ";4c"});
  const TerminalAnswer answer = terminal.ask(kAnsweredWait);
  EXPECT_EQ(terminal.received(), kFigureProtocolQuery);
  EXPECT_FALSE(answer.timedOut);
  EXPECT_TRUE(answer.replies.kittyGraphics);
  EXPECT_TRUE(answer.replies.sixel);
  EXPECT_EQ(answer.replies.cellWidth, 9);
  EXPECT_EQ(answer.replies.cellHeight, 18);
  EXPECT_EQ(figureProtocolFromReplies(answer.replies), FigureProtocol::Kitty);
  EXPECT_EQ(answer.userBytes, "abcd\x1b[<0;5;7Me");
}

// Over a link with a long round trip: the program's own wait, not a longer one.
TEST(AskTerminal, ASixelTerminalThatAnswersAfter300MillisecondsGetsSixel) {
  FakeTerminal terminal;
  terminal.answer({"\x1b[?62;4;22c"}, std::chrono::milliseconds(300));
  const TerminalAnswer answer = terminal.ask(kFigureProtocolWait);
  EXPECT_FALSE(answer.timedOut);
  EXPECT_EQ(figureProtocolFromReplies(answer.replies), FigureProtocol::Sixel);
}

TEST(AskTerminal, ATerminalThatSaysNothingGivesSymbolsAfterTheWaitWithTheKeysKept) {
  FakeTerminal terminal;
  terminal.typeAhead("x\x1b[Ay");
  terminal.answer({});
  const TerminalAnswer answer = terminal.ask(kFigureProtocolWait);
  EXPECT_TRUE(answer.timedOut);
  EXPECT_EQ(figureProtocolFromReplies(answer.replies), FigureProtocol::Symbols);
  EXPECT_EQ(answer.userBytes, "x\x1b[Ay");
}

TEST(AskTerminal, AReplyCutOffByTheWaitGoesBackWithTheKeys) {
  FakeTerminal terminal;
  terminal.typeAhead("k\x1b[?62;");  // already there: the wait cannot pass before it arrives
  terminal.answer({});
  const TerminalAnswer answer = terminal.ask(kFigureProtocolWait);
  EXPECT_TRUE(answer.timedOut);
  EXPECT_EQ(answer.userBytes, "k\x1b[?62;");
}

}  // namespace
}  // namespace pentrill
