#include "cli/file_pieces.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "cli/gzip_source.h"
#include "cli/scan_inputs.h"

namespace quillon {

namespace {

// Read at a time while a line feed is looked for: most lines end within it.
constexpr std::size_t kSearchStep = 4096;

// Inflated or decoded, a file's bytes are not its text's; a binary one is not scanned in a folder.
bool ScannedAsItIs(std::string_view head) {
  return !StartsGzip(head) && !StartsUtf16(head) && !LooksBinaryText(head);
}

// Where the first line feed at or after from is, within kLineEndSearch bytes; size when none.
std::uint64_t LineFeedFrom(PositionalFile& file, std::uint64_t from) {
  char window[kSearchStep];
  for (std::uint64_t at = from; at < from + kLineEndSearch;) {
    const std::size_t count = file.ReadAt(at, window);
    const void* const feed = std::memchr(window, '\n', count);
    if (feed != nullptr) {
      return at + static_cast<std::uint64_t>(static_cast<const char*>(feed) - window);
    }
    if (count < sizeof window) {
      break;
    }
    at += count;
  }
  return file.Size();
}

}  // namespace

std::vector<std::uint64_t> CutAtLineEnds(PositionalFile& file, std::size_t pieceSize) {
  const std::uint64_t size = file.Size();
  std::vector<std::uint64_t> starts;
  if (pieceSize == 0 || size / 2 < pieceSize) {
    return starts;
  }
  std::string head(std::min<std::uint64_t>(size, kBinaryProbeSize), '\0');
  head.resize(file.ReadAt(0, head));
  if (!ScannedAsItIs(head)) {
    return starts;
  }
  // The last piece is at least half a piece long: no worker is handed a crumb.
  for (std::uint64_t at = pieceSize; at + pieceSize / 2 < size;) {
    const std::uint64_t feed = LineFeedFrom(file, at - 1);
    if (feed + 1 >= size) {
      break;
    }
    starts.push_back(feed + 1);
    at = feed + 1 + pieceSize;
  }
  return starts;
}

std::uint64_t CountLineFeeds(std::string_view text) {
  // Sixteen bytes compared at once, counted in byte lanes that are summed before they overflow.
  using Lanes = unsigned char __attribute__((vector_size(16)));
  std::uint64_t count = 0;
  const char* at = text.data();
  std::size_t left = text.size();
  while (left >= sizeof(Lanes)) {
    Lanes sums{};
    const std::size_t blocks = std::min<std::size_t>(left / sizeof(Lanes), 255);
    for (std::size_t i = 0; i < blocks; ++i, at += sizeof(Lanes)) {
      Lanes bytes;
      std::memcpy(&bytes, at, sizeof bytes);
      sums -= reinterpret_cast<Lanes>(bytes == '\n');  // a match is all ones: -1
    }
    for (std::size_t lane = 0; lane < sizeof(Lanes); ++lane) {
      count += sums[lane];
    }
    left -= blocks * sizeof(Lanes);
  }
  return count + static_cast<std::uint64_t>(std::count(at, at + left, '\n'));
}

std::size_t HeldPiece::Read(std::span<char> space) {
  const std::size_t count = std::min(space.size(), text_.size());
  if (space.data() != text_.data()) {
    // Where the text was read into the scan's memory, the bytes already split make room for
    // the rest, copied back over them.
    std::memmove(space.data(), text_.data(), count);
  }
  text_.remove_prefix(count);
  return count;
}

}  // namespace quillon
