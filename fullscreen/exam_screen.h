// The practice exam on the full screen: the question screen with its
// command bar, the review panel (the answer sheet with the running score),
// the last-question notice, the stop confirmation and the results.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "exam/exam_view.h"
#include "fullscreen/command_bar.h"
#include "platform/platform.h"
#include "screen/figures.h"

namespace pentrill {

// How long the menu's "One moment please, preparing your test..." stays up
// at least, so that it can be read however fast the exam is composed.
inline constexpr int kPreparingNoticeMilliseconds = 500;

class FullExamView : public ExamView {
 public:
  explicit FullExamView(Platform& platform) : platform_(platform) {}

  // The menu's notice while the exam is composed; the exam screen keeps it
  // up for kPreparingNoticeMilliseconds from now.
  void showPreparingNotice();

  void examStarted(const Exam& exam) override;
  void questionShown(const Exam& exam) override;
  ExamInput readCommand(const Exam& exam) override;
  void figureAsked(const Exam& exam) override;
  void reviewAsked(const Exam&) override {}  // the panel follows in commandDone
  void alert() override { platform_.sound.playAlert(); }
  void commandDone(const Exam& exam) override;
  void pastLastQuestion(const Exam& exam) override;
  bool confirmStop(const Exam& exam) override;
  MissedChoice showResults(const Exam& exam, bool missedOffered) override;
  void examLeft(const Exam& exam) override;

 private:
  Console& console() { return platform_.console; }
  std::optional<ExamInput> numberKey(const Key& key);
  void drawNumberEntry();

  Platform& platform_;
  ClickMap<ExamCommand> barClicks_;
  ClickMap<int> sheetClicks_;  // answer sheet entries: the question number
  FigureWindow figure_;
  std::int64_t noticeShownAt_ = 0;
  std::string typedNumber_;  // digits typed to go to a question
};

// The command bar on row 25: the bar text in the colours in force with its
// eight buttons in black on grey over it, and the Figure label when the
// question has a figure; leaves 0 on 15. Every button's columns give its
// command to a click.
void drawExamBar(Console& console, bool figureLabel, ClickMap<ExamCommand>& clicks);

// With review off, blanks rows 27 to 43. Otherwise draws the answer sheet of
// the exam's questions in columns of ten from row 27 (wrong answers red,
// never a skipped one), each entry a place a click goes to its question,
// and, left of it, the counts, running score and status. Called with 0 on 15
// in force and leaves it so.
void showReviewPanel(Console& console, const Exam& exam, ClickMap<int>& clicks);

// The results screen in white on blue: correct, incorrect and skipped
// counts, the score and the verdict, and with `missedOffered` the keys for
// the missed questions. Returns what the key or click after it asks for.
MissedChoice showExamResults(Console& console, const Exam& exam, bool missedOffered = false);

// The row that offers the missed questions' list (M) and drill (D), and
// what a key there asks for.
inline constexpr std::string_view kMissedOffer =
    "M. The questions you missed, with the right answers      D. A drill of them";
MissedChoice missedChoiceOf(const Key& key, bool missedOffered);

}  // namespace pentrill
