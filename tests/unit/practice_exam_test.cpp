// The practice exam against the in-memory console: the exam screen and its
// command bar, answers and moves by key and click, the alert at both ends,
// the last-question notice, Review, Stop Exam and the figure windows. The
// test composes the same exam as the program (same clock reading) to know
// which question is on the screen.
#include "tests/fakes/manual_clock.h"
#include "fullscreen/exam_screen.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "backends/posix_files.h"
#include "exam/exam_composer.h"
#include "screen/input.h"
#include "tests/fakes/memory_console.h"
#include "tests/fakes/recording_windows.h"
#include "tests/fakes/screen_dump.h"

namespace pentrill {
namespace {

using Call = RecordingWindows::Call;

struct CountingSound : Sound {
  void playAlert() override { ++alerts; }
  int alerts = 0;
};

constexpr std::string_view kBar = " [ A ][ B ][ C ][ D ]   Next  Prev            Review       Stop Exam";
constexpr std::string_view kStopPrompt = "Are you sure you want to end the Exam? [Y] or [N]";
constexpr std::string_view kLastNotice =
    "This was the last question you can End the exam or go back to a Previous question.";

std::string blanks(size_t n) { return std::string(n, ' '); }

class ExamRun {
 public:
  explicit ExamRun(int millisecond = 345, const PoolEdition& edition = pool2020To2024())
      : clock(2026, 5, 4, 8, 30, 12, millisecond), session(edition, clock, files) {
    console.onWait = [this](int ms) { clock.advanceMilliseconds(ms); };
    ManualClock sameMoment(2026, 5, 4, 8, 30, 12, millisecond);
    Random random;
    expected = composePracticeExam(session.edition(), sameMoment, random);
  }

  // True when the exam ended, false when it still waited for input at the
  // end of the script.
  bool run() {
    try {
      view.showPreparingNotice();
      Exam exam(session, composePracticeExam(session.edition(), clock, session.random));
      runExam(exam, view);
      return true;
    } catch (const ScriptExhausted&) {
      return false;
    }
  }

  // The number in front of the question text on row 3 ("  7. ..."), 0 if none.
  static int numberOn(const ScreenGrid& grid) {
    const std::string row = grid.text(3);
    if (row.compare(0, 2, "  ") != 0) return 0;
    const size_t point = row.find(". ");
    if (point == std::string::npos) return 0;
    return std::stoi(row.substr(2, point - 2));
  }
  int shownNumber() const { return numberOn(console.grid()); }
  const AskedQuestion& shownQuestion() const { return question(shownNumber()); }
  // Question q, 1 to 50, as the exam composed it.
  const AskedQuestion& question(int q) const { return expected[static_cast<size_t>(q - 1)]; }
  std::string correctShown() const { return std::string(1, shownQuestion().correct); }
  std::string wrongShown() const { return correctShown() == "A" ? "B" : "A"; }

  void snapshotLater(ScreenGrid& into, std::string keys = "") {
    console.typeLater([this, &into, keys] {
      into = console.grid();
      return keys;
    });
  }
  void keysLater(std::function<std::string()> keys) { console.typeLater(std::move(keys)); }
  void next(int times) { console.typeKeys(std::string(static_cast<size_t>(times), 'N')); }

  MemoryConsole console;
  ManualClock clock;
  CountingSound sound;
  RecordingWindows windows;
  PosixFiles files;
  Platform platform{console, windows, sound, clock, files};
  Session session;
  FullExamView view{platform};
  std::vector<AskedQuestion> expected;
};

std::string normalised(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
    out += c;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// The rows of one wrapped block from `row` on, up to the next empty row:
// the first indented by firstIndent, the others by nextIndent. Returns the
// joined text and moves row past the block and its empty line.
std::string readBlock(const ScreenGrid& grid, int& row, size_t firstIndent, size_t nextIndent) {
  std::string joined;
  for (bool first = true; grid.text(row) != blanks(100); ++row, first = false) {
    const std::string line = grid.text(row);
    const size_t indent = first ? firstIndent : nextIndent;
    EXPECT_EQ(line.substr(0, indent), blanks(indent)) << "row " << row;
    EXPECT_NE(line[indent], ' ') << "row " << row;
    joined += line.substr(indent) + " ";
  }
  ++row;
  return normalised(joined);
}

void expectQuestionScreen(const ScreenGrid& grid, int number, const AskedQuestion& question) {
  for (int row : {1, 24, 26}) {
    EXPECT_EQ(grid.text(row, 1, 99), rule(99)) << row;
    EXPECT_EQ(grid.text(row, 100, 100), " ") << row;
  }
  EXPECT_EQ(grid.text(2), blanks(100));
  int row = 3;
  EXPECT_EQ(readBlock(grid, row, 2, 5), normalised(std::to_string(number) + ". " + std::string(question.question->text)));
  for (int p = 0; p < kAnswerCount; ++p)
    EXPECT_EQ(readBlock(grid, row, 5, 8), normalised(std::string{answerLetter(p), '.', ' '} + std::string(question.answer(p))));
  for (; row <= 23; ++row) EXPECT_EQ(grid.text(row), blanks(100)) << row;
  // The Figure label in columns 80 to 85 on a question with a figure only.
  const bool figure = question.question->figure.has_value();
  EXPECT_EQ(grid.text(25), std::string(kBar) + blanks(79 - kBar.size()) + (figure ? "Figure" : blanks(6)) + blanks(15))
      << question.question->id;
  EXPECT_EQ(grid.cell(25, 80).background, figure ? kLightGrey : kBrightWhite);
}

TEST(PracticeExam, FirstScreenLayoutColoursAndBar) {
  ExamRun exam;
  ScreenGrid first;
  exam.snapshotLater(first);
  EXPECT_FALSE(exam.run());
  expectQuestionScreen(first, 1, exam.question(1));
  EXPECT_EQ(first.text(3, 1, 5), "  1. ");
  for (int row = 27; row <= 43; ++row) EXPECT_EQ(first.text(row), blanks(100)) << row;
  EXPECT_FALSE(exam.console.cursorVisible());
  EXPECT_TRUE(exam.console.mouse.inputOn);
  EXPECT_EQ(exam.console.mouse.reportButtons, kLeftButton);
  EXPECT_EQ(exam.console.mouse.reportKinds, kMousePressed | kMouseDoubleClick);

  // Grey buttons exactly over the labels; everything else black on white.
  const std::pair<int, int> buttons[] = {{3, 5}, {8, 10}, {13, 15}, {18, 20}, {25, 28}, {31, 34}, {47, 52}, {60, 68}};
  for (int column = 1; column <= 100; ++column) {
    bool onButton = false;
    for (auto [from, to] : buttons) onButton = onButton || (column >= from && column <= to);
    EXPECT_EQ(first.cell(25, column).foreground, kBlack) << column;
    EXPECT_EQ(first.cell(25, column).background, onButton ? kLightGrey : kBrightWhite) << column;
  }
  for (int row = 1; row <= 43; ++row) {
    if (row == 25) continue;
    for (int column = 1; column <= 100; ++column) {
      ASSERT_EQ(first.cell(row, column).background, kBrightWhite) << row << "," << column;
      ASSERT_EQ(first.cell(row, column).foreground, kBlack) << row << "," << column;
    }
  }
  EXPECT_EQ(exam.sound.alerts, 0);
}

TEST(PracticeExam, NumbersWithoutLeadingZerosAndEveryQuestionInTurnInEveryPool) {
  for (const PoolEdition* edition : poolEditions()) {
    SCOPED_TRACE(edition->name);
    ExamRun exam(345, *edition);
    const int questions = edition->examQuestions();
    std::vector<ScreenGrid> screens(static_cast<size_t>(questions));
    for (int q = 1; q <= questions; ++q)
      exam.snapshotLater(screens[static_cast<size_t>(q - 1)], q < questions ? "n" : "");
    EXPECT_FALSE(exam.run());
    for (int q = 1; q <= questions; ++q) {
      SCOPED_TRACE("question " + std::to_string(q));
      expectQuestionScreen(screens[static_cast<size_t>(q - 1)], q, exam.question(q));
    }
    EXPECT_EQ(screens[6].text(3, 1, 5), "  7. ");
    EXPECT_EQ(screens[9].text(3, 1, 6), "  10. ");
    EXPECT_EQ(exam.sound.alerts, 0);
  }
}

TEST(PracticeExam, LowerCaseAnswerRecordsItAndMovesOn) {
  ExamRun exam;
  ScreenGrid after;
  exam.next(3);
  exam.console.typeKeys("b");
  exam.console.typeKeys("R");
  exam.snapshotLater(after);
  EXPECT_FALSE(exam.run());
  EXPECT_EQ(ExamRun::numberOn(after), 5);
  EXPECT_EQ(after.text(30, 30, 34), "04. B");
  EXPECT_EQ(after.cell(30, 30).foreground, exam.question(4).correct == 'B' ? kBlack : kRed);
  for (int q : {1, 2, 3, 5}) EXPECT_EQ(after.text(26 + q, 32, 34), ".  ") << q;  // N left them unanswered
  EXPECT_EQ(exam.sound.alerts, 0);
}

TEST(PracticeExam, ClicksActOnlyInsideTheButtons) {
  ExamRun exam;
  ScreenGrid first, untouched, afterA, afterNext, afterPrev;
  exam.snapshotLater(first);
  for (auto [row, column] : {std::pair{25, 6}, {25, 7}, {25, 2}, {25, 21}, {25, 29}, {25, 59}, {25, 69},
                             {25, 100}, {24, 5}, {26, 5}, {24, 60}, {26, 68}, {3, 10}})
    exam.console.click(row, column);
  exam.console.mouseEvent(Key::mouse(MouseAction::Press, kRightButton, 25, 5));  // right button: not reported
  exam.console.mouseEvent(Key::mouse(MouseAction::Release, kRightButton, 25, 5));
  exam.snapshotLater(untouched);
  exam.console.click(25, 5);  // A
  exam.snapshotLater(afterA);
  exam.console.click(25, 28);  // Next
  exam.snapshotLater(afterNext);
  exam.console.click(25, 31);  // Prev
  exam.console.click(25, 50);  // Review
  exam.snapshotLater(afterPrev);
  EXPECT_FALSE(exam.run());
  EXPECT_PRED_FORMAT2(testing::SameText(1, 43), first, untouched);
  EXPECT_EQ(ExamRun::numberOn(afterA), 2);
  EXPECT_EQ(ExamRun::numberOn(afterNext), 3);
  EXPECT_EQ(ExamRun::numberOn(afterPrev), 2);
  EXPECT_EQ(afterPrev.text(27, 30, 34), "01. A");
  EXPECT_EQ(afterPrev.text(28, 30, 34), "02.  ");
  EXPECT_EQ(exam.sound.alerts, 0);
}

TEST(PracticeExam, DoubleClickOnNextMovesTwoQuestions) {
  ExamRun exam;
  ScreenGrid after;
  exam.console.doubleClick(25, 26);
  exam.snapshotLater(after);
  EXPECT_FALSE(exam.run());
  EXPECT_EQ(ExamRun::numberOn(after), 3);
}

TEST(PracticeExam, PrevOnTheFirstQuestionAlertsAndStays) {
  ExamRun exam;
  ScreenGrid first, again;
  exam.snapshotLater(first, "p");
  exam.snapshotLater(again, "R");
  EXPECT_FALSE(exam.run());
  EXPECT_EQ(exam.sound.alerts, 1);
  EXPECT_PRED_FORMAT2(testing::SameText(1, 43), first, again);  // redrawn as it was, no notice
  EXPECT_EQ(exam.shownNumber(), 1);
  EXPECT_EQ(exam.console.text(27, 30, 34), "01.  ");
  EXPECT_EQ(exam.console.text(27, 1, 23), "     Correct Answers: 0");
}

TEST(PracticeExam, AnswerOnTheLastQuestionShowsTheNoticeWithoutTheAlert) {
  ExamRun exam;
  ScreenGrid notice, back;
  exam.next(49);
  exam.console.typeKeys("c");
  exam.snapshotLater(notice, "x");
  exam.snapshotLater(back, "R");
  EXPECT_FALSE(exam.run());
  EXPECT_EQ(exam.sound.alerts, 0);
  EXPECT_EQ(notice.text(22, 10, 9 + static_cast<int>(kLastNotice.size())), kLastNotice);
  EXPECT_EQ(notice.text(25), blanks(36) + "Press any key to continue." + blanks(38));
  EXPECT_EQ(ExamRun::numberOn(notice), 50);  // the question stays behind the notice
  expectQuestionScreen(back, 50, exam.question(50));
  EXPECT_EQ(exam.console.text(36, 71, 75), "50. C");
  EXPECT_EQ(exam.shownNumber(), 50);
}

TEST(PracticeExam, NextOnTheLastQuestionAlertsAndShowsTheNotice) {
  ExamRun exam;
  ScreenGrid notice, back;
  exam.next(49);
  exam.console.typeKeys("n");
  exam.keysLater([&] {
    notice = exam.console.grid();
    EXPECT_EQ(exam.sound.alerts, 1);  // sounded before the notice waits
    return std::string();
  });
  exam.console.click(10, 10);  // a click anywhere continues
  exam.snapshotLater(back);
  EXPECT_FALSE(exam.run());
  EXPECT_EQ(exam.sound.alerts, 1);
  EXPECT_EQ(notice.text(22, 10, 9 + static_cast<int>(kLastNotice.size())), kLastNotice);
  EXPECT_EQ(notice.text(25, 37, 62), "Press any key to continue.");
  expectQuestionScreen(back, 50, exam.question(50));
}

TEST(PracticeExam, StopDeclinedByKeyOrClickReturnsToTheSameQuestion) {
  ExamRun exam;
  ScreenGrid before, prompt, afterN, afterClick;
  exam.next(2);
  exam.snapshotLater(before, "s");
  exam.snapshotLater(prompt);
  exam.console.typeKeys("x");
  exam.console.pressKey(Key::named(KeyName::F1));
  exam.console.click(25, 65);  // the bracket before Y
  exam.console.click(24, 73);
  exam.console.typeKeys("n");
  exam.snapshotLater(afterN);
  exam.console.click(25, 68);  // the last column of Stop Exam
  exam.console.click(25, 75);  // one past [N]
  exam.snapshotLater(afterClick);
  EXPECT_FALSE(exam.run());
  EXPECT_EQ(prompt.text(25), blanks(25) + std::string(kStopPrompt) + blanks(100 - 25 - kStopPrompt.size()));
  EXPECT_EQ(prompt.cell(25, 66).foreground, kYellow);
  EXPECT_EQ(prompt.cell(25, 66).background, kRed);
  EXPECT_EQ(prompt.cell(25, 73).background, kRed);
  EXPECT_EQ(prompt.cell(25, 26).foreground, kBlack);
  EXPECT_EQ(prompt.cell(25, 26).background, kBrightWhite);
  EXPECT_PRED_FORMAT2(testing::SameText(1, 43), before, afterN);
  EXPECT_PRED_FORMAT2(testing::SameText(1, 43), before, afterClick);
  EXPECT_EQ(afterN.cell(25, 3).background, kLightGrey);  // the bar is back
  EXPECT_EQ(ExamRun::numberOn(afterClick), 3);
}

TEST(PracticeExam, StopAtOnceShowsAllFiftySkipped) {
  ExamRun exam;
  ScreenGrid results;
  exam.console.click(25, 60);
  exam.console.typeKeys("y");
  exam.snapshotLater(results, " ");
  EXPECT_TRUE(exam.run());
  EXPECT_EQ(results.text(19, 39, 59), "  Correct Answers: 0 ");
  EXPECT_EQ(results.text(20, 39, 59), "Incorrect Answers: 0 ");
  EXPECT_EQ(results.text(21, 39, 60), "Skipped Questions: 50 ");
  EXPECT_EQ(results.text(22, 39, 60), "       Your Score: 0% ");
  EXPECT_EQ(results.text(23, 39, 61), "      Your Status: Fail");
  EXPECT_EQ(results.cell(19, 39).background, kBlue);
  EXPECT_EQ(exam.console.waitingSteps(), 0);
}

// A whole exam: right, wrong and skipped questions, one answer replaced after
// going back; the panel and the results agree with what was given.
TEST(PracticeExam, ResultsCountWhatWasAnsweredLastAndTheReplacedAnswerOnce) {
  ExamRun exam;
  ScreenGrid panel, results;
  int right = 0, wrong = 0;
  exam.keysLater([&] { return exam.wrongShown(); });  // question 1 wrong...
  exam.console.typeKeys("P");
  exam.keysLater([&] { return exam.correctShown(); });  // ...then right
  ++right;
  for (int q = 2; q <= 49; ++q) {
    if (q % 4 == 0) {
      exam.console.typeKeys("N");
    } else if (q % 5 == 0) {
      exam.keysLater([&] { return exam.wrongShown(); });
      ++wrong;
    } else {
      exam.keysLater([&] { return exam.correctShown(); });
      ++right;
    }
  }
  exam.console.typeKeys("R");
  exam.snapshotLater(panel, "S");
  exam.console.typeKeys("Y");
  exam.snapshotLater(results, "q");
  EXPECT_TRUE(exam.run());

  const int skipped = 50 - right - wrong;
  EXPECT_EQ(panel.text(27, 1, 29).substr(0, 24), "     Correct Answers: " + std::to_string(right));
  EXPECT_EQ(panel.text(28, 1, 29).substr(0, 23), "   Incorrect Answers: " + std::to_string(wrong));
  int red = 0;
  for (int q = 1; q <= 50; ++q) {
    const int row = 27 + (q - 1) % 10;
    const int column = std::array{30, 41, 51, 61, 71}[static_cast<size_t>((q - 1) / 10)];
    red += panel.cell(row, column).foreground == kRed;
  }
  EXPECT_EQ(red, wrong);
  EXPECT_EQ(results.text(19, 57, 59), std::string(" ").append(std::to_string(right)));
  EXPECT_EQ(results.text(20, 57, 58), std::string(" ").append(std::to_string(wrong)));
  EXPECT_EQ(results.text(21, 57, 59), std::string(" ").append(std::to_string(skipped)));
  const int score = 2 * right;
  EXPECT_EQ(results.text(22, 57, 61), std::string(" ").append(std::to_string(score)).append("% "));
  EXPECT_EQ(results.text(23, 57, 61), score > 73.99 ? " Pass" : " Fail");
  EXPECT_EQ(exam.sound.alerts, 0);
}

TEST(PracticeExam, ReviewTwiceLeavesThePanelRowsBlank) {
  ExamRun exam;
  ScreenGrid first, on, off;
  exam.snapshotLater(first, "r");
  exam.snapshotLater(on, "R");
  exam.snapshotLater(off);
  EXPECT_FALSE(exam.run());
  EXPECT_EQ(on.text(27, 30, 34), "01.  ");
  EXPECT_EQ(on.text(36, 71, 75), "50.  ");
  EXPECT_EQ(on.text(29, 1, 24), "  Your Current Score: 0%");
  EXPECT_EQ(on.text(30, 1, 26), " Current Test Status: Fail");
  EXPECT_PRED_FORMAT2(testing::SameText(1, 26), first, on);
  EXPECT_PRED_FORMAT2(testing::SameText(1, 43), first, off);  // nothing scrolled either
}

// The first question of this exam with a figure, found from the composition.
int firstFigureQuestion(const std::vector<AskedQuestion>& exam) {
  for (int q = 1; q <= 50; ++q)
    if (exam[static_cast<size_t>(q - 1)].question->figure) return q;
  return 0;
}

TEST(PracticeExam, EveryRedrawClosesTheFigureWindowAndOpensTheQuestionsOwn) {
  ExamRun exam;
  const int q = firstFigureQuestion(exam.expected);
  ASSERT_GT(q, 0) << "this exam has no figure question; pick another moment";
  const Figure* figure = figureOf(exam.session.edition(), *exam.question(q).question);
  ASSERT_NE(figure, nullptr);

  std::optional<size_t> callsBefore;
  exam.next(q - 1);
  exam.keysLater([&] {
    callsBefore = exam.windows.calls.size();
    return "R";
  });
  exam.console.typeKeys("S");
  exam.console.typeKeys("Y");
  exam.console.typeKeys(" ");
  EXPECT_TRUE(exam.run());

  // Before question q: no window unless an earlier question had one.
  ASSERT_TRUE(callsBefore);
  const auto& calls = exam.windows.calls;
  ASSERT_GE(*callsBefore, 2u);
  const Call& open = calls[*callsBefore - 2];
  EXPECT_EQ(open.kind, Call::Kind::Open);
  EXPECT_EQ(open.caption, figure->caption);
  EXPECT_EQ(open.left, 1000);
  EXPECT_EQ(open.top, 100);
  EXPECT_EQ(open.width, figure->width);
  EXPECT_EQ(open.height, figure->height);
  EXPECT_EQ(calls[*callsBefore - 1].kind, Call::Kind::Draw);
  EXPECT_EQ(calls[*callsBefore - 1].handle, open.handle);
  // R: closed and opened again; S, Y: the prompt redraws nothing, the end closes it.
  ASSERT_EQ(calls.size(), *callsBefore + 4);
  EXPECT_EQ(calls[*callsBefore].kind, Call::Kind::Close);
  EXPECT_EQ(calls[*callsBefore].handle, open.handle);
  EXPECT_EQ(calls[*callsBefore + 1].kind, Call::Kind::Open);
  EXPECT_EQ(calls[*callsBefore + 3].kind, Call::Kind::Close);
  EXPECT_EQ(calls[*callsBefore + 3].handle, calls[*callsBefore + 1].handle);
  EXPECT_TRUE(exam.windows.open.empty());
  // Every question without a figure closed the window of the one before.
  int opens = 0;
  for (const Call& call : calls) opens += call.kind == Call::Kind::Open;
  int figuresShown = 0;
  for (int shown = 1; shown <= q; ++shown) figuresShown += exam.question(shown).question->figure.has_value();
  EXPECT_EQ(opens, figuresShown + 1);
}

TEST(PracticeExam, NoWindowOpenedLeavesNothingToClose) {
  ExamRun exam;
  exam.windows.canOpen = false;
  exam.next(50);
  exam.console.typeKeys("x");  // the notice after N on question 50
  exam.console.typeKeys("SY ");
  EXPECT_TRUE(exam.run());
  EXPECT_TRUE(exam.windows.open.empty());
  EXPECT_EQ(exam.sound.alerts, 1);
}

}  // namespace
}  // namespace pentrill
