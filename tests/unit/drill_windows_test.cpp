// The drill's figure and hint-picture windows: which it opens and closes, in
// which order and at which moment, against recording picture windows that
// note what the screen showed at every call.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/fakes/manual_clock.h"
#include "../bitmap_maker.h"
#include "backends/posix_files.h"
#include "fullscreen/drill_screen.h"
#include "tests/fakes/memory_console.h"
#include "tests/fakes/recording_windows.h"

namespace pentrill {
namespace {

using Call = RecordingWindows::Call;

// Also notes the question identifier on the screen at every call.
class WatchingWindows : public RecordingWindows {
 public:
  explicit WatchingWindows(const MemoryConsole& console) : console_(console) {}

  int openPictureWindow(std::string_view caption, int left, int top, int width, int height) override {
    seen.push_back(idOnScreen());
    return RecordingWindows::openPictureWindow(caption, left, top, width, height);
  }
  void drawPicture(int handle, std::span<const unsigned char> bitmap, int left, int top, int right,
                   int bottom) override {
    seen.push_back(idOnScreen());
    RecordingWindows::drawPicture(handle, bitmap, left, top, right, bottom);
  }
  void closePictureWindow(int handle) override {
    seen.push_back(idOnScreen());
    RecordingWindows::closePictureWindow(handle);
  }

  std::vector<std::string> seen;  // per call: the identifier shown at row 2, blank when cleared

 private:
  std::string idOnScreen() const { return console_.text(2, 15, 19); }
  const MemoryConsole& console_;
};

struct NoSound : Sound {
  void playAlert() override {}
};

// E5 in sequence order from E5C10, whose three questions show Figure 5-1,
// in a working directory with a hints file and its picture.
class DrillWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    directory_ = std::filesystem::temp_directory_path() / ("pentrill-drill-windows-" + std::to_string(getpid()));
    std::filesystem::create_directories(directory_ / "Figures");
    std::filesystem::current_path(directory_);
    std::ofstream("hints.txt") << "E5C12: [p. 9] The current leads. ~Figure phase.bmp\n";
    testing::writeFile("Figures/phase.bmp", testing::makeBitmap({.width = 120, .height = 80}));
    console.onWait = [this](int ms) { clock.advanceMilliseconds(ms); };
    const auto& e5 = pool2020To2024().subelements[5].questions;
    for (size_t r = 0; r < e5.size(); ++r)
      if (e5[r].id == "E5C10") startRow = static_cast<int>(r) + 1;
    ASSERT_GT(startRow, 0);
    std::string keys = "s";  // appended: GCC 12 at -O3 misreads "s" + std::string&& as an overlapping copy
    keys += std::to_string(startRow);
    keys += '\r';
    console.typeKeys(keys);
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(directory_);
  }

  std::string correctOnScreen() const { return std::string(1, drill->question().correct); }
  void answerRight() {
    console.typeLater([this] { return correctOnScreen(); });
  }

  // The session starts here, after the test has written its hints file.
  void run() {
    Session session(pool2020To2024(), clock, files);
    drill.emplace(subelementDrill(session, 5));
    try {
      runDrill(*drill, view, true);
    } catch (const ScriptExhausted&) {
    }
  }

  MemoryConsole console;
  ManualClock clock{2026, 12, 7, 10, 0, 0};
  NoSound sound;
  WatchingWindows windows{console};
  PosixFiles files;
  Platform platform{console, windows, sound, clock, files};
  FullDrillView view{platform};
  std::optional<Drill> drill;
  int startRow = 0;

 private:
  std::filesystem::path previous_;
  std::filesystem::path directory_;
};

TEST_F(DrillWindows, EachFigureQuestionOpensItsWindowAfterTheOldOneIsClosedBeforeTheScreenClears) {
  answerRight();  // E5C10
  answerRight();  // E5C11
  answerRight();  // E5C12
  console.typeKeys("s");  // on E5C13, which has no figure
  run();

  const std::vector<Call>& calls = windows.calls;
  ASSERT_EQ(calls.size(), 9u);
  const Call::Kind expected[] = {Call::Kind::Open, Call::Kind::Draw,  Call::Kind::Close,
                                 Call::Kind::Open, Call::Kind::Draw,  Call::Kind::Close,
                                 Call::Kind::Open, Call::Kind::Draw,  Call::Kind::Close};
  for (size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(calls[i].kind, expected[i]) << "call " << i;
  for (size_t open : {0u, 3u, 6u}) {
    EXPECT_EQ(calls[open].caption, "Figure 5-1");
    EXPECT_EQ(calls[open].left, 1000);
    EXPECT_EQ(calls[open].top, 100);
    EXPECT_EQ(calls[open].width, 640);
    EXPECT_EQ(calls[open].height, 686);
  }
  // Each close is of the window opened last, while its question is still on
  // the screen; each open comes before its question is drawn.
  for (size_t close : {2u, 5u, 8u}) EXPECT_EQ(calls[close].handle, calls[close - 2].handle);
  EXPECT_EQ(windows.seen[2], "E5C10");
  EXPECT_EQ(windows.seen[5], "E5C11");
  EXPECT_EQ(windows.seen[8], "E5C12");
  EXPECT_EQ(windows.seen[3], "     ");
  // E5C13 has no figure: nothing is open while it waits, and S has nothing
  // to close.
  EXPECT_TRUE(windows.open.empty()) << "a figure window left open";
}

TEST_F(DrillWindows, HintPictureAndFigureAreBothClosedOnTheNextQuestionAndOnStop) {
  answerRight();          // E5C10
  answerRight();          // E5C11
  console.typeKeys("h");  // E5C12: the hint and its picture
  console.typeKeys("h");  // again: the first picture is replaced
  answerRight();          // E5C12 done: both windows close
  console.typeKeys("s");
  run();

  std::vector<int> opened, closed;
  for (const Call& call : windows.calls) {
    if (call.kind == Call::Kind::Open) opened.push_back(call.handle);
    if (call.kind == Call::Kind::Close) closed.push_back(call.handle);
  }
  ASSERT_EQ(opened.size(), 5u);  // three figures, two hint pictures
  EXPECT_TRUE(windows.open.empty()) << "a window left open after the question changed";
  // After E5C12's figure (calls 6 and 7) comes its hint picture.
  const Call& hintOpen = windows.calls[8];
  EXPECT_EQ(hintOpen.kind, Call::Kind::Open);
  EXPECT_EQ(hintOpen.caption, "");
  EXPECT_EQ(hintOpen.left, 1920 - 220);
  EXPECT_EQ(hintOpen.top, 50);
  EXPECT_EQ(hintOpen.width, 120);
  EXPECT_EQ(hintOpen.height, 80);
  EXPECT_EQ(windows.seen[8], "E5C12");
  // The second H closes the first picture before it opens the next one.
  EXPECT_EQ(windows.calls[10].kind, Call::Kind::Close);
  EXPECT_EQ(windows.calls[10].handle, hintOpen.handle);
  EXPECT_EQ(windows.calls[11].kind, Call::Kind::Open);
}

TEST_F(DrillWindows, StopClosesTheFigureAndTheHintPicture) {
  answerRight();
  answerRight();
  console.typeKeys("hs");  // E5C12: hint picture open, then stop
  run();
  EXPECT_TRUE(windows.open.empty());
  ASSERT_GE(windows.calls.size(), 2u);
  EXPECT_EQ(windows.calls.back().kind, Call::Kind::Close);
  EXPECT_EQ(windows.seen.back(), "E5C12");
}

}  // namespace
}  // namespace pentrill

namespace pentrill {
namespace {

// A question without a figure whose hint names a picture: the label, and F
// draws that picture; a hint naming a picture that cannot be read gives none.
TEST_F(DrillWindows, FDrawsTheHintsPictureOnAQuestionWithoutAFigure) {
  std::ofstream("hints.txt") << "E5D01: [p. 9] See the phase. ~Figure phase.bmp\n"
                             << "E5D02: [p. 9] See nothing. ~Figure missing.bmp\n";
  answerRight();  // E5C10
  answerRight();  // E5C11
  answerRight();  // E5C12
  console.typeLater([&] {
    EXPECT_EQ(console.text(2, 15, 19), "E5D01");
    EXPECT_EQ(console.text(25, 70, 75), "Figure");
    return "F";
  });
  console.typeLater([&] {
    EXPECT_EQ(console.figureShown(), "Figure phase");
    EXPECT_EQ(console.figureBytes(), std::filesystem::file_size("Figures/phase.bmp"));
    return "q";
  });
  answerRight();  // E5D01
  console.typeLater([&] {
    EXPECT_EQ(console.text(2, 15, 19), "E5D02");
    EXPECT_EQ(console.text(25, 70, 75), "      ");
    return "f";
  });
  console.typeKeys("s");
  run();
  EXPECT_EQ(console.figuresShown(), 1);
}

}  // namespace
}  // namespace pentrill
