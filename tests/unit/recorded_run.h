// A run of the program against the in-memory console, clock, windows and
// study record, for the tests of what a drill, a session or an exam records.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drill/program_state.h"
#include "platform/platform.h"
#include "platform/sound.h"
#include "tests/fakes/manual_clock.h"
#include "tests/fakes/memory_console.h"
#include "tests/fakes/memory_record_store.h"
#include "tests/fakes/recording_windows.h"

namespace pentrill {

class RecordedRun : public ::testing::Test {
 protected:
  RecordedRun() {
    console.onWait = [this](int ms) { clock.advanceMilliseconds(ms); };
    state.record.kept = true;
    state.record.store = &store;
    state.record.path = "/tmp/record.sqlite3";
  }

  std::vector<RecordedAnswer> answers() { return store.readAllAnswers().value(); }

  // The question on the drill screen (its identifier on row 2).
  const AskedQuestion& drillQuestion() const {
    const std::string id = console.text(2, 15, 19);
    for (const AskedQuestion& asked : state.drillPool)
      if (asked.question->id == id) return asked;
    ADD_FAILURE() << "no question " << id;
    return state.drillPool.front();
  }

  MemoryRecordStore store;
  MemoryConsole console;
  ManualClock clock{2026, 12, 8, 10, 0, 0};
  SilentSound sound;
  RecordingWindows windows;
  Platform platform{console, windows, sound, clock};
  ProgramState state;
};

}  // namespace pentrill
