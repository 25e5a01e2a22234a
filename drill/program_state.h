// State created at start-up and kept for the life of the program; the main
// flow owns it and hands it by reference to the drill and the exam.
#pragma once
#include <optional>
#include <vector>

#include "drill/random.h"
#include "drill/study_log.h"
#include "pool/edition.h"
#include "pool/question.h"
#include "screen/figures.h"
#include "screen/hints.h"

namespace pentrill {

// The order in which a drill asks its questions.
enum class DrillOrder { Random, Sequence };

// A bit per drill row: set once the row is answered correctly (or skipped
// by the start number), so it is not asked again.
using DoneFlags = std::vector<bool>;

struct ProgramState {
  explicit ProgramState(const PoolEdition& pool = pool2020To2024()) : edition(pool) {}

  const PoolEdition& edition;  // the question pool, picked at start-up
  // The drilled subelement's questions in pool order (drill row r is entry
  // r - 1), each as last asked: its answers stay in the order they were last
  // shuffled into, and the next shuffle starts from there.
  std::vector<AskedQuestion> drillPool;
  DoneFlags doneFlags;  // one per drill row
  HintIndex hintIndex;
  int hintWindow = 0;   // handle of the drill's hint picture window, 0 = none
  FigureWindow figure;  // the drill's figure window
  bool peekOn = false;  // carries over between drills
  DrillOrder order = DrillOrder::Sequence;
  Random random;
  StudyLog record;  // the study record, or why there is none

  // The edition's groups as the study model takes them, built at the first
  // use and kept: every menu draw needs them.
  const study::StudyPool& studyPool();

  // Reset every time the menu is entered.
  int shownNumber = 0;
  int menuSeconds = 0;

 private:
  std::optional<study::StudyPool> studyPool_;
};

// Loads subelement 0 to 9 of the edition for a drill: its questions as
// published, none done.
void loadDrillPool(ProgramState& state, int subelement);

}  // namespace pentrill
