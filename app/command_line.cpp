#include "app/command_line.h"

#include <cerrno>
#include <cstring>

#include "app/program.h"

namespace pentrill {

namespace {

constexpr std::string_view kPoolOption = "--pool";

constexpr std::string_view kRecordOption = "--record";
constexpr std::string_view kFiguresOption = "--figures-in-terminal";

constexpr std::string_view kUsage =
    "Usage: pentrill [--pool NAME] [--record FILE | --no-record]\n"
    "                [--figures-in-terminal PROTOCOL] [--plain]\n"
    "       pentrill [--pool NAME] [--record FILE] --stats | --export-record\n"
    "       pentrill --help | --version\n"
    "\n"
    "Drills the Amateur Extra (Element 4) question pool subelement by subelement,\n"
    "or gives a 50-question practice exam, in a terminal of at least 100 x 43.\n"
    "\n"
    "Options:\n"
    "  --pool NAME  the question pool to study (also --pool=NAME):\n"
    "                 2020-2024  the pool in force until June 30, 2024 (the default)\n"
    "                 2024-2028  the current pool, in force from July 1, 2024 to\n"
    "                            June 30, 2028: use it if you are preparing for an\n"
    "                            exam now\n"
    "  --record FILE  keep the study record in FILE instead of\n"
    "               $XDG_STATE_HOME/pentrill/record.sqlite3 (~/.local/state/...)\n"
    "  --no-record  record nothing: the program writes no file at all\n"
    "  --plain      plain lines for screen readers and braille displays: the\n"
    "               whole program, a typed line per command, in any terminal\n"
    "               or through a pipe (also chosen when TERM is dumb)\n"
    "  --figures-in-terminal PROTOCOL  how F draws a question's figure inside\n"
    "               the terminal: auto (the default: what the terminal supports,\n"
    "               symbols inside tmux or screen), kitty, iterm, sixel or symbols\n"
    "  --stats      print the chance of passing and the progress, and exit\n"
    "  --export-record  print every recorded answer as CSV, and exit\n"
    "  --help       show this help and exit\n"
    "  --version    show the version and the pools carried, and exit\n"
    "\n"
    "The study record: every answer given in a drill, a study session or a\n"
    "practice exam is kept (time, pool, question, the pool's letter given, right\n"
    "or wrong). From it the program works out how well you remember each question\n"
    "(the FSRS-6 memory model) and the chance of passing an exam drawn today: one\n"
    "question from each of the pool's 50 groups, as the real exam draws them, a\n"
    "question not remembered still guessed right one time in four. R at the menu\n"
    "studies the 20 questions that raise that chance most; T shows the progress.\n";

// An argument as it may be shown in a one-line message: control characters
// (a line end, an escape sequence) become "?".
std::string printable(std::string_view argument) {
  std::string text;
  for (char c : argument) {
    const auto byte = static_cast<unsigned char>(c);
    text += byte < 0x20 || byte == 0x7F ? '?' : c;
  }
  return text;
}

// "2020-2024 and 2024-2028", with the given last conjunction.
std::string poolNames(std::string_view conjunction) {
  std::string names;
  const auto editions = poolEditions();
  for (size_t i = 0; i < editions.size(); ++i) {
    if (i + 1 == editions.size() && i > 0) {
      names += ' ';  // appended piece by piece: GCC 12 misreads " " + std::string&& as an overlapping copy
      names += conjunction;
      names += ' ';
    } else if (i > 0) {
      names += ", ";
    }
    names += editions[i]->name;
  }
  return names;
}

CommandLine refused(std::string error) {
  CommandLine commandLine;
  commandLine.action = CommandLine::Action::Refuse;
  commandLine.error = std::move(error);
  return commandLine;
}

}  // namespace

CommandLine parseCommandLine(std::span<const std::string_view> arguments) {
  CommandLine commandLine;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    if (argument == "--help" || argument == "--version") {
      if (commandLine.action == CommandLine::Action::Run)
        commandLine.action = argument == "--help" ? CommandLine::Action::ShowHelp : CommandLine::Action::ShowVersion;
      continue;
    }
    if (argument == "--stats" || argument == "--export-record") {
      if (commandLine.action == CommandLine::Action::Run)
        commandLine.action = argument == "--stats" ? CommandLine::Action::ShowStats : CommandLine::Action::ExportRecord;
      continue;
    }
    if (argument == "--no-record") {
      commandLine.noRecord = true;
      continue;
    }
    if (argument == "--plain") {
      commandLine.plain = true;
      continue;
    }
    if (argument == kRecordOption || argument.starts_with(std::string(kRecordOption) + "=")) {
      std::string_view file;
      if (argument == kRecordOption) {
        if (i + 1 < arguments.size()) file = arguments[++i];
      } else {
        file = argument.substr(kRecordOption.size() + 1);
      }
      if (file.empty()) return refused("--record needs the name of a file");
      if (commandLine.recordPath) return refused("--record given more than once");
      commandLine.recordPath = std::string(file);
      continue;
    }
    if (argument == kFiguresOption || argument.starts_with(std::string(kFiguresOption) + "=")) {
      std::string_view value;
      if (argument == kFiguresOption) {
        if (i + 1 < arguments.size()) value = arguments[++i];
      } else {
        value = argument.substr(kFiguresOption.size() + 1);
      }
      const std::optional<FigureProtocolSetting> setting = parseFigureProtocolSetting(value);
      if (!setting)
        return refused("--figures-in-terminal needs one of auto, kitty, iterm, sixel or symbols, not '" +
                       printable(value) + "'");
      if (commandLine.figures) return refused("--figures-in-terminal given more than once");
      commandLine.figures = setting;
      continue;
    }
    std::optional<std::string_view> name;
    if (argument == kPoolOption) {
      if (i + 1 < arguments.size()) name = arguments[++i];
    } else if (argument.starts_with(std::string(kPoolOption) + "=")) {
      name = argument.substr(kPoolOption.size() + 1);
    } else if (argument.starts_with("-")) {
      return refused("unknown option '" + printable(argument) + "'");
    } else {
      return refused("unexpected argument '" + printable(argument) + "'");
    }
    if (!name || name->empty()) return refused("--pool needs the name of a pool: " + poolNames("or"));
    if (commandLine.edition != nullptr) return refused("--pool given more than once");
    commandLine.edition = findPoolEdition(*name);
    if (commandLine.edition == nullptr)
      return refused("unknown pool '" + printable(*name) + "'; the pools are " + poolNames("and"));
  }
  if (commandLine.noRecord && commandLine.recordPath) return refused("--no-record and --record given together");
  if (commandLine.noRecord && (commandLine.action == CommandLine::Action::ShowStats ||
                               commandLine.action == CommandLine::Action::ExportRecord))
    return refused("--no-record leaves no study record to read");
  if (commandLine.edition == nullptr) commandLine.edition = poolEditions().front();
  return commandLine;
}

namespace {

// "June 30, 2028".
std::string dateText(CivilDate date) {
  return std::string(monthName(date.month)) + " " + std::to_string(date.day) + ", " + std::to_string(date.year);
}

}  // namespace

std::vector<std::string> todaysPoolLines(const PoolEdition& inUse, CivilDate today) {
  std::vector<std::string> lines;
  const PoolEdition* inForce = poolInForce(today);
  if (inForce == nullptr) {
    lines.push_back("No pool that this Pentrill carries is in force today (" + dateText(today) + ").");
  } else {
    lines.push_back("Today (" + dateText(today) + ") exams are drawn from the " + std::string(inForce->name) +
                    " pool.");
  }
  if (inForce != &inUse) {
    const PoolTerm* term = poolTerm(inUse.name);
    if (term != nullptr && today > term->lastDay)
      lines.push_back("The pool in use, " + std::string(inUse.name) + ", expired on " + dateText(term->lastDay) + ".");
  }
  return lines;
}


std::string usageText(CivilDate today) {
  std::string text(kUsage);
  text += '\n';
  text += todaysPoolLines(*poolEditions().front(), today).front();
  text += '\n';
  return text;
}

std::string versionText() {
  std::string pools;
  for (const PoolEdition* edition : poolEditions())
    pools += std::string(pools.empty() ? "" : ", ") + std::string(edition->name) +
             (edition == poolEditions().front() ? " (the default)" : "");
  return "Pentrill v" + std::string(kVersion) + "\nQuestion pools: " + pools + "\n";
}

std::optional<CommandAnswer> answerWithoutTerminal(const CommandLine& commandLine, CivilDate today) {
  switch (commandLine.action) {
    case CommandLine::Action::Run:
    case CommandLine::Action::ShowStats:
    case CommandLine::Action::ExportRecord:
      return std::nullopt;
    case CommandLine::Action::ShowHelp:
      return CommandAnswer{0, usageText(today), ""};
    case CommandLine::Action::ShowVersion:
      return CommandAnswer{0, versionText(), ""};
    case CommandLine::Action::Refuse: {
      std::string err = "pentrill: ";
      err += commandLine.error;
      err += '\n';
      err += usageText(today);
      return CommandAnswer{2, "", std::move(err)};
    }
  }
  return CommandAnswer{2, "", ""};
}

int deliver(const CommandAnswer& answer, std::FILE* out, std::FILE* err) {
  errno = 0;
  const bool written = std::fwrite(answer.out.data(), 1, answer.out.size(), out) == answer.out.size() &&
                       std::fflush(out) == 0;
  const int error = errno != 0 ? errno : EIO;
  std::fwrite(answer.err.data(), 1, answer.err.size(), err);
  if (!written) std::fprintf(err, "pentrill: cannot write to standard output: %s\n", std::strerror(error));
  std::fflush(err);
  return written ? answer.status : 1;
}

}  // namespace pentrill
