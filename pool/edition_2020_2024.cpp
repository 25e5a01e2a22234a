// The 2020-2024 Element 4 pool, as issued on February 24, 2020: the
// program's default edition.
#include "builtin/pool2020_2024.h"
#include "pool/edition_data.h"
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

namespace texts = edition_texts;
namespace tables = builtin::pool2020_2024;

constexpr auto kHelpLines = texts::helpLines(
    "  ARRL's 12 edition of the Extra Class study guide.  Questions are from the 2020-2024 Extra",
    "  Class question pool as issued February 24, 2020.");

constexpr EmbeddedFigure kFigures[] = {
    {"Figure:E5-1", "#51", 640, 686, "Figure 5-1", &embedded::figure2020_E5_1},
    {"Figure:E6-1", "#61", 640, 692, "Figure 6-1", &embedded::figure2020_E6_1},
    {"Figure:E6-2", "#62", 640, 537, "Figure 6-2", &embedded::figure2020_E6_2},
    {"Figure:E6-3", "#63", 640, 537, "Figure 6-3", &embedded::figure2020_E6_3},
    {"Figure:E7-1", "#71", 640, 627, "Figure 7-1", &embedded::figure2020_E7_1},
    {"Figure:E7-2", "#72", 640, 627, "Figure 7-2", &embedded::figure2020_E7_2},
    {"Figure:E7-3", "#73", 640, 627, "Figure 7-3", &embedded::figure2020_E7_3},
    {"Figure:E9-1", "#91", 640, 627, "Figure 9-1", &embedded::figure2020_E9_1},
    {"Figure:E9-2", "#92", 640, 627, "Figure 9-2", &embedded::figure2020_E9_2},
    {"Figure:E9-3", "#93", 640, 640, "Figure 9-3", &embedded::figure2020_E9_3},
};

}  // namespace

const PoolEdition& pool2020To2024() {
  return editionOf<tables::kSubelements, tables::kPoolGroups, tables::kFigureNames, kHelpLines, kFigures>(
      "2020-2024");
}

}  // namespace pentrill
