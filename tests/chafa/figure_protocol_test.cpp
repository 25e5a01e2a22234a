#include "screen/figure_protocol.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace pentrill {
namespace {

using Variables = std::map<std::string, std::string>;

TerminalEnvironment environmentOf(const Variables& variables) {
  return readTerminalEnvironment([&](const char* name) -> const char* {
    const auto found = variables.find(name);
    return found == variables.end() ? nullptr : found->second.c_str();
  });
}

TEST(FigureProtocolSetting, TakesTheFiveValuesExactly) {
  EXPECT_EQ(parseFigureProtocolSetting("auto"), FigureProtocolSetting::Auto);
  EXPECT_EQ(parseFigureProtocolSetting("kitty"), FigureProtocolSetting::Kitty);
  EXPECT_EQ(parseFigureProtocolSetting("iterm"), FigureProtocolSetting::Iterm);
  EXPECT_EQ(parseFigureProtocolSetting("sixel"), FigureProtocolSetting::Sixel);
  EXPECT_EQ(parseFigureProtocolSetting("symbols"), FigureProtocolSetting::Symbols);
  for (const char* wrong : {"", "Auto", "SIXEL", "sixels", "kitty ", "iterm2", "symbol", "none"})
    EXPECT_EQ(parseFigureProtocolSetting(wrong), std::nullopt) << wrong;
}

TEST(TerminalEnvironment, ReadsEachVariableByItsNameAndUnsetAsEmpty) {
  const TerminalEnvironment environment =
      environmentOf({{"TERM", "a"}, {"TERM_PROGRAM", "b"}, {"LC_TERMINAL", "c"}, {"COLORTERM", "d"},
                     {"KITTY_WINDOW_ID", "e"}, {"VTE_VERSION", "f"}, {"TMUX", "g"}});
  EXPECT_EQ(environment.term, "a");
  EXPECT_EQ(environment.termProgram, "b");
  EXPECT_EQ(environment.lcTerminal, "c");
  EXPECT_EQ(environment.colorTerm, "d");
  EXPECT_EQ(environment.kittyWindowId, "e");
  EXPECT_EQ(environment.vteVersion, "f");
  EXPECT_EQ(environment.tmux, "g");
  EXPECT_EQ(environment.sty, "");
}

struct EnvironmentCase {
  const char* what;
  Variables variables;
  FigureProtocolSetting setting;
  std::optional<FigureProtocol> expected;  // none: the terminal is asked
};

TEST(FigureProtocolFromEnvironment, FollowsTheTableOfTerminals) {
  using enum FigureProtocol;
  const FigureProtocolSetting automatic = FigureProtocolSetting::Auto;
  const EnvironmentCase cases[] = {
      {"kitty", {{"TERM", "xterm-kitty"}, {"KITTY_WINDOW_ID", "1"}}, automatic, Kitty},
      {"kitty over ssh: TERM travels, the window id does not", {{"TERM", "xterm-kitty"}}, automatic, Kitty},
      {"kitty with TERM changed by the user", {{"TERM", "xterm-256color"}, {"KITTY_WINDOW_ID", "3"}}, automatic, Kitty},
      {"Ghostty", {{"TERM", "xterm-ghostty"}, {"TERM_PROGRAM", "ghostty"}}, automatic, Kitty},
      {"iTerm2", {{"TERM", "xterm-256color"}, {"TERM_PROGRAM", "iTerm.app"}}, automatic, Iterm},
      {"iTerm2 over ssh", {{"TERM", "xterm-256color"}, {"LC_TERMINAL", "iTerm2"}}, automatic, Iterm},
      {"WezTerm", {{"TERM", "xterm-256color"}, {"TERM_PROGRAM", "WezTerm"}}, automatic, Iterm},
      {"foot", {{"TERM", "foot"}}, automatic, Sixel},
      {"foot with its extra entry", {{"TERM", "foot-extra"}}, automatic, Sixel},
      {"mlterm", {{"TERM", "mlterm"}}, automatic, Sixel},
      {"xterm: it depends on how it was started", {{"TERM", "xterm-256color"}}, automatic, std::nullopt},
      {"GNOME Terminal (VTE)", {{"TERM", "xterm-256color"}, {"VTE_VERSION", "7006"}, {"COLORTERM", "truecolor"}},
       automatic, std::nullopt},
      {"Konsole", {{"TERM", "xterm-256color"}, {"COLORTERM", "truecolor"}}, automatic, std::nullopt},
      {"the Linux console", {{"TERM", "linux"}}, automatic, Symbols},
      {"no TERM at all", {}, automatic, Symbols},
      {"a dumb terminal", {{"TERM", "dumb"}}, automatic, Symbols},
      {"macOS Terminal", {{"TERM", "xterm-256color"}, {"TERM_PROGRAM", "Apple_Terminal"}}, automatic, Symbols},
      {"tmux inside kitty", {{"TERM", "tmux-256color"}, {"TMUX", "/tmp/tmux-0/default,9,0"}, {"KITTY_WINDOW_ID", "1"}},
       automatic, Symbols},
      {"tmux with TERM set by the user", {{"TERM", "xterm-kitty"}, {"TMUX", "/tmp/tmux-0/default,9,0"}}, automatic,
       Symbols},
      {"GNU screen in foot", {{"TERM", "screen.xterm-256color"}, {"STY", "1234.pts-0.host"}}, automatic, Symbols},
      {"tmux over ssh (TMUX not passed on)", {{"TERM", "screen-256color"}}, automatic, Symbols},
      {"sixel chosen inside tmux", {{"TERM", "tmux-256color"}, {"TMUX", "/tmp/x,1,0"}}, FigureProtocolSetting::Sixel,
       Sixel},
      {"kitty chosen in xterm", {{"TERM", "xterm"}}, FigureProtocolSetting::Kitty, Kitty},
      {"iterm chosen on the console", {{"TERM", "linux"}}, FigureProtocolSetting::Iterm, Iterm},
      {"symbols chosen in kitty", {{"TERM", "xterm-kitty"}}, FigureProtocolSetting::Symbols, Symbols},
  };
  for (const EnvironmentCase& c : cases)
    EXPECT_EQ(figureProtocolFromEnvironment(c.setting, environmentOf(c.variables)), c.expected) << c.what;
}

// What the reader makes of the bytes fed whole, and fed a byte at a time.
struct ReplyOutcome {
  TerminalReplies replies;
  bool complete = false;
  std::string userBytes;
};

ReplyOutcome readReplies(std::string_view bytes, bool byteByByte) {
  TerminalReplyReader reader;
  if (byteByByte) {
    for (const char byte : bytes) reader.feed(std::string_view(&byte, 1));
  } else {
    reader.feed(bytes);
  }
  ReplyOutcome outcome;
  outcome.complete = reader.complete();
  reader.finish();
  outcome.replies = reader.replies();
  outcome.userBytes = reader.takeUserBytes();
  return outcome;
}

struct ReplyCase {
  const char* what;
  std::string bytes;
  FigureProtocol expected;
  bool complete;
  std::string userBytes;  // what the input decoder gets, in order
};

TEST(TerminalReplyReader, ChoosesFromTheRepliesAndKeepsTheUsersBytesInOrder) {
  using enum FigureProtocol;
  const ReplyCase cases[] = {
      {"xterm -ti vt340", "\x1b[?63;1;2;3;4;6;9;15;22c", Sixel, true, ""},
      {"foot", "\x1b[?62;4;22c", Sixel, true, ""},
      {"VTE without sixel", "\x1b[?65;1;9c", Symbols, true, ""},
      {"44 is not 4", "\x1b[?64;44;14c", Symbols, true, ""},
      {"the class is not an attribute", "\x1b[?4c", Symbols, true, ""},
      {"the Linux console", "\x1b[?6c", Symbols, true, ""},
      {"kitty", "\x1b_Gi=31;OK\x1b\\\x1b[?62;c", Kitty, true, ""},
      {"kitty ahead of sixel (WezTerm)", "\x1b_Gi=31;OK\x1b\\\x1b[?65;4;6;18;22c", Kitty, true, ""},
      {"the kitty query refused", "\x1b_Gi=31;EINVAL:bad data\x1b\\\x1b[?62;4c", Sixel, true, ""},
      {"an answer to another image", "\x1b_Gi=30;OK\x1b\\\x1b[?62c", Symbols, true, ""},
      {"no answer before the wait ended", "", Symbols, false, ""},
      {"keys around the reply", "ab\x1b[?62;4cde", Sixel, true, "abde"},
      {"keys, an arrow and a click between the replies",
       "x\x1b[A\x1b_Gi=31;OK\x1b\\y\x1b[<0;10;5M\x1b[?62;c", Kitty, true, "x\x1b[Ay\x1b[<0;10;5M"},
      {"Page Down and Ctrl-Right before the reply", "\x1b[6~\x1b[1;5C\x1b[?62;4c", Sixel, true, "\x1b[6~\x1b[1;5C"},
      {"Esc just before the reply", "\x1b\x1b[?62;4c", Sixel, true, "\x1b"},
      {"Alt-[ just before the reply", "\x1b[\x1b[?62c", Symbols, true, "\x1b["},
      {"Alt-_ just before the reply", "\x1b_\x1b[?62;4c", Sixel, true, "\x1b_"},
      {"a reply cut off by the end of the wait", "q\x1b[?62;4", Symbols, false, "q\x1b[?62;4"},
      {"an escape inside a graphics reply", "\x1b_Gi=31\x1b[Az\x1b[?62c", Symbols, true, "\x1b_Gi=31\x1b[Az"},
      {"UTF-8 and control characters pass", "\xc3\xa9\r\t\x7f\x1b[?62c", Symbols, true, "\xc3\xa9\r\t\x7f"},
  };
  for (const ReplyCase& c : cases) {
    for (const bool byteByByte : {false, true}) {
      const ReplyOutcome outcome = readReplies(c.bytes, byteByByte);
      EXPECT_EQ(figureProtocolFromReplies(outcome.replies), c.expected) << c.what;
      EXPECT_EQ(outcome.complete, c.complete) << c.what;
      EXPECT_EQ(outcome.userBytes, c.userBytes) << c.what << (byteByByte ? ", a byte at a time" : "");
    }
  }
}

TEST(TerminalReplyReader, ReadsTheCellSizeReportAndNoOtherWindowReport) {
  ReplyOutcome outcome = readReplies("\x1b[6;17;9t\x1b[?62c", false);
  EXPECT_EQ(outcome.replies.cellHeight, 17);
  EXPECT_EQ(outcome.replies.cellWidth, 9);
  EXPECT_EQ(outcome.userBytes, "");
  for (const char* other : {"\x1b[4;860;1000t", "\x1b[6;0;9t", "\x1b[6;17t", "\x1b[6;17;9;1t", "\x1b[6;99999;9t"}) {
    outcome = readReplies(std::string(other) + "\x1b[?62c", true);
    EXPECT_EQ(outcome.replies.cellHeight, 0) << other + 1;
    EXPECT_EQ(outcome.replies.cellWidth, 0) << other + 1;
    EXPECT_EQ(outcome.userBytes, "") << other + 1;
  }
}

TEST(TerminalReplyReader, NeverLosesBytesThatOnlyLookedLikeTheStartOfAReply) {
  // Longer than any reply: given back whole, and reading goes on after it.
  const std::string endless = "\x1b_G" + std::string(1000, 'x');
  ReplyOutcome outcome = readReplies(endless + "\x1b[?62;4c", false);
  EXPECT_EQ(outcome.userBytes, endless);
  EXPECT_TRUE(outcome.replies.sixel);
  // Bytes after the last reply, and the taking empties the store.
  TerminalReplyReader reader;
  reader.feed("\x1b[?62c12");
  EXPECT_TRUE(reader.complete());
  EXPECT_EQ(reader.takeUserBytes(), "12");
  reader.feed("3");
  EXPECT_EQ(reader.takeUserBytes(), "3");
}

struct ColourCase {
  const char* what;
  Variables variables;
  int terminfoColours;
  SymbolColours expected;
};

TEST(SymbolColours, FollowsTheTableOfTerminals) {
  using enum SymbolColours;
  const ColourCase cases[] = {
      {"COLORTERM truecolor", {{"TERM", "xterm-256color"}, {"COLORTERM", "truecolor"}}, 256, Truecolor},
      {"COLORTERM 24bit", {{"TERM", "xterm"}, {"COLORTERM", "24bit"}}, 8, Truecolor},
      {"a direct-colour terminfo entry", {{"TERM", "xterm-direct"}}, 16777216, Truecolor},
      {"terminfo says 24-bit", {{"TERM", "some-terminal"}}, 16777216, Truecolor},
      {"kitty without COLORTERM", {{"TERM", "xterm-kitty"}}, 256, Truecolor},
      {"iTerm2 without COLORTERM", {{"TERM", "xterm-256color"}, {"TERM_PROGRAM", "iTerm.app"}}, 256, Truecolor},
      {"VTE 0.70", {{"TERM", "xterm-256color"}, {"VTE_VERSION", "7000"}}, 256, Truecolor},
      {"VTE 0.34", {{"TERM", "xterm-256color"}, {"VTE_VERSION", "3405"}}, 256, Colours256},
      {"xterm-256color", {{"TERM", "xterm-256color"}}, 256, Colours256},
      {"256color in TERM without its terminfo entry", {{"TERM", "rxvt-unicode-256color"}}, -1, Colours256},
      {"tmux in kitty without COLORTERM",
       {{"TERM", "tmux-256color"}, {"TMUX", "/tmp/x,1,0"}, {"KITTY_WINDOW_ID", "1"}}, 256, Colours256},
      {"tmux passing COLORTERM on", {{"TERM", "tmux-256color"}, {"TMUX", "/tmp/x,1,0"}, {"COLORTERM", "truecolor"}},
       256, Truecolor},
      {"the Linux console", {{"TERM", "linux"}}, 8, Colours16Foreground8Background},
      {"rxvt", {{"TERM", "rxvt"}}, 16, Colours16},
      {"xterm", {{"TERM", "xterm"}}, 8, Colours8},
      {"a terminal without colours", {{"TERM", "vt100"}}, -1, TwoColours},
      {"no TERM", {}, -1, TwoColours},
  };
  for (const ColourCase& c : cases)
    EXPECT_EQ(symbolColours(environmentOf(c.variables), c.terminfoColours), c.expected) << c.what;
}

TEST(SymbolGlyphs, OnlyTheOldBlocksOnTheLinuxConsole) {
  EXPECT_EQ(symbolGlyphs(environmentOf({{"TERM", "linux"}})), SymbolGlyphs::ConsoleFont);
  EXPECT_EQ(symbolGlyphs(environmentOf({{"TERM", "xterm-256color"}})), SymbolGlyphs::Unicode);
  EXPECT_EQ(symbolGlyphs(environmentOf({{"TERM", "tmux-256color"}, {"TMUX", "/tmp/x,1,0"}})), SymbolGlyphs::Unicode);
}

}  // namespace
}  // namespace pentrill
