#include "lookup/message_table.h"

#include "base/utf8.h"
#include "lookup/ansi_code_pages.h"
#include "lookup/le_bytes.h"

#include <algorithm>

namespace quillon {

namespace {

constexpr std::uint64_t kEntryHeaderSize = 4;  // Length (of the whole entry), Flags
constexpr std::uint16_t kAnsiEntry = 0;
constexpr std::uint16_t kUnicodeEntry = 1;  // MESSAGE_RESOURCE_UNICODE
constexpr std::uint16_t kUtf8Entry = 2;     // MESSAGE_RESOURCE_UTF8, in newer tables

// The entry of the index-th id of the block whose entries start at offset. Each entry
// advances by at least its header, so a damaged run ends at the table's end.
template <typename Bytes>
std::optional<std::string_view> EntryAt(const Bytes& table, std::uint64_t offset,
                                        std::uint64_t index) {
  for (;;) {
    const std::optional<std::uint16_t> length = ReadU16(table, offset);
    if (!length || *length < kEntryHeaderSize) {
      return std::nullopt;
    }
    if (index == 0) {
      return SliceBytes(table, offset, *length);
    }
    offset += *length;
    --index;
  }
}

std::string_view UpToZero(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

bool IsHighSurrogate(std::uint32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(std::uint32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

std::string AnsiToUtf8(std::string_view bytes, AnsiCodePage page) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    AppendUtf8(out, AnsiCharacter(page, static_cast<unsigned char>(c)));
  }
  return out;
}

// The text of an entry (header included) in UTF-8; nothing for an encoding this reader does
// not know.
std::optional<std::string> DecodeEntry(std::string_view entry, AnsiCodePage page) {
  const std::string_view text = entry.substr(kEntryHeaderSize);
  switch (*ReadU16(entry, 2)) {
    case kAnsiEntry:
      return AnsiToUtf8(TrimMessageEnd(UpToZero(text)), page);
    case kUtf8Entry:
      return std::string(TrimMessageEnd(UpToZero(text)));
    case kUnicodeEntry:
      return std::string(TrimMessageEnd(Utf16LeToUtf8(text)));
    default:
      return std::nullopt;
  }
}

}  // namespace

std::string Utf16LeToUtf8(std::string_view units) {
  constexpr std::uint32_t kReplacement = 0xFFFD;
  std::string out;
  out.reserve(units.size() / 2);
  for (std::uint64_t at = 0; at + 2 <= units.size(); at += 2) {
    const std::uint32_t unit = *ReadU16(units, at);
    if (unit == 0) {
      break;
    }
    if (IsHighSurrogate(unit)) {
      const std::optional<std::uint16_t> next = ReadU16(units, at + 2);
      if (next && IsLowSurrogate(*next)) {
        AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (*next - 0xDC00u));
        at += 2;
        continue;
      }
    }
    AppendUtf8(out, IsHighSurrogate(unit) || IsLowSurrogate(unit) ? kReplacement : unit);
  }
  return out;
}

std::string_view TrimMessageEnd(std::string_view text) {
  const std::size_t last = text.find_last_not_of(" \t\r\n");
  return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

namespace {

template <typename Bytes>
MessageBlocks BlocksOf(const Bytes& table) {
  MessageBlocks read;
  const std::optional<std::uint32_t> blockCount = ReadU32(table, 0);
  const std::optional<std::string_view> blocks =
      blockCount ? SliceBytes(table, kMessageTableCountSize, *blockCount * kMessageBlockSize)
                 : std::nullopt;
  if (!blocks) {
    return read;
  }
  read.blocks.reserve(*blockCount);
  read.ordered = true;
  for (std::uint64_t at = 0; at < blocks->size(); at += kMessageBlockSize) {
    const MessageBlocks::Block block{*ReadU32(*blocks, at), *ReadU32(*blocks, at + 4),
                                     *ReadU32(*blocks, at + 8)};
    if (block.lowId > block.highId ||
        (!read.blocks.empty() && block.lowId <= read.blocks.back().highId)) {
      read.ordered = false;
    }
    read.blocks.push_back(block);
  }
  return read;
}

}  // namespace

MessageBlocks ReadMessageBlocks(std::string_view table) {
  return BlocksOf(table);
}

MessageBlocks ReadMessageBlocks(const PartsView& table) {
  return BlocksOf(table);
}

std::optional<std::string> FindMessage(std::string_view table, std::uint32_t code,
                                       std::uint16_t language) {
  return FindMessage(table, ReadMessageBlocks(table), code, language);
}

namespace {

// The first block that holds the code, as a walk through the table finds it.
std::optional<std::size_t> BlockOf(const MessageBlocks& blocks, std::uint32_t code) {
  const auto holds = [code](const MessageBlocks::Block& block) {
    return code >= block.lowId && code <= block.highId;
  };
  auto found = blocks.blocks.end();
  if (blocks.ordered) {
    found = std::partition_point(blocks.blocks.begin(), blocks.blocks.end(),
                                 [code](const MessageBlocks::Block& b) { return b.highId < code; });
    if (found != blocks.blocks.end() && !holds(*found)) {
      found = blocks.blocks.end();
    }
  } else {
    found = std::find_if(blocks.blocks.begin(), blocks.blocks.end(), holds);
  }
  if (found == blocks.blocks.end()) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(found - blocks.blocks.begin());
}

template <typename Bytes>
std::optional<std::string> MessageIn(const Bytes& table, const MessageBlocks& blocks,
                                     std::uint32_t code, std::uint16_t language) {
  const std::optional<std::size_t> found = BlockOf(blocks, code);
  if (!found) {
    return std::nullopt;
  }
  const MessageBlocks::Block& block = blocks.blocks[*found];
  const std::optional<std::string_view> entry = EntryAt(table, block.entries, code - block.lowId);
  if (!entry) {
    return std::nullopt;
  }
  return DecodeEntry(*entry, AnsiCodePageOf(language));
}

}  // namespace

std::optional<std::string> FindMessage(std::string_view table, const MessageBlocks& blocks,
                                       std::uint32_t code, std::uint16_t language) {
  return MessageIn(table, blocks, code, language);
}

std::optional<std::string> FindMessage(const PartsView& table, const MessageBlocks& blocks,
                                       std::uint32_t code, std::uint16_t language) {
  return MessageIn(table, blocks, code, language);
}

std::optional<BlockEntries> MessageEntries(const MessageBlocks& blocks, std::uint32_t code,
                                           std::uint64_t tableSize) {
  const std::optional<std::size_t> found = BlockOf(blocks, code);
  if (!found || blocks.blocks[*found].entries >= tableSize) {
    return std::nullopt;
  }
  const std::uint64_t start = blocks.blocks[*found].entries;
  std::uint64_t end = tableSize;
  for (const MessageBlocks::Block& other : blocks.blocks) {
    if (other.entries > start && other.entries < end) {
      end = other.entries;
    }
  }
  return BlockEntries{*found, {start, end - start}};
}

std::vector<TableMessage> AllMessages(std::string_view table, const MessageBlocks& blocks,
                                      std::uint16_t language) {
  const AnsiCodePage page = AnsiCodePageOf(language);
  std::vector<TableMessage> messages;
  // The entries of a sound table lie apart, so together they take at most the table's bytes.
  // Blocks that point at the same entries (or into each other's) would otherwise cost blocks
  // times entries: the walk ends when the entries read add up to the table's size.
  std::uint64_t budget = table.size();
  for (const MessageBlocks::Block& block : blocks.blocks) {
    // Walked entry by entry: each advances by at least its header, so a damaged block ends
    // at the table's end whatever range it claims.
    std::uint64_t offset = block.entries;
    for (std::uint64_t id = block.lowId; id <= block.highId; ++id) {
      const std::optional<std::uint16_t> length = ReadU16(table, offset);
      const std::optional<std::string_view> entry =
          length && *length >= kEntryHeaderSize ? SliceBytes(table, offset, *length) : std::nullopt;
      if (!entry) {
        break;
      }
      if (*length > budget) {
        return messages;
      }
      budget -= *length;
      if (std::optional<std::string> text = DecodeEntry(*entry, page)) {
        messages.push_back({static_cast<std::uint32_t>(id), std::move(*text)});
      }
      offset += *length;
    }
  }
  return messages;
}

}  // namespace quillon
