// The command line: choosing the pool, help, version and what is refused.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pentrill {
namespace {

using Action = CommandLine::Action;

CommandLine parse(std::initializer_list<std::string_view> arguments) {
  const std::vector<std::string_view> list(arguments);
  return parseCommandLine(list);
}

TEST(CommandLine, WithoutArgumentsRunsTheDefaultPool) {
  const CommandLine commandLine = parse({});
  EXPECT_EQ(commandLine.action, Action::Run);
  EXPECT_EQ(commandLine.edition, &pool2020To2024());
}

TEST(CommandLine, PoolChosenInEitherForm) {
  for (const auto& arguments : {std::vector<std::string_view>{"--pool", "2024-2028"},
                                std::vector<std::string_view>{"--pool=2024-2028"}}) {
    const CommandLine commandLine = parseCommandLine(arguments);
    EXPECT_EQ(commandLine.action, Action::Run) << arguments[0];
    EXPECT_EQ(commandLine.edition, &pool2024To2028()) << arguments[0];
  }
  EXPECT_EQ(parse({"--pool", "2020-2024"}).edition, &pool2020To2024());
  EXPECT_EQ(parse({"--pool=2020-2024"}).edition, &pool2020To2024());
}

TEST(CommandLine, HelpAndVersionTheFirstGivenWins) {
  EXPECT_EQ(parse({"--help"}).action, Action::ShowHelp);
  EXPECT_EQ(parse({"--version"}).action, Action::ShowVersion);
  EXPECT_EQ(parse({"--version", "--help"}).action, Action::ShowVersion);
  EXPECT_EQ(parse({"--help", "--version"}).action, Action::ShowHelp);
  EXPECT_EQ(parse({"--pool", "2024-2028", "--help"}).action, Action::ShowHelp);
}

TEST(CommandLine, FiguresInTerminalTakesEachProtocolInEitherForm) {
  EXPECT_FALSE(parse({}).figures);
  EXPECT_EQ(parse({"--figures-in-terminal", "sixel"}).figures, FigureProtocolSetting::Sixel);
  EXPECT_EQ(parse({"--figures-in-terminal=kitty"}).figures, FigureProtocolSetting::Kitty);
  EXPECT_EQ(parse({"--figures-in-terminal", "iterm", "--pool", "2024-2028"}).figures, FigureProtocolSetting::Iterm);
  EXPECT_EQ(parse({"--figures-in-terminal=symbols"}).figures, FigureProtocolSetting::Symbols);
  EXPECT_EQ(parse({"--figures-in-terminal=auto"}).figures, FigureProtocolSetting::Auto);
  EXPECT_EQ(parse({"--figures-in-terminal=auto"}).action, Action::Run);
}

struct RefusedCase {
  const char* name;
  std::vector<std::string_view> arguments;
  std::string error;
};

void PrintTo(const RefusedCase& refused, std::ostream* out) { *out << refused.name; }

class RefusedCommandLine : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedCommandLine, IsRefusedWithItsReason) {
  const CommandLine commandLine = parseCommandLine(GetParam().arguments);
  EXPECT_EQ(commandLine.action, Action::Refuse);
  EXPECT_EQ(commandLine.error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedCommandLine,
    ::testing::Values(
        RefusedCase{"PoolWithoutName", {"--pool"}, "--pool needs the name of a pool: 2020-2024 or 2024-2028"},
        RefusedCase{"EmptyPoolName", {"--pool="}, "--pool needs the name of a pool: 2020-2024 or 2024-2028"},
        RefusedCase{"UnknownPool", {"--pool", "2028-2032"},
                    "unknown pool '2028-2032'; the pools are 2020-2024 and 2024-2028"},
        RefusedCase{"PoolNameCut", {"--pool=2024"}, "unknown pool '2024'; the pools are 2020-2024 and 2024-2028"},
        RefusedCase{"PoolTwice", {"--pool", "2024-2028", "--pool=2020-2024"}, "--pool given more than once"},
        RefusedCase{"OptionAsPoolName", {"--pool", "--help"},
                    "unknown pool '--help'; the pools are 2020-2024 and 2024-2028"},
        RefusedCase{"UnknownOption", {"--pools", "2024-2028"}, "unknown option '--pools'"},
        RefusedCase{"ShortOption", {"-h"}, "unknown option '-h'"},
        RefusedCase{"PlainArgument", {"2024-2028"}, "unexpected argument '2024-2028'"},
        RefusedCase{"FiguresWithoutProtocol", {"--figures-in-terminal"},
                    "--figures-in-terminal needs one of auto, kitty, iterm, sixel or symbols, not ''"},
        RefusedCase{"FiguresUnknownProtocol", {"--figures-in-terminal=SIXEL"},
                    "--figures-in-terminal needs one of auto, kitty, iterm, sixel or symbols, not 'SIXEL'"},
        RefusedCase{"FiguresTwice", {"--figures-in-terminal=sixel", "--figures-in-terminal", "kitty"},
                    "--figures-in-terminal given more than once"},
        RefusedCase{"ErrorBeatsHelp", {"--help", "--bogus"}, "unknown option '--bogus'"},
        // Control characters never reach the terminal through the message.
        RefusedCase{"ControlCharacters", {"--x\x1b[2J\n"}, "unknown option '--x?[2J?'"}),
    [](const auto& info) { return std::string(info.param.name); });

constexpr CivilDate kToday{2026, 12, 9};

TEST(CommandLine, HelpNamesTheOptionsAndEveryPoolAndSaysWhichIsCurrent) {
  const std::string usage = usageText(kToday);
  for (const char* text : {"--pool NAME", "--pool=NAME", "--help", "--version", "--figures-in-terminal PROTOCOL"})
    EXPECT_NE(usage.find(text), std::string::npos) << text;
  for (const PoolEdition* edition : poolEditions())
    EXPECT_NE(usage.find(edition->name), std::string::npos) << edition->name;
  EXPECT_NE(usage.find("2024-2028  the current pool"), std::string::npos) << usage;
  EXPECT_EQ(usage.back(), '\n');
  std::istringstream lines(usage);
  for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
}

TEST(CommandLine, HelpSaysWhichPoolIsInForceOnTheDay) {
  const std::pair<CivilDate, std::string> cases[] = {
      {{2020, 6, 30}, "No pool that this Pentrill carries is in force today (June 30, 2020).\n"},
      {{2020, 7, 1}, "Today (July 1, 2020) exams are drawn from the 2020-2024 pool.\n"},
      {{2024, 6, 30}, "Today (June 30, 2024) exams are drawn from the 2020-2024 pool.\n"},
      {{2024, 7, 1}, "Today (July 1, 2024) exams are drawn from the 2024-2028 pool.\n"},
      {{2028, 6, 30}, "Today (June 30, 2028) exams are drawn from the 2024-2028 pool.\n"},
      {{2028, 7, 1}, "No pool that this Pentrill carries is in force today (July 1, 2028).\n"},
  };
  for (const auto& [day, line] : cases) {
    const std::string usage = usageText(day);
    ASSERT_GE(usage.size(), line.size());
    EXPECT_EQ(usage.substr(usage.size() - line.size()), line);
  }
}

TEST(CommandLine, TheExpiredPoolInUseIsNamed) {
  EXPECT_EQ(todaysPoolLines(pool2020To2024(), {2024, 6, 30}).size(), 1u);
  EXPECT_EQ(todaysPoolLines(pool2020To2024(), {2024, 7, 1}).back(),
            "The pool in use, 2020-2024, expired on June 30, 2024.");
  EXPECT_EQ(todaysPoolLines(pool2024To2028(), {2026, 12, 9}).size(), 1u);
  EXPECT_EQ(todaysPoolLines(pool2024To2028(), {2028, 7, 1}).back(),
            "The pool in use, 2024-2028, expired on June 30, 2028.");
}

TEST(CommandLine, VersionNamesTheProgramsVersionAndItsPools) {
  EXPECT_EQ(versionText(), "Pentrill v2021.05.03a\nQuestion pools: 2020-2024 (the default), 2024-2028\n");
}

TEST(CommandLine, AnswersHelpVersionAndErrorsOnTheirStreams) {
  const std::optional<CommandAnswer> help = answerWithoutTerminal(parse({"--help"}), kToday);
  ASSERT_TRUE(help);
  EXPECT_EQ(help->status, 0);
  EXPECT_EQ(help->out, usageText(kToday));
  EXPECT_EQ(help->err, "");

  const std::optional<CommandAnswer> version = answerWithoutTerminal(parse({"--version"}), kToday);
  ASSERT_TRUE(version);
  EXPECT_EQ(version->status, 0);
  EXPECT_EQ(version->out, versionText());
  EXPECT_EQ(version->err, "");

  const std::optional<CommandAnswer> refused = answerWithoutTerminal(parse({"--bogus"}), kToday);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->status, 2);
  EXPECT_EQ(refused->out, "");
  EXPECT_EQ(refused->err, "pentrill: unknown option '--bogus'\n" + usageText(kToday));

  EXPECT_EQ(answerWithoutTerminal(parse({"--pool", "2024-2028"}), kToday), std::nullopt);
}

// Standard output on a full disk (/dev/full): the status says the text is
// lost, and standard error why.
TEST(CommandLine, DeliveringWritesBothStreamsAndFailsWhenOutputIsLost) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  ASSERT_TRUE(out && err);
  EXPECT_EQ(deliver({2, "usage\n", "pentrill: wrong\n"}, out, err), 2);
  auto contents = [](std::FILE* file) {
    std::rewind(file);
    std::string text(64, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), file));
    return text;
  };
  EXPECT_EQ(contents(out), "usage\n");
  EXPECT_EQ(contents(err), "pentrill: wrong\n");
  std::fclose(out);

  std::fclose(err);

  // A text that fits the output's buffer (lost at the flush) and one that
  // does not (lost at the write): either is said on standard error, after
  // what was to go there.
  for (const std::string& text : {versionText(), std::string(100'000, 'x')}) {
    std::FILE* full = std::fopen("/dev/full", "w");
    std::FILE* told = std::tmpfile();
    ASSERT_TRUE(full && told);
    EXPECT_EQ(deliver({0, text, "pentrill: note\n"}, full, told), 1);
    std::rewind(told);
    std::string said(256, '\0');
    said.resize(std::fread(said.data(), 1, said.size(), told));
    EXPECT_EQ(said, "pentrill: note\npentrill: cannot write to standard output: No space left on device\n");
    EXPECT_EQ(deliver({0, "", ""}, full, told), 0);
    std::fclose(full);
    std::fclose(told);
  }
}

}  // namespace
}  // namespace pentrill
