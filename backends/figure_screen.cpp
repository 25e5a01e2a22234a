#include "backends/figure_screen.h"

#include <algorithm>

#include "platform/console.h"

namespace pentrill {

namespace {

std::string moveTo(int row, int column) { return "\x1b[" + std::to_string(row) + ';' + std::to_string(column) + 'H'; }

// Text centred on its row, cut to the screen's width.
std::string centred(int row, std::string_view text) {
  const int length = std::min(static_cast<int>(text.size()), kScreenColumns);
  return moveTo(row, (kScreenColumns - length) / 2 + 1) + std::string(text.substr(0, static_cast<std::size_t>(length)));
}

}  // namespace

std::string figureScreenBytes(const ChafaApi* chafa, const RgbPicture& picture, std::string_view caption,
                              const TerminalFigureStyle& style, FigureScreenColours colours) {
  const std::string paper = colours.brightBackground ? "\x1b[0;30;107m" : "\x1b[0;30;47m";
  std::string bytes = paper;
  // Row by row rather than a clear, which would reach beyond the 100 x 43
  // screen on a larger terminal.
  const std::string blankRow(kScreenColumns, ' ');
  for (int row = 1; row <= kScreenRows; ++row) bytes += moveTo(row, 1) + blankRow;
  if (chafa == nullptr) return bytes + centred(kNoChafaRow, kNoChafaLine) + "\x1b[0m";
  const CellRect region = figureRegion(picture.width, picture.height, kFigurePictureArea, style.cell);
  if (picture.width > 0 && picture.height > 0) bytes += terminalFigureBytes(*chafa, picture, region, style);
  bytes += paper;
  bytes += centred(kFigureCaptionRow, caption);
  bytes += centred(kFigurePromptRow, kFigurePrompt);
  return bytes + "\x1b[0m";
}

}  // namespace pentrill
