// The console program's descriptions from the platform's message tables: wide texts in the
// user's language, as UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lookup/message_source.h"

namespace quillon {

// Asks FormatMessageW for each language of the fallback order in turn: the one asked for, its
// neutral form, US English, then the platform's own search (language 0); with none asked for,
// the platform's own search alone. The families' modules (mferror.dll, ...) are opened as data
// files for one call each, as the four sources' modules are.
class WideMessageSource final : public MessageSource {
 public:
  explicit WideMessageSource(std::optional<std::uint16_t> language);
  std::optional<std::string> Message(MessageSourceId source, std::uint32_t code) override;
  std::optional<std::string> FurtherMessage(ErrorType type, std::uint32_t code) override;

 private:
  std::vector<std::uint16_t> languages_;
};

// UTF-16 text to UTF-8; a lone surrogate becomes U+FFFD.
std::string WideToUtf8(const wchar_t* text, std::size_t length);

}  // namespace quillon
