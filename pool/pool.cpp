#include <string>

#include "pool/edition.h"

namespace pentrill {

const Figure* figureOf(const PoolEdition& edition, const Question& question) {
  if (!question.figure || *question.figure >= edition.figureTable.size()) return nullptr;
  return &edition.figureTable[*question.figure];
}

const Question* findQuestion(const PoolEdition& edition, std::string_view id) {
  for (const Subelement& subelement : edition.subelements)
    for (const Question& question : subelement.questions)
      if (question.id == id) return &question;
  return nullptr;
}

std::string idField(const PoolEdition& edition, const Question& question) {
  std::string field(question.id);
  if (const Figure* figure = figureOf(edition, question)) field.append(" ").append(figure->reference);
  return field;
}

bool inForce(const PoolEdition& edition, CivilDate day) { return edition.firstDay <= day && day <= edition.lastDay; }

}  // namespace pentrill
