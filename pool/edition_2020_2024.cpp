// The 2020-2024 Amateur Extra (Element 4) pool, as issued on February 24,
// 2020: the program's default edition.
#include "builtin/pool2020_2024.h"
#include "pool/edition_data.h"
#include "embedded/figure_2020_2024_E5_1.h"
#include "embedded/description_2020_2024_E5_1.h"
#include "embedded/figure_2020_2024_E6_1.h"
#include "embedded/description_2020_2024_E6_1.h"
#include "embedded/figure_2020_2024_E6_2.h"
#include "embedded/description_2020_2024_E6_2.h"
#include "embedded/figure_2020_2024_E6_3.h"
#include "embedded/description_2020_2024_E6_3.h"
#include "embedded/figure_2020_2024_E7_1.h"
#include "embedded/description_2020_2024_E7_1.h"
#include "embedded/figure_2020_2024_E7_2.h"
#include "embedded/description_2020_2024_E7_2.h"
#include "embedded/figure_2020_2024_E7_3.h"
#include "embedded/description_2020_2024_E7_3.h"
#include "embedded/figure_2020_2024_E9_1.h"
#include "embedded/description_2020_2024_E9_1.h"
#include "embedded/figure_2020_2024_E9_2.h"
#include "embedded/description_2020_2024_E9_2.h"
#include "embedded/figure_2020_2024_E9_3.h"
#include "embedded/description_2020_2024_E9_3.h"

namespace pentrill {

namespace {

namespace texts = edition_texts;

struct Extra2020 {
  static constexpr EditionFacts kFacts{
      "2020-2024", LicenceClass::Extra, "Amateur Extra", 4, "2020-2024", {2020, 7, 1}, {2024, 6, 30}, 37,
  };
  static constexpr auto kSubelementTitles = texts::kSubelementTitles;
  static constexpr auto kMenuLines = texts::kMenuLines;
  static constexpr auto kHelpLines = texts::helpLines(
      "  ARRL's 12 edition of the Extra Class study guide.  Questions are from the 2020-2024 Extra",
      "  Class question pool as issued February 24, 2020.");
  static constexpr std::array<EmbeddedFigure, 10> kFigures{{
      {"Figure:E5-1", "#51", 640, 686, "Figure 5-1", &embedded::figure_2020_2024_E5_1,
       embedded::description_2020_2024_E5_1},
      {"Figure:E6-1", "#61", 640, 692, "Figure 6-1", &embedded::figure_2020_2024_E6_1,
       embedded::description_2020_2024_E6_1},
      {"Figure:E6-2", "#62", 640, 537, "Figure 6-2", &embedded::figure_2020_2024_E6_2,
       embedded::description_2020_2024_E6_2},
      {"Figure:E6-3", "#63", 640, 537, "Figure 6-3", &embedded::figure_2020_2024_E6_3,
       embedded::description_2020_2024_E6_3},
      {"Figure:E7-1", "#71", 640, 627, "Figure 7-1", &embedded::figure_2020_2024_E7_1,
       embedded::description_2020_2024_E7_1},
      {"Figure:E7-2", "#72", 640, 627, "Figure 7-2", &embedded::figure_2020_2024_E7_2,
       embedded::description_2020_2024_E7_2},
      {"Figure:E7-3", "#73", 640, 627, "Figure 7-3", &embedded::figure_2020_2024_E7_3,
       embedded::description_2020_2024_E7_3},
      {"Figure:E9-1", "#91", 640, 627, "Figure 9-1", &embedded::figure_2020_2024_E9_1,
       embedded::description_2020_2024_E9_1},
      {"Figure:E9-2", "#92", 640, 627, "Figure 9-2", &embedded::figure_2020_2024_E9_2,
       embedded::description_2020_2024_E9_2},
      {"Figure:E9-3", "#93", 640, 640, "Figure 9-3", &embedded::figure_2020_2024_E9_3,
       embedded::description_2020_2024_E9_3},
  }};
};

}  // namespace

const PoolEdition& pool2020To2024() { return editionOf<builtin::pool2020_2024::Tables, Extra2020>(); }

}  // namespace pentrill
