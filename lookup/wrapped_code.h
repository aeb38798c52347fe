// Codes made from codes of another kind by the SDK's macros: a match of the outer code says
// which code it carries, and is found through it even when no table names the outer one.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "base/error_type.h"

namespace quillon {

struct WrappedCode {
  ErrorType type = ErrorType::Win32;
  std::uint32_t value = 0;
  std::string_view wrapper;  // the macro (or form) that makes the outer code, for people
};

// HRESULT_FROM_WIN32 (0x8007xxxx: the Win32 code xxxx), HRESULT_FROM_NT (an HRESULT with the
// N bit 0x10000000: that NTSTATUS value without it), NTSTATUS_FROM_WIN32 (0xC007xxxx: the
// Win32 code xxxx; both make 0 of Win32 0, so 0x80070000 and 0xC0070000 wrap nothing) and the "_M"
// form of a bug check (with 0x10000000: the same bug check without it). Nothing when value of type
// wraps no code.
std::optional<WrappedCode> UnwrapCode(ErrorType type, std::uint32_t value);

}  // namespace quillon
