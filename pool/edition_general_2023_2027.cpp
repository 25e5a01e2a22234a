// The 2023-2027 General (Element 3) pool, in force from July 1, 2023 to
// June 30, 2027, with its six errata to February 4, 2026 (nine questions
// withdrawn).
#include "builtin/poolgeneral_2023_2027.h"
#include "embedded/description_general_2023_2027_G7_1.h"
#include "embedded/figure_general_2023_2027_G7_1.h"
#include "pool/edition_data.h"

namespace pentrill {

namespace {

// Titles as the syllabus prints them (en dashes, 0x96).
struct General2023 {
  static constexpr EditionFacts kFacts{
      "general-2023-2027", LicenceClass::General, "General", 3, "2023-2027", {2023, 7, 1}, {2027, 6, 30}, 26,
  };
  static constexpr std::array<std::string_view, kSubelementCount> kSubelementTitles{
      "Module: G0 \x96 ELECTRICAL AND RF SAFETY",
      "Module: G1 \x96 COMMISSION\x92S RULES",
      "Module: G2 \x96 OPERATING PROCEDURES",
      "Module: G3 \x96 RADIO WAVE PROPAGATION",
      "Module: G4 \x96 AMATEUR RADIO PRACTICES",
      "Module: G5 \x96 ELECTRICAL PRINCIPLES",
      "Module: G6 \x96 CIRCUIT COMPONENTS",
      "Module: G7 \x96 PRACTICAL CIRCUITS",
      "Module: G8 \x96 SIGNALS AND EMISSIONS",
      "Module: G9 \x96 ANTENNAS AND FEED LINES",
  };
  static constexpr std::array<std::string_view, kSubelementCount + 1> kMenuLines{
      "0. SUBELEMENT G0 \x96 ELECTRICAL AND RF SAFETY [2 Exam Questions \x96 2 Groups]",
      "1. SUBELEMENT G1 \x96 COMMISSION\x92S RULES [5 Exam Questions \x96 5 Groups]",
      "2. SUBELEMENT G2 \x96 OPERATING PROCEDURES [5 Exam Questions \x96 5 Groups]",
      "3. SUBELEMENT G3 \x96 RADIO WAVE PROPAGATION [3 Exam Questions \x96 3 Groups]",
      "4. SUBELEMENT G4 \x96 AMATEUR RADIO PRACTICES [5 Exam Questions \x96 5 Groups]",
      "5. SUBELEMENT G5 \x96 ELECTRICAL PRINCIPLES [3 Exam Questions \x96 3 Groups]",
      "6. SUBELEMENT G6 \x96 CIRCUIT COMPONENTS [2 Exam Questions \x96 2 Groups]",
      "7. SUBELEMENT G7 \x96 PRACTICAL CIRCUITS [3 Exam Questions \x96 3 Groups]",
      "8. SUBELEMENT G8 \x96 SIGNALS AND EMISSIONS [3 Exam Questions \x96 3 Groups]",
      "9. SUBELEMENT G9 \x96 ANTENNAS AND FEED LINES [4 Exam Questions \x96 4 Groups]",
      "P. Practice Test",
  };
  static constexpr auto kHelpLines = edition_texts::helpLines(
      {
          "  Welcome the Amateur Radio General Exam Practice Program.  This program will help you to prepare",
          "  for the General Test.  This program allows you to choose which sub element of the General test",
          "  you would like to prepare for.  This practice program is intended to look and act like the",
          "  official ARRL test except in how it selects questions.",
      },
      "  General Class study guide.  Questions are from the 2023-2027 General Class question pool, with",
      "  the errata to February 4, 2026.");
  static constexpr std::array<EmbeddedFigure, 1> kFigures{{
      {"Figure:G7-1", "#G71", 640, 442, "Figure G7-1", &embedded::figure_general_2023_2027_G7_1,
       embedded::description_general_2023_2027_G7_1},
  }};
};

}  // namespace

const PoolEdition& poolGeneral2023To2027() {
  return editionOf<builtin::poolgeneral_2023_2027::Tables, General2023>();
}

}  // namespace pentrill
