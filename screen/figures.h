// The figure viewer: a question's figure in a picture window of its own.
#pragma once
#include <span>
#include <string_view>

#include "pool/edition.h"
#include "platform/picture_windows.h"

namespace pentrill {

// Where figure windows open, in screen pixels.
inline constexpr int kFigureWindowLeft = 1000;
inline constexpr int kFigureWindowTop = 100;

// The reference of a question's figure: its id field from "Figure:" to the
// end ("Figure:E5-1"), or the empty text when it has none.
std::string_view figureReference(std::string_view id);

// Opens the window of the figure with this reference (exact, case-sensitive),
// stores its handle and, when a window opened, draws the figure in it. A
// reference not in the table opens nothing and leaves the handle as it was.
void showFigure(PictureWindows& windows, std::span<const Figure> figureTable, std::string_view reference, int& handle);

// Closes the window with this handle.
void closePictureWindow(PictureWindows& windows, int handle);

}  // namespace pentrill
