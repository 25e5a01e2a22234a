// libFuzzer target: any bytes, cut into reads anywhere, through the input
// decoder and the mouse tracker. Besides the sanitizers' checks: reads cut
// differently decode the same, keys are never empty, positions stay in range,
// and nothing stays held once the escape delay has passed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "screen/terminal_input.h"

namespace {

using pentrill::InputDecoder;
using pentrill::MouseReport;
using pentrill::MouseTracker;
using pentrill::TerminalEvent;

void check(bool condition) {
  if (!condition) std::abort();
}

std::vector<TerminalEvent> decodeInReads(std::string_view bytes, bool utf8, std::uint8_t cuts) {
  InputDecoder decoder(utf8);
  std::vector<TerminalEvent> events;
  size_t at = 0;
  while (at < bytes.size()) {
    const size_t length = 1 + (cuts % 7) * (1 + at % 5);
    cuts = static_cast<std::uint8_t>(cuts * 31 + 7);
    decoder.feed(bytes.substr(at, length), events);
    at += length;
  }
  decoder.expire(events);
  check(!decoder.pending());
  return events;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool utf8 = (data[0] & 1) != 0;
  const std::uint8_t cuts = data[0];
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

  InputDecoder whole(utf8);
  std::vector<TerminalEvent> events;
  whole.feed(bytes, events);
  whole.expire(events);
  check(!whole.pending());
  check(events == decodeInReads(bytes, utf8, cuts));

  MouseTracker tracker;
  std::int64_t milliseconds = 0;
  for (const TerminalEvent& event : events) {
    if (event.kind == TerminalEvent::Kind::Key) {
      check(event.key.size() == 1 || (event.key.size() == 2 && event.key[0] == '\0'));
      continue;
    }
    check(event.mouse.row >= 0 && event.mouse.row <= pentrill::kReportNumberLimit);
    check(event.mouse.column >= 0 && event.mouse.column <= pentrill::kReportNumberLimit);
    std::vector<MouseReport> reports;
    tracker.report(event.mouse, milliseconds += 100, reports);
    check(reports.size() <= 2);
    for (const MouseReport& report : reports) {
      check(report.row >= 1 && report.row <= pentrill::kScreenRows);
      check(report.column >= 1 && report.column <= pentrill::kScreenColumns);
      check(report.buttons >= 0 && report.buttons <= 7);
    }
  }
  return 0;
}
