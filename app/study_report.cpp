#include "app/study_report.h"

#include <cmath>
#include <set>
#include <span>

#include "screen/text.h"
#include "study/record_csv.h"
#include "study/study_model.h"

namespace pentrill {

std::optional<StudyReport> readStudyReport(RecordStore* store, const PoolEdition& edition,
                                           const study::StudyPool& pool, std::int64_t now, int utcOffsetSeconds) {
  // One pass over the log gives the chart and, at its end, today's memory:
  // the chart's last day and the chance shown beside it always agree.
  // An exam ended before any answer (kept by an older Pentrill) is no exam
  // taken: only exams with an answer in the log are listed.
  study::DailyChances daily(pool, now, utcOffsetSeconds);
  std::vector<RecordedExam> exams;
  if (store != nullptr) {
    std::optional<std::vector<RecordedExam>> readExams = store->readLastExams(edition.name, study::kShownExams);
    std::set<std::int64_t> answered;
    if (!readExams || !store->visitLog(edition.name, [&](const RecordedAnswer& answer) {
          daily.add(answer);
          if (answer.exam) answered.insert(*answer.exam);
        }))
      return std::nullopt;
    exams = std::move(*readExams);
    std::erase_if(exams, [&answered](const RecordedExam& exam) { return !answered.contains(exam.id); });
  }
  StudyReport report;
  if (!exams.empty()) report.lastExam = exams.front();
  report.daily = daily.finish();
  const study::StudyRecord record = study::StudyRecord::fromPoolOrder(pool, daily.memory());
  report.pool = std::string(edition.name);
  report.prefix = edition.prefix;
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

std::string statsText(const StudyReport& report) {
  const study::Progress& total = report.progress;
  std::string text = "Pool: " + report.pool + "\n";
  text += "Chance of passing an exam today: " + study::percentTextOneDecimal(report.chance) + "\n";
  text += "Known: " + std::to_string(total.known) + " of " + std::to_string(total.questions) +
          "   Seen: " + std::to_string(total.seen) + "   Due for review: " + std::to_string(total.due) + "\n\n";
  text += "Subelement  Questions   Seen  Known    Due\n";
  for (const study::SubelementProgress& part : total.subelements)
    text += std::string{report.prefix, part.subelement} + "        " + alignedRight(std::to_string(part.questions), 11) +
            alignedRight(std::to_string(part.seen), 7) + alignedRight(std::to_string(part.known), 7) +
            alignedRight(std::to_string(part.due), 7) + "\n";
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
      std::optional<std::vector<RecordedAnswer>> read = store->readLog(edition.name);
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
