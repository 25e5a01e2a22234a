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
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int reportFd = -1;

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

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) return 2;
  reportFd = std::atoi(argv[1]);
  const int commandFd = std::atoi(argv[2]);
  int continueAfter = std::atoi(argv[3]);
  // A shell ignores the job-control signals for itself.
  for (int ignored : {SIGTTOU, SIGTTIN, SIGTSTP, SIGINT, SIGQUIT}) signal(ignored, SIG_IGN);
  termios found{};
  if (tcgetattr(STDIN_FILENO, &found) != 0) return 2;

  const pid_t job = fork();
  if (job < 0) return 2;
  if (job == 0) {
    setpgid(0, 0);
    tcsetpgrp(STDIN_FILENO, getpid());
    for (int standard : {SIGTTOU, SIGTTIN, SIGTSTP, SIGINT, SIGQUIT}) signal(standard, SIG_DFL);
    close(reportFd);
    close(commandFd);
    execv(argv[4], argv + 4);
    _exit(127);
  }
  setpgid(job, job);
  tcsetpgrp(STDIN_FILENO, job);

  for (;;) {
    int status = 0;
    if (waitpid(job, &status, WUNTRACED) != job) return 2;
    if (WIFSTOPPED(status)) {
      tcsetpgrp(STDIN_FILENO, getpgrp());
      report(std::string("stopped ") + comparedWith(found));
      if (continueAfter > 0) {
        usleep(static_cast<useconds_t>(continueAfter) * 1000);
      } else {
        char command = 0;
        if (read(commandFd, &command, 1) != 1) return 2;
        if (command == 'f') continueAfter = 10;
      }
      tcsetpgrp(STDIN_FILENO, job);
      kill(-job, SIGCONT);
      report("continued");
      continue;
    }
    const int shellStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    report("ended " + std::to_string(shellStatus) + " " + comparedWith(found));
    return shellStatus;
  }
}
