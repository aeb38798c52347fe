#include "lookup/wrapped_code.h"

#include "base/code_bits.h"

namespace quillon {

std::optional<WrappedCode> UnwrapCode(ErrorType type, std::uint32_t value) {
  switch (type) {
    case ErrorType::Hresult:
      if (IsHresultFromWin32(value)) {
        return WrappedCode{ErrorType::Win32, CodeLowWord(value), "HRESULT_FROM_WIN32"};
      }
      if (HasNtStatusBit(value)) {
        return WrappedCode{ErrorType::NtStatus, value & ~kNtStatusBit, "HRESULT_FROM_NT"};
      }
      break;
    case ErrorType::NtStatus:
      if (IsNtStatusFromWin32(value)) {
        return WrappedCode{ErrorType::Win32, CodeLowWord(value), "NTSTATUS_FROM_WIN32"};
      }
      break;
    case ErrorType::Stop:
      if (HasNtStatusBit(value)) {
        return WrappedCode{ErrorType::Stop, value & ~kNtStatusBit, "the _M form"};
      }
      break;
    case ErrorType::Win32:
      break;
  }
  return std::nullopt;
}

}  // namespace quillon
