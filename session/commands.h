// A screen's commands in one table: the key that gives each on the full
// screen, the letter that gives it typed as a line, its label and what it
// does. Key handling, the help texts and the plain face's prompts all read
// the table, so a command is named once.
#pragma once
#include <optional>
#include <span>
#include <string_view>

#include "platform/key.h"

namespace pentrill {

template <typename Command>
struct CommandInfo {
  Command command;
  char key;      // upper case for a letter; ' ' for Space, kEscape for Esc
  char lineKey;  // typed as a line: the key itself where it can be typed, else a letter
  std::string_view label;  // "Stop Drill"
  std::string_view help;   // "stop the drill, back to the menu"; empty: not offered in lists
};

// Letters a to z become A to Z; everything else is unchanged.
constexpr char upperLetter(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The command of a key typed without Alt: letters in either case.
template <typename Command>
std::optional<Command> commandForKey(std::span<const CommandInfo<Command>> table, const Key& key) {
  if (!key.isCharacter()) return std::nullopt;
  const char typed = upperLetter(key.character);
  for (const CommandInfo<Command>& entry : table)
    if (entry.key == typed) return entry.command;
  return std::nullopt;
}

// The command of a typed line: its first non-blank character, in either
// case; nothing for an empty line or a character no command has.
template <typename Command>
std::optional<Command> commandForLine(std::span<const CommandInfo<Command>> table, std::string_view line) {
  const std::size_t first = line.find_first_not_of(" \t");
  if (first == std::string_view::npos) return std::nullopt;
  const char typed = upperLetter(line[first]);
  for (const CommandInfo<Command>& entry : table)
    if (entry.lineKey == typed) return entry.command;
  return std::nullopt;
}

// The answer letter of an answer command (A to D, each screen's commands
// have them), 0 for the others.
template <typename Command>
constexpr char answerLetterOf(Command command) {
  switch (command) {
    case Command::A: return 'A';
    case Command::B: return 'B';
    case Command::C: return 'C';
    case Command::D: return 'D';
    default: return '\0';
  }
}

// The table's entry for a command; the table must hold it.
template <typename Command>
constexpr const CommandInfo<Command>& commandInfo(std::span<const CommandInfo<Command>> table, Command command) {
  for (const CommandInfo<Command>& entry : table)
    if (entry.command == command) return entry;
  return table.front();
}

}  // namespace pentrill
