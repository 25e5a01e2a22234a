// A run of the program's full-screen face against the in-memory console,
// clock, windows and study record, for the tests of what a drill, a study
// session or an exam shows and records. The face is watched: the drill and
// the exam on the screen can be looked at while the script runs.
#pragma once
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/program.h"
#include "backends/posix_files.h"
#include "exam/exam_composer.h"
#include "tests/unit/watched_face.h"
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
    session.record.kept = true;
    session.record.store = &store;
    session.record.path = "/tmp/record.sqlite3";
  }

  std::vector<RecordedAnswer> answers() { return store.readAllAnswers().value(); }

  // A drill over a subelement from its order prompt; true when the program
  // is to end.
  bool runSubelementDrill(int subelement) {
    Drill drill = subelementDrill(session, subelement);
    return runDrill(drill, face.drillView(), true) == DrillEnd::Quit;
  }
  // A practice exam from the menu's notice to its results.
  void runPracticeExam() {
    face.preparingExam();
    Exam exam(session, composePracticeExam(session.edition(), clock, session.random));
    runExam(exam, face.examView());
  }

  // The question on the drill screen (its identifier on row 2).
  const AskedQuestion& drillQuestion() const {
    const AskedQuestion& asked = face.drill()->question();
    EXPECT_EQ(asked.question->id, console.text(2, 15, 19));
    return asked;
  }

  MemoryRecordStore store;
  MemoryConsole console;
  ManualClock clock{2026, 12, 8, 10, 0, 0};
  SilentSound sound;
  RecordingWindows windows;
  PosixFiles files;
  Platform platform{console, windows, sound, clock, files};
  Session session{pool2020To2024(), clock, files};
  WatchedFace face{platform};
};

}  // namespace pentrill
