// The in-memory console: the same grid as the terminal backend, with a
// scripted input queue and simulated time. Used by the tests.
#pragma once
#include <algorithm>
#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "screen/grid_console.h"

namespace pentrill {

// Thrown when the program waits for input and the script has none left.
struct ScriptExhausted : std::runtime_error {
  ScriptExhausted() : std::runtime_error("scripted input exhausted") {}
};

class MemoryConsole : public GridConsole {
 public:
  // Script steps.
  void typeKeys(std::string_view keys);           // one key event per byte
  void pressKey(const Key& key);                  // one event, e.g. Key::named(KeyName::F1)
  void click(int row, int column);                // left press and release
  void doubleClick(int row, int column);          // press, release, double-click press, release
  void mouseEvent(const Key& mouse);              // any mouse event, as the console's tracker gives it
  void idle(int milliseconds);                    // no input for this long
  // Keys decided when the program reaches this step (for example the correct
  // letter of the question then on the screen).
  void typeLater(std::function<std::string()> keys);

  // Called with the milliseconds of every simulated wait (to move a fake clock).
  std::function<void(int)> onWait;

  std::string text(int row, int first = 1, int last = kScreenColumns) const { return grid_.text(row, first, last); }
  int pauses() const { return pauses_; }
  int waits() const { return waits_; }  // times the program blocked for input
  const std::string& title() const { return title_; }
  int waitingSteps() const { return static_cast<int>(script_.size()); }
  // The figure drawn over the screen now, by its caption; none when none is.
  const std::optional<std::string>& figureShown() const { return figureShown_; }
  int figuresShown() const { return figuresShown_; }  // showFigure calls so far
  std::size_t figureBytes() const { return figureBytes_; }  // the size of the last bitmap file shown

  void setTitle(std::string_view title) override { title_ = title; }
  void moveWindow(int, int) override {}
  void setScreenSize(int, int) override {}
  void bringToFront() override {}
  void pause(int milliseconds) override;
  std::optional<Key> nextEvent() override;
  void waitForInput(int milliseconds) override;
  std::int64_t steadyMilliseconds() override { return now_; }
  void showFigure(std::span<const unsigned char> bitmap, std::string_view caption) override {
    if (figureShown_) throw std::logic_error("a figure shown over another");
    figureShown_ = std::string(caption);
    figureBytes_ = bitmap.size();
    ++figuresShown_;
  }
  void hideFigure() override { figureShown_.reset(); }

 private:
  struct Step {
    std::optional<Key> event;  // empty for an idle or a later step
    int idleMs = 0;
    std::function<std::string()> later;
  };
  void elapse(int milliseconds);
  void expandLaterStep();

  std::deque<Step> script_;
  std::string title_;
  std::int64_t now_ = 0;
  int pauses_ = 0;
  int waits_ = 0;
  std::optional<std::string> figureShown_;
  int figuresShown_ = 0;
  std::size_t figureBytes_ = 0;
};

}  // namespace pentrill
