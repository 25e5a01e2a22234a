// A job-control parent, as a shell is one: runs a program as a job of its
// own in the foreground of the terminal, takes the terminal back when the job
// stops, reports the terminal's modes at that moment and when the job ends,
// and continues it on command (or after a fixed delay).
//
//   pentrill_job_parent REPORT_FD COMMAND_FD CONTINUE_AFTER_MS PROGRAM [ARGUMENT...]
//
// Reports, one line each on REPORT_FD: "stopped same" or "stopped changed"
// (the modes against those found before the job started), "continued",
// "ended STATUS same|changed" (STATUS as a shell shows it). With
// CONTINUE_AFTER_MS 0 a stopped job waits for one byte on COMMAND_FD: "c"
// continues it, "f" continues it and every later stop after 10 ms.
//
// When the terminal hangs up, the parent passes the hang-up on to the job (and
// continues it, were it stopped), as shells do, and waits for the job to end
// by itself. A job still running 15 s later is killed: the parent reports
// "killed" and exits with kJobKilled. Otherwise the parent exits with the
// job's status.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kJobKilled = 3;
constexpr std::int64_t kHangUpLimitMilliseconds = 15000;

int reportFd = -1;
volatile sig_atomic_t hungUp = 0;

extern "C" void noteHangUp(int) { hungUp = 1; }
extern "C" void noteChild(int) {}  // only to interrupt ppoll()

void report(const std::string& line) {
  const std::string text = line + "\n";
  [[maybe_unused]] ssize_t written = write(reportFd, text.data(), text.size());
}

bool sameModes(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag &&
         std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

const char* comparedWith(const termios& found) {
  termios now{};
  tcgetattr(STDIN_FILENO, &now);
  return sameModes(found, now) ? "same" : "changed";
}

std::int64_t nowMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

int shellStatus(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

// Sleeps until a signal (SIGCHLD, SIGHUP), the fd is readable or the time is
// up (none when negative). Both signals are blocked everywhere else, so none
// can slip in between a check and this wait.
void waitForEvent(int fd, std::int64_t milliseconds, const sigset_t& unblocked, short* revents = nullptr) {
  pollfd watched{fd, POLLIN, 0};
  timespec limit{};
  if (milliseconds >= 0) {
    limit.tv_sec = static_cast<time_t>(milliseconds / 1000);
    limit.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000;
  }
  const int ready = ppoll(&watched, 1, milliseconds >= 0 ? &limit : nullptr, &unblocked);
  if (revents != nullptr) *revents = ready > 0 ? watched.revents : 0;
}

// The terminal is gone: the job gets the hang-up and the time to end.
int endAfterHangUp(pid_t job, const sigset_t& unblocked) {
  kill(-job, SIGHUP);
  kill(-job, SIGCONT);
  const std::int64_t deadline = nowMilliseconds() + kHangUpLimitMilliseconds;
  for (;;) {
    int status = 0;
    if (waitpid(job, &status, WNOHANG) == job) {
      report("ended " + std::to_string(shellStatus(status)) + " after the hang-up");
      return shellStatus(status);
    }
    const std::int64_t left = deadline - nowMilliseconds();
    if (left <= 0) break;
    waitForEvent(-1, left, unblocked);
  }
  kill(-job, SIGKILL);
  int status = 0;
  waitpid(job, &status, 0);
  report("killed");
  return kJobKilled;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) return 2;
  reportFd = std::atoi(argv[1]);
  const int commandFd = std::atoi(argv[2]);
  int continueAfter = std::atoi(argv[3]);
  // A shell ignores the job-control signals for itself.
  for (int ignored : {SIGTTOU, SIGTTIN, SIGTSTP, SIGINT, SIGQUIT, SIGPIPE}) signal(ignored, SIG_IGN);
  struct sigaction action{};
  sigemptyset(&action.sa_mask);
  action.sa_handler = noteHangUp;
  sigaction(SIGHUP, &action, nullptr);
  action.sa_handler = noteChild;
  sigaction(SIGCHLD, &action, nullptr);
  sigset_t watched, unblocked;
  sigemptyset(&watched);
  sigaddset(&watched, SIGHUP);
  sigaddset(&watched, SIGCHLD);
  sigprocmask(SIG_BLOCK, &watched, &unblocked);
  sigdelset(&unblocked, SIGHUP);
  sigdelset(&unblocked, SIGCHLD);
  termios found{};
  if (tcgetattr(STDIN_FILENO, &found) != 0) return 2;

  const pid_t job = fork();
  if (job < 0) return 2;
  if (job == 0) {
    setpgid(0, 0);
    tcsetpgrp(STDIN_FILENO, getpid());
    for (int standard : {SIGTTOU, SIGTTIN, SIGTSTP, SIGINT, SIGQUIT, SIGPIPE}) signal(standard, SIG_DFL);
    sigprocmask(SIG_SETMASK, &unblocked, nullptr);
    close(reportFd);
    close(commandFd);
    execv(argv[4], argv + 4);
    _exit(127);
  }
  setpgid(job, job);
  tcsetpgrp(STDIN_FILENO, job);

  bool stopped = false;
  std::int64_t continueAt = 0;
  auto resume = [&] {
    tcsetpgrp(STDIN_FILENO, job);
    kill(-job, SIGCONT);
    report("continued");
    stopped = false;
  };
  for (;;) {
    int status = 0;
    const pid_t changed = waitpid(job, &status, WUNTRACED | WNOHANG);
    if (changed < 0 && errno != EINTR) return 2;
    if (changed == job && WIFSTOPPED(status)) {
      tcsetpgrp(STDIN_FILENO, getpgrp());
      report(std::string("stopped ") + comparedWith(found));
      stopped = true;
      continueAt = nowMilliseconds() + continueAfter;
      continue;
    }
    if (changed == job) {
      report("ended " + std::to_string(shellStatus(status)) + " " + comparedWith(found));
      return shellStatus(status);
    }
    if (hungUp) return endAfterHangUp(job, unblocked);
    if (stopped && continueAfter > 0) {
      const std::int64_t left = continueAt - nowMilliseconds();
      if (left <= 0) {
        resume();
      } else {
        waitForEvent(-1, left, unblocked);
      }
      continue;
    }
    if (!stopped) {
      waitForEvent(-1, -1, unblocked);
      continue;
    }
    short revents = 0;
    waitForEvent(commandFd, -1, unblocked, &revents);
    if (revents == 0) continue;
    char command = 0;
    if (read(commandFd, &command, 1) != 1) return 2;
    if (command == 'f') continueAfter = 10;
    resume();
  }
}
