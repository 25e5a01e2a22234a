// The 2024-2028 Element 4 pool, in force from July 1, 2024 to June 30, 2028,
// with the errata to February 4, 2026 (E2A13, E4D05, E6D07 and E9E10
// withdrawn). Chosen with --pool 2024-2028.
#include <array>

#include "builtin/pool2024_2028.h"
#include "pool/edition.h"
#include "pool/edition_checks.h"
#include "pool/edition_texts.h"
#include "pool/embedded_figure.h"
#include "embedded/figure2024_E5_1.h"
#include "embedded/figure2024_E6_1.h"
#include "embedded/figure2024_E6_2.h"
#include "embedded/figure2024_E6_3.h"
#include "embedded/figure2024_E7_1.h"
#include "embedded/figure2024_E7_2.h"
#include "embedded/figure2024_E7_3.h"
#include "embedded/figure2024_E9_1.h"
#include "embedded/figure2024_E9_2.h"
#include "embedded/figure2024_E9_3.h"

namespace pentrill {

namespace {

namespace texts = edition_texts;
namespace tables = builtin::pool2024_2028;

constexpr auto kHelpLines = texts::helpLines(
    "  ARRL's 13th edition of the Extra Class study guide.  Questions are from the 2024-2028 Extra",
    "  Class question pool, with the errata to February 4, 2026.");

constexpr EmbeddedFigure kFigures[] = {
    {"Figure:E5-1", "#51", 640, 645, "Figure 5-1", &embedded::figure2024_E5_1},
    {"Figure:E6-1", "#61", 640, 440, "Figure 6-1", &embedded::figure2024_E6_1},
    {"Figure:E6-2", "#62", 640, 423, "Figure 6-2", &embedded::figure2024_E6_2},
    {"Figure:E6-3", "#63", 640, 424, "Figure 6-3", &embedded::figure2024_E6_3},
    {"Figure:E7-1", "#71", 640, 581, "Figure 7-1", &embedded::figure2024_E7_1},
    {"Figure:E7-2", "#72", 640, 540, "Figure 7-2", &embedded::figure2024_E7_2},
    {"Figure:E7-3", "#73", 640, 591, "Figure 7-3", &embedded::figure2024_E7_3},
    {"Figure:E9-1", "#91", 640, 564, "Figure 9-1", &embedded::figure2024_E9_1},
    {"Figure:E9-2", "#92", 640, 450, "Figure 9-2", &embedded::figure2024_E9_2},
    {"Figure:E9-3", "#93", 640, 363, "Figure 9-3", &embedded::figure2024_E9_3},
};

static_assert(edition_checks::menuAgreesWithGroups(texts::kMenuLines, tables::kExamGroupTable),
              "the menu's exam questions and groups per subelement disagree with the 2024-2028 group table");
static_assert(edition_checks::linesFit(kHelpLines, 97), "a help line of the 2024-2028 pool would wrap");
static_assert(edition_checks::drillTitlesFit(texts::kSubelementTitles, tables::kQuestionTables),
              "a drill title of the 2024-2028 pool runs into the question header");

static_assert(allFiguresFitTheirRows(kFigures),
              "a figure of the 2024-2028 pool does not match its row of the figure table: each must be a "
              "24-bit, uncompressed, bottom-up bitmap with a 40-byte information header, of the size listed");

}  // namespace

const PoolEdition& pool2024To2028() {
  static const std::array<Figure, std::size(kFigures)> figures = figureTableOf(kFigures);
  static const PoolEdition edition{
      "2024-2028",       tables::kQuestionTables, tables::kExamGroupTable, texts::kSubelementTitles,
      texts::kMenuLines, kHelpLines,              figures,
  };
  return edition;
}

}  // namespace pentrill
