// The progress screen (T at the menu) in bright white on blue: the chance
// today, a bar per subelement of how much of it is known with its counts,
// the last exams, and the chance day by day as a chart of block characters.
#include "fullscreen/full_face.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "screen/text.h"

namespace pentrill {

namespace {

constexpr int kLeft = 10;
constexpr int kBarColumn = 16;
constexpr int kBarCells = 40;
constexpr int kCountsColumn = 58;
constexpr int kChartTop = 31;
constexpr int kChartRows = 8;

// Known questions in full blocks, the rest of the subelement in light shade.
std::string knownBar(const study::SubelementProgress& part) {
  const int full = part.questions > 0 ? static_cast<int>(std::lround(kBarCells * static_cast<double>(part.known) /
                                                                     part.questions))
                                      : 0;
  return std::string(static_cast<size_t>(full), kFullBlockByte) +
         std::string(static_cast<size_t>(kBarCells - full), kLightShadeByte);
}

// Row `fromBottom` (0 to kChartRows - 1) of a column of the chart, in half cells.
char chartCell(double chance, int fromBottom) {
  const long halves = std::lround(chance * 2 * kChartRows);
  if (halves >= 2 * (fromBottom + 1)) return kFullBlockByte;
  if (halves == 2 * fromBottom + 1) return kLowerHalfBlockByte;
  return ' ';
}

}  // namespace

void drawProgressScreen(Console& console, const StudyReport& report) {
  console.setColours(kBrightWhite, kBlue);
  console.clearScreen();
  writeAt(console, 2, kLeft, "Your progress in the " + report.pool + " pool");
  console.rest = {2, kLeft};
  writeAt(console, 4, kLeft, studyMenuLine(report.chance, report.progress));
  writeAt(console, 6, kLeft, "     Known of the subelement's questions");
  writeAt(console, 6, kCountsColumn, "Total  Seen  Known   Due");
  int row = 7;
  for (const study::SubelementProgress& part : report.progress.subelements) {
    writeAt(console, row, kLeft, std::string{report.prefix, part.subelement});
    writeAt(console, row, kBarColumn, knownBar(part));
    writeAt(console, row, kCountsColumn,
            alignedRight(std::to_string(part.questions), 5) + alignedRight(std::to_string(part.seen), 6) +
                alignedRight(std::to_string(part.known), 7) + alignedRight(std::to_string(part.due), 6));
    ++row;
  }
  writeAt(console, 18, kLeft, "Last practice exams");
  if (report.exams.empty()) writeAt(console, 19, kLeft + 2, "none yet");
  row = 19;
  for (const study::ExamLine& exam : report.exams)
    writeAt(console, row++, kLeft + 2, dateOf(exam.started) + "  " + examLineText(exam));
  writeAt(console, 30, kLeft,
          "Chance of passing at the end of each of the last " + std::to_string(report.daily.size()) + " days");
  writeAt(console, kChartTop, kLeft, "100%");
  writeAt(console, kChartTop + kChartRows - 1, kLeft, "  0%");
  for (int fromBottom = 0; fromBottom < kChartRows; ++fromBottom) {
    std::string line;
    for (double chance : report.daily) {
      line += chartCell(chance, fromBottom);
      line += ' ';
    }
    writeAt(console, kChartTop + kChartRows - 1 - fromBottom, kBarColumn, line);
  }
  if (!report.daily.empty()) {
    const auto days = static_cast<std::int64_t>(report.daily.size());
    const std::string last = dateOf(report.now);
    writeAt(console, kChartTop + kChartRows, kBarColumn, dateOf(report.now - (days - 1) * study::kSecondsPerDay));
    writeAt(console, kChartTop + kChartRows, kBarColumn + 2 * static_cast<int>(days) - 1 - static_cast<int>(last.size()),
            last);
  }
  writeAt(console, 41, kLeft, "Press any key to return to the menu.");
}


}  // namespace pentrill
