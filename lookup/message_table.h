// Reads one message from a message table (MESSAGE_RESOURCE_DATA): blocks of consecutive ids,
// each pointing at a run of length-prefixed entries. The bytes are untrusted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lookup/file_bytes.h"

namespace quillon {

inline constexpr std::uint64_t kMessageTableCountSize = 4;  // NumberOfBlocks
inline constexpr std::uint64_t kMessageBlockSize = 12;      // LowId, HighId, OffsetToEntries

// The table's blocks of consecutive ids, read once so that a lookup need not walk the file.
struct MessageBlocks {
  struct Block {
    std::uint32_t lowId;
    std::uint32_t highId;
    std::uint32_t entries;  // offset of the block's first entry in the table
  };
  std::vector<Block> blocks;  // in the table's order; empty when the table is damaged
  bool ordered = false;       // ascending and apart, as tables are made: searched by halves
};

// Of a table read in parts (PartsView), what was not read reads as nothing: blocks and
// entries are found only once their part has been read.
MessageBlocks ReadMessageBlocks(std::string_view table);
MessageBlocks ReadMessageBlocks(const PartsView& table);

// The text of code as the table holds it, in UTF-8: 8-bit entries read in the code page of the
// table's language (a LANGID; see AnsiCodePageOf), trailing CR, LF, blanks and tabs removed,
// insert sequences (%1, %hs) untouched. Nothing when the table has no entry for code or the
// entry does not fit in the table.
std::optional<std::string> FindMessage(std::string_view table, std::uint32_t code,
                                       std::uint16_t language);
// The same with the table's blocks read before.
std::optional<std::string> FindMessage(std::string_view table, const MessageBlocks& blocks,
                                       std::uint32_t code, std::uint16_t language);
std::optional<std::string> FindMessage(const PartsView& table, const MessageBlocks& blocks,
                                       std::uint32_t code, std::uint16_t language);

// Where the entries of the block that holds code lie in a table of tableSize bytes (the block
// FindMessage takes): from its first entry to the nearest start of another block's entries
// after it, or the table's end, which in a table as Windows lays them out holds every entry of
// the block. Nothing when no block holds code.
struct BlockEntries {
  std::size_t block = 0;  // in blocks.blocks
  ByteRange range;        // in the table
};
std::optional<BlockEntries> MessageEntries(const MessageBlocks& blocks, std::uint32_t code,
                                           std::uint64_t tableSize);

struct TableMessage {
  std::uint32_t id = 0;
  std::string text;  // as FindMessage gives it
};

// Every message of the table in the blocks' order; the rest of a damaged block is left out.
// Reads each entry once, so the whole table costs one walk; of blocks that share entries only
// as many entries are read as the table's bytes could hold apart, so time and memory stay
// bounded by the table's size.
std::vector<TableMessage> AllMessages(std::string_view table, const MessageBlocks& blocks,
                                      std::uint16_t language);

// UTF-16LE code units to UTF-8, up to the first zero unit; a lone surrogate becomes U+FFFD.
std::string Utf16LeToUtf8(std::string_view units);

// text without its trailing CR, LF, blanks and tabs.
std::string_view TrimMessageEnd(std::string_view text);

}  // namespace quillon
