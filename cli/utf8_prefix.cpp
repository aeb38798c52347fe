#include "cli/utf8_prefix.h"

namespace quillon {

std::size_t WholeUtf8Prefix(std::string_view text) {
  // A character takes at most four bytes: only the last three can belong to a cut one.
  for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
    const auto byte = static_cast<unsigned char>(text[text.size() - back]);
    if ((byte & 0xC0) == 0x80) {
      continue;  // a continuation byte: its lead is further back
    }
    const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return length > back ? text.size() - back : text.size();
  }
  return text.size();
}

}  // namespace quillon
