// Hints: the file reader over bytes, the index and lookup rules, and the
// hints shown from a hints.txt in a scratch working directory, against the
// in-memory console and recording picture windows.
#include "session/hints.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../bitmap_maker.h"
#include "resources/bitmap_header.h"
#include "tests/fakes/memory_console.h"
#include "tests/fakes/recording_windows.h"
#include "backends/posix_files.h"
#include "fullscreen/drill_screen.h"

namespace pentrill {
namespace {

using Call = RecordingWindows::Call;
using testing::BitmapShape;
using testing::makeBitmap;

std::vector<std::string> linesOf(std::string_view bytes, size_t piece = 0) {
  std::vector<std::string> lines;
  HintFileReader reader;
  auto sink = [&lines](std::string_view line) {
    lines.emplace_back(line);
    return true;
  };
  if (piece == 0) piece = bytes.size() + 1;
  for (size_t at = 0; at < bytes.size(); at += piece)
    if (!reader.feed(bytes.substr(at, piece), sink)) break;
  reader.finish(sink);
  return lines;
}

TEST(HintFileReader, EndsLinesAtCrLfCrOrLfAloneInPiecesOfAnySize) {
  const std::vector<std::string> expected = {"one", "two", "", "three", "four"};
  for (size_t piece : {0, 1, 2, 3}) {
    SCOPED_TRACE("pieces of " + std::to_string(piece));
    EXPECT_EQ(linesOf("one\r\ntwo\r\n\r\nthree\r\nfour", piece), expected);
    EXPECT_EQ(linesOf("one\ntwo\n\nthree\nfour\n", piece), expected);
    EXPECT_EQ(linesOf("one\rtwo\r\rthree\rfour\r", piece), expected);
    // A CR LF split across two pieces is still one line end.
    EXPECT_EQ(linesOf("one\r\ntwo\n\rthree\r\n\nfour", piece),
              (std::vector<std::string>{"one", "two", "", "three", "", "four"}));
  }
}

TEST(HintFileReader, CtrlZEndsTheFile) {
  EXPECT_EQ(linesOf("one\r\ntwo\x1A" "after\r\nmore\r\n"), (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(linesOf("one\r\n\x1A"), (std::vector<std::string>{"one"}));
}

TEST(HintFileReader, ReadsUtf8WithOrWithoutByteOrderMarkAsWindows1252) {
  // En dash and euro sign exist in Windows-1252 (0x96, 0x80); omega does not.
  const std::string utf8 = "E5C10: 10 \xE2\x82\xAC \xE2\x80\x93 5 \xCE\xA9 ]";
  const std::string windows1252 = "E5C10: 10 \x80 \x96 5 ? ]";
  EXPECT_EQ(linesOf(utf8), std::vector<std::string>{windows1252});
  EXPECT_EQ(linesOf("\xEF\xBB\xBF" + utf8 + "\r\n" + utf8), (std::vector<std::string>{windows1252, windows1252}));
  // A Windows-1252 file stays as it is: its en dash is no valid UTF-8.
  EXPECT_EQ(linesOf(windows1252), std::vector<std::string>{windows1252});
  // After a byte-order mark, broken UTF-8 shows as "?".
  EXPECT_EQ(linesOf("\xEF\xBB\xBF" "a\x96" "b"), std::vector<std::string>{"a?b"});
  // The mark counts only at the very start of the file.
  EXPECT_EQ(linesOf("x\r\n\xEF\xBB\xBFy\x96"), (std::vector<std::string>{"x", "\xEF\xBB\xBFy\x96"}));
}

TEST(HintFileReader, KeepsOnlyTheStartOfAnEndlessLine) {
  std::string huge(3 * kHintLineLimit, 'x');
  const std::vector<std::string> lines = linesOf(huge + "\nnext", 4096);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), kHintLineLimit);
  EXPECT_EQ(lines[1], "next");
}

TEST(HintRules, IndexKeyNeedsColonBlankBeforeTheFirstBracket) {
  EXPECT_EQ(hintIndexKey("E5C10: [p. 12] the words"), "E5C10");
  EXPECT_EQ(hintIndexKey(": [p. 12]"), "");  // an empty key still counts
  EXPECT_EQ(hintIndexKey(" E1A01: [p. 3]"), " E1A01");
  EXPECT_EQ(hintIndexKey("E1A01: no bracket at all"), std::nullopt);
  EXPECT_EQ(hintIndexKey("E2B03:[p. 4] no blank after the colon"), std::nullopt);
  EXPECT_EQ(hintIndexKey("E2B03 [p. 4]: the colon after the bracket"), std::nullopt);
  EXPECT_EQ(hintIndexKey("'E5C10: [p. 12] a comment"), std::nullopt);
  EXPECT_EQ(hintIndexKey("E5C10: ]"), "E5C10");
}

TEST(HintRules, HintForKeyTakesTheTextAfterColonBlankTrimmedAndCut) {
  EXPECT_EQ(hintForKey("E5C10:   [p. 12] words   ", "E5C10"), "[p. 12] words");
  EXPECT_EQ(hintForKey("E2B03:no blank", "E2B03"), "E2B03:no blank");  // the whole line
  EXPECT_EQ(hintForKey("E5C10: words", "E5C1"), std::nullopt);
  EXPECT_EQ(hintForKey(" E1A01: words", "E1A01"), std::nullopt);
  EXPECT_EQ(hintForKey("'E5C10: words", "E5C10"), std::nullopt);
  const std::string text(2000, 'w');
  EXPECT_EQ(hintForKey("E5C10: " + text, "E5C10"), std::string(kHintTextLimit, 'w'));
}

TEST(HintRules, PictureMarkerAndPath) {
  HintParts parts = splitHintPicture("[p. 12] see the circuit ~Figure  circuit.bmp  ");
  EXPECT_EQ(parts.text, "[p. 12] see the circuit ");
  EXPECT_EQ(parts.pictureName, "circuit.bmp");
  EXPECT_EQ(splitHintPicture("no picture ~Figure").pictureName, std::nullopt);
  EXPECT_EQ(hintPicturePath("circuits\\e5\\rc.bmp"), "Figures/circuits/e5/rc.bmp");
  EXPECT_EQ(hintPicturePath("a..b.bmp"), "Figures/a..b.bmp");
  // Names that would leave the folder name no picture.
  for (const char* outside : {"../secret.bmp", "/etc/x.bmp", "sub\\..\\..\\x.bmp", "..", "\\x.bmp", ""})
    EXPECT_EQ(hintPicturePath(outside), std::nullopt) << outside;
}

// A scratch working directory for the program's relative file names.
class HintFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    directory_ = std::filesystem::temp_directory_path() /
                 ("pentrill-hints-" + std::to_string(getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(directory_ / "Figures");
    std::filesystem::current_path(directory_);
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(directory_);
  }

  static void writeHints(const std::string& bytes) { std::ofstream("hints.txt", std::ios::binary) << bytes; }

  HintIndex loaded() { return Hints(files).index(); }
  std::optional<std::string> findHint(std::string_view key) {
    const std::optional<std::string> bytes = files.readFile(kHintsFile, kHintFileLimit);
    return bytes ? pentrill::findHint(*bytes, key) : std::nullopt;
  }
  void showHint(MemoryConsole& on, RecordingWindows& windows, std::string_view key, int& pictureHandle) {
    pentrill::showHint(on, windows, Hints(files), key, pictureHandle);
  }

  // Rows 29 to 43 as printed.
  std::vector<std::string> hintRows() const {
    std::vector<std::string> rows;
    for (int row = 29; row <= 43; ++row) rows.push_back(console.text(row, 2, 96));
    return rows;
  }

  PosixFiles files;
  MemoryConsole console;
  RecordingWindows windows;
  int handle = 0;

 private:
  std::filesystem::path previous_;
  std::filesystem::path directory_;
};

const std::string kThreeLines =
    "' Hints for the E5 questions\r\n"
    "E5C10: [Extra Class, p. 4-12] Look at the phase angle. ~Figure circuit.bmp\r\n"
    "E1A01: Remember the band edges.\r\n";

TEST_F(HintFiles, ThreeLineFileIndexesOneKeyAndShowsTextAndPicture) {
  writeHints(kThreeLines);
  testing::writeFile("Figures/circuit.bmp", makeBitmap({.width = 40, .height = 30}));
  const HintIndex index = loaded();
  EXPECT_EQ(index.lines(), 1);
  EXPECT_TRUE(hasHint("E5C10", index));
  EXPECT_FALSE(hasHint("E1A01", index));

  showHint(console, windows, "E5C10", handle);
  EXPECT_EQ(console.text(29, 1, 55), " [Extra Class, p. 4-12] Look at the phase angle.       ");
  EXPECT_EQ(console.text(30), std::string(100, ' '));
  ASSERT_EQ(windows.calls.size(), 2u);
  const Call& open = windows.calls[0];
  EXPECT_EQ(open.kind, Call::Kind::Open);
  EXPECT_EQ(open.caption, "");
  EXPECT_EQ(open.left, 1920 - (100 + 40));
  EXPECT_EQ(open.top, 50);
  EXPECT_EQ(open.width, 40);
  EXPECT_EQ(open.height, 30);
  EXPECT_EQ(windows.calls[1].kind, Call::Kind::Draw);
  EXPECT_EQ(windows.calls[1].width, 40);
  EXPECT_EQ(windows.calls[1].height, 30);
  EXPECT_EQ(windows.calls[1].bitmapSize, makeBitmap({.width = 40, .height = 30}).size());
  EXPECT_EQ(handle, open.handle);

  // No label for E1A01, but H finds its text.
  MemoryConsole other;
  int otherHandle = 0;
  showHint(other, windows, "E1A01", otherHandle);
  EXPECT_EQ(other.text(29, 2, 29), "Remember the band edges.    ");
  EXPECT_EQ(otherHandle, 0);
}

TEST_F(HintFiles, LinuxLineEndsAndUtf8FilesWorkLikeWindowsOnes) {
  for (const std::string& file :
       {std::string("' comment\nE5C10: [p. 1] Ohm\xE2\x80\x99s law\nE1A01: text\n"),
        std::string("\xEF\xBB\xBF' comment\rE5C10: [p. 1] Ohm\xE2\x80\x99s law\rE1A01: text")}) {
    writeHints(file);
    const HintIndex index = loaded();
    EXPECT_EQ(index.lines(), 1);
    EXPECT_TRUE(hasHint("E5C10", index));
    EXPECT_EQ(findHint("E5C10"), "[p. 1] Ohm\x92s law");
    EXPECT_EQ(findHint("E1A01"), "text");
  }
}

TEST_F(HintFiles, NoBlankAfterTheColonShowsTheWholeLine) {
  writeHints("E2B03:[p. 7] the words\r\n");
  EXPECT_EQ(loaded().lines(), 0);
  showHint(console, windows, "E2B03", handle);
  EXPECT_EQ(console.text(29, 2, 28), "E2B03:[p. 7] the words     ");
}

TEST_F(HintFiles, KeyWithALeadingBlankIsIndexedButNeverFound) {
  writeHints(" E1A01: [p. 1] text\r\n");
  const HintIndex index = loaded();
  EXPECT_EQ(index.lines(), 1);
  EXPECT_TRUE(hasHint(" E1A01", index));
  EXPECT_FALSE(hasHint("E1A01", index));
  showHint(console, windows, "E1A01", handle);
  EXPECT_EQ(console.text(29), std::string(100, ' '));
}

TEST_F(HintFiles, DuplicatedKeyIsIndexedTwiceAndTheFirstIsShown) {
  writeHints("E5C10: [1] first\r\nE5C10: [2] second\r\n");
  const HintIndex index = loaded();
  EXPECT_EQ(index.lines(), 2);
  EXPECT_TRUE(hasHint("E5C10", index));
  EXPECT_EQ(findHint("E5C10"), "[1] first");
}

TEST_F(HintFiles, LongHintIsCutAt1425AndLosesALaterPicture) {
  testing::writeFile("Figures/late.bmp", makeBitmap({}));
  std::string text;
  while (text.size() < 2000) text += "abcdefghi ";
  writeHints("E5C10: [p. 1] " + text + "~Figure late.bmp\r\n");
  const std::string expected = ("[p. 1] " + text).substr(0, kHintTextLimit);
  EXPECT_EQ(findHint("E5C10"), expected);
  showHint(console, windows, "E5C10", handle);
  EXPECT_TRUE(windows.calls.empty()) << "the marker beyond the cut opened a window";
  // Nine words fill a line of 95, so the cut hint still wraps to more than
  // 15 lines: every row up to the last is full.
  const std::vector<std::string> rows = hintRows();
  for (int i = 0; i < 15; ++i) EXPECT_NE(rows[static_cast<size_t>(i)].find("abcdefghi", 70), std::string::npos) << i;
}

TEST_F(HintFiles, OnlyTheFirst640IndexedLinesCountButLaterHintsAreFound) {
  std::string file;
  for (int i = 1; i <= 700; ++i) file.append("K").append(std::to_string(i)).append(": [p] hint ").append(std::to_string(i)).append("\r\n");
  writeHints(file);
  const HintIndex index = loaded();
  EXPECT_EQ(index.lines(), 640);
  EXPECT_TRUE(hasHint("K640", index));
  EXPECT_FALSE(hasHint("K641", index));
  EXPECT_EQ(findHint("K700"), "[p] hint 700");
}

TEST_F(HintFiles, SixteenLineHintShowsFifteenAndNeverScrolls) {
  // Words of 80 letters: one a line, so 16 words make 16 lines.
  std::string text;
  for (int i = 0; i < 16; ++i) text += std::string(80, static_cast<char>('a' + i)) + " ";
  writeHints("E5C10: " + text + "\r\n");
  console.setColours(kBlack, kBrightWhite);
  writeAt(console, 1, 1, "top row");
  showHint(console, windows, "E5C10", handle);
  EXPECT_EQ(console.text(1, 1, 7), "top row");  // nothing scrolled
  const std::vector<std::string> rows = hintRows();
  for (int i = 0; i < 15; ++i)
    EXPECT_EQ(rows[static_cast<size_t>(i)].substr(0, 80), std::string(80, static_cast<char>('a' + i))) << i;
}

TEST_F(HintFiles, HTwiceClosesTheFirstPictureBeforeOpeningTheSecond) {
  std::filesystem::create_directories("Figures/sub");
  testing::writeFile("Figures/sub/pic.bmp", makeBitmap({.width = 8, .height = -5, .bits = 8}));
  writeHints("E5C10: [p] words ~Figure sub\\pic.bmp\r\n");
  showHint(console, windows, "E5C10", handle);
  const int first = handle;
  showHint(console, windows, "E5C10", handle);
  ASSERT_EQ(windows.calls.size(), 5u);
  EXPECT_EQ(windows.calls[2].kind, Call::Kind::Close);
  EXPECT_EQ(windows.calls[2].handle, first);
  EXPECT_EQ(windows.calls[3].kind, Call::Kind::Open);
  EXPECT_EQ(windows.calls[3].height, 5);  // top-down rows: the height's size
  EXPECT_EQ(handle, windows.calls[3].handle);
  EXPECT_EQ(windows.open.size(), 1u);
}

TEST_F(HintFiles, PictureThatIsNoDrawableBitmapOpensNothingButTheTextShows) {
  writeHints("E5C10: [p] words ~Figure bad.bmp\r\nE5C11: [p] words ~Figure missing.bmp\r\n");
  std::vector<unsigned char> truncated = makeBitmap({.width = 50, .height = 50});
  truncated.resize(truncated.size() - 1);
  testing::writeFile("Figures/bad.bmp", truncated);
  for (const char* key : {"E5C10", "E5C11"}) {
    showHint(console, windows, key, handle);
    EXPECT_EQ(console.text(29, 2, 10), "[p] words");
  }
  EXPECT_TRUE(windows.calls.empty());
  EXPECT_EQ(handle, 0);
}

// A field of /proc/self/status in KiB ("VmHWM", the peak resident size).
long statusKib(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.starts_with(field + ":")) return std::stol(line.substr(field.size() + 1));
  return -1;
}

// A 54-byte file whose header claims 4096 x 4096 pixels of 32 bits is
// refused like any picture the program cannot draw, at H and for the figure
// key alike, and no memory is taken for rows the file does not hold: the
// peak resident size (reset first) stays near where it was.
TEST_F(HintFiles, AHeaderClaimingRowsTheFileLacksTakesNoMemoryForThem) {
  std::vector<unsigned char> header = makeBitmap({.width = 1, .height = 1, .bits = 32});
  testing::put32(header, 18, 4096);
  testing::put32(header, 22, 4096);
  header.resize(kBitmapHeadersSize);
  testing::writeFile("Figures/huge.bmp", header);
  writeHints("E5C10: [p] words ~Figure huge.bmp\r\n");
  std::ofstream reset("/proc/self/clear_refs");
  if (!(reset << "5" << std::flush)) GTEST_SKIP() << "the peak resident size cannot be reset here";
  const long before = statusKib("VmHWM");
  showHint(console, windows, "E5C10", handle);
  EXPECT_FALSE(Hints(files).picture("E5C10"));
  EXPECT_EQ(console.text(29, 2, 10), "[p] words");
  EXPECT_TRUE(windows.calls.empty());
  EXPECT_LT(statusKib("VmHWM") - before, 16 * 1024) << "KiB more at the peak";
}

TEST_F(HintFiles, NoFileOrAPipeInItsPlaceGivesAnEmptyIndexAtOnce) {
  EXPECT_EQ(loaded().lines(), 0);
  EXPECT_EQ(findHint("E5C10"), std::nullopt);
  ASSERT_EQ(mkfifo("hints.txt", 0600), 0);
  EXPECT_EQ(loaded().lines(), 0);  // would block forever if the pipe were read
}

// No real hints file comes near the limit; one beyond it is not read at all.
TEST_F(HintFiles, AFileBeyondItsLimitIsNotRead) {
  std::string file = "E5C10: [p] words\r\n";
  writeHints(file + std::string(kHintFileLimit - file.size(), '\''));
  EXPECT_EQ(loaded().lines(), 1);
  writeHints(file + std::string(kHintFileLimit + 1 - file.size(), '\''));
  EXPECT_EQ(loaded().lines(), 0);
  EXPECT_EQ(findHint("E5C10"), std::nullopt);
}

// The bitmap check for pictures named in hints.
std::optional<PictureSize> check(const std::vector<unsigned char>& bytes) { return drawableBitmapSize(bytes); }

TEST(DrawableBitmap, AcceptsUncompressedBitmapsOfTheUsualDepthsEitherWayUp) {
  for (int bits : {1, 4, 8, 24, 32})
    for (int height : {7, -7}) {
      SCOPED_TRACE(std::to_string(bits) + " bits, height " + std::to_string(height));
      std::optional<PictureSize> size = check(makeBitmap({.width = 13, .height = height, .bits = bits}));
      ASSERT_TRUE(size);
      EXPECT_EQ(size->width, 13);
      EXPECT_EQ(size->height, 7);
    }
  EXPECT_TRUE(check(makeBitmap({.width = 4096, .height = 1})));
  EXPECT_TRUE(check(makeBitmap({.width = 3, .height = 2, .infoSize = 124})));  // a version 5 header
}

TEST(DrawableBitmap, RefusesWhatIsNoBitmapOrOfAnAbsurdSize) {
  std::vector<unsigned char> truncated = makeBitmap({.width = 10, .height = 10});
  truncated.pop_back();
  EXPECT_FALSE(check(truncated));
  std::vector<unsigned char> signature = makeBitmap({});
  signature[1] = 'A';
  EXPECT_FALSE(check(signature));
  EXPECT_FALSE(check({}));
  std::vector<unsigned char> headerOnly = makeBitmap({});
  headerOnly.resize(30);
  EXPECT_FALSE(check(headerOnly));
  EXPECT_FALSE(check(makeBitmap({.width = 0})));
  EXPECT_FALSE(check(makeBitmap({.width = 100000, .height = 1})));
  EXPECT_FALSE(check(makeBitmap({.width = -5})));
  EXPECT_FALSE(check(makeBitmap({.width = 4097, .height = 1})));
  EXPECT_FALSE(check(makeBitmap({.height = 0})));
  EXPECT_FALSE(check(makeBitmap({.height = -4097})));
  EXPECT_FALSE(check(makeBitmap({.bits = 16})));
  EXPECT_FALSE(check(makeBitmap({.bits = 8, .compression = 1})));
  EXPECT_FALSE(check(makeBitmap({.infoSize = 12})));
  EXPECT_FALSE(check(makeBitmap({.bits = 4, .coloursUsed = 17})));
}

TEST(DrawableBitmap, RefusesAPalettePictureWithAPixelBeyondItsColours) {
  // makeBitmap's pattern uses indices up to the palette's size minus one.
  EXPECT_TRUE(check(makeBitmap({.width = 9, .height = 4, .bits = 8, .coloursUsed = 20})));
  std::vector<unsigned char> bytes = makeBitmap({.width = 9, .height = 4, .bits = 8, .coloursUsed = 20});
  const std::optional<BitmapHeader> header = readBitmapHeader(bytes);
  bytes[header->pixelOffset + 8] = 20;  // the last pixel of the bottom row
  EXPECT_FALSE(check(bytes));
  bytes = makeBitmap({.width = 9, .height = 4, .bits = 4, .coloursUsed = 3});
  bytes[readBitmapHeader(bytes)->pixelOffset] = 0x30;  // index 3 in the first pixel
  EXPECT_FALSE(check(bytes));
}

}  // namespace
}  // namespace pentrill
