#include "backends/chafa_figure.h"

namespace pentrill {

namespace {

ChafaCanvasMode canvasMode(SymbolColours colours) {
  switch (colours) {
    case SymbolColours::TwoColours: return CHAFA_CANVAS_MODE_FGBG;
    case SymbolColours::Colours8: return CHAFA_CANVAS_MODE_INDEXED_8;
    case SymbolColours::Colours16Foreground8Background: return CHAFA_CANVAS_MODE_INDEXED_16_8;
    case SymbolColours::Colours16: return CHAFA_CANVAS_MODE_INDEXED_16;
    // The 16 system colours are left out, as chafa's own tool does: themes
    // redefine them.
    case SymbolColours::Colours256: return CHAFA_CANVAS_MODE_INDEXED_240;
    case SymbolColours::Truecolor: break;
  }
  return CHAFA_CANVAS_MODE_TRUECOLOR;
}

ChafaPixelMode pixelMode(FigureProtocol protocol) {
  switch (protocol) {
    case FigureProtocol::Kitty: return CHAFA_PIXEL_MODE_KITTY;
    case FigureProtocol::Iterm: return CHAFA_PIXEL_MODE_ITERM2;
    case FigureProtocol::Sixel: return CHAFA_PIXEL_MODE_SIXELS;
    case FigureProtocol::Symbols: break;
  }
  return CHAFA_PIXEL_MODE_SYMBOLS;
}

// The characters a figure is drawn with. In terminal emulators: the block
// elements (halves, eighths, quadrants) and box drawing, which every
// monospace font has and whose straight edges suit line drawings; braille
// turned the lines into faint dots and sextants are missing from common
// fonts such as DejaVu Sans Mono. On the Linux console: what its fonts hold;
// without UTF-8: ASCII.
ChafaSymbolTags symbolTags(SymbolGlyphs glyphs) {
  int tags = CHAFA_SYMBOL_TAG_SPACE | CHAFA_SYMBOL_TAG_BLOCK | CHAFA_SYMBOL_TAG_BORDER;
  if (glyphs == SymbolGlyphs::ConsoleFont) tags = CHAFA_SYMBOL_TAG_SPACE | CHAFA_SYMBOL_TAG_SOLID | CHAFA_SYMBOL_TAG_HALF;
  if (glyphs == SymbolGlyphs::Ascii) tags = CHAFA_SYMBOL_TAG_SPACE | CHAFA_SYMBOL_TAG_ASCII;
  return static_cast<ChafaSymbolTags>(tags);
}

// A cell's colours are the mean of the pixels its character's two parts
// cover, so a line thinner than its part comes out grey; darkening the
// midtones by this power keeps such lines dark without closing up the
// lettering (compared by eye on E7-2 and E9-3 at 1, 1.6 and 2.2).
constexpr double kSymbolMidtoneExponent = 1.6;

// What chafa matches against its characters, 8 x 8 pixels a cell: shrunk
// by this program so that thin lines stay dark (chafa's own scaling averages
// them into the paper), with the midtones darkened, and in grey for the
// small palettes, where the faint coloured fringes of the figures' lettering
// would become loud colours.
RgbPicture symbolPicture(const RgbPicture& picture, CellRect region, SymbolColours colours) {
  RgbPicture shrunk =
      shrinkKeepingLines(picture, region.width * CHAFA_SYMBOL_WIDTH_PIXELS, region.height * CHAFA_SYMBOL_HEIGHT_PIXELS);
  if (colours <= SymbolColours::Colours16) makeGrey(shrunk);
  darkenMidtones(shrunk, kSymbolMidtoneExponent);
  return shrunk;
}

// One drawing: the configuration, the characters and the canvas with the
// picture drawn on it, released together.
class Drawing {
 public:
  Drawing(const ChafaApi& chafa, const RgbPicture& picture, CellRect region, const TerminalFigureStyle& style)
      : chafa_(chafa), config_(chafa.canvas_config_new()), symbols_(chafa.symbol_map_new()) {
    chafa.canvas_config_set_geometry(config_, region.width, region.height);
    chafa.canvas_config_set_cell_geometry(config_, style.cell.width, style.cell.height);
    chafa.canvas_config_set_pixel_mode(config_, pixelMode(style.protocol));
    chafa.canvas_config_set_canvas_mode(config_, canvasMode(style.colours));
    // Lines drawn on white: what the terminal's own colours stand for when
    // only those two are used.
    chafa.canvas_config_set_fg_color(config_, 0x000000);
    chafa.canvas_config_set_bg_color(config_, 0xffffff);
    chafa.canvas_config_set_dither_mode(config_, CHAFA_DITHER_MODE_NONE);
    // Every cell written out in full: no repeat or skip sequences, which not
    // every terminal has.
    chafa.canvas_config_set_optimizations(config_, CHAFA_OPTIMIZATION_REUSE_ATTRIBUTES);
    chafa.symbol_map_add_by_tags(symbols_, symbolTags(style.glyphs));
    chafa.symbol_map_remove_by_tags(symbols_, CHAFA_SYMBOL_TAG_WIDE);
    chafa.canvas_config_set_symbol_map(config_, symbols_);
    canvas_ = chafa.canvas_new(config_);
    if (style.protocol == FigureProtocol::Symbols) shrunk_ = symbolPicture(picture, region, style.colours);
    const RgbPicture& drawn = style.protocol == FigureProtocol::Symbols ? shrunk_ : picture;
    chafa.canvas_draw_all_pixels(canvas_, CHAFA_PIXEL_RGB8, drawn.pixels.data(), drawn.width, drawn.height,
                                 drawn.width * 3);
  }
  ~Drawing() {
    chafa_.canvas_unref(canvas_);
    chafa_.symbol_map_unref(symbols_);
    chafa_.canvas_config_unref(config_);
  }
  Drawing(const Drawing&) = delete;
  Drawing& operator=(const Drawing&) = delete;

  ChafaCanvas* canvas() const { return canvas_; }

  // The terminal's bytes as chafa prints them (rows apart by line feeds).
  std::string print() const {
    ChafaTermInfo* terminal = chafa_.term_db_get_fallback_info(chafa_.term_db_get_default());
    GString* printed = chafa_.canvas_print(canvas_, terminal);
    std::string bytes(printed->str, printed->len);
    chafa_.g_string_free(printed, TRUE);
    chafa_.term_info_unref(terminal);
    return bytes;
  }

 private:
  const ChafaApi& chafa_;
  ChafaCanvasConfig* config_;
  ChafaSymbolMap* symbols_;
  ChafaCanvas* canvas_ = nullptr;
  RgbPicture shrunk_;
};

std::string moveTo(int row, int column) { return "\x1b[" + std::to_string(row) + ';' + std::to_string(column) + 'H'; }

}  // namespace

std::string terminalFigureBytes(const ChafaApi& chafa, const RgbPicture& picture, CellRect region,
                                const TerminalFigureStyle& style) {
  const std::string printed = Drawing(chafa, picture, region, style).print();
  std::string bytes;
  bytes.reserve(printed.size() + static_cast<std::size_t>(region.height) * 12 + 8);
  if (style.protocol != FigureProtocol::Symbols) {
    bytes = moveTo(region.row, region.column) + printed;
  } else {
    // Each row at its place: a line feed would start the next at column 1.
    std::size_t start = 0;
    for (int row = region.row; start <= printed.size() && row < region.row + region.height; ++row) {
      const std::size_t end = std::min(printed.find('\n', start), printed.size());
      bytes += moveTo(row, region.column);
      bytes.append(printed, start, end - start);
      start = end + 1;
    }
  }
  bytes += "\x1b[0m";
  return bytes;
}

std::vector<SymbolCell> figureSymbolCells(const ChafaApi& chafa, const RgbPicture& picture, CellRect region,
                                          const TerminalFigureStyle& style) {
  TerminalFigureStyle symbols = style;
  symbols.protocol = FigureProtocol::Symbols;
  const Drawing drawing(chafa, picture, region, symbols);
  std::vector<SymbolCell> cells;
  cells.reserve(static_cast<std::size_t>(region.width) * static_cast<std::size_t>(region.height));
  for (int y = 0; y < region.height; ++y) {
    for (int x = 0; x < region.width; ++x) {
      SymbolCell cell;
      cell.character = chafa.canvas_get_char_at(drawing.canvas(), x, y);
      chafa.canvas_get_colors_at(drawing.canvas(), x, y, &cell.foreground, &cell.background);
      cells.push_back(cell);
    }
  }
  return cells;
}

std::string_view figureRemovalBytes(FigureProtocol protocol) {
  // a=d,d=A: every placement on the screen, and the image data with it.
  return protocol == FigureProtocol::Kitty ? "\x1b_Ga=d,d=A\x1b\\" : "";
}

}  // namespace pentrill
