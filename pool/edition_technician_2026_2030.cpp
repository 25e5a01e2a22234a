// The 2026-2030 Technician (Element 2) pool, in force from July 1, 2026 to
// June 30, 2030, with the errata of February 19, 2026.
#include "builtin/pooltechnician_2026_2030.h"
#include "embedded/description_technician_2026_2030_T_1.h"
#include "embedded/description_technician_2026_2030_T_2.h"
#include "embedded/description_technician_2026_2030_T_3.h"
#include "embedded/figure_technician_2026_2030_T_1.h"
#include "embedded/figure_technician_2026_2030_T_2.h"
#include "embedded/figure_technician_2026_2030_T_3.h"
#include "pool/edition_data.h"

namespace pentrill {

namespace {

// Titles as the syllabus prints them (hyphen-minus dashes).
struct Technician2026 {
  static constexpr EditionFacts kFacts{
      "technician-2026-2030", LicenceClass::Technician, "Technician", 2, "2026-2030", {2026, 7, 1}, {2030, 6, 30}, 26,
  };
  static constexpr std::array<std::string_view, kSubelementCount> kSubelementTitles{
      "Module: T0 - SAFETY",
      "Module: T1 - COMMISSION\x92S RULES",
      "Module: T2 - OPERATING PROCEDURES",
      "Module: T3 - RADIO WAVE PROPAGATION",
      "Module: T4 - AMATEUR RADIO PRACTICES",
      "Module: T5 - ELECTRICAL PRINCIPLES",
      "Module: T6 - ELECTRONIC AND ELECTRICAL COMPONENTS",
      "Module: T7 - PRACTICAL CIRCUITS",
      "Module: T8 - SIGNALS AND EMISSIONS",
      "Module: T9 - ANTENNAS AND FEED LINES",
  };
  static constexpr std::array<std::string_view, kSubelementCount + 1> kMenuLines{
      "0. SUBELEMENT T0 - SAFETY [3 Exam Questions - 3 Groups]",
      "1. SUBELEMENT T1 - COMMISSION\x92S RULES [6 Exam Questions - 6 Groups]",
      "2. SUBELEMENT T2 - OPERATING PROCEDURES [3 Exam Questions - 3 Groups]",
      "3. SUBELEMENT T3 - RADIO WAVE PROPAGATION [3 Exam Questions - 3 Groups]",
      "4. SUBELEMENT T4 - AMATEUR RADIO PRACTICES [2 Exam Questions - 2 Groups]",
      "5. SUBELEMENT T5 - ELECTRICAL PRINCIPLES [4 Exam Questions - 4 Groups]",
      "6. SUBELEMENT T6 - ELECTRONIC AND ELECTRICAL COMPONENTS [4 Exam Questions - 4 Groups]",
      "7. SUBELEMENT T7 - PRACTICAL CIRCUITS [4 Exam Questions - 4 Groups]",
      "8. SUBELEMENT T8 - SIGNALS AND EMISSIONS [4 Exam Questions - 4 Groups]",
      "9. SUBELEMENT T9 - ANTENNAS AND FEED LINES [2 Exam Questions - 2 Groups]",
      "P. Practice Test",
  };
  static constexpr auto kHelpLines = edition_texts::helpLines(
      {
          "  Welcome the Amateur Radio Technician Exam Practice Program.  This program will help you to",
          "  prepare for the Technician Test.  This program allows you to choose which sub element of the",
          "  Technician test you would like to prepare for.  This practice program is intended to look and",
          "  act like the official ARRL test except in how it selects questions.",
      },
      "  Technician Class study guide.  Questions are from the 2026-2030 Technician Class question pool,",
      "  with the errata of February 19, 2026.");
  static constexpr std::array<EmbeddedFigure, 3> kFigures{{
      {"Figure:T-1", "#T1", 640, 531, "Figure T-1", &embedded::figure_technician_2026_2030_T_1,
       embedded::description_technician_2026_2030_T_1},
      {"Figure:T-2", "#T2", 640, 289, "Figure T-2", &embedded::figure_technician_2026_2030_T_2,
       embedded::description_technician_2026_2030_T_2},
      {"Figure:T-3", "#T3", 640, 775, "Figure T-3", &embedded::figure_technician_2026_2030_T_3,
       embedded::description_technician_2026_2030_T_3},
  }};
};

}  // namespace

const PoolEdition& poolTechnician2026To2030() {
  return editionOf<builtin::pooltechnician_2026_2030::Tables, Technician2026>();
}

}  // namespace pentrill
