// A large regular file cut at line ends into pieces that several workers scan at once: each
// piece's lines are numbered on from the line feeds of the pieces before it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "core/byte_source.h"

namespace quillon {

// A regular file read at any offset: each worker that scans a piece of it opens its own.
class PositionalFile {
 public:
  virtual ~PositionalFile() = default;
  virtual std::uint64_t Size() const = 0;
  // Fills space with the bytes from offset on; fewer at the file's end or when a read fails.
  virtual std::size_t ReadAt(std::uint64_t offset, std::span<char> space) = 0;
  // errno's value for a failed read; 0 while none has failed.
  virtual int ErrorNumber() const = 0;
};

// The bytes a worker takes of a large file at a time: the size, of 256 KiB to 8 MiB, that scanned
// a log dense in codes fastest (smaller pieces cost their handing over, larger ones leave the
// caches and a worker idle at the end).
inline constexpr std::size_t kScanPieceSize = std::size_t{1} << 20;
// How far past a piece's nominal end a line feed is looked for; a longer line ends the cutting.
inline constexpr std::size_t kLineEndSearch = std::size_t{64} << 10;

// Where the pieces after the first start: each just after a line feed, about pieceSize bytes
// after the piece before; no piece before the last is longer than pieceSize + kLineEndSearch.
// None for a file shorter than two pieces, or one whose first bytes are not passed to the
// scan as they are (gzip data, UTF-16) or hold a NUL: such files are scanned whole.
std::vector<std::uint64_t> CutAtLineEnds(PositionalFile& file, std::size_t pieceSize);

std::uint64_t CountLineFeeds(std::string_view text);

// A piece of a file read from begin to the file's end: the last piece, which a file that is
// still being written grows.
class PieceToEnd final : public ByteSource {
 public:
  PieceToEnd(PositionalFile& file, std::uint64_t begin) : file_(file), at_(begin) {}
  std::size_t Read(std::span<char> space) override {
    const std::size_t count = file_.ReadAt(at_, space);
    at_ += count;
    return count;
  }
  bool Failed() const override { return file_.ErrorNumber() != 0; }
  int ErrorNumber() const override { return file_.ErrorNumber(); }

 private:
  PositionalFile& file_;
  std::uint64_t at_;
};

// A piece read whole before it is scanned, with how its read ended. Read where the scan reads
// it (Scanner::NextSpace), it is not copied.
class HeldPiece final : public ByteSource {
 public:
  HeldPiece(std::string_view text, int error) : text_(text), error_(error) {}
  std::size_t Read(std::span<char> space) override;
  bool Failed() const override { return error_ != 0; }
  int ErrorNumber() const override { return error_; }

 private:
  std::string_view text_;
  int error_;
};

}  // namespace quillon
