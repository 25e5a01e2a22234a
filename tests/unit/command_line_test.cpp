// The command line: choosing the pool, help, version and what is refused.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <cstdio>
#include <optional>
#include <sstream>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

namespace pentrill {
namespace {

using Action = CommandLine::Action;

constexpr CivilDate kToday{2026, 12, 9};

CommandLine parse(std::initializer_list<std::string_view> arguments, CivilDate today = kToday) {
  const std::vector<std::string_view> list(arguments);
  return parseCommandLine(list, today);
}

// Without --pool no pool is chosen: the caller takes the one it remembers.
TEST(CommandLine, WithoutArgumentsRunsWithoutAPoolChosen) {
  const CommandLine commandLine = parse({});
  EXPECT_EQ(commandLine.action, Action::Run);
  EXPECT_EQ(commandLine.edition, nullptr);
}

// A pool's name chooses it on any day. A class name chooses the class's
// pool in force on the day; on a day when none is, the newest pool of the
// class that has started, else the first to start. Either form of --pool.
TEST(CommandLine, APoolIsChosenByItsNameOrByItsClassOnTheDay) {
  struct Case {
    std::string_view name;
    CivilDate day;
    const PoolEdition& chosen;
  };
  const Case cases[] = {
      {"2020-2024", kToday, pool2020To2024()},
      {"2024-2028", {2020, 1, 1}, pool2024To2028()},
      {"technician-2026-2030", kToday, poolTechnician2026To2030()},
      {"general-2023-2027", {2030, 1, 1}, poolGeneral2023To2027()},
      {"technician", kToday, poolTechnician2026To2030()},
      {"general", kToday, poolGeneral2023To2027()},
      {"extra", kToday, pool2024To2028()},
      {"extra", {2024, 6, 30}, pool2020To2024()},
      {"extra", {2024, 7, 1}, pool2024To2028()},
      {"extra", {2019, 1, 1}, pool2020To2024()},
      {"extra", {2028, 7, 1}, pool2024To2028()},
      {"general", {2027, 7, 1}, poolGeneral2023To2027()},
      {"technician", {2026, 6, 30}, poolTechnician2026To2030()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " on " + dateText(c.day));
    const std::string joined = "--pool=" + std::string(c.name);
    for (const CommandLine& commandLine : {parse({"--pool", c.name}, c.day), parse({joined}, c.day)}) {
      EXPECT_EQ(commandLine.action, Action::Run);
      EXPECT_EQ(commandLine.edition, &c.chosen);
    }
  }
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
  const CommandLine commandLine = parseCommandLine(GetParam().arguments, kToday);
  EXPECT_EQ(commandLine.action, Action::Refuse);
  EXPECT_EQ(commandLine.error, GetParam().error);
}

constexpr const char* kPoolNames =
    "technician, general, extra, technician-2026-2030, general-2023-2027, 2020-2024 and 2024-2028";
constexpr const char* kNeedsAName =
    "--pool needs the name of a pool: technician, general, extra, technician-2026-2030, general-2023-2027, "
    "2020-2024 or 2024-2028";

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedCommandLine,
    ::testing::Values(
        RefusedCase{"PoolWithoutName", {"--pool"}, kNeedsAName},
        RefusedCase{"EmptyPoolName", {"--pool="}, kNeedsAName},
        RefusedCase{"UnknownPool", {"--pool", "2028-2032"},
                    std::string("unknown pool '2028-2032'; the pools are ") + kPoolNames},
        RefusedCase{"PoolNameCut", {"--pool=2024"}, std::string("unknown pool '2024'; the pools are ") + kPoolNames},
        RefusedCase{"ClassInCapitals", {"--pool=Extra"}, std::string("unknown pool 'Extra'; the pools are ") + kPoolNames},
        RefusedCase{"PoolTwice", {"--pool", "2024-2028", "--pool=2020-2024"}, "--pool given more than once"},
        RefusedCase{"ClassAndPool", {"--pool", "extra", "--pool=2024-2028"}, "--pool given more than once"},
        RefusedCase{"OptionAsPoolName", {"--pool", "--help"},
                    std::string("unknown pool '--help'; the pools are ") + kPoolNames},
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

// The options, and the pools with their class and whether each is in force
// on the day: not yet started, in force, expired, a class with none in force.
TEST(CommandLine, HelpNamesTheOptionsAndEveryPoolWithItsClassAndWhetherItIsInForce) {
  const std::pair<CivilDate, std::vector<std::string>> cases[] = {
      {kToday,
       {"--pool NAME", "--pool=NAME", "--help", "--version", "--figures-in-terminal PROTOCOL",
        "Question pools on December 9, 2026 (each in force from July 1 of its first year\n"
        "to June 30 of its last; in brackets the class that chooses it after --pool):\n"
        "    technician-2026-2030  Technician, Element 2: in force today (technician)\n"
        "    general-2023-2027     General, Element 3: in force today (general)\n"
        "    2020-2024             Amateur Extra, Element 4: expired\n"
        "    2024-2028             Amateur Extra, Element 4: in force today (extra)\n"}},
      {{2024, 6, 30},
       {"Question pools on June 30, 2024 (", "    2020-2024             Amateur Extra, Element 4: in force today (extra)\n",
        "    2024-2028             Amateur Extra, Element 4: not yet in force\n",
        "    technician-2026-2030  Technician, Element 2: not yet in force (technician)\n"}},
      {{2027, 7, 1}, {"    general-2023-2027     General, Element 3: expired (general)\n"}},
      {{2028, 7, 1},
       {"    2020-2024             Amateur Extra, Element 4: expired\n",
        "    2024-2028             Amateur Extra, Element 4: expired (extra)\n"}},
  };
  for (const auto& [day, rows] : cases) {
    const std::string usage = usageText(day);
    for (const std::string& row : rows) EXPECT_NE(usage.find(row), std::string::npos) << row << "\nin\n" << usage;
    EXPECT_EQ(usage.back(), '\n');
    std::istringstream lines(usage);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
  }
}

TEST(CommandLine, TheHelpScreenSaysWhichPoolOfItsClassIsInForce) {
  struct Case {
    const PoolEdition& inUse;
    CivilDate day;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {pool2020To2024(), {2020, 6, 30}, {"No Amateur Extra pool that this Pentrill carries is in force today (June 30, 2020).",
                                          "The pool in use, 2020-2024, is in force from July 1, 2020."}},
      {pool2020To2024(), {2024, 6, 30}, {"Today (June 30, 2024) exams are drawn from the 2020-2024 pool."}},
      {pool2020To2024(), {2024, 7, 1}, {"Today (July 1, 2024) exams are drawn from the 2024-2028 pool.",
                                         "The pool in use, 2020-2024, expired on June 30, 2024."}},
      {pool2024To2028(), kToday, {"Today (December 9, 2026) exams are drawn from the 2024-2028 pool."}},
      {pool2024To2028(), {2028, 7, 1}, {"No Amateur Extra pool that this Pentrill carries is in force today (July 1, 2028).",
                                         "The pool in use, 2024-2028, expired on June 30, 2028."}},
      {poolTechnician2026To2030(), kToday,
       {"Today (December 9, 2026) exams are drawn from the technician-2026-2030 pool."}},
      {poolGeneral2023To2027(), {2027, 7, 1},
       {"No General pool that this Pentrill carries is in force today (July 1, 2027).",
        "The pool in use, general-2023-2027, expired on June 30, 2027."}},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> lines = todaysPoolLines(c.inUse, c.day);
    EXPECT_EQ(lines, c.lines) << c.inUse.name << " on " << dateText(c.day);
    for (const std::string& line : lines) EXPECT_LE(line.size(), 90u) << line;
  }
}

// The menu's notice for a pool past its last day: the pool of its class in
// force then, when this Pentrill carries one; the 2020-2024 notice as it
// always read.
TEST(PoolTerm, TheExpiryNoticeNamesThePoolOfTheClassInForceOrANewerPentrill) {
  struct Case {
    const PoolEdition& edition;
    CivilDate day;
    std::optional<std::string> notice;
  };
  const std::string newer = " Look for a newer Pentrill with the current pool.";
  const Case cases[] = {
      {pool2020To2024(), {2024, 6, 30}, std::nullopt},
      {pool2020To2024(), {2024, 7, 1},
       "This pool expired on June 30, 2024. For today's exams start Pentrill with --pool 2024-2028."},
      {pool2024To2028(), kToday, std::nullopt},
      {pool2024To2028(), {2028, 7, 1}, "This pool expired on June 30, 2028." + newer},
      {poolGeneral2023To2027(), {2027, 6, 30}, std::nullopt},
      {poolGeneral2023To2027(), {2027, 7, 1}, "This pool expired on June 30, 2027." + newer},
      {poolTechnician2026To2030(), {2026, 1, 1}, std::nullopt},
      {poolTechnician2026To2030(), {2030, 7, 1}, "This pool expired on June 30, 2030." + newer},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(expiryNotice(c.edition, c.day), c.notice) << c.edition.name << " on " << dateText(c.day);
    EXPECT_EQ(expiryNotice(c.edition.name, c.day), c.notice) << c.edition.name << " on " << dateText(c.day);
  }
  EXPECT_EQ(expiryNotice("2028-2032", {2040, 1, 1}), std::nullopt);
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
  EXPECT_EQ(version->out, versionText(kToday));
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
  for (const std::string& text : {versionText(kToday), std::string(100'000, 'x')}) {
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
