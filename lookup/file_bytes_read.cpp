// Files are read, not mapped: a file that shrinks while mapped ends the program with SIGBUS on
// the first touch of a lost page, while a copy stays whole whatever happens to the file.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <system_error>
#include <vector>

#include "lookup/file_bytes.h"

namespace quillon {

namespace {

// The common page size; where pages are larger, parts are only less well aligned.
constexpr std::uintptr_t kPageSize = 4096;

// Zeroed memory from calloc: a large block comes as fresh pages the system zeroes only once
// touched, so the parts not read cost nothing. The file's first byte starts a page, so that a
// part of whole pages (the headers, the directories) takes no page more than its size: each
// page first touched costs a fault.
std::shared_ptr<char> ZeroedBlock(std::size_t size) {
  if (size > SIZE_MAX - kPageSize) {
    return nullptr;
  }
  const std::shared_ptr<char> owner(static_cast<char*>(std::calloc(size + kPageSize, 1)),
                                    [](char* block) { std::free(block); });
  if (!owner) {
    return nullptr;
  }
  const auto misalignment = reinterpret_cast<std::uintptr_t>(owner.get()) % kPageSize;
  return {owner, owner.get() + (kPageSize - misalignment) % kPageSize};
}

// The ranges read so far, clipped to the file; a range inside one of them is not read again
// (the directories of the common file lie inside the first part of its resources).
class ReadRanges {
 public:
  explicit ReadRanges(std::uint64_t size) : size_(size) {}
  // range clipped to the file, or an empty one when all of it has been read already.
  ByteRange Unread(ByteRange range) const {
    if (range.offset >= size_) {
      return {};
    }
    range.size = std::min(range.size, size_ - range.offset);
    const bool inside = std::any_of(read_.begin(), read_.end(), [&range](const ByteRange& done) {
      return range.offset >= done.offset && range.offset + range.size <= done.offset + done.size;
    });
    return inside ? ByteRange{} : range;
  }
  void Add(ByteRange range) { read_.push_back(range); }

 private:
  std::uint64_t size_;
  std::vector<ByteRange> read_;
};

// Reads range of in into block; false only when the stream broke.
bool ReadRange(std::ifstream& in, char* block, ByteRange range) {
  in.clear();
  in.seekg(static_cast<std::streamoff>(range.offset));
  in.read(block + range.offset, static_cast<std::streamsize>(range.size));
  return !in.bad();
}

// Opens path unbuffered: each part goes straight into the block, in one read of its own size,
// where a buffer would read 8 KiB around every small directory and copy it again.
void OpenUnbuffered(std::ifstream& in, const std::filesystem::path& path) {
  in.rdbuf()->pubsetbuf(nullptr, 0);
  in.open(path, std::ios::binary | std::ios::ate);
}

}  // namespace

std::optional<FileBytes> ReadFileParts(const std::filesystem::path& path, std::uint64_t headSize,
                                       const NeededParts& needed) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    return std::nullopt;
  }
  auto source = std::make_shared<std::ifstream>();
  std::ifstream& in = *source;
  OpenUnbuffered(in, path);
  const std::streamoff end = in ? static_cast<std::streamoff>(in.tellg()) : -1;
  if (end < 0 || static_cast<std::uintmax_t>(end) > SIZE_MAX) {
    return std::nullopt;
  }
  const auto size = static_cast<std::uint64_t>(end);
  const std::shared_ptr<char> block = ZeroedBlock(static_cast<std::size_t>(size));
  ReadRanges read(size);
  const ByteRange head = read.Unread({0, headSize});
  if (!block || (head.size > 0 && !ReadRange(in, block.get(), head))) {
    return std::nullopt;
  }
  read.Add(head);
  const std::string_view bytes(block.get(), static_cast<std::size_t>(size));
  // Each round may show where the next parts lie (a directory, then what it points at): the
  // headers, the start of the resources, three levels of directories with their entries, the
  // data entries and the tables.
  constexpr int kRounds = 12;
  for (int round = 0; round < kRounds; ++round) {
    bool more = false;
    for (const ByteRange& wanted : needed(bytes)) {
      const ByteRange range = read.Unread(wanted);
      if (range.size == 0) {
        continue;
      }
      if (!ReadRange(in, block.get(), range)) {
        return std::nullopt;
      }
      read.Add(range);
      more = true;
    }
    if (!more) {
      break;
    }
  }
  return FileBytes{bytes, block, std::move(source)};
}

bool ReadFilePart(const FileBytes& file, ByteRange range) {
  if (range.offset >= file.bytes.size() || file.source == nullptr) {
    return range.offset >= file.bytes.size();
  }
  range.size = std::min<std::uint64_t>(range.size, file.bytes.size() - range.offset);
  // A file cut since reads short, and leaves zeros, which no reader takes for an entry.
  return ReadRange(*file.source, file.block.get(), range);
}

}  // namespace quillon
