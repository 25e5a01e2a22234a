// The command line: which pool to study, or help or version instead of the
// program. Handled before the terminal is touched, so it works without one.
#pragma once
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/pool_term.h"
#include "pool/edition.h"
#include "screen/figure_protocol.h"

namespace pentrill {

struct CommandLine {
  enum class Action { Run, ShowHelp, ShowVersion, ShowStats, ExportRecord, Refuse };
  Action action = Action::Run;
  // The pool chosen with --pool; null without it (the caller takes the pool
  // remembered in the study record, else the default).
  const PoolEdition* edition = nullptr;
  std::optional<std::string> recordPath;  // --record FILE; else the default record
  bool noRecord = false;                  // --no-record: nothing recorded anywhere
  bool plain = false;                     // --plain: lines for screen readers, not the full screen
  std::optional<FigureProtocolSetting> figures;  // --figures-in-terminal PROTOCOL; auto when absent
  std::string error;                     // Refuse: what is wrong, one line without a line end
};

// The arguments after the program's name, on that day: "--pool NAME" or
// "--pool=NAME" (at most once; NAME a pool's name, or a licence class,
// "technician", "general" or "extra", for that class's pool in force on the
// day), "--record FILE" or "--record=FILE", "--no-record", "--plain",
// "--figures-in-terminal PROTOCOL" or "--figures-in-terminal=PROTOCOL" (auto,
// kitty, iterm, sixel or symbols; at most once), "--help", "--version",
// "--stats", "--export-record". Anything else, a pool
// the program does not carry, or --no-record with another use of the record,
// is refused. When several of help, version, stats and export are asked for,
// the first one given wins.
CommandLine parseCommandLine(std::span<const std::string_view> arguments, CivilDate today);

// The text of --help on that day, ending with a line end: the usage and
// every pool with its class and whether it is in force.
std::string usageText(CivilDate today);

// What the help screen says of the pool of its class in force on that day,
// in lines of at most 90 characters: which pool it is (or that the program
// carries none), and whether the pool in use has expired or is yet to start.
std::vector<std::string> todaysPoolLines(const PoolEdition& inUse, CivilDate today);

// The text of --version on that day, ending with a line end: the version and
// the pools, as --help lists them.
std::string versionText(CivilDate today);

// What a command answered without the terminal writes, and its exit status.
struct CommandAnswer {
  int status = 0;
  std::string out;  // for standard output
  std::string err;  // for standard error
};

// For every action but Run, ShowStats and ExportRecord: help or version on
// out (status 0), or the error and the usage on err (status 2). Nothing for
// the others.
std::optional<CommandAnswer> answerWithoutTerminal(const CommandLine& commandLine, CivilDate today);

// Writes the answer to `out` and `err` and returns its status, or 1 when
// `out` cannot be written (a full disk, a closed pipe), which `err` then says.
int deliver(const CommandAnswer& answer, std::FILE* out, std::FILE* err);

}  // namespace pentrill
