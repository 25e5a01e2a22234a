#include "drill/program_state.h"

namespace pentrill {

const study::StudyPool& ProgramState::studyPool() {
  if (!studyPool_) studyPool_.emplace(studyPoolOf(edition));
  return *studyPool_;
}

void loadDrillPool(ProgramState& state, int subelement) {
  state.drillPool.clear();
  if (subelement >= 0 && subelement < kSubelementCount)
    for (const Question& question : state.edition.subelements[static_cast<size_t>(subelement)].questions)
      state.drillPool.push_back(asPublished(question));
  state.doneFlags.assign(state.drillPool.size(), false);
}

}  // namespace pentrill
