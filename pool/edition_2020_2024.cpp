// The 2020-2024 Element 4 pool, as issued on February 24, 2020: the
// program's default edition.
#include <array>

#include "pool/builtin_tables.h"
#include "pool/edition.h"
#include "pool/embedded_figure.h"
#include "embedded/figure2020_E5_1.h"
#include "embedded/figure2020_E6_1.h"
#include "embedded/figure2020_E6_2.h"
#include "embedded/figure2020_E6_3.h"
#include "embedded/figure2020_E7_1.h"
#include "embedded/figure2020_E7_2.h"
#include "embedded/figure2020_E7_3.h"
#include "embedded/figure2020_E9_1.h"
#include "embedded/figure2020_E9_2.h"
#include "embedded/figure2020_E9_3.h"

namespace pentrill {

namespace {

// Windows-1252: 0x96 is the en dash, 0x97 the em dash.
constexpr std::string_view kMenuLines[] = {
    "0. SUBELEMENT E0 \x96 SAFETY - [1 exam question \x96 1 group]",
    "1. SUBELEMENT E1 \x97 COMMISSION RULES [6 Exam Questions \x97 6 Groups]",
    "2. SUBELEMENT E2 - OPERATING PROCEDURES [5 Exam Questions - 5 Groups]",
    "3. SUBELEMENT E3 - RADIO WAVE PROPAGATION [3 Exam Questions - 3 Groups]",
    "4. SUBELEMENT E4 - AMATEUR PRACTICES [5 Exam Questions - 5 Groups]",
    "5. SUBELEMENT E5 \x96 ELECTRICAL PRINCIPLES [4 Exam Questions - 4 Groups]",
    "6. SUBELEMENT E6 - CIRCUIT COMPONENTS [6 Exam Questions - 6 Groups]",
    "7. SUBELEMENT E7 - PRACTICAL CIRCUITS [8 Exam Questions - 8 Groups]",
    "8. SUBELEMENT E8 - SIGNALS AND EMISSIONS [4 Exam Questions - 4 Groups]",
    "9. SUBELEMENT E9 - ANTENNAS AND TRANSMISSION LINES [8 Exam Questions - 8 Groups]",
    "P. Practice Test",
};

constexpr std::array<std::string_view, kSubelementCount> kSubelementTitles = {
    "Module: E0 \x96 SAFETY",
    "Module: E1 \x97 COMMISSION RULES",
    "Module: E2 - OPERATING PROCEDURES",
    "Module: E3 - RADIO WAVE PROPAGATION",
    "Module: E4 - AMATEUR PRACTICES",
    "Module: E5 \x96 ELECTRICAL PRINCIPLES",
    "Module: E6 - CIRCUIT COMPONENTS",
    "Module: E7 - PRACTICAL CIRCUITS",
    "Module: E8 - SIGNALS AND EMISSIONS",
    "Module: E9 - ANTENNAS AND TRANSMISSION LINES",
};

constexpr std::string_view kHelpLines[] = {
    "",
    "  Welcome the Amateur Radio Extra Exam Practice Program.  This program will help you to prepare",
    "  for the Amateur Extra Test.  This program allows you to choose which sub element of the Extra",
    "  test you would like to prepare for.  This practice program is intended to look and act like",
    "  the official ARRL test except in how it selects questions.",
    "",
    "  The program will present questions in a random order from the sub element you choose.  If you",
    "  answer a question incorrectly the program will tell you and then move on to the next randomly",
    "  chosen question.  The test will continue until you have answered all questions correctly or you",
    "  can select to stop the drill at any point.  Once you have completed a sub element by answering",
    "  all the questions correctly you can go back to the main menu and select another sub element to",
    "  drill on.",
    "",
    "  You can use your mouse to select the correct answer in the lower left corner of the screen by",
    "  clicking on A-D.  However I have found it faster to type in the answer from the keyboard.  You",
    "  can toggle the peek feature on or off by tapping the spacebar.",
    "",
    "  I hope you enjoy this program.  If you have any questions, comments, or if you find any errors",
    "  or software bugs please let us know.  All references to pages and figures can be found in the",
    "  ARRL's 12 edition of the Extra Class study guide.  Questions are from the 2020-2024 Extra",
    "  Class question pool as issued February 24, 2020.",
    "",
    "                       Tarvold (QQ0QQQ)  email: ",
    "",
    " A note about the equations:  Where possible I have converted the equations that are presented",
    " in the study guide into formulas as they would appear in Microsoft Excel.  For example:",
    " Square Root is shpwn as SQRT() and the anti-log which in the book is shown as log raised to",
    " the power of -1 is converted into 10^n (10 raised to the power of n).",
    " ",
    " You can use the mouse or the keyboard for input.  The following keys can be used:",
    " A=answer A, B=answer B, C=answer C, D=answer D",
    " S=Stop the drill and select another module,  [Space Bar]=Toggle Peek.  If Peek is on then the",
    " Answer will appear in the top left of the screen next to the question ID.",
    " If the Hint prompt is showing pressing the H key will Display Hint.",
};

constexpr EmbeddedFigure kFigures[] = {
    {"Figure:E5-1", "#51", 640, 686, "Figure 5-1", embedded::figure2020_E5_1Words, embedded::figure2020_E5_1Size},
    {"Figure:E6-1", "#61", 640, 692, "Figure 6-1", embedded::figure2020_E6_1Words, embedded::figure2020_E6_1Size},
    {"Figure:E6-2", "#62", 640, 537, "Figure 6-2", embedded::figure2020_E6_2Words, embedded::figure2020_E6_2Size},
    {"Figure:E6-3", "#63", 640, 537, "Figure 6-3", embedded::figure2020_E6_3Words, embedded::figure2020_E6_3Size},
    {"Figure:E7-1", "#71", 640, 627, "Figure 7-1", embedded::figure2020_E7_1Words, embedded::figure2020_E7_1Size},
    {"Figure:E7-2", "#72", 640, 627, "Figure 7-2", embedded::figure2020_E7_2Words, embedded::figure2020_E7_2Size},
    {"Figure:E7-3", "#73", 640, 627, "Figure 7-3", embedded::figure2020_E7_3Words, embedded::figure2020_E7_3Size},
    {"Figure:E9-1", "#91", 640, 627, "Figure 9-1", embedded::figure2020_E9_1Words, embedded::figure2020_E9_1Size},
    {"Figure:E9-2", "#92", 640, 627, "Figure 9-2", embedded::figure2020_E9_2Words, embedded::figure2020_E9_2Size},
    {"Figure:E9-3", "#93", 640, 640, "Figure 9-3", embedded::figure2020_E9_3Words, embedded::figure2020_E9_3Size},
};

static_assert(allFiguresFitTheirRows(kFigures),
              "a figure of the 2020-2024 pool does not match its row of the figure table: each must be a "
              "24-bit, uncompressed, bottom-up bitmap with a 40-byte information header, of the size listed");

}  // namespace

const PoolEdition& pool2020To2024() {
  static const std::array<Figure, std::size(kFigures)> figures = [] {
    std::array<Figure, std::size(kFigures)> table;
    for (size_t i = 0; i < table.size(); ++i) table[i] = figureOf(kFigures[i]);
    return table;
  }();
  static const PoolEdition edition{
      "2020-2024", builtin::kQuestionTables, builtin::kExamGroupTable, kSubelementTitles, kMenuLines, kHelpLines,
      figures,
  };
  return edition;
}

}  // namespace pentrill
