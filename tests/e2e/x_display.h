// An X display of the test's own (Xvfb, started and ended by the test), and
// what tests look at on it: the top-level windows with their titles,
// positions, sizes and pixels, and who has the keyboard focus.
#pragma once
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct _XDisplay;

namespace pentrill::e2e {

struct XWindowInfo {
  unsigned long id = 0;
  std::string title;      // WM_NAME
  int x = 0, y = 0;       // the window's top-left corner on the screen
  int width = 0, height = 0;
  pid_t pid = 0;          // _NET_WM_PID, 0 when not set
  bool acceptsFocus = true;  // the input field of WM_HINTS
};

class XvfbDisplay {
 public:
  // Starts Xvfb with one screen of this size; see available().
  explicit XvfbDisplay(int width = 1920, int height = 1080);
  ~XvfbDisplay();
  XvfbDisplay(const XvfbDisplay&) = delete;
  XvfbDisplay& operator=(const XvfbDisplay&) = delete;

  // False when Xvfb is not installed or did not start; then why.
  bool available() const { return display_ != nullptr; }
  bool installed() const { return installed_; }
  const std::string& whyNot() const { return whyNot_; }
  std::string name() const { return std::string(":").append(std::to_string(number_)); }  // for DISPLAY

  // The mapped top-level windows, in stacking order.
  std::vector<XWindowInfo> windows();
  // Waits until a window satisfies the condition, or until none does.
  std::optional<XWindowInfo> waitForWindow(const std::function<bool(const XWindowInfo&)>& condition,
                                           std::chrono::milliseconds timeout);
  bool waitForNoWindow(const std::function<bool(const XWindowInfo&)>& condition, std::chrono::milliseconds timeout);

  // The window's pixels as 0xRRGGBB, row by row from the top; empty when it
  // cannot be read.
  std::vector<unsigned> capture(const XWindowInfo& window);

  // A window standing in for the terminal, mapped and given the keyboard.
  unsigned long createFocusWindow();
  unsigned long focusWindow();

 private:
  pid_t server_ = -1;
  int number_ = -1;
  _XDisplay* display_ = nullptr;
  std::string whyNot_;
  bool installed_ = true;
};

}  // namespace pentrill::e2e
