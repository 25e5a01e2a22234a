#include "study/record_csv.h"

#include <array>
#include <cstdio>
#include <ctime>

namespace pentrill::study {

namespace {

constexpr std::array<std::pair<AnswerMode, std::string_view>, 3> kModeNames = {{
    {AnswerMode::Drill, "drill"},
    {AnswerMode::Session, "session"},
    {AnswerMode::Exam, "exam"},
}};

}  // namespace

std::string_view answerModeName(AnswerMode mode) {
  for (const auto& [known, name] : kModeNames)
    if (known == mode) return name;
  return "drill";
}

std::optional<AnswerMode> answerModeFromName(std::string_view name) {
  for (const auto& [mode, known] : kModeNames)
    if (known == name) return mode;
  return std::nullopt;
}

std::string isoUtcTime(std::int64_t time) {
  const std::time_t seconds = static_cast<std::time_t>(time);
  std::tm utc{};
  if (gmtime_r(&seconds, &utc) == nullptr) return "";
  char text[32];
  const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return std::string(text, length);
}

std::string recordCsv(std::span<const RecordedAnswer> answers) {
  std::string csv(kRecordCsvHeader);
  csv += '\n';
  for (const RecordedAnswer& answer : answers) {
    csv += isoUtcTime(answer.time);
    csv += ',';
    csv += answer.pool;
    csv += ',';
    csv += answer.question;
    csv += ',';
    csv += answer.answer;
    csv += answer.correct ? ",1," : ",0,";
    csv += std::to_string(answer.rating);
    csv += ',';
    csv += answerModeName(answer.mode);
    csv += '\n';
  }
  return csv;
}

}  // namespace pentrill::study
