// Picture windows through SDL2, served by the program's SDL thread.
#pragma once
#include <memory>

#include "platform/picture_windows.h"
#include "backends/sdl_thread.h"

namespace pentrill {

struct WindowSet;  // the open windows; lives on the SDL thread
struct PendingOpen;

// Opening waits for the SDL thread to create the window (a few milliseconds;
// the first time also SDL's video start-up); drawing and closing only hand
// the work over. Where there is no display (neither DISPLAY nor
// WAYLAND_DISPLAY set), SDL2 is missing, or the display refused once, opening
// gives 0 at once, without starting anything.
class SdlPictureWindows : public PictureWindows {
 public:
  explicit SdlPictureWindows(SdlThread& sdl);
  ~SdlPictureWindows() override;  // closes the windows still open
  SdlPictureWindows(const SdlPictureWindows&) = delete;
  SdlPictureWindows& operator=(const SdlPictureWindows&) = delete;

  int openPictureWindow(std::string_view caption, int left, int top, int width, int height) override;
  void drawPicture(int handle, std::span<const unsigned char> bitmap, int left, int top, int right,
                   int bottom) override;
  void closePictureWindow(int handle) override;
  int desktopWidth() override;

 private:
  bool videoPossible();

  SdlThread& sdl_;
  std::shared_ptr<WindowSet> windows_;
  // A request the SDL thread did not answer in time; until it has, no other
  // request waits for it.
  std::shared_ptr<PendingOpen> unanswered_;
};

}  // namespace pentrill
