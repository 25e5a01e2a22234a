#include "tests/fakes/memory_console.h"

namespace pentrill {

void MemoryConsole::typeKeys(std::string_view keys) {
  for (char key : keys) pressKey(std::string(1, key));
}

void MemoryConsole::pressKey(std::string keyString) {
  InputEvent event;
  event.key = std::move(keyString);
  script_.push_back(Step{event, 0, {}});
}

void MemoryConsole::mouseEvent(const MouseReport& report) {
  InputEvent event;
  event.kind = InputEvent::Kind::Mouse;
  event.mouse = report;
  script_.push_back(Step{event, 0, {}});
}

void MemoryConsole::click(int row, int column) {
  mouseEvent(MouseReport{row, column, 1, false, false});
  mouseEvent(MouseReport{row, column, 0, false, false});
}

void MemoryConsole::doubleClick(int row, int column) {
  click(row, column);
  mouseEvent(MouseReport{row, column, 1, true, false});
  mouseEvent(MouseReport{row, column, 0, false, false});
}

void MemoryConsole::idle(int milliseconds) { script_.push_back(Step{std::nullopt, milliseconds, {}}); }

void MemoryConsole::typeLater(std::function<std::string()> keys) {
  script_.push_back(Step{std::nullopt, 0, std::move(keys)});
}

void MemoryConsole::expandLaterStep() {
  while (!script_.empty() && script_.front().later) {
    std::string keys = script_.front().later();
    script_.pop_front();
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
      InputEvent event;
      event.key = std::string(1, *key);
      script_.push_front(Step{event, 0, {}});
    }
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

std::optional<InputEvent> MemoryConsole::nextEvent() {
  expandLaterStep();
  if (script_.empty() || !script_.front().event) return std::nullopt;
  InputEvent event = *script_.front().event;
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
