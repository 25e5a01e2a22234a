#include "screen/question_screen.h"

#include <string>

#include "screen/text.h"

namespace pentrill {

namespace {

constexpr int kRuleLength = 99;  // columns 2 to 100

void drawRule(Console& console, int row) { writeAt(console, row, 2, rule(kRuleLength)); }

void drawHintLabel(Console& console, std::string_view id, const HintIndex& hintIndex) {
  writeAt(console, kAnswerBarRow, kHintLabelColumn, "    ");
  if (!hasHint(identifierKey(id), hintIndex)) return;
  console.setColours(kBlack, kLightGrey);
  writeAt(console, kAnswerBarRow, kHintLabelColumn, "Hint");
  console.setColours(kBlack, kBrightWhite);
}

// Writes the lines of a wrapped text from the cursor: the first after
// firstIndent blanks, the others under the first character after the label.
void writeWrapped(Console& console, std::string_view text, int firstIndent, LineList& lines) {
  wrapText(text, lines, kDrillWrapWidth);
  long long count = roundedNumberValue(lines[0]);
  for (long long i = 1; i <= count; ++i) {
    console.write(std::string(i == 1 ? static_cast<size_t>(firstIndent) : 9u, ' '));
    console.write(lines[static_cast<size_t>(i)]);
    console.endLine();
  }
}

// "007. " for 7: three digits, the last three when the number has more.
std::string questionNumber(int shownNumber) {
  std::string digits = "000" + plainNumberText(shownNumber);
  return digits.substr(digits.size() - 3) + ". ";
}

void drawQuestionAndAnswers(Console& console, const Question& question, int shownNumber, LineList& lines) {
  console.locate(kDrillTextRow, 5);
  writeWrapped(console, questionNumber(shownNumber) + question.field(kText), 0, lines);
  for (int f = kAnswerA; f <= kAnswerD; ++f) {
    console.endLine();
    writeWrapped(console, question.field(f), 6, lines);
  }
}

}  // namespace

std::string_view identifierKey(std::string_view id) { return id.substr(0, id.find(' ')); }

void showPeekIndicator(Console& console, int peekOff) {
  if (peekOff == -1) {
    console.setColours(kBlack, kLightGrey);
    writeAt(console, kAnswerBarRow, kPeekLabelColumn, "Peek Off");
    console.setColours(kBlack, kBrightWhite);
  } else if (peekOff == 0) {
    console.setColours(kBlack, kBrightWhite);
    writeAt(console, kAnswerBarRow, kPeekLabelColumn, std::string(8, ' '));
    console.setColours(kYellow, kRed);
    writeAt(console, kAnswerBarRow, kPeekLabelColumn, "Peek On");
  }
}

void showQuestionHeader(Console& console, std::string_view id, std::string_view correct, int peekOff) {
  writeAt(console, 2, 2, std::string(98, ' '));
  writeAt(console, 2, 2, "Question ID: ");
  console.write(id);
  if (peekOff == 0) {
    console.write(" ");
    console.write(correct);
  } else {
    console.write("  ");
  }
  drawRule(console, 3);
}

void drawDrillScreen(Console& console, const Question& question, int shownNumber, std::string_view drillTitle,
                     int peekOff, const HintIndex& hintIndex, LineList& lines) {
  console.setColours(kBlack, kBrightWhite);
  drawRule(console, 1);
  drawRule(console, 24);
  drawAnswerBar(console);
  drawRule(console, 26);
  showPeekIndicator(console, peekOff);
  console.setColours(kBlack, kBrightWhite);
  showQuestionHeader(console, question.field(kId), question.field(kCorrect), peekOff);
  writeAt(console, 2, kScreenColumns - static_cast<int>(drillTitle.size()) - 2, drillTitle);
  drawHintLabel(console, question.field(kId), hintIndex);
  drawQuestionAndAnswers(console, question, shownNumber, lines);
}

}  // namespace pentrill
