// The figure screen's bytes as a terminal (libvterm) shows them: the whole
// 100 x 43 area cleared to the question screens' colours, the picture in
// rows 1 to 41, the caption and the way back centred on rows 42 and 43, and
// without libchafa the one line that names the package.
#include "backends/figure_screen.h"

#include <gtest/gtest.h>
#include <vterm.h>

#include <memory>
#include <string>

#include "platform/console.h"

namespace pentrill {
namespace {

// A 120 x 50 terminal with the bytes written to it.
class ShownBytes {
 public:
  explicit ShownBytes(const std::string& bytes) : vterm_(vterm_new(kRows, kColumns), &vterm_free) {
    vterm_set_utf8(vterm_.get(), 1);
    screen_ = vterm_obtain_screen(vterm_.get());
    vterm_screen_reset(screen_, 1);
    vterm_input_write(vterm_.get(), bytes.data(), bytes.size());
  }
  VTermScreenCell cell(int row, int column) const {
    VTermScreenCell cell{};
    vterm_screen_get_cell(screen_, VTermPos{row - 1, column - 1}, &cell);
    return cell;
  }
  std::string text(int row, int column, int length) const {
    std::string text;
    for (int i = 0; i < length; ++i) {
      const uint32_t c = cell(row, column + i).chars[0];
      text += c == 0 ? ' ' : c < 0x80 ? static_cast<char>(c) : '#';
    }
    return text;
  }
  // Bright white (palette 15) behind the cell.
  bool onPaper(int row, int column) const {
    const VTermColor& background = cell(row, column).bg;
    return VTERM_COLOR_IS_INDEXED(&background) && background.indexed.idx == 15;
  }
  static constexpr int kRows = 50, kColumns = 120;

 private:
  std::unique_ptr<VTerm, decltype(&vterm_free)> vterm_;
  VTermScreen* screen_ = nullptr;
};

RgbPicture blackSquare(int side) {
  return RgbPicture{side, side, std::vector<std::uint8_t>(static_cast<std::size_t>(side) * side * 3, 0)};
}

TEST(FigureScreen, WithoutLibchafaOneLineOnThePaperAndNothingBeyondTheScreen) {
  const ShownBytes shown(figureScreenBytes(nullptr, blackSquare(8), "Figure 5-1", {}, {}));
  EXPECT_EQ(shown.text(kNoChafaRow, 9, static_cast<int>(kNoChafaLine.size())), std::string(kNoChafaLine));
  for (int row = 1; row <= kScreenRows; ++row) {
    EXPECT_TRUE(shown.onPaper(row, 1) && shown.onPaper(row, kScreenColumns)) << row;
    EXPECT_FALSE(shown.onPaper(row, kScreenColumns + 1)) << row;
  }
  EXPECT_FALSE(shown.onPaper(kScreenRows + 1, 1));
  EXPECT_EQ(shown.text(kFigurePromptRow, 1, 100), std::string(100, ' '));
}

TEST(FigureScreen, PictureInItsRegionCaptionAndPromptCentredBelow) {
  const ChafaApi* chafa = loadChafa();
  if (chafa == nullptr) GTEST_SKIP() << "libchafa0 is not installed";
  TerminalFigureStyle style;
  style.protocol = FigureProtocol::Symbols;
  style.colours = SymbolColours::Colours256;
  const ShownBytes shown(figureScreenBytes(chafa, blackSquare(200), "Figure 5-1", style, {}));
  EXPECT_EQ(shown.text(kFigureCaptionRow, 46, 10), "Figure 5-1");
  EXPECT_EQ(shown.text(kFigurePromptRow, 31, 40), std::string(kFigurePrompt));
  // A square on 10 x 20 cells: 82 columns by 41 rows, centred.
  const CellRect region = figureRegion(200, 200, kFigurePictureArea, style.cell);
  EXPECT_EQ(region, (CellRect{1, 10, 82, 41}));
  EXPECT_FALSE(shown.onPaper(20, region.column));
  EXPECT_FALSE(shown.onPaper(20, region.column + region.width - 1));
  EXPECT_TRUE(shown.onPaper(20, region.column - 1));
  EXPECT_TRUE(shown.onPaper(20, region.column + region.width));
  EXPECT_TRUE(shown.onPaper(kFigureCaptionRow, 1));
}

}  // namespace
}  // namespace pentrill
