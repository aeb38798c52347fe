// Where description texts come from: the system message table or a module's table.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/error_type.h"

namespace quillon {

enum class MessageSourceId { System, Wininet, Ntdll, Ntoskrnl };

// The module whose table holds a source's texts ("wininet", "ntdll", "ntoskrnl.exe"); null for
// the system table.
constexpr const char* ModuleName(MessageSourceId source) {
  switch (source) {
    case MessageSourceId::Wininet:
      return "wininet";
    case MessageSourceId::Ntdll:
      return "ntdll";
    case MessageSourceId::Ntoskrnl:
      return "ntoskrnl.exe";
    case MessageSourceId::System:
      break;
  }
  return nullptr;
}

class MessageSource {
 public:
  virtual ~MessageSource() = default;
  // The message text of code in source, or nothing when the source has none.
  virtual std::optional<std::string> Message(MessageSourceId source, std::uint32_t code) = 0;
  // The text that further tables hold for code as a code of kind type: the modules of other
  // families, then the user's own. The command line asks once the kind's source has none; the
  // window keeps to the four sources. Nothing unless a source has such tables.
  virtual std::optional<std::string> FurtherMessage(ErrorType /*type*/, std::uint32_t /*code*/) {
    return std::nullopt;
  }
  // The published documentation's text of code as a code of kind type, asked after every
  // table: never the system's own words. Nothing unless the source reads the documentation.
  virtual std::optional<std::string> DocumentedMessage(ErrorType /*type*/,
                                                       std::uint32_t /*value*/) {
    return std::nullopt;
  }
};

// A source with no text for any code: names only.
class NoMessages final : public MessageSource {
 public:
  std::optional<std::string> Message(MessageSourceId, std::uint32_t) override {
    return std::nullopt;
  }
};

}  // namespace quillon
