// The one piece of code that makes a PoolEdition of an edition's data: its
// generated rows, its facts, screen texts and figure table, checked against
// one another while the program compiles.
#pragma once
#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "pool/edition.h"
#include "pool/edition_checks.h"
#include "pool/edition_texts.h"
#include "pool/embedded_figure.h"
#include "pool/question_rows.h"
#include "pool/question_tables.h"

namespace pentrill {

// What an edition's data says of its pool beside the generated rows.
struct EditionFacts {
  std::string_view name;
  LicenceClass licence;
  std::string_view className;
  int element;
  std::string_view years;
  CivilDate firstDay;
  CivilDate lastDay;
  int passMark;
};

// The typed tables of a pool, built from its rows on the first call.
template <typename Tables>
const QuestionTables& builtTables() {
  static const QuestionTables tables(rowsOf<Tables>());
  return tables;
}

template <typename Tables>
std::span<const Subelement, kSubelementCount> builtSubelements() {
  return builtTables<Tables>().subelements;
}

template <typename Tables>
std::span<const Group* const> builtPoolGroups() {
  return builtTables<Tables>().poolGroups;
}

// The edition of a pool's generated Tables (builtin::<pool>::Tables) and its
// Data: kFacts, kSubelementTitles, kMenuLines, kHelpLines and kFigures. The
// edition is a constant; its questions are built when they are first used.
template <typename Tables, typename Data>
const PoolEdition& editionOf() {
  constexpr QuestionRows rows = rowsOf<Tables>();
  constexpr char prefix = Tables::kPrefix;
  static_assert(Data::kFacts.name == Tables::kName, "the edition's data and tables are of different pools");
  static_assert(edition_checks::groupsCoverQuestions(rows, prefix),
                "the groups of the pool do not cover its questions in order");
  static_assert(edition_checks::menuAgreesWithGroups(Data::kMenuLines, rows, prefix),
                "the menu's exam questions and groups per subelement disagree with the pool's groups");
  static_assert(Data::kHelpLines.size() == edition_texts::kHelpLineCount &&
                    edition_checks::linesFit(Data::kHelpLines, 97),
                "the help screen of the pool is not 34 lines, or one of them would wrap");
  static_assert(edition_checks::drillTitlesFit(Data::kSubelementTitles, rows, prefix, Tables::kFigureNames),
                "a drill title of the pool does not name its subelement or runs into the question header");
  static_assert(edition_checks::figuresAgree(std::span<const std::string_view>(Tables::kFigureNames),
                                             std::span<const EmbeddedFigure>(Data::kFigures), rows),
                "the figure table and the figures the questions name disagree");
  static_assert(allFiguresFitTheirRows(Data::kFigures),
                "a figure of the pool does not match its row of the figure table: each must be a 24-bit, "
                "uncompressed, bottom-up bitmap with a 40-byte information header, of the size listed");
  static_assert(allFiguresDescribed(Data::kFigures), "a figure of the pool has no description");
  static_assert(Data::kFacts.passMark == passMarkFor(static_cast<int>(std::size(Tables::kRows.groups))),
                "the pass mark is not the fewest right answers of an exam of one question per group that pass");

  // Both constant: made by the compiler, not at start-up, so that making the
  // list of every edition reads nothing of the editions not used.
  constexpr EditionFacts facts = Data::kFacts;
  static constexpr std::array<Figure, std::size(Data::kFigures)> figures = figureTableOf(Data::kFigures);
  static constexpr PoolEdition edition{
      facts.name,
      facts.licence,
      facts.className,
      facts.element,
      facts.years,
      facts.firstDay,
      facts.lastDay,
      prefix,
      facts.passMark,
      TablesSpan<const Subelement, kSubelementCount>(&builtSubelements<Tables>, kSubelementCount),
      TablesSpan<const Group* const>(&builtPoolGroups<Tables>, std::size(Tables::kRows.groups)),
      Data::kSubelementTitles,
      Data::kMenuLines,
      Data::kHelpLines,
      figures,
  };
  return edition;
}

}  // namespace pentrill
