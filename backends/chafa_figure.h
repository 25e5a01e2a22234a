// A figure drawn inside the terminal through libchafa: the bytes that draw
// the picture over a region of the screen in kitty graphics, iTerm2 inline
// images, sixels or Unicode symbols.
//
// The console writes the bytes as they are (no translation, no curses), then
// the caption and prompt; leaving, it writes figureRemovalBytes and redraws
// the whole question screen, which covers every cell the picture took.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "backends/chafa_library.h"
#include "screen/figure_protocol.h"
#include "screen/terminal_figure.h"

namespace pentrill {

struct TerminalFigureStyle {
  FigureProtocol protocol = FigureProtocol::Symbols;
  SymbolColours colours = SymbolColours::Truecolor;  // symbols only
  SymbolGlyphs glyphs = SymbolGlyphs::Unicode;       // symbols only
  CellPixels cell;  // the pictures' size in pixels follows from it
};

// The bytes that draw the picture over the region: the cursor is moved to
// each row of symbols, or to the region's corner for a picture, and the
// colours are reset at the end. The cursor is left somewhere in or after the
// region; the caller moves it before writing more.
std::string terminalFigureBytes(const ChafaApi& chafa, const RgbPicture& picture, CellRect region,
                                const TerminalFigureStyle& style);

// What a symbols drawing puts in one cell; colours as 0xRRGGBB.
struct SymbolCell {
  char32_t character = U' ';
  std::int32_t foreground = 0;
  std::int32_t background = 0;
};

// The cells of the symbols drawing terminalFigureBytes makes, row by row
// (region.width a row), with the colours as chosen before they are reduced
// to the terminal's palette.
std::vector<SymbolCell> figureSymbolCells(const ChafaApi& chafa, const RgbPicture& picture, CellRect region,
                                          const TerminalFigureStyle& style);

// Written when the figure is left, before the redraw: kitty keeps pictures
// apart from the text, so they are deleted (with their data); the other
// protocols' pixels are in the cells, and the redraw covers them.
std::string_view figureRemovalBytes(FigureProtocol protocol);

}  // namespace pentrill
