#include "app/command_line.h"

#include <algorithm>
#include <array>
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
    "Drills a question pool of the US amateur radio licence exams (Technician,\n"
    "General, Amateur Extra) subelement by subelement, or gives a practice exam\n"
    "drawn as the real one is, in a terminal of at least 100 x 43.\n"
    "\n"
    "Options:\n"
    "  --pool NAME  the question pool to study (also --pool=NAME): a licence class,\n"
    "               for its pool in force today, or a pool's own name (see below);\n"
    "               without it, the one last chosen with L, else 2020-2024\n"
    "  --record FILE  keep the study record in FILE instead of\n"
    "               $XDG_STATE_HOME/pentrill/record.sqlite3 (~/.local/state/...)\n"
    "  --no-record  record nothing: the program writes no file at all\n"
    "  --plain      plain lines for screen readers and braille displays: the\n"
    "               whole program, a typed line per command, in any terminal\n"
    "               or through a pipe (also chosen when TERM is dumb); the full\n"
    "               screen rests its cursor where attention belongs (for screen\n"
    "               readers) and with NO_COLOR set uses bold and reverse video\n"
    "  --figures-in-terminal PROTOCOL  how F draws a figure in the terminal: auto\n"
    "               (the default: what it supports), kitty, iterm, sixel or symbols\n"
    "  --stats      print the chance of passing and the progress, and exit\n"
    "  --export-record  print every recorded answer of the pool as CSV, and exit\n"
    "  --help       show this help and exit\n"
    "  --version    show the version and the pools carried, and exit\n"
    "\n"
    "The study record: every answer given in a drill, a study session or a\n"
    "practice exam is kept. From it the program works out how well you remember\n"
    "each question (the FSRS-6 memory model) and the chance of passing an exam\n"
    "drawn as the real one is. At the menu R studies the 20 questions that raise\n"
    "that chance most, W your mistakes, T shows the progress, L chooses the pool.\n"
    "After an exam M lists what you missed and D drills it; in an exam a number\n"
    "and Enter, or a click on the answer sheet, goes to that question.\n";

// The names that choose a class's pool, in the order of the classes.
struct ClassName {
  std::string_view name;
  LicenceClass licence;
};
constexpr std::array<ClassName, 3> kClassNames{{
    {"technician", LicenceClass::Technician},
    {"general", LicenceClass::General},
    {"extra", LicenceClass::Extra},
}};

// The carried pools by class, then by their first day: the order they are listed in.

// Every name --pool takes, classes first: "technician, general, ... and 2024-2028".
std::string poolNames(std::string_view conjunction) {
  std::vector<std::string_view> names;
  for (const ClassName& name : kClassNames) names.push_back(name.name);
  for (const PoolEdition* edition : poolsInListOrder()) names.push_back(edition->name);
  std::string text;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i + 1 == names.size()) {
      text += ' ';  // appended piece by piece: GCC 12 misreads " " + std::string&& as an overlapping copy
      text += conjunction;
      text += ' ';
    } else if (i > 0) {
      text += ", ";
    }
    text += names[i];
  }
  return text;
}

// The pool a name after --pool chooses on that day; null for no pool.
const PoolEdition* poolNamed(std::string_view name, CivilDate today) {
  for (const ClassName& className : kClassNames)
    if (className.name == name) return &poolOfClass(className.licence, today);
  return findPoolEdition(name);
}

// A name and its description as --help and --version list them.
std::string poolRow(std::string_view name, std::string_view description) {
  constexpr size_t kNameWidth = 22;
  std::string row = "    " + std::string(name);
  row.resize(4 + kNameWidth, ' ');
  return row + std::string(description) + "\n";
}

std::string poolStatus(const PoolEdition& edition, CivilDate today) {
  if (today < edition.firstDay) return "not yet in force";
  return today > edition.lastDay ? "expired" : "in force today";
}

// The pools on that day, one a line: name, class, element, whether it is in
// force, and the class name that chooses it after --pool then.
std::string poolList(CivilDate today) {
  std::string text = "Question pools on " + dateText(today) +
                     " (each in force from July 1 of its first year\nto June 30 of its last; "
                     "in brackets the class that chooses it after --pool):\n";
  for (const PoolEdition* edition : poolsInListOrder()) {
    std::string description = std::string(edition->className) + ", Element " + std::to_string(edition->element) +
                              ": " + poolStatus(*edition, today);
    for (const ClassName& className : kClassNames)
      if (&poolOfClass(className.licence, today) == edition) description += " (" + std::string(className.name) + ")";
    text += poolRow(edition->name, description);
  }
  return text;
}

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

CommandLine refused(std::string error) {
  CommandLine commandLine;
  commandLine.action = CommandLine::Action::Refuse;
  commandLine.error = std::move(error);
  return commandLine;
}

}  // namespace

CommandLine parseCommandLine(std::span<const std::string_view> arguments, CivilDate today) {
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
    commandLine.edition = poolNamed(*name, today);
    if (commandLine.edition == nullptr)
      return refused("unknown pool '" + printable(*name) + "'; the pools are " + poolNames("and"));
  }
  if (commandLine.noRecord && commandLine.recordPath) return refused("--no-record and --record given together");
  if (commandLine.noRecord && (commandLine.action == CommandLine::Action::ShowStats ||
                               commandLine.action == CommandLine::Action::ExportRecord))
    return refused("--no-record leaves no study record to read");
  return commandLine;
}

std::vector<std::string> todaysPoolLines(const PoolEdition& inUse, CivilDate today) {
  std::vector<std::string> lines;
  const PoolEdition* inForce = poolInForce(inUse.licence, today);
  if (inForce == nullptr) {
    lines.push_back("No " + std::string(inUse.className) + " pool that this Pentrill carries is in force today (" +
                    dateText(today) + ").");
  } else {
    lines.push_back("Today (" + dateText(today) + ") exams are drawn from the " + std::string(inForce->name) +
                    " pool.");
  }
  if (inForce != &inUse && today > inUse.lastDay)
    lines.push_back("The pool in use, " + std::string(inUse.name) + ", expired on " + dateText(inUse.lastDay) + ".");
  if (today < inUse.firstDay)
    lines.push_back("The pool in use, " + std::string(inUse.name) + ", is in force from " + dateText(inUse.firstDay) +
                    ".");
  return lines;
}

std::string usageText(CivilDate today) { return std::string(kUsage) + "\n" + poolList(today); }

std::string versionText(CivilDate today) {
  return "Pentrill v" + std::string(kVersion) + "\n" + poolList(today);
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
      return CommandAnswer{0, versionText(today), ""};
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
