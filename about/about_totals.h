// The About window's number of defines per kind.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/error_type.h"

namespace quillon {

// "Win32: 12,345": the kind and the rows its table holds, thousands set off by commas. When the
// table cannot be counted, the figures the window has always shown ("Win32: 2,527",
// "HRESULT: 1,767", "NTSTATUS: 1,730", "STOP: 318").
std::string DefineTotalText(ErrorType type, std::optional<std::int64_t> rows);

}  // namespace quillon
