// Files are read, not mapped: a file that shrinks while mapped ends the program with SIGBUS on
// the first touch of a lost page, while a copy stays whole whatever happens to the file.
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <system_error>

#include "lookup/file_bytes.h"

namespace quillon {

namespace {

// Zeroed memory from calloc: a large block comes as fresh pages the system zeroes only once
// touched, so the parts not read cost nothing.
std::shared_ptr<char> ZeroedBlock(std::size_t size) {
  return std::shared_ptr<char>(static_cast<char*>(std::calloc(std::max<std::size_t>(size, 1), 1)),
                               [](char* block) { std::free(block); });
}

// Reads range of in into block (of size bytes); false only when the stream broke.
bool ReadRange(std::ifstream& in, char* block, std::uint64_t size, ByteRange range) {
  if (range.offset >= size) {
    return true;
  }
  const std::uint64_t count = std::min(range.size, size - range.offset);
  in.clear();
  in.seekg(static_cast<std::streamoff>(range.offset));
  in.read(block + range.offset, static_cast<std::streamsize>(count));
  return !in.bad();
}

}  // namespace

std::optional<FileBytes> ReadFileParts(const std::filesystem::path& path, std::uint64_t headSize,
                                       const NeededParts& needed) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    return std::nullopt;
  }
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  std::ifstream in(path, std::ios::binary);
  if (error || !in || size > SIZE_MAX) {
    return std::nullopt;
  }
  const std::shared_ptr<char> block = ZeroedBlock(static_cast<std::size_t>(size));
  if (!block || !ReadRange(in, block.get(), size, {0, headSize})) {
    return std::nullopt;
  }
  const std::string_view bytes(block.get(), static_cast<std::size_t>(size));
  // Each round may show where the next parts lie (a directory, then what it points at): the
  // headers, the start of the resources, three levels of directories with their entries, the
  // data entries and the tables.
  constexpr int kRounds = 12;
  std::set<std::pair<std::uint64_t, std::uint64_t>> read{{0, headSize}};
  for (int round = 0; round < kRounds; ++round) {
    bool more = false;
    for (const ByteRange& range : needed(bytes)) {
      if (range.size == 0 || !read.insert({range.offset, range.size}).second) {
        continue;
      }
      if (!ReadRange(in, block.get(), size, range)) {
        return std::nullopt;
      }
      more = true;
    }
    if (!more) {
      break;
    }
  }
  return FileBytes{bytes, block};
}

}  // namespace quillon
