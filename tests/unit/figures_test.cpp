// The figure table of the pool and the figure viewer, against recording
// picture windows.
#include "screen/figures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "pool/compressed_bitmap.h"
#include "resources/bitmap_header.h"
#include "tests/fakes/recording_windows.h"

namespace pentrill {
namespace {

using Call = RecordingWindows::Call;

struct FigureFacts {
  const char* name;
  const PoolEdition& (*edition)();
  std::vector<std::string> figures;   // as the questions name them: "E5-1", "T-1"
  std::vector<std::string> captions;  // the window's title
  std::vector<int> heights;
};

void PrintTo(const FigureFacts& facts, std::ostream* out) { *out << facts.name; }

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FigureTableTest : public ::testing::TestWithParam<FigureFacts> {};

TEST_P(FigureTableTest, EveryFigureIsTheBitmapItsRowDescribes) {
  const PoolEdition& edition = GetParam().edition();
  const std::vector<std::string>& names = GetParam().figures;
  ASSERT_EQ(edition.figureTable.size(), names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    const Figure& figure = edition.figureTable[i];
    SCOPED_TRACE(figure.reference);
    EXPECT_EQ(figure.reference, "Figure:" + names[i]);
    EXPECT_EQ(figure.caption, GetParam().captions[i]);
    EXPECT_EQ(figure.width, 640);
    EXPECT_EQ(figure.height, GetParam().heights[i]);
    ASSERT_NE(figure.bitmap, nullptr);
    const std::span<const unsigned char> bytes = inflatedBytes(*figure.bitmap);
    std::optional<BitmapHeader> header = readBitmapHeader(bytes);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->width, figure.width);
    EXPECT_EQ(header->height, figure.height);
    EXPECT_EQ(header->bitsPerPixel, 24);
    EXPECT_EQ(header->compression, 0u);
    EXPECT_EQ(bytes.size(), 54u + 1920u * static_cast<size_t>(figure.height));
    // The description is the text beside the bitmap (an ASCII one byte for
    // byte, without its last line end).
    const std::string text = fileText(std::string(PENTRILL_SOURCE_DIR) + "/resources/figures/" +
                                      std::string(edition.name) + "/" + names[i] + ".txt");
    ASSERT_FALSE(text.empty());
    EXPECT_FALSE(figure.description.empty());
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
      EXPECT_EQ(figure.description, text.substr(0, text.size() - 1));
    }
  }
}

const std::vector<std::string> kExtraFigures{"E5-1", "E6-1", "E6-2", "E6-3", "E7-1",
                                             "E7-2", "E7-3", "E9-1", "E9-2", "E9-3"};
const std::vector<std::string> kExtraCaptions{"Figure 5-1", "Figure 6-1", "Figure 6-2", "Figure 6-3", "Figure 7-1",
                                              "Figure 7-2", "Figure 7-3", "Figure 9-1", "Figure 9-2", "Figure 9-3"};

INSTANTIATE_TEST_SUITE_P(
    Pools, FigureTableTest,
    ::testing::Values(FigureFacts{"extra_2020_2024", &pool2020To2024, kExtraFigures, kExtraCaptions,
                                  {686, 692, 537, 537, 627, 627, 627, 627, 627, 640}},
                      FigureFacts{"extra_2024_2028", &pool2024To2028, kExtraFigures, kExtraCaptions,
                                  {645, 440, 423, 424, 581, 540, 591, 564, 450, 363}},
                      FigureFacts{"technician_2026_2030", &poolTechnician2026To2030, {"T-1", "T-2", "T-3"},
                                  {"Figure T-1", "Figure T-2", "Figure T-3"}, {531, 289, 775}},
                      FigureFacts{"general_2023_2027", &poolGeneral2023To2027, {"G7-1"}, {"Figure G7-1"}, {442}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ShowFigure, OpensTheWindowAtTheHeightOfTheEditionsFigure) {
  RecordingWindows windows;
  FigureWindow window;
  showFigure(windows, pool2024To2028().figureTable[9], window);
  ASSERT_EQ(windows.calls.size(), 2u);
  EXPECT_EQ(windows.calls[0].caption, "Figure 9-3");
  EXPECT_EQ(windows.calls[0].height, 363);
  EXPECT_EQ(windows.calls[1].bitmap, inflatedBytes(*pool2024To2028().figureTable[9].bitmap).data());
}

TEST(ShowFigure, OpensTheCaptionedWindowBesideTheTerminalAndFillsItWithTheFigure) {
  RecordingWindows windows;
  windows.nextHandle = 7;
  FigureWindow window;
  const PoolEdition& edition = pool2020To2024();
  showFigure(windows, edition.figureTable[0], window);
  EXPECT_EQ(window.handle, 7);
  ASSERT_EQ(windows.calls.size(), 2u);
  const Call& open = windows.calls[0];
  EXPECT_EQ(open.kind, Call::Kind::Open);
  EXPECT_EQ(open.caption, "Figure 5-1");
  EXPECT_EQ(open.left, 1000);
  EXPECT_EQ(open.top, 100);
  EXPECT_EQ(open.width, 640);
  EXPECT_EQ(open.height, 686);
  const Call& draw = windows.calls[1];
  EXPECT_EQ(draw.kind, Call::Kind::Draw);
  EXPECT_EQ(draw.handle, 7);
  EXPECT_EQ(draw.width, 640);
  EXPECT_EQ(draw.height, 686);
  EXPECT_EQ(draw.bitmap, inflatedBytes(*edition.figureTable[0].bitmap).data());
  EXPECT_EQ(draw.bitmapSize, 54u + 1920u * 686u);
}

TEST(ShowFigure, WhenNoWindowOpensNothingIsDrawn) {
  RecordingWindows windows;
  windows.canOpen = false;
  FigureWindow window;
  showFigure(windows, pool2020To2024().figureTable[2], window);
  ASSERT_EQ(windows.calls.size(), 1u);
  EXPECT_EQ(windows.calls[0].kind, Call::Kind::Open);
  EXPECT_EQ(window.handle, 0);
}

// Closing is done once: a second close, or a close with nothing open, calls
// nothing.
TEST(CloseFigure, ClosesTheOpenWindowOnce) {
  RecordingWindows windows;
  windows.nextHandle = 4;
  FigureWindow window;
  closeFigure(windows, window);
  EXPECT_TRUE(windows.calls.empty());
  showFigure(windows, pool2020To2024().figureTable[1], window);
  closeFigure(windows, window);
  closeFigure(windows, window);
  ASSERT_EQ(windows.calls.size(), 3u);
  EXPECT_EQ(windows.calls[2].kind, Call::Kind::Close);
  EXPECT_EQ(windows.calls[2].handle, 4);
  EXPECT_FALSE(window.handle);
  EXPECT_TRUE(windows.open.empty());
}

}  // namespace
}  // namespace pentrill
