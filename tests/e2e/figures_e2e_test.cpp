// Figure and hint-picture windows of the real program on an X display of the
// test's own (Xvfb), with the program in a pseudo-terminal; and the program
// with SDL2 missing, where it must run the same without windows or sound.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "../bitmap_maker.h"
#include "pty_terminal.h"
#include "resources/resources.h"
#include "x_display.h"

namespace pentrill::e2e {
namespace {

using namespace std::chrono_literals;

constexpr const char* kBinary = PENTRILL_BINARY;
constexpr const char* kFigureFile = PENTRILL_SOURCE_DIR "/resources/figures/2020-2024/E5-1.bmp";
constexpr const char* kMenuPrompt = "Pick the sub element you want to practice (0-9, P, ?)";
constexpr const char* kOrderPrompt = "Do you want the questions to be presented [R]andomly or in [S]equence?";
constexpr const char* kMissingSdl = "PENTRILL_TEST_SDL_LIBRARY=libSDL2-not-installed.so.0";
constexpr int kBarRow = 25;
// Generous: the first window also loads SDL2 and starts its video, on a
// machine that may be busy.
constexpr auto kWindowTimeout = 20000ms;

std::vector<unsigned char> fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A bottom-up 24-bit bitmap's pixels as 0xRRGGBB, row by row from the top.
std::vector<unsigned> bitmapPixels(const std::vector<unsigned char>& file, int width, int height) {
  std::vector<unsigned> pixels;
  const size_t rowBytes = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
  const size_t offset = file[10] | (file[11] << 8) | (file[12] << 16) | (static_cast<size_t>(file[13]) << 24);
  for (int y = 0; y < height; ++y) {
    const unsigned char* row = file.data() + offset + rowBytes * static_cast<size_t>(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const unsigned char* pixel = row + 3 * x;
      pixels.push_back(static_cast<unsigned>(pixel[2] << 16 | pixel[1] << 8 | pixel[0]));
    }
  }
  return pixels;
}

// Where the pixels differ, for failure messages.
std::string firstDifference(const std::vector<unsigned>& shown, const std::vector<unsigned>& expected, int width) {
  if (shown.size() != expected.size())
    return "captured " + std::to_string(shown.size()) + " pixels, expected " + std::to_string(expected.size());
  for (size_t i = 0; i < shown.size(); ++i)
    if (shown[i] != expected[i])
      return "first difference at (" + std::to_string(i % static_cast<size_t>(width)) + ", " +
             std::to_string(i / static_cast<size_t>(width)) + ")";
  return "";
}

bool sdlLoaded(pid_t pid) {
  std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
  const std::string text{std::istreambuf_iterator<char>(maps), std::istreambuf_iterator<char>()};
  return text.find("libSDL2") != std::string::npos;
}

// Equal screens but for the run clock, which ticks every second.
bool sameButTheClock(const ScreenSnapshot& a, const ScreenSnapshot& b) {
  for (int row = 1; row <= a.rows; ++row)
    for (int column = 1; column <= a.columns; ++column)
      if (!(row == kBarRow && column >= 60 && column <= 67) && !(a.at(row, column) == b.at(row, column))) return false;
  return true;
}

void waitUntilSettled(PtyTerminal& term) {
  for (int look = 0; look < 20; ++look) {
    const ScreenSnapshot before = term.snapshot();
    term.settle(300ms);
    if (sameButTheClock(before, term.snapshot())) return;
  }
}

// The question with this id, once its screen has stopped changing: the
// terminal receives only what differs from the screen before, in as many
// reads as it takes, so the new id can show before the rest of the frame.
::testing::AssertionResult questionShown(PtyTerminal& term, const std::string& id) {
  if (term.waitFor([&] { return term.textAt(2, 15, 5) == id && term.textAt(kBarRow, 50, 10) == "Run Time: "; })) {
    waitUntilSettled(term);
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << id << " not shown:\n" << term.screenDump();
}

// From the menu to E5C10, in sequence order from its row of the E5 pool.
::testing::AssertionResult startAtE5C10(PtyTerminal& term) {
  if (auto menu = term.waitForText(20, 20, kMenuPrompt); !menu) return menu;
  term.send("5");
  if (auto order = term.waitForText(21, 15, kOrderPrompt); !order) return order;
  term.send("s");
  if (auto prompt = term.waitForText(23, 15, "Start with Question: "); !prompt) return prompt;
  term.send("38");  // E5A and E5B hold 28 questions: E5C10 is row 38
  term.sendEnter();
  return questionShown(term, "E5C10");
}

// The letter peek shows after the id field ("E5C10 Figure:E5-1 C"), or
// nothing.
std::string peekLetter(const PtyTerminal& term) {
  std::string header = term.textAt(2, 15, 30);
  header.erase(header.find_last_not_of(' ') + 1);
  if (header.size() < 7 || header[header.size() - 2] != ' ') return "";
  const char letter = header.back();
  return letter >= 'A' && letter <= 'D' ? std::string(1, letter) : "";
}

std::string peekedLetter(PtyTerminal& term) {
  if (term.textAt(kBarRow, 90, 8) != "Peek On ") term.send(" ");
  term.waitFor([&] { return term.textAt(kBarRow, 90, 8) == "Peek On " && !peekLetter(term).empty(); });
  return peekLetter(term);
}

// Turns peek on and answers the question on the screen right.
::testing::AssertionResult answerRight(PtyTerminal& term) {
  const std::string letter = peekedLetter(term);
  if (letter.empty()) return ::testing::AssertionFailure() << "peek did not come on:\n" << term.screenDump();
  term.send(letter);
  return ::testing::AssertionSuccess();
}

std::string describe(const std::vector<XWindowInfo>& windows) {
  std::string text;
  for (const XWindowInfo& window : windows)
    text += "\n  \"" + window.title + "\" of process " + std::to_string(window.pid) + ", " + std::to_string(window.width) +
            " x " + std::to_string(window.height) + " at (" + std::to_string(window.x) + ", " + std::to_string(window.y) +
            ")";
  return text;
}

class FigureWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    // Only a machine without Xvfb skips these; one where it fails to start fails them.
    if (!display.installed()) GTEST_SKIP() << "no picture-window tests: " << display.whyNot();
    ASSERT_TRUE(display.available()) << display.whyNot();
  }

  PtyOptions withDisplay(std::vector<std::string> more = {}) {
    PtyOptions options;
    options.environment = {std::string("DISPLAY=").append(display.name()), "SDL_AUDIODRIVER=dummy"};
    options.environment.insert(options.environment.end(), more.begin(), more.end());
    return options;
  }

  static auto ownedBy(pid_t pid, const std::string& title) {
    return [pid, title](const XWindowInfo& window) { return window.pid == pid && window.title == title; };
  }

  XvfbDisplay display;
};

TEST_F(FigureWindows, QuestionWithAFigureOpensItBesideTheTerminalWithoutTakingTheKeyboard) {
  const unsigned long terminalWindow = display.createFocusWindow();
  PtyTerminal term(kBinary, withDisplay());
  ASSERT_TRUE(term.waitForText(20, 20, kMenuPrompt));
  EXPECT_FALSE(sdlLoaded(term.pid())) << "SDL2 loaded before anything needed it";
  ASSERT_TRUE(startAtE5C10(term));

  std::optional<XWindowInfo> figure = display.waitForWindow(ownedBy(term.pid(), "Figure 5-1"), kWindowTimeout);
  ASSERT_TRUE(figure) << "no window titled \"Figure 5-1\" of the program; windows: " << describe(display.windows());
  // A key typed right after the window appears reaches the question.
  term.send(" ");
  EXPECT_TRUE(term.waitForText(kBarRow, 90, "Peek On "));
  EXPECT_EQ(figure->width, 640);
  EXPECT_EQ(figure->height, 686);
  EXPECT_EQ(figure->x, 1000);  // no window manager, so no frame: the window's corner is the outer one
  EXPECT_EQ(figure->y, 100);
  EXPECT_EQ(display.focusWindow(), terminalWindow) << "the figure window took the keyboard";
  EXPECT_FALSE(figure->acceptsFocus) << "window managers would give the figure window the keyboard";

  const std::vector<unsigned char> file = fileBytes(kFigureFile);
  ASSERT_FALSE(file.empty()) << kFigureFile;
  const std::vector<unsigned> expected = bitmapPixels(file, 640, 686);
  std::vector<unsigned> shown;
  // The picture is drawn just after the window appears.
  for (int attempt = 0; attempt < 100 && shown != expected; ++attempt) {
    std::this_thread::sleep_for(50ms);
    shown = display.capture(*figure);
  }
  EXPECT_TRUE(shown == expected) << "the window does not show the figure: "
                                 << firstDifference(shown, expected, 640);

  // E5C11 shows the same figure in a new window; the old one is gone.
  ASSERT_TRUE(answerRight(term));
  ASSERT_TRUE(questionShown(term, "E5C11"));
  std::optional<XWindowInfo> next = display.waitForWindow(
      [&](const XWindowInfo& window) { return ownedBy(term.pid(), "Figure 5-1")(window) && window.id != figure->id; },
      kWindowTimeout);
  ASSERT_TRUE(next) << "E5C11 opened no figure window";
  EXPECT_TRUE(display.waitForNoWindow([&](const XWindowInfo& window) { return window.id == figure->id; }, 5000ms))
      << "E5C10's window outlived its question";

  // E5C12 has the figure, E5D01 none: after it, no figure window is left.
  ASSERT_TRUE(answerRight(term));
  ASSERT_TRUE(questionShown(term, "E5C12"));
  ASSERT_TRUE(answerRight(term));
  ASSERT_TRUE(questionShown(term, "E5D01"));
  EXPECT_TRUE(display.waitForNoWindow(ownedBy(term.pid(), "Figure 5-1"), 5000ms));
  EXPECT_EQ(display.focusWindow(), terminalWindow);

  term.send("s");
  ASSERT_TRUE(term.waitForText(20, 20, kMenuPrompt));
  term.sendEscape();
  std::optional<ExitStatus> status = term.waitExit(20000ms);
  ASSERT_TRUE(status);
  EXPECT_EQ(status->shellStatus(), 0);
}

TEST_F(FigureWindows, WithoutADisplayTheSameQuestionOpensNothingAndLoadsNoSdl) {
  PtyTerminal term(kBinary);  // the harness passes no DISPLAY on
  ASSERT_TRUE(startAtE5C10(term));
  term.settle(1000ms);
  EXPECT_TRUE(display.windows().empty());
  EXPECT_FALSE(sdlLoaded(term.pid())) << "SDL2 loaded for a window that cannot open";
  ASSERT_TRUE(answerRight(term));
  ASSERT_TRUE(questionShown(term, "E5C11"));
}

TEST_F(FigureWindows, HintLabelHAndTheHintPictureFromTheWorkingDirectory) {
  const std::filesystem::path directory =
      std::filesystem::temp_directory_path() / ("pentrill-hint-e2e-" + std::to_string(getpid()));
  std::filesystem::create_directories(directory / "Figures" / "e5");
  std::ofstream(directory / "hints.txt") << "' E5 hints\n"
                                            "E5C10: [p. 4-12] Look at the phase angle. ~Figure e5\\circuit.bmp\n";
  const testing::BitmapShape shape{.width = 120, .height = 80};
  testing::writeFile((directory / "Figures" / "e5" / "circuit.bmp").string(), testing::makeBitmap(shape));

  PtyOptions options = withDisplay();
  options.workingDirectory = directory.string();
  PtyTerminal term(kBinary, options);
  ASSERT_TRUE(startAtE5C10(term));
  EXPECT_TRUE(term.waitForText(kBarRow, 80, "Hint"));
  term.send("h");
  EXPECT_TRUE(term.waitForText(27, 2, "The Correct Answer is: "));
  EXPECT_TRUE(term.waitForText(29, 2, "[p. 4-12] Look at the phase angle."));

  std::optional<XWindowInfo> picture = display.waitForWindow(
      [&](const XWindowInfo& window) { return window.pid == term.pid() && window.width == 120; }, kWindowTimeout);
  ASSERT_TRUE(picture) << "no hint picture window";
  EXPECT_EQ(picture->title, "");
  EXPECT_EQ(picture->height, 80);
  EXPECT_EQ(picture->x, 1920 - (100 + 120));
  EXPECT_EQ(picture->y, 50);
  std::vector<unsigned> expected;
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 120; ++x) {
      const testing::Rgb colour = testing::patternColour(x, y);
      expected.push_back(static_cast<unsigned>(colour.r << 16 | colour.g << 8 | colour.b));
    }
  std::vector<unsigned> shown;
  for (int attempt = 0; attempt < 100 && shown != expected; ++attempt) {
    std::this_thread::sleep_for(50ms);
    shown = display.capture(*picture);
  }
  EXPECT_TRUE(shown == expected) << "the hint window does not show the picture: "
                                 << firstDifference(shown, expected, 120);

  // The next question closes both the figure and the hint picture.
  ASSERT_TRUE(answerRight(term));
  ASSERT_TRUE(questionShown(term, "E5C11"));
  EXPECT_TRUE(display.waitForNoWindow([&](const XWindowInfo& window) { return window.id == picture->id; }, 5000ms));
  EXPECT_TRUE(term.waitForText(kBarRow, 80, "    "));  // E5C11 has no hint
  term.send("s");
  ASSERT_TRUE(term.waitForText(20, 20, kMenuPrompt));
  term.sendEscape();
  EXPECT_TRUE(term.waitExit(20000ms));
  std::filesystem::remove_all(directory);
}

// The alert's samples as they sit in its data chunk.
std::vector<unsigned char> alertSamples() {
  std::span<const unsigned char> file = alertSoundWave();
  const std::string_view id = "data";
  auto at = std::search(file.begin(), file.end(), id.begin(), id.end());
  if (file.end() - at < 8) return {};
  return {at + 8, file.end()};
}

bool contains(const std::vector<unsigned char>& haystack, const std::vector<unsigned char>& needle) {
  return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

// A wrong answer to the question on the screen.
void answerWrong(PtyTerminal& term) { term.send(peekedLetter(term) == "A" ? "b" : "a"); }

// SDL's disk audio driver writes what it plays to a file: the test hears the
// alert there.
TEST(SdlAtRunTime, TheAlertPlaysThroughTheSdlLoadedForIt) {
  const std::string output =
      (std::filesystem::temp_directory_path() / ("pentrill-e2e-alert-" + std::to_string(getpid()) + ".raw")).string();
  PtyOptions options;
  options.environment = {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + output};
  PtyTerminal term(kBinary, options);
  ASSERT_TRUE(startAtE5C10(term));
  EXPECT_FALSE(sdlLoaded(term.pid()));
  answerWrong(term);
  ASSERT_TRUE(term.waitForText(22, 29, "We will come back to this question again."));
  const std::vector<unsigned char> samples = alertSamples();
  ASSERT_GT(samples.size(), 9000u);
  EXPECT_TRUE(term.waitFor([&] { return contains(fileBytes(output), samples); }, 20000ms))
      << "the alert never reached the sound device";
  EXPECT_TRUE(sdlLoaded(term.pid()));
  term.send("x");
  ASSERT_TRUE(questionShown(term, "E5C11"));
  term.send("s");
  std::filesystem::remove(output);
}

TEST_F(FigureWindows, WithoutTheSdlLibraryTheWholeDrillRunsSilentlyAndWithoutWindows) {
  const std::string output =
      (std::filesystem::temp_directory_path() / ("pentrill-e2e-silent-" + std::to_string(getpid()) + ".raw")).string();
  PtyTerminal term(kBinary, withDisplay({kMissingSdl, "SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + output}));
  ASSERT_TRUE(startAtE5C10(term));
  // Every question from E5C10 to the end of E5, one of them answered wrongly
  // first; figure questions among them.
  answerWrong(term);
  ASSERT_TRUE(term.waitForText(22, 29, "We will come back to this question again."));
  term.send("x");
  ASSERT_TRUE(questionShown(term, "E5C11"));
  for (int answered = 0; answered < 60; ++answered) {
    if (term.textAt(20, 17, 10) == "You have c") break;
    const std::string id = term.textAt(2, 15, 5);
    ASSERT_TRUE(answerRight(term));
    term.waitFor([&] { return term.textAt(2, 15, 5) != id || term.textAt(20, 17, 10) == "You have c"; });
    waitUntilSettled(term);
    ASSERT_NE(term.textAt(23, 29, 20), "      Press any key ") << "a right answer was taken as wrong";
  }
  // The wrongly answered E5C10 came back at the end of the sequence.
  ASSERT_TRUE(term.waitForText(20, 17, "You have correctly answered all of the questions in this section."));
  EXPECT_TRUE(display.windows().empty()) << "a window opened without SDL2";
  EXPECT_FALSE(std::filesystem::exists(output)) << "a sound played without SDL2";
  EXPECT_FALSE(sdlLoaded(term.pid()));
  term.send("n");
  std::optional<ExitStatus> status = term.waitExit(20000ms);
  ASSERT_TRUE(status);
  EXPECT_EQ(status->shellStatus(), 0);
}

}  // namespace
}  // namespace pentrill::e2e
