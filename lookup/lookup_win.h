// The message-table lookups applied to the window: labels in Probe mode, Description in Show.
#pragma once

#include <cstdint>

#include "lookup/error_type.h"
#include "lookup/message_lookup.h"

namespace quillon {

// Returns -1 when the code is not applicable to the kind (only Win32 can say so), else 0.
int RunLookup(ErrorType type, std::uint32_t code, int mode);

}  // namespace quillon
