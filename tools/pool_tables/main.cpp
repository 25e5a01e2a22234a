// pentrill_pool_tables POOL_NAME POOL_TEXT OUTPUT_HEADER
//
// Turns the published text of the pool named POOL_NAME ("2020-2024",
// "2024-2028", "technician-2026-2030", "general-2023-2027") into the C++
// header of its built-in question rows and exam groups. Refuses, naming each question at fault, when the text breaks
// any invariant the tables rely on or any fact known of that pool; nothing
// is written then, so the build stops.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string_view>

#include "tools/pool_tables/generated_tables.h"
#include "tools/pool_tables/pool_checks.h"
#include "tools/pool_tables/pool_source.h"

namespace {

bool readFile(const std::filesystem::path& path, std::string& content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  content = buffer.str();
  return !in.bad();
}

// Written beside the target and renamed, so a failed run never leaves a
// half-written source behind.
bool writeFile(const std::filesystem::path& path, const std::string& content) {
  std::filesystem::path temporary = path;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out || !(out << content) || !out.flush()) return false;
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  return !error;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: pentrill_pool_tables POOL_NAME POOL_TEXT OUTPUT_HEADER\n";
    return 2;
  }
  const std::string_view poolName = argv[1];
  const pool_tables::ExpectedPool* pool = pool_tables::expectedPool(poolName);
  if (pool == nullptr) {
    std::cerr << "pentrill_pool_tables: no facts known of a pool \"" << poolName << "\"\n";
    return 2;
  }
  const std::filesystem::path source = argv[2];
  const std::filesystem::path output = argv[3];
  std::string content;
  if (!readFile(source, content)) {
    std::cerr << source.string() << ": cannot read the pool text\n";
    return 1;
  }

  pool_tables::Diagnostics diagnostics(source.string());
  std::vector<pool_tables::SourceQuestion> questions = pool_tables::readPool(content, pool->prefix, diagnostics);
  pool_tables::checkPool(questions, *pool, diagnostics);
  if (!diagnostics.empty()) {
    for (const std::string& message : diagnostics.messages()) std::cerr << message << '\n';
    std::cerr << "pentrill_pool_tables: " << diagnostics.messages().size() << " problem(s) in the " << poolName
              << " pool text; no tables written\n";
    std::error_code ignored;
    std::filesystem::remove(output, ignored);
    return 1;
  }

  std::ostringstream generated;
  pool_tables::writeTablesHeader(pool_tables::buildTables(questions, pool->prefix), poolName, source.filename().string(), generated);
  if (!writeFile(output, generated.str())) {
    std::cerr << output.string() << ": cannot write the tables\n";
    return 1;
  }
  return 0;
}
