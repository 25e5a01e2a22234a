// The user's files through POSIX calls.
#pragma once
#include "platform/files.h"

namespace pentrill {

class PosixFiles : public Files {
 public:
  std::optional<std::string> readFile(std::string_view path, std::size_t limit) override;
};

}  // namespace pentrill
