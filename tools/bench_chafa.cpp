// Prints how long drawing a figure inside the terminal takes: from the
// bitmap file's bytes to the finished bytes for the terminal, per protocol,
// on the 100 x 43 screen with 10 x 20 pixel cells. Opening libchafa is
// timed apart, as the first figure pays it once. Beside the wall-clock time
// it prints the processor time of all the process's threads (chafa draws on
// several), which other work on a shared machine disturbs less, and the
// load average. Usage:
//   pentrill_chafa_bench [bitmap file] [runs]
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "backends/chafa_figure.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double processorMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct Timing {
  double first = 0;
  double median = 0;
  double processorMedian = 0;
  std::size_t bytes = 0;
};

Timing timeDrawing(const pentrill::ChafaApi& chafa, const std::vector<unsigned char>& file,
                   const pentrill::TerminalFigureStyle& style, int runs) {
  std::vector<double> times, processorTimes;
  Timing timing;
  for (int run = 0; run <= runs; ++run) {
    const Clock::time_point start = Clock::now();
    const double processorStart = processorMilliseconds();
    const std::optional<pentrill::RgbPicture> picture = pentrill::readBitmapPixels(file);
    if (!picture) return timing;
    const pentrill::CellRect region =
        pentrill::figureRegion(picture->width, picture->height, pentrill::kFigurePictureArea, style.cell);
    timing.bytes = pentrill::terminalFigureBytes(chafa, *picture, region, style).size();
    const double processor = processorMilliseconds() - processorStart;
    (run == 0 ? timing.first : times.emplace_back()) = millisecondsSince(start);
    if (run > 0) processorTimes.push_back(processor);
  }
  std::sort(times.begin(), times.end());
  std::sort(processorTimes.begin(), processorTimes.end());
  timing.median = times.empty() ? timing.first : times[times.size() / 2];
  timing.processorMedian = processorTimes.empty() ? 0 : processorTimes[processorTimes.size() / 2];
  return timing;
}

}  // namespace

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : PENTRILL_SOURCE_DIR "/resources/figures/2020-2024/E7-2.bmp";
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
  std::ifstream in(path, std::ios::binary);
  const std::vector<unsigned char> file{std::istreambuf_iterator<char>(in), {}};

  const Clock::time_point loadStart = Clock::now();
  const pentrill::ChafaApi* chafa = pentrill::loadChafa();
  const double loading = millisecondsSince(loadStart);
  if (!chafa) {
    std::fprintf(stderr, "libchafa could not be opened (Debian package libchafa0)\n");
    return 1;
  }
  std::printf("figure: %s (%zu bytes), %d runs after the first\n", path, file.size(), runs);
  std::printf("opening libchafa: %.1f ms\n", loading);
  // Chafa sets itself up on its first drawings (threads, character tables):
  // a first figure pays this once, like the opening.
  const Clock::time_point setUpStart = Clock::now();
  const pentrill::RgbPicture dot{1, 1, {255, 255, 255}};
  for (const pentrill::FigureProtocol protocol : {pentrill::FigureProtocol::Symbols, pentrill::FigureProtocol::Sixel,
                                                  pentrill::FigureProtocol::Kitty, pentrill::FigureProtocol::Iterm})
    pentrill::terminalFigureBytes(*chafa, dot, {1, 1, 1, 1}, {protocol, pentrill::SymbolColours::Truecolor, {}, {}});
  std::printf("first drawings of one cell in each protocol (chafa's set-up): %.1f ms\n", millisecondsSince(setUpStart));
  struct Case {
    const char* name;
    pentrill::TerminalFigureStyle style;
  };
  using pentrill::FigureProtocol;
  using pentrill::SymbolColours;
  const Case cases[] = {
      {"symbols, 24-bit colour", {FigureProtocol::Symbols, SymbolColours::Truecolor, {}, {}}},
      {"symbols, 256 colours", {FigureProtocol::Symbols, SymbolColours::Colours256, {}, {}}},
      {"symbols, 16 colours", {FigureProtocol::Symbols, SymbolColours::Colours16, {}, {}}},
      {"sixel", {FigureProtocol::Sixel, SymbolColours::Truecolor, {}, {}}},
      {"kitty", {FigureProtocol::Kitty, SymbolColours::Truecolor, {}, {}}},
      {"iterm", {FigureProtocol::Iterm, SymbolColours::Truecolor, {}, {}}},
  };
  for (const Case& benchCase : cases) {
    const Timing timing = timeDrawing(*chafa, file, benchCase.style, runs);
    std::printf("%-24s first %7.1f ms   median %7.1f ms   processor %7.1f ms   %8zu bytes\n", benchCase.name,
                timing.first, timing.median, timing.processorMedian, timing.bytes);
  }
  double load[1] = {0};
  if (getloadavg(load, 1) == 1) std::printf("load average over the last minute: %.2f\n", load[0]);
  return 0;
}
