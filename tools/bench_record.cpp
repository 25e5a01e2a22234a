// Benchmark of the study record: writes a record of 50,000 answers to the
// 2024-2028 pool through the program's own store (a candidate's months of
// study: drills, study sessions and practice exams, getting better at each
// question with practice), then prints the time to open it, read what the
// menu needs and compute the chance of passing (fresh open each time), and
// the median time to commit one answer. Targets: under 5 ms and under 2 ms.
//   pentrill_bench_record [answers]
//   pentrill_bench_record --write FILE [answers]   only writes the record
//     (tools/bench.py starts the program on it), ending an hour ago.
#include <unistd.h>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "backends/sqlite_record_store.h"
#include "session/study_log.h"
#include "pool/edition.h"
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

// A candidate who gets a question right more often the more it was
// practised: a quarter by guessing at first, towards 95 %.
class Candidate {
 public:
  explicit Candidate(const pentrill::PoolEdition& edition) : edition_(edition), random_(15) {
    for (const pentrill::Group* group : edition.poolGroups)
      for (const pentrill::Question& question : group->questions) questions_.push_back(&question);
  }

  const pentrill::Question& anyQuestion() { return *questions_[random_() % questions_.size()]; }
  const pentrill::Question& questionOf(const pentrill::Group& group) {
    return group.questions[random_() % group.questions.size()];
  }

  pentrill::RecordedAnswer answer(const pentrill::Question& question, pentrill::AnswerMode mode, std::int64_t time) {
    int& practice = practice_[question.id];
    const double chance = 0.25 + 0.70 * (1 - std::exp(-practice / 3.0));
    pentrill::RecordedAnswer answer;
    answer.time = time;
    answer.pool = std::string(edition_.name);
    answer.question = std::string(question.id);
    answer.correct = std::uniform_real_distribution<>(0, 1)(random_) < chance;
    const unsigned other = (static_cast<unsigned>(question.correct - 'A') + 1 + random_() % 3) % 4;
    answer.answer = answer.correct ? question.correct : static_cast<char>('A' + other);
    // A right answer with peek on or a hint shown counts as an Again.
    answer.rating = answer.correct && random_() % 20 != 0 ? 3 : 1;
    answer.mode = mode;
    ++practice;
    return answer;
  }

  bool coin(int oneIn) { return random_() % static_cast<unsigned>(oneIn) == 0; }

 private:
  const pentrill::PoolEdition& edition_;
  std::mt19937 random_;
  std::vector<const pentrill::Question*> questions_;
  std::map<std::string_view, int> practice_;
};

// Fills the store with `count` answers over 200 days, 250 answers on each of
// its evenings, the last one at `end`; every 1,000th answer begins a practice
// exam of 50 (one question of each group), one in ten left unfinished.
// Returns the commit times of the last 2,000 answers, in ms; empty on failure.
std::vector<double> writeRecord(pentrill::SqliteRecordStore& store, int count, std::int64_t end) {
  const pentrill::PoolEdition& edition = pentrill::pool2024To2028();
  Candidate candidate(edition);
  const std::int64_t first = end - std::int64_t{count - 1} * 20 - (count - 1) / 250 * (86'400 - 250 * 20);
  std::vector<double> commits;
  std::optional<std::int64_t> exam;
  int examRight = 0;
  for (int i = 0; i < count; ++i) {
    const std::int64_t time = first + std::int64_t{i / 250} * 86'400 + std::int64_t{i % 250} * 20;
    const int inExam = i % 1000;
    if (inExam == 0) {
      exam = store.startExam(edition.name, time, "");
      examRight = 0;
    }
    const bool examAnswer = exam && inExam < 50;
    bool committed;
    const auto before = Clock::now();
    if (examAnswer) {
      pentrill::RecordedAnswer answer = candidate.answer(candidate.questionOf(*edition.poolGroups[inExam]),
                                                         pentrill::AnswerMode::Exam, time);
      answer.rating = answer.correct ? 3 : 1;
      answer.exam = exam;
      examRight += answer.correct ? 1 : 0;
      committed = store.recordExamAnswer(answer);
    } else {
      const auto mode = candidate.coin(3) ? pentrill::AnswerMode::Session : pentrill::AnswerMode::Drill;
      committed = store.appendAnswer(candidate.answer(candidate.anyQuestion(), mode, time));
    }
    if (i >= count - 2000) commits.push_back(millisecondsSince(before));
    if (!committed) {
      std::fprintf(stderr, "commit failed: %s\n", store.lastFailure().c_str());
      return {};
    }
    if (examAnswer && inExam == 49 && !candidate.coin(10) && !store.finishExam(*exam, time, examRight)) return {};
  }
  return commits;
}

std::int64_t secondsNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// Writes a record at `path` (which must not exist yet) ending an hour ago.
int writeOnly(const std::string& path, int count) {
  pentrill::RecordOpening opening = pentrill::openRecord(path);
  if (!opening.store) {
    std::fprintf(stderr, "cannot open %s: %s\n", path.c_str(), opening.failure.c_str());
    return 1;
  }
  return writeRecord(*opening.store, count, secondsNow() - 3'600).empty() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "--write") == 0)
    return writeOnly(argv[2], argc > 3 ? std::atoi(argv[3]) : 50'000);
  const int count = argc > 1 ? std::atoi(argv[1]) : 50'000;
  char folderTemplate[] = "/tmp/pentrill-bench-record-XXXXXX";
  if (mkdtemp(folderTemplate) == nullptr) return 1;
  const std::string folder = folderTemplate;
  const std::string path = folder + "/record.sqlite3";

  const pentrill::PoolEdition& edition = pentrill::pool2024To2028();
  const pentrill::study::StudyPool pool = pentrill::studyPoolOf(edition);
  const std::int64_t start = 1'796'000'000;  // the record ends on this day (December 2026)
  std::vector<double> commits;
  {
    pentrill::RecordOpening opening = pentrill::openRecord(path);
    if (!opening.store) {
      std::fprintf(stderr, "cannot open %s: %s\n", path.c_str(), opening.failure.c_str());
      return 1;
    }
    commits = writeRecord(*opening.store, count, start);
    if (commits.empty()) return 1;
  }

  const std::int64_t now = start + 3'600;
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
