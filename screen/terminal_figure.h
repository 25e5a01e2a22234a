// The figure screen drawn inside the terminal: where on the 100 x 43 grid
// the picture goes, and the picture's pixels read from its bitmap file.
// Pure; the drawing itself is in backends/chafa_figure.h.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace pentrill {

// Cells from row 1 and column 1, as on the screen grid.
struct CellRect {
  int row = 1;
  int column = 1;
  int width = 0;
  int height = 0;

  bool operator==(const CellRect&) const = default;
};

// A terminal cell's size in pixels, as TIOCGWINSZ reports it (the window's
// pixels over its cells). Terminals that do not say are taken as 10 x 20,
// the usual 1 : 2 of monospace fonts.
struct CellPixels {
  int width = 10;
  int height = 20;
};

// The terminal's cell size: the window's pixels over its cells as
// TIOCGWINSZ gives them, else the size the terminal reported (ESC [ 16 t),
// else 10 x 20. Sizes of 0 stand for unknown; a side outside 2 to 1000 is
// not believed.
CellPixels terminalCellPixels(int windowWidth, int windowHeight, int columns, int rows, int reportedWidth,
                              int reportedHeight);

// The figure screen: the picture in rows 1 to 41, its caption ("Figure 5-1")
// centred on row 42, the way back on row 43.
inline constexpr CellRect kFigurePictureArea{1, 1, 100, 41};
inline constexpr int kFigureCaptionRow = 42;
inline constexpr int kFigurePromptRow = 43;

// The cells a picture of this many pixels covers: as large as fits in the
// area with its aspect kept on cells of this shape, centred in the area (an
// odd cell left over goes right or below). At least one cell.
CellRect figureRegion(int pictureWidth, int pictureHeight, CellRect area, CellPixels cell);

// A picture as rows of red, green, blue bytes from the top row down.
struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * 3 bytes a row, no padding
};

// The pixels of a bitmap file the program draws (see drawableBitmapSize:
// 1, 4, 8, 24 or 32 bits per pixel, rows either way up); none for any other.
std::optional<RgbPicture> readBitmapPixels(std::span<const unsigned char> file);

// The picture made smaller (never larger) to at most this size, each pixel
// the darkest of those it covers, channel by channel: a line one pixel thin
// stays as dark as it was instead of fading into the paper around it.
RgbPicture shrinkKeepingLines(const RgbPicture& picture, int width, int height);

// Every channel value v (0 to 255) made 255 * (v / 255) ^ exponent: above 1,
// the midtones darker, black and white as they were.
void darkenMidtones(RgbPicture& picture, double exponent);

// Every pixel replaced by its grey of the same brightness (Rec. 601 luma).
void makeGrey(RgbPicture& picture);

}  // namespace pentrill
