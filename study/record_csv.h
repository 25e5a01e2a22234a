// The study record as text: mode names and the CSV export.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/record_store.h"

namespace pentrill::study {

std::string_view answerModeName(AnswerMode mode);  // "drill", "session", "exam"
std::optional<AnswerMode> answerModeFromName(std::string_view name);

// "2026-12-09T14:03:27Z"
std::string isoUtcTime(std::int64_t time);

inline constexpr std::string_view kRecordCsvHeader = "time,pool,question,answer,correct,rating,mode";

// The header line and one line per answer, each ending in "\n".
std::string recordCsv(std::span<const RecordedAnswer> answers);

}  // namespace pentrill::study
