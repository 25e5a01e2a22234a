// Benchmark of the study record: fills a temporary record with 50,000
// answers, then prints the time to open it, read what the menu needs and
// compute the chance of passing (fresh open each time), and the median time
// to commit one answer. Targets: under 5 ms and under 2 ms.
//   pentrill_bench_record [answers]
#include <unistd.h>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "backends/sqlite_record_store.h"
#include "study/study_record.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Processor time of this process: what the work costs when the machine is busy.
double cpuMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// A pool shaped like the real one: 50 groups of 11 to 14 questions over ten subelements.
std::vector<std::vector<std::string>> syntheticGroups() {
  std::vector<std::vector<std::string>> groups;
  for (int g = 0; g < 50; ++g) {
    std::vector<std::string> group;
    const int size = 11 + g % 4;
    for (int q = 1; q <= size; ++q) {
      char id[8];
      std::snprintf(id, sizeof id, "E%d%c%02d", g / 5, 'A' + g % 5, q);
      group.push_back(id);
    }
    groups.push_back(group);
  }
  return groups;
}

pentrill::RecordedAnswer answerAt(std::mt19937& random, const std::vector<std::string>& questions,
                                  std::int64_t time) {
  pentrill::RecordedAnswer answer;
  answer.time = time;
  answer.pool = "2024-2028";
  answer.question = questions[random() % questions.size()];
  answer.answer = static_cast<char>('A' + random() % 4);
  answer.correct = random() % 10 < 7;
  answer.rating = answer.correct ? 3 : 1;
  answer.mode = random() % 2 ? pentrill::AnswerMode::Drill : pentrill::AnswerMode::Session;
  return answer;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 50'000;
  char folderTemplate[] = "/tmp/pentrill-bench-record-XXXXXX";
  if (mkdtemp(folderTemplate) == nullptr) return 1;
  const std::string folder = folderTemplate;
  const std::string path = folder + "/record.sqlite3";

  const std::vector<std::vector<std::string>> groups = syntheticGroups();
  std::vector<std::vector<std::string_view>> groupViews;
  std::vector<std::string> questions;
  for (const auto& group : groups) {
    groupViews.emplace_back(group.begin(), group.end());
    questions.insert(questions.end(), group.begin(), group.end());
  }
  const pentrill::study::StudyPool pool(groupViews);

  std::mt19937 random(15);
  const std::int64_t start = 1'796'000'000;  // December 2026
  std::vector<double> commits;
  {
    pentrill::RecordOpening opening = pentrill::openRecord(path);
    if (!opening.store) {
      std::fprintf(stderr, "cannot open %s: %s\n", path.c_str(), opening.failure.c_str());
      return 1;
    }
    if (!opening.store->readMemory("2024-2028")) return 1;  // the cover exists from the start
    // A year of study, an answer every ten minutes on average; every 5,000th
    // answer starts a practice exam of 50.
    std::optional<std::int64_t> exam;
    for (int i = 0; i < count; ++i) {
      pentrill::RecordedAnswer answer = answerAt(random, questions, start + i * 630);
      if (i % 5000 == 0) exam = opening.store->startExam(answer.pool, answer.time);
      const bool inExam = exam && i % 5000 < 50;
      if (inExam) {
        answer.mode = pentrill::AnswerMode::Exam;
        answer.exam = exam;
      }
      const auto before = Clock::now();
      const bool committed = inExam ? opening.store->recordExamAnswer(answer) : opening.store->appendAnswer(answer);
      if (!committed) {
        std::fprintf(stderr, "commit failed: %s\n", opening.store->lastFailure().c_str());
        return 1;
      }
      if (i >= count - 2000) commits.push_back(millisecondsSince(before));
      if (inExam && i % 5000 == 49) (void)opening.store->finishExam(*exam, answer.time, 30 + i / 5000);
    }
  }

  const std::int64_t now = start + std::int64_t{count} * 630 + 3'600;
  std::vector<double> opens, openCpu;
  double chance = 0;
  for (int round = 0; round < 21; ++round) {
    const auto before = Clock::now();
    const double cpuBefore = cpuMilliseconds();
    pentrill::RecordOpening opening = pentrill::openRecord(path);
    const auto memory = opening.store ? opening.store->readMemory("2024-2028") : std::nullopt;
    const auto exams = opening.store ? opening.store->readLastExams("2024-2028", 10) : std::nullopt;
    if (!memory || !exams) return 1;
    const pentrill::study::StudyRecord record(pool, *memory);
    chance = record.chanceOfPassing(now);
    const pentrill::study::Progress progress = record.progress(now);
    opens.push_back(millisecondsSince(before));
    openCpu.push_back(cpuMilliseconds() - cpuBefore);
    if (progress.questions == 0) return 1;
  }

  // The whole log replayed, as when the cache is in doubt.
  double replay = 0;
  {
    pentrill::RecordOpening opening = pentrill::openRecord(path);
    const auto before = Clock::now();
    const auto log = opening.store->readLog("2024-2028");
    const pentrill::study::StudyRecord record = pentrill::study::StudyRecord::fromLog(pool, *log);
    replay = millisecondsSince(before);
    if (std::abs(record.chanceOfPassing(now) - chance) > 1e-12) {
      std::fprintf(stderr, "cached memory differs from the replayed log\n");
      return 1;
    }
  }
  if (!std::getenv("PENTRILL_BENCH_KEEP")) std::filesystem::remove_all(folder); else std::printf("kept %s\n", path.c_str());

  double load = 0;
  if (std::FILE* file = std::fopen("/proc/loadavg", "r")) {
    if (std::fscanf(file, "%lf", &load) != 1) load = 0;
    std::fclose(file);
  }
  std::printf("answers in the record:               %d (load average %.2f)\n", count, load);
  std::printf("open + read + chance, median of %zu:  %.3f ms (max %.3f ms; target < 5 ms)\n", opens.size(),
              median(opens), *std::max_element(opens.begin(), opens.end()));
  std::printf("  the same in processor time, median:  %.3f ms; the first open: %.3f ms\n", median(openCpu),
              opens.front());
  std::printf("commit of one answer, median of %zu: %.3f ms (target < 2 ms)\n", commits.size(), median(commits));
  std::printf("whole log read and replayed:          %.3f ms\n", replay);
  std::printf("chance of passing in this record:     %s\n", pentrill::study::percentTextOneDecimal(chance).c_str());
  return 0;
}
