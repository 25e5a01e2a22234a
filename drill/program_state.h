// State created at start-up and kept for the life of the program; the main
// flow owns it and hands it by reference to the drill and the exam.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "drill/random.h"
#include "pool/edition.h"
#include "pool/question_table.h"

namespace pentrill {

inline constexpr int kYes = -1;  // yes/no flags: -1 yes, 0 no
inline constexpr int kNo = 0;

struct ProgramState {
  // assign() rather than = "0": GCC 12 reports a false -Wrestrict for the latter.
  explicit ProgramState(const PoolEdition& pool = pool2020To2024()) : edition(pool) { hintIndex[0].assign(1, '0'); }

  const PoolEdition& edition;  // the question pool, picked at start-up
  SubelementPool drillPool;
  std::array<int, kPoolLastRow + 1> doneFlags{};    // entries 1 to 150; 1 = not to be asked again
  std::vector<std::string> lineList = std::vector<std::string>(9);      // the drill's wrap lines, 0 to 8
  std::vector<std::string> hintIndex = std::vector<std::string>(641, ""); // entry 0: count
  int hintWindow = 0;         // handle of the drill's hint picture window, 0 = none
  std::string figureReference;  // the drill's open figure ("Figure:E5-1"), empty = none
  int figureWindow = 0;       // handle of the drill's figure window
  int peekOff = kYes;       // -1 peek off, 0 peek on; carries over between drills
  int inSequence = kYes;    // 0 random order, -1 sequence order
  Random random;

  // Reset every time the menu is entered.
  int shownNumber = 0;
  int menuSeconds = 0;
};

}  // namespace pentrill
