// The missed questions of a practice exam in bright white on blue, a page
// at a time: each with its number in the exam and identifier, the question,
// the answer given (or that it was skipped) and the right answer.
#include <algorithm>

#include "fullscreen/full_face.h"
#include "fullscreen/question_screen.h"
#include "screen/input.h"
#include "screen/text.h"
#include "screen/wrap_text.h"

namespace pentrill {

namespace {

constexpr int kFirstRow = 3;
constexpr int kLastRow = 40;
constexpr int kKeysRow = 42;
constexpr int kWidth = 90;

// One missed question as the rows it takes, each with its colour.
struct Entry {
  std::vector<std::pair<std::string, int>> rows;  // text, foreground
};

void addWrapped(Entry& entry, std::string_view text, int indent, int foreground) {
  bool first = true;
  for (const std::string& line : wrapText(text, kWidth - indent)) {
    entry.rows.push_back({blanks(first ? indent : indent + 4) + line, foreground});
    first = false;
  }
}

Entry entryOf(const MissedQuestion& missed) {
  Entry entry;
  const AskedQuestion& asked = missed.asked;
  entry.rows.push_back({"Question " + plainNumberText(missed.number) + ", " + std::string(asked.question->id), kBrightWhite});
  addWrapped(entry, trimBlanks(asked.question->text), 2, kBrightWhite);
  if (missed.given) {
    addWrapped(entry, "Your answer:  " + labelledAnswer(asked, answerPosition(*missed.given)), 2, kBrightWhite);
  } else {
    entry.rows.push_back({"  Your answer:  skipped", kBrightWhite});
  }
  addWrapped(entry, "Right answer: " + labelledAnswer(asked, answerPosition(asked.correct)), 2, kYellow);
  return entry;
}

// The entries in pages that fit rows 3 to 40, a blank row between entries.
std::vector<std::vector<Entry>> pagesOf(const std::vector<MissedQuestion>& missed) {
  std::vector<std::vector<Entry>> pages(1);
  int used = 0;
  for (const MissedQuestion& question : missed) {
    Entry entry = entryOf(question);
    const int rows = static_cast<int>(entry.rows.size()) + (used > 0 ? 1 : 0);
    if (used > 0 && used + rows > kLastRow - kFirstRow + 1) {
      pages.emplace_back();
      used = 0;
    }
    used += static_cast<int>(entry.rows.size()) + (used > 0 ? 1 : 0);
    pages.back().push_back(std::move(entry));
  }
  return pages;
}

void drawPage(Console& console, const std::vector<Entry>& page, int number, int pages, int questions) {
  console.setColours(kBrightWhite, kBlue);
  console.clearScreen();
  console.rest = {1, 3};
  writeAt(console, 1, 3,
          "The questions you missed in the practice exam: " + plainNumberText(questions) + "   (page " +
              plainNumberText(number) + " of " + plainNumberText(pages) + ")");
  int row = kFirstRow;
  for (const Entry& entry : page) {
    for (const auto& [text, foreground] : entry.rows) {
      console.setColours(foreground, kBlue);
      writeAt(console, row++, 3, text);
    }
    ++row;
  }
  console.setColours(kBrightWhite, kBlue);
  writeAt(console, kKeysRow, 3,
          pages > 1 ? "Space: next page   P: previous page   D: a drill of these questions   any other key: back"
                    : "D: a drill of these questions   any other key: back");
}

}  // namespace

MissedChoice FullScreenFace::showMissed(const std::vector<MissedQuestion>& missed) {
  const std::vector<std::vector<Entry>> pages = pagesOf(missed);
  const int count = static_cast<int>(pages.size());
  for (int page = 0;;) {
    drawPage(platform_.console, pages[static_cast<size_t>(page)], page + 1, count, static_cast<int>(missed.size()));
    const Key key = waitKey(platform_.console);
    const char letter = key.isCharacter() ? upperLetter(key.character) : '\0';
    const bool next = letter == ' ' || letter == 'N' || key == Key::named(KeyName::PageDown);
    const bool previous = letter == 'P' || key == Key::named(KeyName::PageUp);
    if (letter == 'D') return MissedChoice::Drill;
    if (next && page + 1 < count) {
      ++page;
    } else if (previous && page > 0) {
      --page;
    } else if (!next && !previous) {
      return MissedChoice::Done;
    }
  }
}

}  // namespace pentrill
