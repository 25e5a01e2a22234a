// Picture windows that only record what the program asked of them, in
// order; for tests. Every open succeeds with a new handle unless told not to.
#pragma once
#include <set>
#include <string>
#include <vector>

#include "platform/picture_windows.h"

namespace pentrill {

class RecordingWindows : public PictureWindows {
 public:
  struct Call {
    enum class Kind { Open, Draw, Close } kind;
    int handle = 0;  // the handle opened, drawn into or closed
    std::string caption;
    int left = 0, top = 0, width = 0, height = 0;  // open: position and client size; draw: box size
    const unsigned char* bitmap = nullptr;         // draw: the bytes handed over
    size_t bitmapSize = 0;
  };

  int openPictureWindow(std::string_view caption, int left, int top, int width, int height) override {
    const int handle = canOpen ? nextHandle++ : 0;
    calls.push_back({Call::Kind::Open, handle, std::string(caption), left, top, width, height});
    if (handle != 0) open.insert(handle);
    return handle;
  }
  void drawPicture(int handle, std::span<const unsigned char> bitmap, int left, int top, int right,
                   int bottom) override {
    Call call{Call::Kind::Draw, handle, {}, left, top, right - left + 1, bottom - top + 1};
    call.bitmap = bitmap.data();
    call.bitmapSize = bitmap.size();
    calls.push_back(call);
  }
  void closePictureWindow(int handle) override {
    Call call{Call::Kind::Close, handle, {}};
    calls.push_back(call);
    open.erase(handle);
  }
  int desktopWidth() override { return desktop; }

  std::vector<Call> calls;
  std::set<int> open;  // handles opened and not yet closed
  bool canOpen = true;
  int desktop = 1920;
  int nextHandle = 1;
};

}  // namespace pentrill
