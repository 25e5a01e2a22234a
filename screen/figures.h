// The figure viewer: a question's figure in a picture window of its own.
#pragma once
#include <optional>
#include <span>
#include <string>

#include "pool/edition.h"
#include "platform/console.h"
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

// A hint's picture at its own size, in a window whose right edge is 100
// pixels short of the desktop's, 50 pixels from the top; after closing the
// window `handle` holds, it holds the new one (0 where none opened).
void showHintPictureWindow(PictureWindows& windows, std::span<const unsigned char> bitmap, int width, int height,
                           int& handle);

// A picture that F draws inside the terminal: a question's figure, or the
// picture its hint names. The bytes belong to the figure (inflated once per
// run) or to the hint picture the caller holds.
struct TerminalPicture {
  std::string caption;
  std::span<const unsigned char> bitmap;  // the bitmap file
};

// The question's figure, inflated now (on its first F in the run).
TerminalPicture figurePicture(const Figure& figure);

// F: the picture over the whole screen until a key or a click, which goes no
// further; then the screen as it was.
void showPictureInTerminal(Console& console, const TerminalPicture& picture);

}  // namespace pentrill
