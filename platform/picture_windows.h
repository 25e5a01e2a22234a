// Picture windows: top-level windows beside the terminal that show one
// bitmap each (the figures of questions, and the pictures named in hints).
// Windows are identified by integer handles; 0 means no window.
#pragma once
#include <span>
#include <string_view>

namespace pentrill {

class PictureWindows {
 public:
  virtual ~PictureWindows() = default;

  // Opens a window whose outer top-left corner is at screen pixel (left,
  // top) and whose client area is exactly width x height, not resizable.
  // A caption (Windows-1252) gives it a title bar; an empty one none. The
  // terminal keeps the keyboard focus. Returns the handle, or 0 when no
  // window can be opened (no display, say).
  virtual int openPictureWindow(std::string_view caption, int left, int top, int width, int height) = 0;

  // Draws a bitmap file's picture scaled into the box from (left, top) to
  // (right, bottom), inclusive, in client pixels. Nothing for handle 0, a
  // closed window or bytes that are not a bitmap.
  virtual void drawPicture(int handle, std::span<const unsigned char> bitmap, int left, int top, int right,
                           int bottom) = 0;

  // Closes the window; a handle of a window the user already closed, or 0,
  // is ignored.
  virtual void closePictureWindow(int handle) = 0;

  // Width of the desktop in pixels, 0 when unknown.
  virtual int desktopWidth() = 0;
};

// Where no window can ever be shown: every open gives 0.
class NoPictureWindows : public PictureWindows {
 public:
  int openPictureWindow(std::string_view, int, int, int, int) override { return 0; }
  void drawPicture(int, std::span<const unsigned char>, int, int, int, int) override {}
  void closePictureWindow(int) override {}
  int desktopWidth() override { return 0; }
};

}  // namespace pentrill
