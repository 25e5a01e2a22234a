// libFuzzer target: any bytes, cut into reads anywhere, through the input
// decoder and the mouse tracker. Besides the sanitizers' checks: reads cut
// differently decode the same, every key is well formed, positions stay in
// range, and nothing stays held once the escape delay has passed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

#include "screen/terminal_input.h"

namespace {

using pentrill::InputDecoder;
using pentrill::Key;
using pentrill::MouseAction;
using pentrill::MouseTracker;

void check(bool condition) {
  if (!condition) std::abort();
}

std::vector<Key> decodeInReads(std::string_view bytes, bool utf8, std::uint8_t cuts) {
  InputDecoder decoder(utf8);
  std::vector<Key> events;
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
  std::vector<Key> events;
  whole.feed(bytes, events);
  whole.expire(events);
  check(!whole.pending());
  check(events == decodeInReads(bytes, utf8, cuts));

  MouseTracker tracker;
  std::int64_t milliseconds = 0;
  for (const Key& event : events) {
    switch (event.kind) {
      case Key::Kind::Character:
        check(event.character != '\0' && (event.modifiers & ~pentrill::kAlt) == 0);
        continue;
      case Key::Kind::Named:
        check((event.modifiers & ~(pentrill::kShift | pentrill::kAlt | pentrill::kCtrl)) == 0);
        continue;
      case Key::Kind::Mouse:
        break;
    }
    check(event.action != MouseAction::DoubleClick);  // only the tracker tells a double-click
    check(event.row >= 0 && event.row <= pentrill::kReportNumberLimit);
    check(event.column >= 0 && event.column <= pentrill::kReportNumberLimit);
    const std::optional<Key> click = tracker.track(event, milliseconds += 100);
    if (!click) continue;
    check(click->isMouse() && (click->action != MouseAction::Motion && click->action != MouseAction::Wheel));
    check(click->row >= 1 && click->row <= pentrill::kScreenRows);
    check(click->column >= 1 && click->column <= pentrill::kScreenColumns);
    check(click->button == pentrill::kLeftButton || click->button == pentrill::kRightButton ||
          click->button == pentrill::kMiddleButton);
  }
  return 0;
}
