// Description texts from the operating system's message tables.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "lookup/message_source.h"

namespace quillon {

// Asks FormatMessageA once per call; a module source is opened as a data file for that call
// only and released before it returns, so nothing is cached between calls.
class WindowsMessageSource final : public MessageSource {
 public:
  std::optional<std::string> Message(MessageSourceId source, std::uint32_t code) override;
};

}  // namespace quillon
