// A file's bytes, read into memory of its own, so that a file changed or cut while the program
// runs cannot take the program down. Where only some parts of a large file are needed, only
// those are read, some of them when first needed, each into memory of its own: a system DLL's
// headers, directories and tables' blocks then take a few pages of the heap rather than a fresh
// page each in a block the size of the file.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

struct ByteRange {
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
};

// The parts of a file read so far, each at its offset in the file; parts may overlap.
class FileParts {
 public:
  explicit FileParts(std::uint64_t size) : size_(size) {}
  std::uint64_t size() const { return size_; }
  // The size bytes at offset, when one part holds them all.
  std::optional<std::string_view> Find(std::uint64_t offset, std::uint64_t size) const;
  // Room for the part of size bytes at offset, zeros until read into; it stays where it is.
  char* Add(std::uint64_t offset, std::uint64_t size);
  // The bytes of every part together.
  std::uint64_t BytesRead() const;

 private:
  struct Part {
    std::uint64_t offset;
    std::string bytes;
  };
  std::uint64_t size_;
  std::deque<Part> parts_;  // a deque: a part added leaves the others where they are
};

// Bytes [offset, offset + length) of a file read in parts, as a string_view is of bytes in
// memory: a read is bounded by the view, and gives nothing where no part read holds it all.
struct PartsView {
  const FileParts* file = nullptr;
  std::uint64_t offset = 0;  // in the file
  std::uint64_t length = 0;
  std::uint64_t size() const { return length; }
};

// size bytes at offset of bytes, or nothing when they leave the view or were not read.
std::optional<std::string_view> SliceBytes(const PartsView& bytes, std::uint64_t offset,
                                           std::uint64_t size);
// The view of size bytes at offset, read or not; nothing when they leave bytes.
std::optional<PartsView> SubBytes(const PartsView& bytes, std::uint64_t offset, std::uint64_t size);
std::optional<std::string_view> SubBytes(std::string_view bytes, std::uint64_t offset,
                                         std::uint64_t size);

struct FileBytes {
  // Shared by copies; its address stays, so views of it outlive a move of the FileBytes.
  std::shared_ptr<FileParts> parts;
  // The file, kept open for the parts read later (ReadFilePart).
  std::shared_ptr<std::ifstream> source;
  PartsView View() const { return {parts.get(), 0, parts->size()}; }
};

// The parts of a file worth reading, judged from what was read so far. Ranges may reach past
// the end; what lies there is not read.
using NeededParts = std::function<std::vector<ByteRange>(const PartsView& file)>;

// The file's first headSize bytes and the parts needed; needed is asked again after each read
// until it asks for nothing new (a dozen times at most). Memory is taken only for the parts
// read. Nothing when it cannot be opened or read (a folder, no permission); an empty file gives
// no parts. A file that shrinks meanwhile leaves zeros where its bytes went. Never throws.
std::optional<FileBytes> ReadFileParts(const std::filesystem::path& path, std::uint64_t headSize,
                                       const NeededParts& needed);

// Reads range of a file into into, which has room for its size; false when it cannot.
using PartReader = std::function<bool(ByteRange range, char* into)>;
// ReadFileParts' reading from any source of a file of size bytes, such as bytes in memory:
// nothing when a read fails.
std::shared_ptr<FileParts> ReadParts(std::uint64_t size, std::uint64_t headSize,
                                     const NeededParts& needed, const PartReader& read);

// Reads range of the file (read by ReadFileParts) from the file it keeps open, so that a part
// needed only now and then is read only when it is; every view into its parts stays valid.
// What lies past the file's end as it is now stays zero. False when it cannot be read.
bool ReadFilePart(const FileBytes& file, ByteRange range);

}  // namespace quillon
