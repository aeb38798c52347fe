// Where description texts come from: the system message table or a module's table.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillon {

enum class MessageSourceId { System, Wininet, Ntdll, Ntoskrnl };

class MessageSource {
 public:
  virtual ~MessageSource() = default;
  // The message text of code in source, or nothing when the source has none.
  virtual std::optional<std::string> Message(MessageSourceId source, std::uint32_t code) = 0;
};

}  // namespace quillon
