// The one piece of code that makes a PoolEdition of an edition's data: its
// generated tables, its help lines and its figure table, checked against one
// another while the program compiles.
#pragma once
#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "pool/edition.h"
#include "pool/edition_checks.h"
#include "pool/edition_texts.h"
#include "pool/embedded_figure.h"

namespace pentrill {

// The edition named name, from the constants of its data: kSubelements,
// kPoolGroups and kFigureNames of its generated tables, its help lines and
// its embedded figures. Built once, on first use.
template <const auto& kSubelements, const auto& kPoolGroups, const auto& kFigureNames, const auto& kHelpLines,
          const auto& kFigures>
const PoolEdition& editionOf(std::string_view name) {
  namespace texts = edition_texts;
  static_assert(edition_checks::groupsCoverQuestions(kSubelements, kPoolGroups),
                "the groups of the pool do not cover its questions in order");
  static_assert(edition_checks::menuAgreesWithGroups(texts::kMenuLines, kSubelements),
                "the menu's exam questions and groups per subelement disagree with the pool's groups");
  static_assert(edition_checks::linesFit(kHelpLines, 97), "a help line of the pool would wrap");
  static_assert(edition_checks::drillTitlesFit(texts::kSubelementTitles, kSubelements),
                "a drill title of the pool runs into the question header");
  static_assert(edition_checks::figuresAgree(std::span<const std::string_view>(kFigureNames),
                                             std::span<const EmbeddedFigure>(kFigures), kSubelements),
                "the figure table and the figures the questions name disagree");
  static_assert(allFiguresFitTheirRows(kFigures),
                "a figure of the pool does not match its row of the figure table: each must be a 24-bit, "
                "uncompressed, bottom-up bitmap with a 40-byte information header, of the size listed");

  static_assert(std::size(kPoolGroups) == 50, "an exam asks one question of each of 50 groups");

  static const std::array<Figure, std::size(kFigures)> figures = figureTableOf(kFigures);
  static const PoolEdition edition{
      name, kSubelements, kPoolGroups, texts::kSubelementTitles, texts::kMenuLines, kHelpLines, figures,
  };
  return edition;
}

}  // namespace pentrill
