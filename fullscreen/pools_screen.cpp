// The L screen in bright white on blue: every pool the program carries, by
// licence class, with its questions, its exam and whether it is in force;
// the pool in use in yellow (bold without colour). A digit or a click on a line chooses a pool.
#include <algorithm>

#include "fullscreen/full_face.h"
#include "screen/input.h"
#include "screen/text.h"

namespace pentrill {

namespace {

constexpr int kTitleRow = 2;
constexpr int kHeaderRow = 4;
constexpr int kFirstRow = 6;
constexpr int kNumberColumn = 3;
constexpr int kClassColumn = 7;
constexpr int kPoolColumn = 34;
constexpr int kQuestionsColumn = 46;
constexpr int kExamColumn = 57;
constexpr int kStatusColumn = 71;

void drawOffer(Console& console, int row, int number, const PoolOffer& offer) {
  const PoolEdition& edition = *offer.edition;
  writeAt(console, row, kNumberColumn, plainNumberText(number) + ".");
  writeAt(console, row, kClassColumn,
          std::string(edition.className) + " (Element " + plainNumberText(edition.element) + ")");
  writeAt(console, row, kPoolColumn, edition.years);
  writeAt(console, row, kQuestionsColumn, plainNumberText(offer.questions));
  writeAt(console, row, kExamColumn,
          plainNumberText(edition.examQuestions()) + ", pass " + plainNumberText(edition.passMark));
  writeAt(console, row, kStatusColumn, offer.status);
}

}  // namespace

const PoolEdition* FullScreenFace::choosePool(const std::vector<PoolOffer>& offers, const PoolEdition& inUse) {
  Console& console = platform_.console;
  console.setColours(kBrightWhite, kBlue);
  console.clearScreen();
  writeAt(console, kTitleRow, kNumberColumn, "Choose the licence class and question pool to study");
  writeAt(console, kHeaderRow, kClassColumn, "Licence class");
  writeAt(console, kHeaderRow, kPoolColumn, "Pool");
  writeAt(console, kHeaderRow, kQuestionsColumn, "Questions");
  writeAt(console, kHeaderRow, kExamColumn, "Exam");
  writeAt(console, kHeaderRow, kStatusColumn, "Today");
  ClickMap<int> clicks;
  console.rest = {kTitleRow, kNumberColumn};
  for (size_t i = 0; i < offers.size(); ++i) {
    const int row = kFirstRow + static_cast<int>(i);
    const bool used = offers[i].edition == &inUse;
    console.setColours(used ? kYellow : kBrightWhite, kBlue);
    drawOffer(console, row, static_cast<int>(i) + 1, offers[i]);
    if (used) console.rest = {row, kNumberColumn};
    clicks.add(row, 1, kScreenColumns, static_cast<int>(i));
  }
  console.setColours(kBrightWhite, kBlue);
  const int count = static_cast<int>(offers.size());
  writeAt(console, kFirstRow + count + 1, kNumberColumn,
          "Press 1 to " + plainNumberText(count) + ", or click a line, to choose a pool; any other key returns to the menu.");
  // Said by its number as well: without colour (NO_COLOR) the line is bold, not yellow.
  const auto inUseAt = std::find_if(offers.begin(), offers.end(), [&inUse](const PoolOffer& offer) {
    return offer.edition == &inUse;
  });
  writeAt(console, kFirstRow + count + 2, kNumberColumn,
          "The pool in use, highlighted, is number " + plainNumberText(inUseAt - offers.begin() + 1) + ".");
  const Key key = waitKey(console);
  std::optional<int> chosen;
  if (key.isMouse()) {
    chosen = clicks.at(key.row, key.column);
  } else if (key.isCharacter() && key.character >= '1' && key.character < '1' + count) {
    chosen = key.character - '1';
  }
  return chosen ? offers[static_cast<size_t>(*chosen)].edition : nullptr;
}

}  // namespace pentrill
