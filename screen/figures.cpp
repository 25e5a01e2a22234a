#include "screen/figures.h"

#include "pool/compressed_bitmap.h"
#include "screen/input.h"

namespace pentrill {

void showFigure(PictureWindows& windows, const Figure& figure, FigureWindow& window) {
  const int handle =
      windows.openPictureWindow(figure.caption, kFigureWindowLeft, kFigureWindowTop, figure.width, figure.height);
  window.handle = handle;
  // Without a window (no display, no SDL2) the figure is not inflated: it
  // would cost a run without windows time and memory for nothing.
  if (handle == 0) return;
  // Inflated on the figure's first showing in this run; the windows copy
  // what they keep.
  std::span<const unsigned char> bytes;
  if (figure.bitmap) bytes = inflatedBytes(*figure.bitmap);
  windows.drawPicture(handle, bytes, 0, 0, figure.width - 1, figure.height - 1);
}

void closeFigure(PictureWindows& windows, FigureWindow& window) {
  if (!window.handle) return;
  closePictureWindow(windows, *window.handle);
  window.handle.reset();
}

void closePictureWindow(PictureWindows& windows, int handle) { windows.closePictureWindow(handle); }

void showHintPictureWindow(PictureWindows& windows, std::span<const unsigned char> bitmap, int width, int height,
                           int& handle) {
  constexpr int kTop = 50;
  constexpr int kRightMargin = 100;
  if (handle != 0) windows.closePictureWindow(handle);
  handle = windows.openPictureWindow("", windows.desktopWidth() - (kRightMargin + width), kTop, width, height);
  windows.drawPicture(handle, bitmap, 0, 0, width - 1, height - 1);
}

TerminalPicture figurePicture(const Figure& figure) {
  TerminalPicture picture;
  picture.caption = std::string(figure.caption);
  if (figure.bitmap) picture.bitmap = inflatedBytes(*figure.bitmap);
  return picture;
}

void showPictureInTerminal(Console& console, const TerminalPicture& picture) {
  // The figure goes however the wait ends (Ctrl-C, a hang-up).
  struct Shown {
    Console& console;
    ~Shown() { console.hideFigure(); }
  };
  console.showFigure(picture.bitmap, picture.caption);
  const Shown shown{console};
  waitKey(console);
}

}  // namespace pentrill
