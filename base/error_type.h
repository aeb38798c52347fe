// The four kinds of code, always in this order; their names are also the database's tables.
#pragma once

#include <array>
#include <string_view>

namespace quillon {

enum class ErrorType { Win32 = 0, Hresult = 1, NtStatus = 2, Stop = 3 };

inline constexpr std::array<ErrorType, 4> kErrorTypes = {ErrorType::Win32, ErrorType::Hresult,
                                                         ErrorType::NtStatus, ErrorType::Stop};

// "Win32", "HRESULT", "NTSTATUS", "STOP": label text, Type field text and table name.
constexpr std::string_view ErrorTypeName(ErrorType type) {
  constexpr std::array<std::string_view, 4> kNames = {"Win32", "HRESULT", "NTSTATUS", "STOP"};
  return kNames[static_cast<int>(type)];
}

}  // namespace quillon
