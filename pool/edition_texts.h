// The screen texts of the pool editions: the Amateur Extra menu lines and
// drill titles that both Extra pools share, and the help screen, which every
// pool fills with its class and its own name. Windows-1252: 0x92 is the
// right single quotation mark, 0x96 the en dash, 0x97 the em dash.
#pragma once
#include <array>
#include <string_view>

#include "pool/edition.h"

namespace pentrill::edition_texts {

// The Amateur Extra menu's rows 8 to 18. Each pool checks at compile time that its groups
// per subelement agree with the numbers in these lines.
inline constexpr std::array<std::string_view, 11> kMenuLines{{
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
}};

// Both Amateur Extra pools use the same subelement titles.
inline constexpr std::array<std::string_view, kSubelementCount> kSubelementTitles = {
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

inline constexpr int kHelpLineCount = 34;

// The help screen; helpLines() puts in the two lines that name the pool.
inline constexpr std::array<std::string_view, kHelpLineCount> kHelpLines{{
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
    "",  // the study guide and the pool: put in by helpLines()
    "",
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
}};

// Rows 2 to 5 of the help screen (entries 1 to 4) welcome the candidate of
// the class, and rows 20 and 21 (entries 19 and 20) name the study guide and
// the pool.
inline constexpr size_t kWelcomeHelpLine = 1;
inline constexpr size_t kWelcomeHelpLines = 4;
inline constexpr size_t kPoolHelpLine = 19;

// The help screen with the class's welcome and the pool's two lines.
constexpr std::array<std::string_view, kHelpLineCount> helpLines(
    const std::array<std::string_view, kWelcomeHelpLines>& welcome, std::string_view guideAndPool,
    std::string_view poolContinued) {
  std::array<std::string_view, kHelpLineCount> lines = kHelpLines;
  for (size_t i = 0; i < welcome.size(); ++i) lines[kWelcomeHelpLine + i] = welcome[i];
  lines[kPoolHelpLine] = guideAndPool;
  lines[kPoolHelpLine + 1] = poolContinued;
  return lines;
}

// The Amateur Extra help screen, naming the pool.
constexpr std::array<std::string_view, kHelpLineCount> helpLines(std::string_view guideAndPool,
                                                                 std::string_view poolContinued) {
  return helpLines({kHelpLines[1], kHelpLines[2], kHelpLines[3], kHelpLines[4]}, guideAndPool, poolContinued);
}

}  // namespace pentrill::edition_texts
