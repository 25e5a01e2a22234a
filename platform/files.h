// Files the program reads that the user keeps: the hints file and the
// pictures it names. Read whole, never more than a limit, so that no file
// (a pipe, a device, a huge file) can stall or exhaust the program.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace pentrill {

class Files {
 public:
  virtual ~Files() = default;
  // The bytes of the regular file at path (UTF-8, relative to the working
  // folder); nothing when it is missing, unreadable, not a regular file or
  // larger than `limit` bytes.
  virtual std::optional<std::string> readFile(std::string_view path, std::size_t limit) = 0;
};

// Where no file is ever found.
class NoFiles : public Files {
 public:
  std::optional<std::string> readFile(std::string_view, std::size_t) override { return std::nullopt; }
};

}  // namespace pentrill
