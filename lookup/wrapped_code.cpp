#include "lookup/wrapped_code.h"

namespace quillon {

namespace {

constexpr std::uint32_t kHighWord = 0xFFFF0000u;
constexpr std::uint32_t kLowWord = 0x0000FFFFu;
constexpr std::uint32_t kHresultFromWin32 = 0x80070000u;
constexpr std::uint32_t kNtStatusFromWin32 = 0xC0070000u;
// HRESULT's N bit; the kernel sets the same bit in the "_M" forms of a few bug checks.
constexpr std::uint32_t kWrapsNtStatusBit = 0x10000000u;

}  // namespace

std::optional<WrappedCode> UnwrapCode(ErrorType type, std::uint32_t value) {
  switch (type) {
    case ErrorType::Hresult:
      // HRESULT_FROM_WIN32 and NTSTATUS_FROM_WIN32 keep 0 as 0: no code wraps Win32 0.
      if ((value & kHighWord) == kHresultFromWin32 && (value & kLowWord) != 0) {
        return WrappedCode{ErrorType::Win32, value & kLowWord, "HRESULT_FROM_WIN32"};
      }
      if ((value & kWrapsNtStatusBit) != 0) {
        return WrappedCode{ErrorType::NtStatus, value & ~kWrapsNtStatusBit, "HRESULT_FROM_NT"};
      }
      break;
    case ErrorType::NtStatus:
      if ((value & kHighWord) == kNtStatusFromWin32 && (value & kLowWord) != 0) {
        return WrappedCode{ErrorType::Win32, value & kLowWord, "NTSTATUS_FROM_WIN32"};
      }
      break;
    case ErrorType::Stop:
      if ((value & kWrapsNtStatusBit) != 0) {
        return WrappedCode{ErrorType::Stop, value & ~kWrapsNtStatusBit, "the _M form"};
      }
      break;
    case ErrorType::Win32:
      break;
  }
  return std::nullopt;
}

}  // namespace quillon
