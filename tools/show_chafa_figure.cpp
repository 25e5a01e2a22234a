// Draws a bitmap inside the terminal it runs in, as the figure screen would:
// the protocol chosen from the environment and, where that leaves it open,
// by asking the terminal; the cell size from TIOCGWINSZ or the terminal's
// report. Usage: pentrill_chafa_show FILE.bmp [auto|kitty|iterm|sixel|symbols] [colours]
// where colours is the terminfo count (default: 16777216, 24-bit). The
// choice and the timings go to standard error.
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "backends/chafa_figure.h"
#include "backends/terminal_query.h"

int main(int argc, char** argv) {
  using namespace pentrill;
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE.bmp [auto|kitty|iterm|sixel|symbols] [colours]\n", argv[0]);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::vector<unsigned char> file{std::istreambuf_iterator<char>(in), {}};
  const std::optional<RgbPicture> picture = readBitmapPixels(file);
  const std::optional<FigureProtocolSetting> setting = parseFigureProtocolSetting(argc > 2 ? argv[2] : "symbols");
  const ChafaApi* chafa = loadChafa();
  if (!picture || !setting || !chafa) {
    std::fprintf(stderr, "%s\n", !picture ? "not a bitmap the program draws" : !setting ? "unknown protocol" : "libchafa is missing");
    return 1;
  }
  const TerminalEnvironment environment = readTerminalEnvironment(std::getenv);
  TerminalFigureStyle style;
  std::optional<FigureProtocol> protocol = figureProtocolFromEnvironment(*setting, environment);
  TerminalReplies replies;
  if (!protocol && isatty(STDIN_FILENO)) {
    // Raw for the wait, so that the replies are not echoed or held for a line.
    termios saved{};
    tcgetattr(STDIN_FILENO, &saved);
    termios raw = saved;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    const auto start = std::chrono::steady_clock::now();
    const TerminalAnswer answer = askTerminal(STDIN_FILENO, STDOUT_FILENO);
    const auto took = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    replies = answer.replies;
    std::fprintf(stderr, "asked the terminal: %s in %.1f ms, kitty %d, sixel %d, cell %d x %d, %zu bytes of keys\n",
                 answer.timedOut ? "no answer" : "answered", took, replies.kittyGraphics, replies.sixel,
                 replies.cellWidth, replies.cellHeight, answer.userBytes.size());
    protocol = figureProtocolFromReplies(replies);
  }
  style.protocol = protocol.value_or(FigureProtocol::Symbols);
  style.colours = symbolColours(environment, argc > 3 ? std::atoi(argv[3]) : 1 << 24);
  style.glyphs = symbolGlyphs(environment);
  winsize window{};
  ioctl(STDOUT_FILENO, TIOCGWINSZ, &window);
  style.cell = terminalCellPixels(window.ws_xpixel, window.ws_ypixel, window.ws_col, window.ws_row, replies.cellWidth,
                                  replies.cellHeight);
  const auto start = std::chrono::steady_clock::now();
  const CellRect region = figureRegion(picture->width, picture->height, kFigurePictureArea, style.cell);
  const std::string bytes = terminalFigureBytes(*chafa, *picture, region, style);
  const auto took = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
  std::fprintf(stderr, "\x1b[43;1H%s, cells %d x %d pixels, region %d;%d %d x %d, %zu bytes in %.1f ms",
               std::string(figureProtocolName(style.protocol)).c_str(), style.cell.width, style.cell.height, region.row,
               region.column, region.width, region.height, bytes.size(), took);
  return 0;
}
