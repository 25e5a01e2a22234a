// The figure table of the pool and the figure viewer, against recording
// picture windows.
#include "screen/figures.h"

#include <gtest/gtest.h>

#include "resources/bitmap_header.h"
#include "screen/recording_windows.h"

namespace pentrill {
namespace {

using Call = RecordingWindows::Call;

TEST(FigureTable, EveryFigureIsTheBitmapItsRowDescribes) {
  const PoolEdition& edition = pool2020To2024();
  ASSERT_EQ(edition.figureTable.size(), 10u);
  for (const Figure& figure : edition.figureTable) {
    std::optional<BitmapHeader> header = readBitmapHeader(figure.bitmap);
    ASSERT_TRUE(header) << figure.reference;
    EXPECT_EQ(header->width, figure.width) << figure.reference;
    EXPECT_EQ(header->height, figure.height) << figure.reference;
    EXPECT_EQ(header->bitsPerPixel, 24) << figure.reference;
    EXPECT_EQ(figure.bitmap.size(), 54u + 1920u * static_cast<size_t>(figure.height)) << figure.reference;
  }
  EXPECT_EQ(edition.figureTable[0].reference, "Figure:E5-1");
  EXPECT_EQ(edition.figureTable[0].caption, "Figure 5-1");
  EXPECT_EQ(edition.figureTable[0].height, 686);
  EXPECT_EQ(edition.figureTable[9].reference, "Figure:E9-3");
  EXPECT_EQ(edition.figureTable[9].height, 640);
}

TEST(FigureReference, IsTheIdFieldFromFigureOn) {
  EXPECT_EQ(figureReference("E5C10 Figure:E5-1"), "Figure:E5-1");
  EXPECT_EQ(figureReference("E5C09"), "");
}

TEST(ShowFigure, OpensTheCaptionedWindowBesideTheTerminalAndFillsItWithTheFigure) {
  RecordingWindows windows;
  windows.nextHandle = 7;
  int handle = 0;
  const PoolEdition& edition = pool2020To2024();
  showFigure(windows, edition.figureTable, "Figure:E5-1", handle);
  EXPECT_EQ(handle, 7);
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
  EXPECT_EQ(draw.bitmap, edition.figureTable[0].bitmap.data());
}

TEST(ShowFigure, AnUnknownOrInexactReferenceOpensNothing) {
  RecordingWindows windows;
  int handle = 0;
  for (const char* reference : {"Figure:E5-4", "figure:E5-1", "Figure:E5-1 ", "E5C10 Figure:E5-1", ""})
    showFigure(windows, pool2020To2024().figureTable, reference, handle);
  EXPECT_TRUE(windows.calls.empty());
  EXPECT_EQ(handle, 0);
}

}  // namespace
}  // namespace pentrill
