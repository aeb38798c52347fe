// Any bytes as a PE file and as a bare message table: no crash, no read outside the input,
// and a text found never holds a zero byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "lookup/le_bytes.h"
#include "lookup/message_table.h"
#include "lookup/pe_resources.h"

namespace {

void CheckText(const std::optional<std::string>& text) {
  if (text && text->find('\0') != std::string::npos) {
    std::abort();
  }
}

// A few fixed codes and one the input picks (its last four bytes), in a table.
void AskTable(std::string_view table, std::uint32_t picked) {
  for (const std::uint32_t code : {0u, 5u, 0x80070057u, 0xC0000005u, picked}) {
    CheckText(quillon::FindMessage(table, code));
  }
  for (const quillon::TableMessage& message :
       quillon::AllMessages(table, quillon::ReadMessageBlocks(table))) {
    CheckText(message.text);
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
    AskTable(resource->bytes, picked);
  }
  for (const quillon::MessageTableResource& table : quillon::FindMessageTables(bytes, 0x407)) {
    AskTable(table.bytes, picked);
  }
  AskTable(bytes, picked);
  return 0;
}
