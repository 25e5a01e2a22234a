#include "backends/locale_charset.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace pentrill {

bool localeIsUtf8() {
  setlocale(LC_CTYPE, "");
  std::string codeset = nl_langinfo(CODESET);
  std::transform(codeset.begin(), codeset.end(), codeset.begin(), [](unsigned char c) { return std::tolower(c); });
  return codeset == "utf-8" || codeset == "utf8";
}

}  // namespace pentrill
