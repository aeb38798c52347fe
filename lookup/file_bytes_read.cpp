// Where mmap is not available (the Windows console build): read the whole file once.
#include <fstream>
#include <iterator>
#include <string>

#include "lookup/file_bytes.h"

namespace quillon {

std::optional<FileBytes> ReadFileBytes(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return std::nullopt;
  }
  auto copy = std::make_shared<const std::string>(std::istreambuf_iterator<char>(in),
                                                  std::istreambuf_iterator<char>());
  if (in.bad()) {
    return std::nullopt;
  }
  return FileBytes{std::string_view(*copy), copy};
}

}  // namespace quillon
