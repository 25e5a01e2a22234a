#include "screen/terminal_figure.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/bitmap_maker.h"

namespace pentrill {
namespace {

TEST(FigureRegion, ThePoolsFiguresOnTheUsualCells) {
  // 640 x 627 on 10 x 20 cells: 41 rows tall, 84 columns wide, centred.
  EXPECT_EQ(figureRegion(640, 627, kFigurePictureArea, {10, 20}), (CellRect{1, 9, 84, 41}));
  // Wider than the area's shape: the width fills it, centred in height.
  EXPECT_EQ(figureRegion(2000, 100, kFigurePictureArea, {10, 20}), (CellRect{20, 1, 100, 3}));
  // Square cells: half as many columns.
  EXPECT_EQ(figureRegion(640, 627, kFigurePictureArea, {10, 10}), (CellRect{1, 30, 42, 41}));
}

TEST(FigureRegion, KeepsTheAspectFillsOneSideAndIsCentredForAnyShape) {
  const CellRect areas[] = {kFigurePictureArea, {5, 10, 20, 10}, {1, 1, 7, 3}};
  const CellPixels cells[] = {{10, 20}, {8, 16}, {9, 17}, {7, 15}, {12, 12}};
  const int sides[] = {1, 3, 100, 537, 640, 692, 4096};
  for (const CellRect& area : areas) {
    for (const CellPixels& cell : cells) {
      for (const int width : sides) {
        for (const int height : sides) {
          const CellRect region = figureRegion(width, height, area, cell);
          SCOPED_TRACE(::testing::Message() << width << " x " << height << " on " << cell.width << " x " << cell.height
                                            << " cells in " << area.width << " x " << area.height);
          ASSERT_GE(region.width, 1);
          ASSERT_GE(region.height, 1);
          EXPECT_GE(region.column, area.column);
          EXPECT_GE(region.row, area.row);
          EXPECT_LE(region.column + region.width, area.column + area.width);
          EXPECT_LE(region.row + region.height, area.row + area.height);
          EXPECT_TRUE(region.width == area.width || region.height == area.height);
          // Centred: the margins differ by at most the odd cell.
          const int left = region.column - area.column, right = area.column + area.width - region.column - region.width;
          const int top = region.row - area.row, bottom = area.row + area.height - region.row - region.height;
          EXPECT_TRUE(right - left == 0 || right - left == 1);
          EXPECT_TRUE(bottom - top == 0 || bottom - top == 1);
          // Aspect: within half a cell of the exact size on the side that
          // does not fill the area (unless that side is the one-cell minimum).
          const double exactWidth = static_cast<double>(region.height) * cell.height * width / height / cell.width;
          const double exactHeight = static_cast<double>(region.width) * cell.width * height / width / cell.height;
          if (region.height == area.height && exactWidth >= 1 && exactWidth <= area.width) {
            EXPECT_LE(std::abs(region.width - exactWidth), 0.5 + 1e-9);
          } else if (region.width == area.width && exactHeight >= 1 && exactHeight <= area.height) {
            EXPECT_LE(std::abs(region.height - exactHeight), 0.5 + 1e-9);
          }
        }
      }
    }
  }
}

TEST(FigureRegion, NoPictureOrNoCellSizeGivesOneCellInTheCorner) {
  EXPECT_EQ(figureRegion(0, 10, kFigurePictureArea, {10, 20}), (CellRect{1, 1, 1, 1}));
  EXPECT_EQ(figureRegion(10, 10, {3, 4, 10, 10}, {0, 20}), (CellRect{3, 4, 1, 1}));
}

TEST(TerminalCellPixels, TheWindowsPixelsThenTheReportThenTheUsualSize) {
  auto same = [](CellPixels a, int width, int height) { return a.width == width && a.height == height; };
  EXPECT_TRUE(same(terminalCellPixels(900, 1032, 100, 43, 7, 14), 9, 24));
  EXPECT_TRUE(same(terminalCellPixels(0, 0, 100, 43, 8, 17), 8, 17));       // no pixels in TIOCGWINSZ
  EXPECT_TRUE(same(terminalCellPixels(100, 43, 100, 43, 8, 17), 8, 17));    // one pixel a cell: not believed
  EXPECT_TRUE(same(terminalCellPixels(0, 0, 0, 0, 0, 0), 10, 20));
  EXPECT_TRUE(same(terminalCellPixels(0, 0, 100, 43, 5000, 17), 10, 20));
}

TEST(ReadBitmapPixels, GivesRowsFromTheTopInRedGreenBlueForEveryDrawableForm) {
  using testing::BitmapShape;
  for (const int bits : {1, 4, 8, 24, 32}) {
    for (const int height : {3, -3}) {
      const BitmapShape shape{5, height, bits};
      const std::optional<RgbPicture> picture = readBitmapPixels(testing::makeBitmap(shape));
      SCOPED_TRACE(::testing::Message() << bits << " bits, height " << height);
      ASSERT_TRUE(picture);
      ASSERT_EQ(picture->width, 5);
      ASSERT_EQ(picture->height, 3);
      ASSERT_EQ(picture->pixels.size(), 5u * 3 * 3);
      for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
          const std::uint8_t* pixel = &picture->pixels[(static_cast<std::size_t>(y) * 5 + x) * 3];
          testing::Rgb expected = testing::patternColour(x, y);
          if (bits <= 8) {
            const int colours = 1 << bits;
            const auto grey = static_cast<unsigned char>(255 * testing::paletteIndex(x, y, colours) / (colours - 1));
            expected = {grey, grey, grey};
          }
          EXPECT_EQ((testing::Rgb{pixel[0], pixel[1], pixel[2]}), expected) << x << ", " << y;
        }
      }
    }
  }
}

TEST(ReadBitmapPixels, RefusesWhatIsNotADrawableBitmap) {
  using testing::BitmapShape;
  EXPECT_FALSE(readBitmapPixels(testing::makeBitmap(BitmapShape{4, 3, 16})));
  EXPECT_FALSE(readBitmapPixels(testing::makeBitmap(BitmapShape{4, 3, 24, 40, 0, 1})));  // compressed
  std::vector<unsigned char> cut = testing::makeBitmap(BitmapShape{4, 3, 24});
  cut.pop_back();
  EXPECT_FALSE(readBitmapPixels(cut));
  EXPECT_FALSE(readBitmapPixels({}));
}

RgbPicture pictureOf(int width, int height, std::uint8_t paper) {
  return {width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3, paper)};
}

void setPixel(RgbPicture& picture, int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  std::uint8_t* pixel = &picture.pixels[(static_cast<std::size_t>(y) * picture.width + x) * 3];
  pixel[0] = r;
  pixel[1] = g;
  pixel[2] = b;
}

TEST(ShrinkKeepingLines, AThinLineStaysAsDarkWhereverItFalls) {
  // One-pixel lines on white, 64 x 60 to 16 x 15: each lands in one row or
  // column of the result, at full darkness, and nothing else darkens.
  for (int at = 0; at < 60; ++at) {
    RgbPicture picture = pictureOf(64, 60, 255);
    for (int x = 0; x < 64; ++x) setPixel(picture, x, at, 0, 0, 0);
    const RgbPicture shrunk = shrinkKeepingLines(picture, 16, 15);
    ASSERT_EQ(shrunk.width, 16);
    ASSERT_EQ(shrunk.height, 15);
    for (int y = 0; y < 15; ++y) {
      const bool onLine = y == at / 4;
      for (int x = 0; x < 16; ++x)
        ASSERT_EQ(shrunk.pixels[(static_cast<std::size_t>(y) * 16 + x) * 3], onLine ? 0 : 255) << at << ", " << y;
    }
  }
  // Channel by channel, uneven factors, and never larger than the picture.
  RgbPicture picture = pictureOf(7, 5, 200);
  setPixel(picture, 6, 4, 10, 250, 250);
  setPixel(picture, 5, 4, 250, 20, 250);
  const RgbPicture shrunk = shrinkKeepingLines(picture, 3, 9);
  ASSERT_EQ(shrunk.width, 3);
  ASSERT_EQ(shrunk.height, 5);
  const std::uint8_t* corner = &shrunk.pixels[(4 * 3 + 2) * 3];
  EXPECT_EQ(corner[0], 10);
  EXPECT_EQ(corner[1], 20);
  EXPECT_EQ(corner[2], 200);
  EXPECT_EQ(shrunk.pixels[0], 200);
}

TEST(DarkenMidtones, DarkensGreysAndKeepsBlackAndWhite) {
  RgbPicture picture = pictureOf(4, 1, 0);
  picture.pixels = {0, 255, 128, 64, 200, 255, 255, 255, 10, 10, 10, 1};
  darkenMidtones(picture, 2.0);
  const std::vector<std::uint8_t> expected = {0, 255, 64, 16, 157, 255, 255, 255, 0, 0, 0, 0};
  EXPECT_EQ(picture.pixels, expected);
}

TEST(MakeGrey, KeepsBrightnessAndDropsTheTint) {
  RgbPicture picture = pictureOf(3, 1, 0);
  setPixel(picture, 0, 0, 255, 255, 255);
  setPixel(picture, 1, 0, 255, 0, 0);
  setPixel(picture, 2, 0, 40, 40, 200);
  makeGrey(picture);
  const std::vector<std::uint8_t> expected = {255, 255, 255, 76, 76, 76, 58, 58, 58};
  EXPECT_EQ(picture.pixels, expected);
}

}  // namespace
}  // namespace pentrill
