// F in the drill and the practice exam against the in-memory console: the
// Figure label where a question has a picture, the figure shown over the
// screen until the next key or click, which is no answer, and the screen
// and the record afterwards those of the question.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/study_log.h"
#include "exam/exam_composer.h"
#include "exam/exam.h"
#include "fullscreen/answer_bar.h"
#include "tests/fakes/manual_clock.h"
#include "tests/fakes/memory_console.h"
#include "tests/fakes/memory_record_store.h"
#include "tests/fakes/recording_windows.h"
#include "tests/unit/recorded_run.h"

namespace pentrill {
namespace {

constexpr int kBarRow = 25;

// Every row of the grid but the run clock's columns.
std::vector<std::string> screenRows(const MemoryConsole& console) {
  std::vector<std::string> rows;
  for (int row = 1; row <= kScreenRows; ++row)
    rows.push_back(row == kBarRow ? console.text(row, 1, 49) + console.text(row, 68) : console.text(row));
  return rows;
}

char otherThan(char letter) { return letter == 'A' ? 'B' : 'A'; }

class FigureFlow : public RecordedRun {
 protected:
  // A drill of E5 in sequence from E5C10, a question of Figure 5-1.
  void startAtE5C10() {
    console.typeKeys("s");
    console.typeKeys("38\r");
  }
};

TEST_F(FigureFlow, DrillFigureShownByKeyOrClickThenTheAnswerIsTheQuestions) {
  startAtE5C10();
  std::vector<std::string> question;
  std::string clockBefore;
  char correct = 0;
  console.typeLater([&] {
    EXPECT_EQ(console.text(2, 15, 19), "E5C10");
    EXPECT_EQ(console.text(kBarRow, 70, 75), "Figure");
    EXPECT_EQ(console.grid().cell(kBarRow, 70).foreground, kBlack);
    EXPECT_EQ(console.grid().cell(kBarRow, 75).background, kLightGrey);
    question = screenRows(console);
    clockBefore = console.text(kBarRow, 50, 67);
    correct = drillQuestion().correct;
    return "f";
  });
  console.idle(3000);  // the figure is looked at for a while
  // The right letter returns from the figure and answers nothing.
  console.typeLater([&] {
    EXPECT_EQ(console.figureShown(), "Figure 5-1");
    EXPECT_GT(console.figureBytes(), 1000u);
    return std::string(1, correct);
  });
  console.typeLater([&] {
    EXPECT_FALSE(console.figureShown());
    EXPECT_EQ(screenRows(console), question);
    EXPECT_NE(console.text(kBarRow, 50, 67), clockBefore) << "the run clock stood still";
    return "";
  });
  console.click(kBarRow, 73);
  console.typeLater([&] {
    EXPECT_EQ(console.figureShown(), "Figure 5-1");
    return "";
  });
  console.click(10, 10);  // a click returns too, and answers nothing
  console.typeLater([&] {
    EXPECT_FALSE(console.figureShown());
    EXPECT_EQ(screenRows(console), question);
    return std::string(1, otherThan(correct));
  });
  console.typeKeys(" ");  // past the wrong-answer notice
  console.typeKeys("S");
  EXPECT_FALSE(runSubelementDrill(5));

  EXPECT_EQ(console.figuresShown(), 2);
  const std::vector<RecordedAnswer> recorded = answers();
  ASSERT_EQ(recorded.size(), 1u);
  EXPECT_EQ(recorded[0].question, "E5C10");
  EXPECT_FALSE(recorded[0].correct);
}

TEST_F(FigureFlow, DrillQuestionWithoutAPictureHasNoLabelAndFDoesNothing) {
  console.typeKeys("s");
  console.typeKeys("1\r");
  std::vector<std::string> question;
  console.typeLater([&] {
    EXPECT_FALSE(figureOf(session.edition(), *drillQuestion().question));
    EXPECT_EQ(console.text(kBarRow, 70, 75), "      ");
    EXPECT_EQ(console.grid().cell(kBarRow, 70).background, kBrightWhite);
    question = screenRows(console);
    return "f";
  });
  console.click(kBarRow, 70);
  console.typeLater([&] {
    EXPECT_EQ(screenRows(console), question);
    return "S";
  });
  EXPECT_FALSE(runSubelementDrill(0));
  EXPECT_EQ(console.figuresShown(), 0);
  EXPECT_TRUE(answers().empty());
}

TEST_F(FigureFlow, ExamFigureIsACommandThatNeitherMovesNorAnswers) {
  // The first moment from the clock's on whose exam the first question has
  // no figure and a later one has.
  std::vector<AskedQuestion> exam;
  int withFigure = 0;  // that question, 2 to 50
  for (int second = 0; second < 600 && withFigure < 2; ++second) {
    ManualClock sameMoment(2026, 12, 8, 10, 0, 0);
    sameMoment.advanceMilliseconds(second * 1000);
    Random random;
    exam = composePracticeExam(session.edition(), sameMoment, random);
    withFigure = 0;
    for (int i = 0; i < static_cast<int>(exam.size()) && withFigure == 0; ++i)
      if (exam[static_cast<size_t>(i)].question->figure) withFigure = i + 1;
    if (withFigure >= 2) clock.advanceMilliseconds(second * 1000);
  }
  ASSERT_GE(withFigure, 2) << "no exam with a figure after its first question";
  const AskedQuestion& asked = exam[static_cast<size_t>(withFigure - 1)];

  console.typeLater([&] {
    EXPECT_EQ(console.text(kBarRow, 80, 85), "      ");
    return "F";  // no figure: nothing
  });
  console.typeLater([&] {
    EXPECT_EQ(console.figuresShown(), 0);
    EXPECT_EQ(console.text(3, 1, 5), "  1. ");
    return std::string(static_cast<size_t>(withFigure - 1), 'N');
  });
  std::vector<std::string> question;
  console.typeLater([&] {
    EXPECT_EQ(console.text(kBarRow, 80, 85), "Figure");
    EXPECT_EQ(console.grid().cell(kBarRow, 80).background, kLightGrey);
    question = screenRows(console);
    return "f";
  });
  console.typeLater([&] {
    EXPECT_TRUE(console.figureShown().has_value());
    EXPECT_EQ(*console.figureShown(), figureOf(session.edition(), *asked.question)->caption);
    return std::string(1, asked.correct);  // returns; no answer
  });
  console.typeLater([&] {
    EXPECT_FALSE(console.figureShown());
    EXPECT_EQ(screenRows(console), question);
    return "";
  });
  console.click(kBarRow, 82);
  console.typeKeys("x");
  console.typeLater([&] { return std::string(1, otherThan(asked.correct)); });
  console.typeKeys("SY");
  console.typeKeys(" ");
  runPracticeExam();

  EXPECT_EQ(console.figuresShown(), 2);
  const std::vector<RecordedAnswer> recorded = answers();
  ASSERT_EQ(recorded.size(), 1u);
  EXPECT_EQ(recorded[0].question, asked.question->id);
  EXPECT_EQ(recorded[0].answer, poolLetter(asked, otherThan(asked.correct)));
  EXPECT_FALSE(recorded[0].correct);
}

}  // namespace
}  // namespace pentrill
