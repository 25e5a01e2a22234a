// Writes the bytes that draw a bitmap inside the terminal to standard
// output, as the figure screen would, to look at a protocol's drawing in a
// real terminal: pentrill_chafa_show FILE.bmp [auto|kitty|iterm|sixel|symbols] [colours]
// where colours is the terminfo count (default: 16777216, 24-bit).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "backends/chafa_figure.h"

int main(int argc, char** argv) {
  using namespace pentrill;
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE.bmp [auto|kitty|iterm|sixel|symbols] [colours]\n", argv[0]);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::vector<unsigned char> file{std::istreambuf_iterator<char>(in), {}};
  const std::optional<RgbPicture> picture = readBitmapPixels(file);
  const std::optional<FigureProtocolSetting> setting = parseFigureProtocolSetting(argc > 2 ? argv[2] : "symbols");
  const ChafaApi* chafa = loadChafa();
  if (!picture || !setting || !chafa) {
    std::fprintf(stderr, "%s\n", !picture ? "not a bitmap the program draws" : !setting ? "unknown protocol" : "libchafa is missing");
    return 1;
  }
  const TerminalEnvironment environment = readTerminalEnvironment(std::getenv);
  TerminalFigureStyle style;
  style.protocol = figureProtocolFromEnvironment(*setting, environment).value_or(FigureProtocol::Symbols);
  style.colours = symbolColours(environment, argc > 3 ? std::atoi(argv[3]) : 1 << 24);
  style.glyphs = symbolGlyphs(environment);
  const CellRect region = figureRegion(picture->width, picture->height, kFigurePictureArea, style.cell);
  const std::string bytes = terminalFigureBytes(*chafa, *picture, region, style);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  return 0;
}
