#include "tools/pool_tables/generated_tables.h"

#include <algorithm>
#include <set>

#include "tools/pool_tables/pool_checks.h"

namespace pool_tables {

namespace {

constexpr size_t kLabelLength = 3;  // "A. "
constexpr size_t kQuestionFields = 6;  // the identifier, the text and four answers

// The fields of a question as the rows hold them: the identifier, the text
// and the answers without their labels.
std::vector<std::string_view> fieldsOf(const SourceQuestion& q) {
  std::vector<std::string_view> fields{q.id, q.text};
  for (const std::string& answer : q.answers) fields.push_back(std::string_view(answer).substr(kLabelLength));
  return fields;
}

// The rows lie in one object of whole blocks of this size, aligned to one:
// the kernel maps the pages of a binary that lie around a page read, within
// such a block, so that no other data may share one with the rows.
constexpr size_t kBlock = 65536;

// Each field ends in a NUL byte: the text reads as separate strings, as tools
// such as strings(1) and lintian show it.
size_t textLength(const PoolTables& tables) {
  size_t length = 0;
  for (const SourceQuestion* q : tables.questions)
    for (std::string_view field : fieldsOf(*q)) length += field.size() + 1;
  return length;
}

void writeFieldStarts(const PoolTables& tables, std::ostream& out) {
  out << "      // Where each field starts in text; its length last.\n      {\n";
  size_t at = 0;
  for (const SourceQuestion* q : tables.questions) {
    out << "         ";
    for (std::string_view field : fieldsOf(*q)) {
      out << ' ' << at << ',';
      at += field.size() + 1;
    }
    out << '\n';
  }
  out << "          " << at << ",\n      },\n";
}

void writeGroups(const PoolTables& tables, std::ostream& out) {
  out << "      // The groups in the pool's order (subelements 1 to 9, then 0): first question and size.\n      {\n";
  for (const TableGroup& group : tables.groups)
    out << "          {" << group.first << ", " << group.size << "},  // "
        << tables.questions[group.first]->id.substr(0, 3) << '\n';
  out << "      },\n";
}

void writeMarks(const PoolTables& tables, std::ostream& out) {
  out << "      // Each question's correct letter and figure.\n      {\n";
  for (size_t i = 0; i < tables.questions.size(); ++i) {
    const int figure = tables.figureOf[i];
    out << "          {'" << tables.questions[i]->letter << "', "
        << (figure < 0 ? std::string("kNoFigure") : std::to_string(figure)) << "},  // " << tables.questions[i]->id
        << '\n';
  }
  out << "      },\n";
}

void writeText(const PoolTables& tables, std::ostream& out) {
  out << "      // Each question's identifier, text and answers, each ended by a NUL byte.\n";
  for (const SourceQuestion* q : tables.questions) {
    out << "         ";
    for (std::string_view field : fieldsOf(*q)) out << ' ' << cppLiteral(std::string(field) + '\0');
    out << '\n';
  }
  out << "      ,\n";
}

// The Rows type and kRows: every row of the pool in one constant object.
void writeRows(const PoolTables& tables, std::ostream& out) {
  const size_t questions = tables.questions.size();
  const size_t starts = questions * kQuestionFields + 1;
  const size_t text = textLength(tables) + 1;
  const size_t used = starts * 4 + tables.groups.size() * 4 + questions * 2 + text;
  const size_t padding = (kBlock - used % kBlock) % kBlock;
  out << "  // The rows in one object of whole 64 KiB blocks, aligned to one: no other\n"
      << "  // data shares their pages, nor the blocks of pages around a page read that\n"
      << "  // the kernel maps together, so that a pool the program does not use is\n"
      << "  // never brought into its memory.\n"
      << "  struct Rows {\n"
      << "    std::uint32_t fieldStarts[" << starts << "];\n"
      << "    GroupRow groups[" << tables.groups.size() << "];\n"
      << "    QuestionMarks marks[" << questions << "];\n"
      << "    char text[" << text << "];\n";
  if (padding > 0) out << "    char blockEnd[" << padding << "];  // zeros to the end of the block\n";
  out << "  };\n"
      << "  static_assert(sizeof(Rows) % " << kBlock << " == 0);\n\n"
      << "#pragma GCC diagnostic push\n"
      << "#pragma GCC diagnostic ignored \"-Woverlength-strings\"  // GCC and Clang take literals of any length\n"
      << "  alignas(" << kBlock << ") static constexpr Rows kRows{\n";
  writeFieldStarts(tables, out);
  writeGroups(tables, out);
  writeMarks(tables, out);
  writeText(tables, out);
  if (padding > 0) out << "      {},\n";
  out << "  };\n#pragma GCC diagnostic pop\n";
}

}  // namespace

PoolTables buildTables(const std::vector<SourceQuestion>& questions, char prefix) {
  PoolTables tables;
  tables.prefix = prefix;
  std::set<std::string> figures;
  for (const SourceQuestion& q : questions) {
    const std::vector<std::string> named = figuresNamedIn(q.text, prefix);
    if (!named.empty()) figures.insert(named.front());
  }
  tables.figures.assign(figures.begin(), figures.end());
  for (const SourceQuestion& q : questions) {
    const std::vector<std::string> named = figuresNamedIn(q.text, prefix);
    const auto figure = named.empty() ? tables.figures.end()
                                      : std::find(tables.figures.begin(), tables.figures.end(), named.front());
    tables.figureOf.push_back(figure == tables.figures.end() ? -1 : static_cast<int>(figure - tables.figures.begin()));
    const size_t index = tables.questions.size();
    if (tables.groups.empty() || tables.questions[tables.groups.back().first]->id.compare(0, 3, q.id, 0, 3) != 0)
      tables.groups.push_back({index, 0});
    ++tables.groups.back().size;
    tables.questions.push_back(&q);
  }
  return tables;
}

std::string cppLiteral(std::string_view bytes) {
  std::string literal = "\"";
  char previous = 0;
  for (char c : bytes) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\' || (c == '?' && previous == '?')) {
      literal += '\\';
      literal += c;
    } else if (byte >= 0x20 && byte <= 0x7E) {
      literal += c;
    } else {
      // Three octal digits always: a following digit cannot extend the escape.
      literal += '\\';
      literal += static_cast<char>('0' + (byte >> 6));
      literal += static_cast<char>('0' + ((byte >> 3) & 7));
      literal += static_cast<char>('0' + (byte & 7));
    }
    previous = c;
  }
  return literal + "\"";
}

std::string tablesNamespace(std::string_view poolName) {
  std::string name = "pool";
  for (char c : poolName) name += c == '-' ? '_' : c;
  return name;
}

void writeTablesHeader(const PoolTables& tables, std::string_view poolName, std::string_view sourceName,
                       std::ostream& out) {
  out << "// Generated by pentrill_pool_tables from " << sourceName << ". Do not edit.\n"
      << "// Windows-1252 text; bytes outside printable ASCII are octal escapes.\n"
      << "// Constant data without pointers, usable at compile time: nothing is parsed at run time.\n"
      << "#pragma once\n"
      << "#include <array>\n#include <cstdint>\n#include <string_view>\n\n"
      << "#include \"pool/question_rows.h\"\n\n"
      << "namespace pentrill::builtin::" << tablesNamespace(poolName) << " {\n\n"
      << "struct Tables {\n"
      << "  static constexpr std::string_view kName = " << cppLiteral(poolName) << ";\n"
      << "  static constexpr char kPrefix = '" << tables.prefix << "';\n\n"
      << "  // The figures that questions name, in the order of the edition's figure\n"
      << "  // table; a question's figure is an index into it.\n"
      << "  static constexpr std::array<std::string_view, " << tables.figures.size() << "> kFigureNames{";
  for (size_t i = 0; i < tables.figures.size(); ++i) out << (i == 0 ? "" : ", ") << cppLiteral(tables.figures[i]);
  out << "};\n\n";
  writeRows(tables, out);
  out << "};\n\n}  // namespace pentrill::builtin::" << tablesNamespace(poolName) << "\n";
}

}  // namespace pool_tables
