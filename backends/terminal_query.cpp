#include "backends/terminal_query.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace pentrill {

namespace {

bool writeAll(int output, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(output, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

TerminalAnswer askTerminal(int input, int output, std::chrono::milliseconds wait) {
  using Clock = std::chrono::steady_clock;
  TerminalAnswer answer;
  TerminalReplyReader reader;
  const Clock::time_point deadline = Clock::now() + wait;
  if (writeAll(output, kFigureProtocolQuery)) {
    while (!reader.complete()) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0) break;
      pollfd terminal{input, POLLIN, 0};
      const int ready = ::poll(&terminal, 1, static_cast<int>(left.count()));
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0 || !(terminal.revents & POLLIN)) break;
      char bytes[512];
      const ssize_t count = ::read(input, bytes, sizeof bytes);
      if (count < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (count <= 0) break;
      reader.feed(std::string_view(bytes, static_cast<std::size_t>(count)));
    }
  }
  answer.timedOut = !reader.complete();
  reader.finish();
  answer.replies = reader.replies();
  answer.userBytes = reader.takeUserBytes();
  return answer;
}

}  // namespace pentrill
