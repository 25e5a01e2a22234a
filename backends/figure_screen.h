// The figure screen the terminal console draws over the question screen,
// around curses: the terminal's bytes for the whole 100 x 43 area.
#pragma once
#include <string>
#include <string_view>

#include "backends/chafa_figure.h"

namespace pentrill {

inline constexpr std::string_view kFigurePrompt = "Press any key to return to the question.";
inline constexpr std::string_view kNoChafaLine =
    "Figures in the terminal need the Debian package libchafa0. Press any key to return.";
inline constexpr int kNoChafaRow = 21;

// The colours the screen is cleared to: black on bright white as the
// question screens, or on white where the terminal has only 8 colours.
struct FigureScreenColours {
  bool brightBackground = true;
};

// The area cleared, the picture as large as fits in rows 1 to 41 with its
// aspect kept, the caption (UTF-8) centred on row 42 and the prompt on row 43;
// the colours reset at the end. Without libchafa (null), the area and the
// one line that names the package instead.
std::string figureScreenBytes(const ChafaApi* chafa, const RgbPicture& picture, std::string_view caption,
                              const TerminalFigureStyle& style, FigureScreenColours colours);

}  // namespace pentrill
