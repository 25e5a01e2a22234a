#include "screen/figures.h"

#include "pool/compressed_bitmap.h"

namespace pentrill {

std::string_view figureReference(std::string_view id) {
  const size_t at = id.find("Figure:");
  return at == std::string_view::npos ? std::string_view{} : id.substr(at);
}

void showFigure(PictureWindows& windows, std::span<const Figure> figureTable, std::string_view reference,
                int& handle) {
  for (const Figure& figure : figureTable) {
    if (figure.reference != reference) continue;
    handle = windows.openPictureWindow(figure.caption, kFigureWindowLeft, kFigureWindowTop, figure.width,
                                       figure.height);
    // Without a window (no display, no SDL2) the figure is not inflated:
    // it would cost a run without windows time and memory for nothing.
    if (handle == 0) return;
    // Inflated on the figure's first showing in this run; the windows copy
    // what they keep.
    std::span<const unsigned char> bytes;
    if (figure.bitmap) bytes = inflatedBytes(*figure.bitmap);
    windows.drawPicture(handle, bytes, 0, 0, figure.width - 1, figure.height - 1);
    return;
  }
}

void closePictureWindow(PictureWindows& windows, int handle) { windows.closePictureWindow(handle); }

}  // namespace pentrill
