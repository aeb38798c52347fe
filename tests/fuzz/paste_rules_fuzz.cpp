// Any clipboard text and any typed character: an accepted paste is short enough and holds
// only the bytes a paste may hold; a passed-on character is one the edit would take.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "query/classify_query.h"
#include "query/paste_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const quillon::PasteVerdict verdict = quillon::CheckPaste(text);
  if (verdict.outcome == quillon::PasteVerdict::Outcome::Accepted) {
    const bool valid = std::all_of(verdict.trimmed.begin(), verdict.trimmed.end(), [](char c) {
      return quillon::IsPasteValidByte(static_cast<unsigned char>(c));
    });
    if (!valid || verdict.trimmed.empty() || verdict.trimmed.size() > quillon::kQueryMaxLength) {
      std::abort();
    }
  }
  if (size >= 2) {
    const unsigned typed = data[0] | (static_cast<unsigned>(data[1]) << 8);
    const std::optional<unsigned> passed = quillon::FilterQueryChar(typed);
    const bool editKey =
        passed && (*passed == 3 || *passed == 8 || *passed == 22 || *passed == 24 || *passed == 26);
    if (passed && !editKey &&
        (*passed > 0xFF || !quillon::IsPasteValidByte(static_cast<unsigned char>(*passed)))) {
      std::abort();
    }
  }
  return 0;
}
