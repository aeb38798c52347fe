// Reads the whole file once into memory. A mapping would save the copy, but a file that shrinks
// while mapped ends the program with SIGBUS on the first touch of a lost page; a copy stays
// whole whatever happens to the file afterwards.
#include <fstream>
#include <memory>
#include <system_error>

#include "lookup/file_bytes.h"

namespace quillon {

std::optional<FileBytes> ReadFileBytes(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    return std::nullopt;
  }
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  std::ifstream in(path, std::ios::binary);
  if (error || !in) {
    return std::nullopt;
  }
  auto copy = std::make_shared<std::string>(static_cast<std::size_t>(size), '\0');
  in.read(copy->data(), static_cast<std::streamsize>(copy->size()));
  if (in.bad()) {
    return std::nullopt;
  }
  // A file that shrank since its size was read gives what it still holds.
  copy->resize(static_cast<std::size_t>(in.gcount()));
  return FileBytes{std::string_view(*copy), std::shared_ptr<const void>(copy)};
}

}  // namespace quillon
