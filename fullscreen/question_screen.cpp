#include "fullscreen/question_screen.h"

#include <string>

#include "fullscreen/answer_bar.h"
#include "fullscreen/command_bar.h"
#include "screen/text.h"
#include "screen/wrap_text.h"

namespace pentrill {

namespace {

constexpr int kRuleLength = 99;  // columns 2 to 100

void drawRule(Console& console, int row) { writeAt(console, row, 2, rule(kRuleLength)); }

// The answer bar's Hint button, drawn only for a question that has a hint.
void drawHintLabel(Console& console, std::string_view id, const HintIndex& hintIndex) {
  const BarButton<DrillCommand>& hint = answerBarButton(DrillCommand::Hint);
  writeAt(console, kAnswerBarRow, hint.first, blanks(static_cast<int>(hint.label.size())));
  if (!hasHint(id, hintIndex)) return;
  drawButton(console, kAnswerBarRow, hint);
  console.setColours(kBlack, kBrightWhite);
}

// The answer bar's Figure label, drawn only for a question with a picture.
void drawFigureLabel(Console& console, bool shown) {
  const BarButton<DrillCommand>& figure = answerBarButton(DrillCommand::Figure);
  if (shown) {
    drawButton(console, kAnswerBarRow, figure);
  } else {
    writeAt(console, kAnswerBarRow, figure.first, blanks(static_cast<int>(figure.label.size())));
  }
  console.setColours(kBlack, kBrightWhite);
}

// "007. " for 7: three digits, the last three when the number has more.
std::string questionNumber(int shownNumber) {
  std::string digits = "000" + plainNumberText(shownNumber);
  return digits.substr(digits.size() - 3) + ". ";
}

// Answers continue under the first character after their label.
constexpr int kDrillContinuationIndent = 9;

void drawQuestionAndAnswers(Console& console, const AskedQuestion& question, int shownNumber) {
  console.locate(kDrillTextRow, 5);
  writeWrapped(console, questionNumber(shownNumber) + std::string(question.question->text), kDrillWrapWidth, 0,
               kDrillContinuationIndent);
  for (int position = 0; position < kAnswerCount; ++position) {
    console.endLine();
    writeWrapped(console, labelledAnswer(question, position), kDrillWrapWidth, 6, kDrillContinuationIndent);
  }
}

}  // namespace

std::string labelledAnswer(const AskedQuestion& question, int position) {
  return std::string{answerLetter(position), '.', ' '}.append(question.answer(position));
}

void writeWrapped(Console& console, std::string_view text, int width, int firstIndent, int nextIndent) {
  const std::vector<std::string> lines = wrapText(text, width);
  for (size_t i = 0; i < lines.size(); ++i) {
    console.write(blanks(i == 0 ? firstIndent : nextIndent));
    console.write(lines[i]);
    console.endLine();
  }
}

// The answer bar's Peek button: its label as the table has it while peek is
// off, "Peek On" in the buttons' colours while it is on.
void showPeekIndicator(Console& console, bool peekOn) {
  const BarButton<DrillCommand>& peek = answerBarButton(DrillCommand::Peek);
  if (!peekOn) {
    drawButton(console, kAnswerBarRow, peek);
    console.setColours(kBlack, kBrightWhite);
  } else {
    console.setColours(kBlack, kBrightWhite);
    writeAt(console, kAnswerBarRow, peek.first, blanks(static_cast<int>(peek.label.size())));
    console.setColours(kYellow, kRed);
    writeAt(console, kAnswerBarRow, peek.first, kPeekOnLabel);
  }
}

void showQuestionHeader(Console& console, std::string_view idField, char correct, bool peekOn) {
  writeAt(console, 2, 2, blanks(98));
  writeAt(console, 2, 2, "Question ID: ");
  console.write(idField);
  if (peekOn) {
    console.write(" ");
    console.write(std::string(1, correct));
  } else {
    console.write("  ");
  }
  drawRule(console, 3);
}

void drawDrillScreen(Console& console, const PoolEdition& edition, const AskedQuestion& question, int shownNumber,
                     std::string_view drillTitle, bool peekOn, const HintIndex& hintIndex, bool figureLabel,
                     ClickMap<DrillCommand>& clicks) {
  console.setColours(kBlack, kBrightWhite);
  drawRule(console, 1);
  drawRule(console, 24);
  drawAnswerBar(console, clicks);
  drawRule(console, 26);
  showPeekIndicator(console, peekOn);
  console.setColours(kBlack, kBrightWhite);
  showQuestionHeader(console, idField(edition, *question.question), question.correct, peekOn);
  writeAt(console, 2, kScreenColumns - static_cast<int>(drillTitle.size()) - 2, drillTitle);
  drawHintLabel(console, question.question->id, hintIndex);
  drawFigureLabel(console, figureLabel);
  drawQuestionAndAnswers(console, question, shownNumber);
}

}  // namespace pentrill
