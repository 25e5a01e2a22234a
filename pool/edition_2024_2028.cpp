// The 2024-2028 Amateur Extra (Element 4) pool, in force from July 1, 2024 to
// June 30, 2028, with the errata to February 4, 2026 (E2A13, E4D05, E6D07
// and E9E10 withdrawn).
#include "builtin/pool2024_2028.h"
#include "pool/edition_data.h"
#include "embedded/figure_2024_2028_E5_1.h"
#include "embedded/description_2024_2028_E5_1.h"
#include "embedded/figure_2024_2028_E6_1.h"
#include "embedded/description_2024_2028_E6_1.h"
#include "embedded/figure_2024_2028_E6_2.h"
#include "embedded/description_2024_2028_E6_2.h"
#include "embedded/figure_2024_2028_E6_3.h"
#include "embedded/description_2024_2028_E6_3.h"
#include "embedded/figure_2024_2028_E7_1.h"
#include "embedded/description_2024_2028_E7_1.h"
#include "embedded/figure_2024_2028_E7_2.h"
#include "embedded/description_2024_2028_E7_2.h"
#include "embedded/figure_2024_2028_E7_3.h"
#include "embedded/description_2024_2028_E7_3.h"
#include "embedded/figure_2024_2028_E9_1.h"
#include "embedded/description_2024_2028_E9_1.h"
#include "embedded/figure_2024_2028_E9_2.h"
#include "embedded/description_2024_2028_E9_2.h"
#include "embedded/figure_2024_2028_E9_3.h"
#include "embedded/description_2024_2028_E9_3.h"

namespace pentrill {

namespace {

namespace texts = edition_texts;

struct Extra2024 {
  static constexpr EditionFacts kFacts{
      "2024-2028", LicenceClass::Extra, "Amateur Extra", 4, "2024-2028", {2024, 7, 1}, {2028, 6, 30}, 37,
  };
  static constexpr auto kSubelementTitles = texts::kSubelementTitles;
  static constexpr auto kMenuLines = texts::kMenuLines;
  static constexpr auto kHelpLines = texts::helpLines(
      "  ARRL's 13th edition of the Extra Class study guide.  Questions are from the 2024-2028 Extra",
      "  Class question pool, with the errata to February 4, 2026.");
  static constexpr std::array<EmbeddedFigure, 10> kFigures{{
      {"Figure:E5-1", "#51", 640, 645, "Figure 5-1", &embedded::figure_2024_2028_E5_1,
       embedded::description_2024_2028_E5_1},
      {"Figure:E6-1", "#61", 640, 440, "Figure 6-1", &embedded::figure_2024_2028_E6_1,
       embedded::description_2024_2028_E6_1},
      {"Figure:E6-2", "#62", 640, 423, "Figure 6-2", &embedded::figure_2024_2028_E6_2,
       embedded::description_2024_2028_E6_2},
      {"Figure:E6-3", "#63", 640, 424, "Figure 6-3", &embedded::figure_2024_2028_E6_3,
       embedded::description_2024_2028_E6_3},
      {"Figure:E7-1", "#71", 640, 581, "Figure 7-1", &embedded::figure_2024_2028_E7_1,
       embedded::description_2024_2028_E7_1},
      {"Figure:E7-2", "#72", 640, 540, "Figure 7-2", &embedded::figure_2024_2028_E7_2,
       embedded::description_2024_2028_E7_2},
      {"Figure:E7-3", "#73", 640, 591, "Figure 7-3", &embedded::figure_2024_2028_E7_3,
       embedded::description_2024_2028_E7_3},
      {"Figure:E9-1", "#91", 640, 564, "Figure 9-1", &embedded::figure_2024_2028_E9_1,
       embedded::description_2024_2028_E9_1},
      {"Figure:E9-2", "#92", 640, 450, "Figure 9-2", &embedded::figure_2024_2028_E9_2,
       embedded::description_2024_2028_E9_2},
      {"Figure:E9-3", "#93", 640, 363, "Figure 9-3", &embedded::figure_2024_2028_E9_3,
       embedded::description_2024_2028_E9_3},
  }};
};

}  // namespace

const PoolEdition& pool2024To2028() { return editionOf<builtin::pool2024_2028::Tables, Extra2024>(); }

}  // namespace pentrill
