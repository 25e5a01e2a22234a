// Figures drawn inside the terminal by the real program (F on a question
// with a figure): in symbols as libvterm shows them, as a sixel image for a
// terminal that says it has sixel graphics (decoded with sixel2png), after
// the wait for a terminal that answers nothing, and without libchafa.
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "pty_terminal.h"

namespace pentrill::e2e {
namespace {

constexpr const char* kBinary = PENTRILL_BINARY;
constexpr const char* kFigureFile = PENTRILL_SOURCE_DIR "/resources/figures/2020-2024/E5-1.bmp";
constexpr int kFigureWidth = 640;
constexpr int kFigureHeight = 686;
constexpr const char* kMenuPrompt = "Pick the sub element you want to practice (0-9, P, ?)";
constexpr const char* kOrderPrompt = "Do you want the questions to be presented [R]andomly or in [S]equence?";
constexpr const char* kReturnPrompt = "Press any key to return to the question.";
constexpr const char* kDeviceAttributesQuery = "\x1b[c";
constexpr int kBarRow = 25;

// A grey picture, row by row from the top, 0 black to 255 white.
struct GreyPicture {
  int width = 0;
  int height = 0;
  std::vector<double> pixels;
  double at(int x, int y) const { return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
};

double luma(int red, int green, int blue) { return 0.299 * red + 0.587 * green + 0.114 * blue; }

// The figure's file (a bottom-up 24-bit bitmap) in grey.
GreyPicture figureInGrey() {
  std::ifstream in(kFigureFile, std::ios::binary);
  const std::vector<unsigned char> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  GreyPicture picture{kFigureWidth, kFigureHeight, {}};
  if (file.size() < 54) return {};
  const size_t rowBytes = (static_cast<size_t>(kFigureWidth) * 3 + 3) / 4 * 4;
  const size_t offset = file[10] | (file[11] << 8) | (file[12] << 16) | (static_cast<size_t>(file[13]) << 24);
  for (int y = 0; y < kFigureHeight; ++y) {
    const unsigned char* row = file.data() + offset + rowBytes * static_cast<size_t>(kFigureHeight - 1 - y);
    for (int x = 0; x < kFigureWidth; ++x) picture.pixels.push_back(luma(row[3 * x + 2], row[3 * x + 1], row[3 * x]));
  }
  return picture;
}

// The mean and the darkest of the pixels a block of the picture covers,
// for a grid of `columns` x `rows` blocks.
struct Block {
  double mean = 255;
  double darkest = 255;
};
Block blockOf(const GreyPicture& picture, int columns, int rows, int column, int row) {
  const int x0 = column * picture.width / columns, x1 = std::max(x0 + 1, (column + 1) * picture.width / columns);
  const int y0 = row * picture.height / rows, y1 = std::max(y0 + 1, (row + 1) * picture.height / rows);
  Block block{0, 255};
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      block.mean += picture.at(x, y);
      block.darkest = std::min(block.darkest, picture.at(x, y));
    }
  block.mean /= (x1 - x0) * (y1 - y0);
  return block;
}

// The grey of a colour of the 256-colour palette (-1: the terminal's
// default background, white here).
double paletteGrey(int index) {
  if (index < 0) return 255;
  if (index < 16) {
    const int ansi = paletteFromAnsi(index);  // back to ANSI order
    const int level = ansi & 8 ? 255 : 205;
    return ansi == 0 ? 0 : ansi == 8 ? 127 : ansi == 7 ? 229 : luma(ansi & 1 ? level : 0, ansi & 2 ? level : 0, ansi & 4 ? level : 0);
  }
  if (index >= 232) return 8 + 10 * (index - 232);
  static constexpr int kLevels[] = {0, 95, 135, 175, 215, 255};
  const int cube = index - 16;
  return luma(kLevels[cube / 36], kLevels[cube / 6 % 6], kLevels[cube % 6]);
}

// The picture's cells as the figure region: as large as fits in the 100 x 41
// cells above the caption with the aspect kept, on the 10 x 20 pixel cells
// a terminal that reports no pixel size is taken to have, centred.
struct Region {
  int row, column, width, height;
};
Region expectedRegion() {
  const double scale = std::min(100.0 * 10 / kFigureWidth, 41.0 * 20 / kFigureHeight);
  const int width = static_cast<int>(std::lround(kFigureWidth * scale / 10));
  const int height = static_cast<int>(std::lround(kFigureHeight * scale / 20));
  return {1 + (41 - height) / 2, 1 + (100 - width) / 2, width, height};
}

bool chafaLoaded(pid_t pid) {
  std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
  const std::string text{std::istreambuf_iterator<char>(maps), std::istreambuf_iterator<char>()};
  return text.find("libchafa") != std::string::npos;
}

// Equal screens but for the run clock, which ticks every second.
::testing::AssertionResult sameButTheClock(const ScreenSnapshot& a, const ScreenSnapshot& b) {
  for (int row = 1; row <= a.rows; ++row)
    for (int column = 1; column <= a.columns; ++column)
      if (!(row == kBarRow && column >= 60 && column <= 67) && !(a.at(row, column) == b.at(row, column)))
        return ::testing::AssertionFailure() << "first difference at (" << row << ", " << column << "):\n"
                                             << a.differences(b);
  return ::testing::AssertionSuccess();
}

class TerminalFigures : public ::testing::Test {
 protected:
  void start(PtyOptions options = {}) { term = std::make_unique<PtyTerminal>(kBinary, std::move(options)); }

  // The condition, then the rest of what the program wrote before it went
  // to sleep in poll(): all of that is in the terminal's buffer by then.
  bool waitForWhole(const std::function<bool()>& condition) {
    if (!term->waitFor([&] { return condition() && term->asleepInPoll(); })) return false;
    for (size_t size = 0; size != term->received().size();) {
      size = term->received().size();
      term->pump(std::chrono::milliseconds(0));
    }
    return condition();
  }

  // The question screen whole and the program waiting for a key.
  ::testing::AssertionResult questionWaiting(const std::string& id) {
    if (waitForWhole([&] {
          return term->textAt(2, 15, 5) == id && term->textAt(kBarRow, 70, 6) == "Figure" &&
                 term->textAt(kBarRow, 90, 4) == "Peek";
        }))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << id << " not shown:\n" << term->screenDump();
  }

  // From the menu to E5C10 (a question of Figure 5-1), in sequence order.
  ::testing::AssertionResult startAtE5C10() {
    if (auto menu = term->waitForText(20, 20, kMenuPrompt); !menu) return menu;
    term->send("5");
    if (auto order = term->waitForText(21, 15, kOrderPrompt); !order) return order;
    term->send("s");
    if (auto prompt = term->waitForText(23, 15, "Start with Question: "); !prompt) return prompt;
    term->send("38");  // E5A and E5B hold 28 questions: E5C10 is row 38
    term->sendEnter();
    return questionWaiting("E5C10");
  }

  // The figure screen whole: caption, prompt, and the program waiting.
  ::testing::AssertionResult figureWaiting() {
    if (waitForWhole([&] {
          return term->textAt(43, 31, 40) == kReturnPrompt && term->textAt(42, 46, 10) == "Figure 5-1";
        }))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no figure screen:\n" << term->screenDump();
  }

  std::unique_ptr<PtyTerminal> term;
};

// Symbols: each cell of the region is dark when the figure's block under it
// holds a dark line. A block counts as dark when its darkest pixel is darker
// than mid-grey (128); a cell, when a colour it shows (the background, and
// the foreground of any character but a blank) is darker than 160, since a
// one-pixel line averaged into its part of the character comes out grey.
// Tolerance: 93 % of the region's cells agree, 85 % of the dark blocks are
// dark cells and 85 % of the dark cells are dark blocks (measured: 96 %,
// 89 % and 93 %).
constexpr double kDarkCell = 160;
constexpr double kDarkBlock = 128;
TEST_F(TerminalFigures, SymbolsFollowTheFiguresLinesAndAKeyBringsTheQuestionBackExactly) {
  start();
  ASSERT_TRUE(term->waitForText(20, 20, kMenuPrompt));
  EXPECT_FALSE(chafaLoaded(term->pid())) << "libchafa loaded at start-up";
  ASSERT_TRUE(startAtE5C10());
  EXPECT_EQ(term->cell(kBarRow, 70).foreground, 0);
  EXPECT_EQ(term->cell(kBarRow, 70).background, 7);
  const ScreenSnapshot question = term->snapshot();

  term->send("f");
  ASSERT_TRUE(figureWaiting());
  EXPECT_TRUE(chafaLoaded(term->pid()));
  const Region region = expectedRegion();
  const GreyPicture figure = figureInGrey();
  ASSERT_EQ(figure.width, kFigureWidth);
  int agree = 0, darkBlocks = 0, darkCells = 0, darkBlocksShownDark = 0, nonBlank = 0;
  for (int y = 0; y < region.height; ++y)
    for (int x = 0; x < region.width; ++x) {
      const Cell cell = term->cell(region.row + y, region.column + x);
      double shown = paletteGrey(cell.background);
      if (cell.text != " ") {
        shown = std::min(shown, paletteGrey(cell.foreground));
        ++nonBlank;
      }
      const bool cellDark = shown < kDarkCell;
      const bool blockDark = blockOf(figure, region.width, region.height, x, y).darkest < kDarkBlock;
      agree += cellDark == blockDark;
      darkBlocks += blockDark;
      darkCells += cellDark;
      darkBlocksShownDark += blockDark && cellDark;
    }
  const int cells = region.width * region.height;
  EXPECT_GT(nonBlank, cells / 20) << "hardly any symbols drawn:\n" << term->screenDump();
  EXPECT_GT(darkBlocks, cells / 20);
  EXPECT_GE(agree, cells * 93 / 100) << agree << " of " << cells << " cells agree";
  EXPECT_GE(darkBlocksShownDark, darkBlocks * 85 / 100) << darkBlocksShownDark << " of " << darkBlocks;
  EXPECT_GE(darkBlocksShownDark, darkCells * 85 / 100) << darkBlocksShownDark << " of " << darkCells;
  // Nothing of the question shows through around the picture.
  for (int row = 1; row <= 41; ++row) {
    EXPECT_EQ(term->textAt(row, 1, region.column - 1), std::string(static_cast<size_t>(region.column - 1), ' ')) << row;
  }

  // The key that returns is no answer: the same question, exactly as it was.
  term->send("b");
  ASSERT_TRUE(questionWaiting("E5C10"));
  EXPECT_TRUE(sameButTheClock(term->snapshot(), question));
  // The answer after it is taken as one.
  term->send(" ");
  ASSERT_TRUE(term->waitForText(kBarRow, 90, "Peek On"));
}

// Reads a PNG file as grey.
GreyPicture readPng(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
  GreyPicture picture{static_cast<int>(image.width), static_cast<int>(image.height), {}};
  for (size_t i = 0; i + 2 < rgb.size(); i += 3) picture.pixels.push_back(luma(rgb[i], rgb[i + 1], rgb[i + 2]));
  return picture;
}

// Sixel: the image decoded by sixel2png is the region's pixels (10 x 20 a
// cell) and the figure: compared block by block (8 x 8 pixels of the image)
// with the figure scaled to the same size, their means may differ by at most
// 6 of 255 on average, and by more than 48 in at most 0.5 % of the blocks
// (measured: 0.9 on average, no block beyond 48; sixels carry a palette of
// at most 256 colours and chafa scales by its own filter).
TEST_F(TerminalFigures, ATerminalWithSixelGraphicsGetsTheFigureAsASixelImage) {
  PtyOptions options;
  options.deviceAttributes = PtyOptions::DeviceAttributes::Sixel;
  start(options);
  ASSERT_TRUE(startAtE5C10());
  const size_t before = term->received().size();
  term->send("f");
  ASSERT_TRUE(figureWaiting());
  const std::string sent = term->received().substr(before);
  const size_t start = sent.find("\x1bP");
  ASSERT_NE(start, std::string::npos) << "no sixel image sent";
  const size_t end = sent.find("\x1b\\", start);
  ASSERT_NE(end, std::string::npos);
  const std::string folder = term->workingDirectory();
  {
    std::ofstream out(folder + "/figure.six", std::ios::binary);
    out << sent.substr(start, end + 2 - start);
  }
  const std::string command = "/usr/bin/sixel2png -i '" + folder + "/figure.six' -o '" + folder + "/figure.png'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  const GreyPicture shown = readPng(folder + "/figure.png");
  const Region region = expectedRegion();
  ASSERT_GT(shown.width, 0);
  EXPECT_NEAR(shown.width, region.width * 10, 10);
  EXPECT_NEAR(shown.height, region.height * 20, 20);

  const GreyPicture figure = figureInGrey();
  const int columns = shown.width / 8, rows = shown.height / 8;
  double difference = 0;
  int far = 0;
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < columns; ++x) {
      const double delta = std::abs(blockOf(shown, columns, rows, x, y).mean - blockOf(figure, columns, rows, x, y).mean);
      difference += delta;
      far += delta > 48;
    }
  difference /= columns * rows;
  EXPECT_LT(difference, 6) << "mean difference of the blocks";
  EXPECT_LE(far, columns * rows / 200) << far << " of " << columns * rows << " blocks far apart";

  term->send("q");
  EXPECT_TRUE(questionWaiting("E5C10"));
}

// A terminal that answers nothing: symbols after the wait, the keys typed
// meanwhile taken in order (the first returns, the space turns peek on), and
// the terminal asked only once in the run.
TEST_F(TerminalFigures, ATerminalThatDoesNotAnswerGetsSymbolsAndKeepsTheKeysTypedMeanwhile) {
  PtyOptions options;
  options.deviceAttributes = PtyOptions::DeviceAttributes::Silent;
  start(options);
  ASSERT_TRUE(startAtE5C10());
  const size_t before = term->received().size();
  term->send("F");
  ASSERT_TRUE(term->waitForBytes(kDeviceAttributesQuery, before));
  term->send("x ");
  ASSERT_TRUE(term->waitForText(kBarRow, 90, "Peek On")) << term->screenDump();
  EXPECT_TRUE(questionWaiting("E5C10"));
  const std::string sent = term->received().substr(before);
  EXPECT_NE(sent.find(kReturnPrompt), std::string::npos) << "the figure screen was not drawn";
  EXPECT_NE(sent.find("\x1b[38;5;"), std::string::npos) << "no symbols in 256 colours";
  EXPECT_EQ(sent.find("\x1bP"), std::string::npos) << "a sixel image for a terminal that did not say it has sixels";

  term->send("f");
  ASSERT_TRUE(figureWaiting());
  EXPECT_EQ(term->countReceived(kDeviceAttributesQuery), 1u) << "the terminal asked again";
  term->send("\r");
  EXPECT_TRUE(questionWaiting("E5C10"));
  EXPECT_EQ(term->textAt(2, 15, 5), "E5C10") << "Enter was taken as more than the way back";
}

TEST_F(TerminalFigures, WithoutLibchafaOneLineNamesThePackageAndAnyKeyReturns) {
  PtyOptions options;
  options.environment = {"PENTRILL_TEST_CHAFA_LIBRARY=libchafa-not-installed.so.0"};
  options.arguments = {"--figures-in-terminal", "symbols"};
  start(options);
  ASSERT_TRUE(startAtE5C10());
  const ScreenSnapshot question = term->snapshot();
  term->send("f");
  ASSERT_TRUE(waitForWhole(
      [&] { return term->textAt(21, 9, 58) == "Figures in the terminal need the Debian package libchafa0."; }))
      << term->screenDump();
  EXPECT_EQ(term->countReceived(kDeviceAttributesQuery), 0u) << "asked although the protocol was given";
  term->click(30, 50);
  ASSERT_TRUE(questionWaiting("E5C10"));
  EXPECT_TRUE(sameButTheClock(term->snapshot(), question));
}

// A resize while the figure is shown draws it again for the new size; a
// terminal made too small shows the notice, and the figure comes back when
// it is large enough again.
TEST_F(TerminalFigures, AResizeDrawsTheFigureAgain) {
  start();
  ASSERT_TRUE(startAtE5C10());
  term->send("f");
  ASSERT_TRUE(figureWaiting());
  const size_t before = term->received().size();
  term->resize(43, 120);
  ASSERT_TRUE(term->waitForBytes(kReturnPrompt, before));
  ASSERT_TRUE(figureWaiting());
  term->resize(30, 80);
  ASSERT_TRUE(term->waitFor([&] { return term->rowText(1).find("Pentrill needs a terminal") != std::string::npos; }));
  term->resize(43, 100);
  ASSERT_TRUE(figureWaiting());
  term->send("a");
  EXPECT_TRUE(questionWaiting("E5C10"));
}

}  // namespace
}  // namespace pentrill::e2e
