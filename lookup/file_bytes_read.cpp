// Files are read, not mapped: a file that shrinks while mapped ends the program with SIGBUS on
// the first touch of a lost page, while a copy stays whole whatever happens to the file.
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <new>
#include <system_error>
#include <vector>

#include "lookup/file_bytes.h"
#include "lookup/le_bytes.h"

namespace quillon {

namespace {

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

// Reads range with read into a new part of parts; false when read fails or the memory for
// the part ran out.
bool ReadRange(const PartReader& read, FileParts& parts, ByteRange range) {
  char* into = nullptr;
  try {
    into = parts.Add(range.offset, range.size);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return read(range, into);
}

// Reads range of in into into; false only when the stream broke.
bool ReadFromStream(std::ifstream& in, ByteRange range, char* into) {
  in.clear();
  in.seekg(static_cast<std::streamoff>(range.offset));
  in.read(into, static_cast<std::streamsize>(range.size));
  return !in.bad();
}

// A reader of parts from in.
PartReader FromStream(std::ifstream& in) {
  return [&in](ByteRange range, char* into) { return ReadFromStream(in, range, into); };
}

// Opens path unbuffered: each part goes straight into its memory, in one read of its own size,
// where a buffer would read 8 KiB around every small directory and copy it again.
void OpenUnbuffered(std::ifstream& in, const std::filesystem::path& path) {
  in.rdbuf()->pubsetbuf(nullptr, 0);
  in.open(path, std::ios::binary | std::ios::ate);
}

}  // namespace

std::optional<std::string_view> FileParts::Find(std::uint64_t offset, std::uint64_t size) const {
  // The latest first: a part read later often holds one read before (the whole of a table).
  for (auto part = parts_.rbegin(); part != parts_.rend(); ++part) {
    if (offset >= part->offset && size <= part->bytes.size() &&
        offset - part->offset <= part->bytes.size() - size) {
      return std::string_view(part->bytes)
          .substr(static_cast<std::size_t>(offset - part->offset), static_cast<std::size_t>(size));
    }
  }
  return std::nullopt;
}

char* FileParts::Add(std::uint64_t offset, std::uint64_t size) {
  parts_.push_back({offset, std::string(static_cast<std::size_t>(size), '\0')});
  return parts_.back().bytes.data();
}

std::uint64_t FileParts::BytesRead() const {
  std::uint64_t total = 0;
  for (const Part& part : parts_) {
    total += part.bytes.size();
  }
  return total;
}

std::optional<PartsView> SubBytes(const PartsView& bytes, std::uint64_t offset,
                                  std::uint64_t size) {
  if (offset > bytes.length || size > bytes.length - offset) {
    return std::nullopt;
  }
  return PartsView{bytes.file, bytes.offset + offset, size};
}

std::optional<std::string_view> SliceBytes(const PartsView& bytes, std::uint64_t offset,
                                           std::uint64_t size) {
  const std::optional<PartsView> slice = SubBytes(bytes, offset, size);
  return slice ? slice->file->Find(slice->offset, size) : std::nullopt;
}

std::optional<std::string_view> SubBytes(std::string_view bytes, std::uint64_t offset,
                                         std::uint64_t size) {
  return SliceBytes(bytes, offset, size);
}

std::shared_ptr<FileParts> ReadParts(std::uint64_t size, std::uint64_t headSize,
                                     const NeededParts& needed, const PartReader& reader) {
  const auto parts = std::make_shared<FileParts>(size);
  ReadRanges read(size);
  const ByteRange head = read.Unread({0, headSize});
  if (head.size > 0 && !ReadRange(reader, *parts, head)) {
    return nullptr;
  }
  read.Add(head);
  const PartsView bytes{parts.get(), 0, size};
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
      if (!ReadRange(reader, *parts, range)) {
        return nullptr;
      }
      read.Add(range);
      more = true;
    }
    if (!more) {
      break;
    }
  }
  return parts;
}

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
  std::shared_ptr<FileParts> parts =
      ReadParts(static_cast<std::uint64_t>(end), headSize, needed, FromStream(in));
  if (!parts) {
    return std::nullopt;
  }
  return FileBytes{std::move(parts), std::move(source)};
}

bool ReadFilePart(const FileBytes& file, ByteRange range) {
  if (range.offset >= file.parts->size() || file.source == nullptr) {
    return range.offset >= file.parts->size();
  }
  range.size = std::min<std::uint64_t>(range.size, file.parts->size() - range.offset);
  // A file cut since reads short, and leaves zeros, which no reader takes for an entry.
  return ReadRange(FromStream(*file.source), *file.parts, range);
}

}  // namespace quillon
