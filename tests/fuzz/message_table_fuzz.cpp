// Any bytes as a PE file and as a bare message table: no crash, no read outside the input,
// and a text found never holds a zero byte. Read in parts as the program reads a file, the
// input gives a subset of what it gives read whole, and the same texts.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lookup/file_bytes.h"
#include "lookup/le_bytes.h"
#include "lookup/message_table.h"
#include "lookup/pe_resources.h"

namespace {

void CheckText(const std::optional<std::string>& text) {
  if (text && text->find('\0') != std::string::npos) {
    std::abort();
  }
}

// A few fixed codes and one the input picks (its last four bytes), in a table of language. A
// listing reads no more entry bytes than the table holds, so its text is bounded by them.
void AskTable(std::string_view table, std::uint32_t picked, std::uint16_t language) {
  for (const std::uint32_t code : {0u, 5u, 0x80070057u, 0xC0000005u, picked}) {
    CheckText(quillon::FindMessage(table, code, language));
  }
  std::size_t listed = 0;
  for (const quillon::TableMessage& message :
       quillon::AllMessages(table, quillon::ReadMessageBlocks(table), language)) {
    CheckText(message.text);
    listed += message.text.size();
  }
  // UTF-8 takes at most three bytes for each byte of an 8-bit entry.
  if (listed > 3 * table.size()) {
    std::abort();
  }
}

void PutU32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  }
}

// The input as a table of one block repeated, so that every block shares the same entries
// (the bytes after the first block): a listing must not cost blocks times entries.
std::string OverlappingBlocks(std::string_view table) {
  constexpr std::uint32_t kCopies = 256;
  constexpr std::uint32_t kMoved = (kCopies - 1) * 12;  // the entries move by the added blocks
  const std::optional<std::uint32_t> lowId = quillon::ReadU32(table, 4);
  const std::optional<std::uint32_t> highId = quillon::ReadU32(table, 8);
  const std::optional<std::uint32_t> entries = quillon::ReadU32(table, 12);
  if (!lowId || !highId || !entries) {
    return {};
  }
  std::string shared;
  PutU32(shared, kCopies);
  for (std::uint32_t i = 0; i < kCopies; ++i) {
    PutU32(shared, *lowId);
    PutU32(shared, *highId);
    PutU32(shared, *entries + kMoved);
  }
  return shared.append(table.substr(16));
}

// The input read as FileMessageSource reads a file: the headers, what MessageTableParts asks
// for until it asks for nothing new, then the entries of the blocks that hold the codes.
void ReadInParts(std::string_view bytes, std::uint32_t picked) {
  const auto fromInput = [bytes](quillon::ByteRange range, char* into) {
    std::memcpy(into, bytes.data() + range.offset, range.size);  // ranges come within the input
    return true;
  };
  const std::shared_ptr<quillon::FileParts> parts = quillon::ReadParts(
      bytes.size(), quillon::kPeHeadSize,
      [](const quillon::PartsView& file) {
        return quillon::MessageTableParts(file, 0x407, quillon::TableReach::Blocks);
      },
      fromInput);
  if (!parts) {
    return;
  }
  const quillon::PartsView file{parts.get(), 0, bytes.size()};
  const std::vector<quillon::MessageTableResource> whole = quillon::FindMessageTables(bytes, 0x407);
  for (const quillon::MessageTablePart& table : quillon::FindMessageTables(file, 0x407)) {
    const auto same = std::find_if(whole.begin(), whole.end(), [&](const auto& w) {
      return static_cast<std::uint64_t>(w.bytes.data() - bytes.data()) == table.bytes.offset &&
             w.bytes.size() == table.bytes.size() && w.language == table.language;
    });
    if (same == whole.end()) {
      std::abort();  // a table the whole input does not have
    }
    const quillon::MessageBlocks blocks = quillon::ReadMessageBlocks(table.bytes);
    for (const std::uint32_t code : {5u, 0xC0000005u, picked}) {
      if (const auto entries = quillon::MessageEntries(blocks, code, table.bytes.size())) {
        const quillon::ByteRange range{table.bytes.offset + entries->range.offset,
                                       entries->range.size};
        fromInput(range, parts->Add(range.offset, range.size));
      }
      const std::optional<std::string> text =
          quillon::FindMessage(table.bytes, blocks, code, table.language);
      CheckText(text);
      if (text && text != quillon::FindMessage(same->bytes, code, same->language)) {
        std::abort();  // read in parts, a text other than the whole input's
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::uint32_t picked = size >= 4 ? quillon::ReadU32(bytes, size - 4).value_or(0) : 0;
  if (const auto resource = quillon::FindMessageTableResource(bytes)) {
    if (resource->bytes.data() < bytes.data() ||
        resource->bytes.data() + resource->bytes.size() > bytes.data() + bytes.size()) {
      std::abort();  // the table must lie inside the file
    }
    AskTable(resource->bytes, picked, resource->language);
  }
  for (const quillon::MessageTableResource& table : quillon::FindMessageTables(bytes, 0x407)) {
    AskTable(table.bytes, picked, table.language);
  }
  AskTable(bytes, picked, static_cast<std::uint16_t>(picked));
  AskTable(OverlappingBlocks(bytes), picked, 0x405);
  ReadInParts(bytes, picked);
  return 0;
}
