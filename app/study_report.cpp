#include "app/study_report.h"

#include <cmath>
#include <span>

#include "screen/input.h"
#include "study/record_csv.h"
#include "study/study_model.h"

namespace pentrill {

std::optional<StudyReport> readStudyReport(RecordStore* store, const PoolEdition& edition,
                                           const study::StudyPool& pool, std::int64_t now, int utcOffsetSeconds) {
  // One pass over the log gives the chart and, at its end, today's memory:
  // the chart's last day and the chance shown beside it always agree.
  study::DailyChances daily(pool, now, utcOffsetSeconds);
  std::vector<RecordedExam> exams;
  if (store != nullptr) {
    std::optional<std::vector<RecordedExam>> readExams = store->readLastExams(edition.name, study::kShownExams);
    if (!readExams || !store->visitLog(edition.name, [&daily](const RecordedAnswer& answer) { daily.add(answer); }))
      return std::nullopt;
    exams = std::move(*readExams);
  }
  StudyReport report;
  report.daily = daily.finish();
  const study::StudyRecord record = study::StudyRecord::fromPoolOrder(pool, daily.memory());
  report.pool = std::string(edition.name);
  report.now = now;
  report.chance = record.chanceOfPassing(now);
  report.progress = record.progress(now);
  report.exams = study::examLines(exams, pool);
  return report;
}

std::string studyMenuLine(double chance, const study::Progress& progress) {
  return "Chance of passing an exam today: " + study::percentText(chance) + "   Known: " +
         std::to_string(progress.known) + " of " + std::to_string(progress.questions) +
         "   Due for review: " + std::to_string(progress.due);
}

std::string dateOf(std::int64_t time) { return study::isoUtcTime(time).substr(0, 10); }

std::string examLineText(const study::ExamLine& exam) {
  if (!exam.right) return "left unfinished";
  return std::to_string(*exam.right) + " of " + std::to_string(exam.questions) + "  " +
         std::to_string(exam.score) + "%  " + (exam.passed ? "Pass" : "Fail");
}

namespace {

std::string padded(std::string text, size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

}  // namespace

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
  writeAt(console, 4, kLeft, studyMenuLine(report.chance, report.progress));
  writeAt(console, 6, kLeft, "     Known of the subelement's questions");
  writeAt(console, 6, kCountsColumn, "Total  Seen  Known   Due");
  int row = 7;
  for (const study::SubelementProgress& part : report.progress.subelements) {
    writeAt(console, row, kLeft, std::string("E") + part.subelement);
    writeAt(console, row, kBarColumn, knownBar(part));
    writeAt(console, row, kCountsColumn,
            padded(std::to_string(part.questions), 5) + padded(std::to_string(part.seen), 6) +
                padded(std::to_string(part.known), 7) + padded(std::to_string(part.due), 6));
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

std::string statsText(const StudyReport& report) {
  const study::Progress& total = report.progress;
  std::string text = "Pool: " + report.pool + "\n";
  text += "Chance of passing an exam today: " + study::percentTextOneDecimal(report.chance) + "\n";
  text += "Known: " + std::to_string(total.known) + " of " + std::to_string(total.questions) +
          "   Seen: " + std::to_string(total.seen) + "   Due for review: " + std::to_string(total.due) + "\n\n";
  text += "Subelement  Questions   Seen  Known    Due\n";
  for (const study::SubelementProgress& part : total.subelements)
    text += std::string("E") + part.subelement + "        " + padded(std::to_string(part.questions), 11) +
            padded(std::to_string(part.seen), 7) + padded(std::to_string(part.known), 7) +
            padded(std::to_string(part.due), 7) + "\n";
  text += "\nLast practice exams:\n";
  if (report.exams.empty()) text += "  none yet\n";
  for (const study::ExamLine& exam : report.exams)
    text += "  " + dateOf(exam.started) + "  " + examLineText(exam) + "\n";
  text += "\nChance of passing at the end of each of the last " + std::to_string(report.daily.size()) + " days:\n";
  const auto days = static_cast<std::int64_t>(report.daily.size());
  for (std::int64_t i = 0; i < days; ++i)
    text += "  " + dateOf(report.now - (days - 1 - i) * study::kSecondsPerDay) + "  " +
            study::percentTextOneDecimal(report.daily[static_cast<size_t>(i)]) + "\n";
  return text;
}

CommandAnswer answerFromRecord(bool exportRecord, RecordStore* store, const std::string& path,
                               const PoolEdition& edition, std::int64_t now, int utcOffsetSeconds) {
  auto unreadable = [&]() {
    std::string err = "pentrill: cannot read the study record ";
    err += path;
    err += ": ";
    err += store != nullptr ? store->lastFailure() : std::string("unknown failure");
    err += '\n';
    return CommandAnswer{1, "", std::move(err)};
  };
  if (exportRecord) {
    std::vector<RecordedAnswer> answers;
    if (store != nullptr) {
      std::optional<std::vector<RecordedAnswer>> read = store->readAllAnswers();
      if (!read) return unreadable();
      answers = std::move(*read);
    }
    return CommandAnswer{0, study::recordCsv(answers), ""};
  }
  const study::StudyPool pool = studyPoolOf(edition);
  std::optional<StudyReport> report = readStudyReport(store, edition, pool, now, utcOffsetSeconds);
  if (!report) return unreadable();
  return CommandAnswer{0, statsText(*report), ""};
}

}  // namespace pentrill
