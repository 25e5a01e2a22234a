// The figure viewer: a question's figure in a picture window of its own.
#pragma once
#include <optional>

#include "pool/edition.h"
#include "platform/picture_windows.h"

namespace pentrill {

// Where figure windows open, in screen pixels.
inline constexpr int kFigureWindowLeft = 1000;
inline constexpr int kFigureWindowTop = 100;

// The window of the figure on show, if one is.
struct FigureWindow {
  std::optional<int> handle;
};

// Opens the figure's window, records its handle and, when a window opened,
// draws the figure in it.
void showFigure(PictureWindows& windows, const Figure& figure, FigureWindow& window);

// Closes the figure's window when one is open.
void closeFigure(PictureWindows& windows, FigureWindow& window);

// Closes the window with this handle.
void closePictureWindow(PictureWindows& windows, int handle);

}  // namespace pentrill
