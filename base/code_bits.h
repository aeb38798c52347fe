// Bit fields of a 32-bit code, all on the value taken as unsigned, and the numbering rules
// built on them: the largest Win32 code, the SDK's macros that make a code of one kind from a
// code of another, and which values carry a Win32 code. Every folder asks these, none keeps
// its own copy.
#pragma once

#include <cstdint>
#include <optional>

namespace quillon {

// Win32 codes are 16 bits wide; a larger value is a code of another kind.
inline constexpr std::uint32_t kLargestWin32Code = 0xFFFF;
// FACILITY_WIN32 of an HRESULT, and FACILITY_NTWIN32 of an NTSTATUS: the same number.
inline constexpr std::uint32_t kWin32Facility = 7;
// The facility field's 13 bits, once shifted down.
inline constexpr std::uint32_t kFacilityMask = 0x1FFF;
// HRESULT's customer bit (C); NTSTATUS's customer bit is the same one.
inline constexpr std::uint32_t kCustomerBit = 0x20000000u;
// HRESULT's N bit: the HRESULT carries an NTSTATUS. The kernel sets the same bit in the "_M"
// forms of a few bug checks.
inline constexpr std::uint32_t kNtStatusBit = 0x10000000u;
// The top two bits of an NTSTATUS: 3 is an error.
inline constexpr std::uint32_t kErrorSeverity = 3;

constexpr std::uint32_t CodeLowWord(std::uint32_t code) {
  return code & 0xFFFFu;
}
constexpr std::uint32_t CodeTopBit(std::uint32_t code) {
  return code >> 31;
}
constexpr std::uint32_t CodeSeverity(std::uint32_t code) {
  return code >> 30;
}
constexpr bool HasCustomerBit(std::uint32_t code) {
  return (code & kCustomerBit) != 0;
}
constexpr bool HasNtStatusBit(std::uint32_t code) {
  return (code & kNtStatusBit) != 0;
}
// Bits 16 to 28; bits 29 to 31 take no part.
constexpr std::uint32_t CodeFacility(std::uint32_t code) {
  return (code >> 16) & kFacilityMask;
}

// HRESULT_FROM_WIN32 of a Win32 code: failure, facility 7, the code. 0 stays 0.
constexpr std::uint32_t HresultFromWin32(std::uint32_t win32) {
  return win32 == 0 ? 0 : (1u << 31) | (kWin32Facility << 16) | CodeLowWord(win32);
}
// NTSTATUS_FROM_WIN32 of a Win32 code: error severity, facility 7, the code. 0 stays 0.
constexpr std::uint32_t NtStatusFromWin32(std::uint32_t win32) {
  return win32 == 0 ? 0 : (kErrorSeverity << 30) | (kWin32Facility << 16) | CodeLowWord(win32);
}
// HRESULT_FROM_NT: the NTSTATUS with the N bit.
constexpr std::uint32_t HresultFromNt(std::uint32_t status) {
  return status | kNtStatusBit;
}

// Whether value is what HRESULT_FROM_WIN32 makes of a Win32 code (0x8007xxxx); the macro keeps
// 0 as 0, so 0x80070000 is not.
constexpr bool IsHresultFromWin32(std::uint32_t value) {
  return value != 0 && value == HresultFromWin32(CodeLowWord(value));
}
// Whether value is what NTSTATUS_FROM_WIN32 makes of a Win32 code (0xC007xxxx, not 0xC0070000).
constexpr bool IsNtStatusFromWin32(std::uint32_t value) {
  return value != 0 && value == NtStatusFromWin32(CodeLowWord(value));
}

// The Win32 code the window reads in value: value itself up to kLargestWin32Code, else the low
// word of any value of facility 7, whatever its top three bits (0x00070005 and 0x80070000 too).
// Nothing for every other value.
constexpr std::optional<std::uint32_t> Win32CodeIn(std::uint32_t value) {
  if (value <= kLargestWin32Code) {
    return value;
  }
  if (CodeFacility(value) == kWin32Facility) {
    return CodeLowWord(value);
  }
  return std::nullopt;
}

// Whether the system message table (FormatMessage, on Windows and under Wine) answers value,
// asked as it is, with the text of its low word: a failure of facility 7, whatever bits 29 and
// 30 hold.
constexpr bool SystemTableReadsAsWin32(std::uint32_t value) {
  return CodeTopBit(value) == 1 && CodeFacility(value) == kWin32Facility;
}

}  // namespace quillon
