// A file's bytes, read into memory of its own, so that a file changed or cut while the program
// runs cannot take the program down. Where only some parts of a large file are needed, only
// those are read, some of them when first needed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace quillon {

struct FileBytes {
  std::string_view bytes;
  // The copy that bytes points into, the program's own memory; copies share it.
  std::shared_ptr<char> block;
  // The file, kept open for the parts read later (ReadFilePart).
  std::shared_ptr<std::ifstream> source;
};

struct ByteRange {
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
};

// The parts of a file worth reading, judged from its bytes with what was read so far (the rest
// zeros). Ranges may reach past the end; what lies there is not read.
using NeededParts = std::function<std::vector<ByteRange>(std::string_view file)>;

// The file's bytes at its full size with only its first headSize bytes and the parts needed
// read, every other byte zero; needed is asked again after each read until it asks for nothing
// new (a dozen times at most). Memory is taken only for the pages read. Nothing when it cannot
// be opened or read (a folder, no permission); an empty file gives empty bytes. A file that
// shrinks meanwhile leaves zeros where its bytes went. Never throws.
std::optional<FileBytes> ReadFileParts(const std::filesystem::path& path, std::uint64_t headSize,
                                       const NeededParts& needed);

// Fills in range of file's bytes (read by ReadFileParts) from the file it keeps open, so that a
// part needed only now and then is read only when it is; every view into the bytes stays
// valid. What lies past the file's end as it is now stays zero. False when it cannot be read.
bool ReadFilePart(const FileBytes& file, ByteRange range);

}  // namespace quillon
