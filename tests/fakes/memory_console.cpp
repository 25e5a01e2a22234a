#include "tests/fakes/memory_console.h"

namespace pentrill {

void MemoryConsole::typeKeys(std::string_view keys) {
  for (char key : keys) pressKey(Key::of(key));
}

void MemoryConsole::pressKey(const Key& key) { script_.push_back(Step{key, 0, {}}); }

void MemoryConsole::mouseEvent(const Key& mouse) { pressKey(mouse); }

void MemoryConsole::click(int row, int column) {
  mouseEvent(Key::mouse(MouseAction::Press, kLeftButton, row, column));
  mouseEvent(Key::mouse(MouseAction::Release, kLeftButton, row, column));
}

void MemoryConsole::doubleClick(int row, int column) {
  click(row, column);
  mouseEvent(Key::mouse(MouseAction::DoubleClick, kLeftButton, row, column));
  mouseEvent(Key::mouse(MouseAction::Release, kLeftButton, row, column));
}

void MemoryConsole::idle(int milliseconds) { script_.push_back(Step{std::nullopt, milliseconds, {}}); }

void MemoryConsole::typeLater(std::function<std::string()> keys) {
  script_.push_back(Step{std::nullopt, 0, std::move(keys)});
}

void MemoryConsole::expandLaterStep() {
  while (!script_.empty() && script_.front().later) {
    std::string keys = script_.front().later();
    script_.pop_front();
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) script_.push_front(Step{Key::of(*key), 0, {}});
  }
}

void MemoryConsole::elapse(int milliseconds) {
  now_ += milliseconds;
  if (onWait) onWait(milliseconds);
}

void MemoryConsole::pause(int milliseconds) {
  ++pauses_;
  elapse(milliseconds);
}

std::optional<Key> MemoryConsole::nextEvent() {
  expandLaterStep();
  if (script_.empty() || !script_.front().event) return std::nullopt;
  const Key event = *script_.front().event;
  script_.pop_front();
  return event;
}

// Consumes idle steps as simulated time passes: the wait ends when its time
// is up or when the idle step ends and input arrives. With nothing left to
// play, the test's script has ended.
void MemoryConsole::waitForInput(int milliseconds) {
  ++waits_;
  expandLaterStep();
  if (script_.empty()) throw ScriptExhausted();
  Step& front = script_.front();
  if (front.event) return;  // input is ready at once
  const int spent = milliseconds < 0 ? front.idleMs : std::min(milliseconds, front.idleMs);
  front.idleMs -= spent;
  if (front.idleMs <= 0) script_.pop_front();
  elapse(spent);
}

}  // namespace pentrill
