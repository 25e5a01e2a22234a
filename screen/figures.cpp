#include "screen/figures.h"

namespace pentrill {

void showFigure(PictureWindows& windows, const Figure& figure, FigureWindow& window) {
  const int handle =
      windows.openPictureWindow(figure.caption, kFigureWindowLeft, kFigureWindowTop, figure.width, figure.height);
  windows.drawPicture(handle, figure.bitmap, 0, 0, figure.width - 1, figure.height - 1);
  window.handle = handle;
}

void closeFigure(PictureWindows& windows, FigureWindow& window) {
  if (!window.handle) return;
  closePictureWindow(windows, *window.handle);
  window.handle.reset();
}

void closePictureWindow(PictureWindows& windows, int handle) { windows.closePictureWindow(handle); }

}  // namespace pentrill
