// Whether a number is of one kind: the kind's message table or its table of define names
// knows it.
#pragma once

#include <cstdint>
#include <optional>

#include "base/error_type.h"
#include "lookup/define_source.h"
#include "lookup/message_source.h"

namespace quillon {

struct ProbeOutcome {
  bool applicable = false;  // false: only Win32 says so, for a value that cannot be one
  // The code stored for the kind when its message table has a text for it or its define table
  // holds it: the reduced code for Win32, the full value for the others.
  std::optional<std::uint32_t> found;
};

// Asks the message table first; the define table only when the message table has no text, so a
// missing or damaged database changes nothing for a code the system describes.
ProbeOutcome ProbeKind(ErrorType type, std::uint32_t value, MessageSource& messages,
                       const DefineSource& defines);

}  // namespace quillon
