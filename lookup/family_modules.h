// Modules that carry the texts of further families of codes, beyond the system table, wininet,
// ntdll and ntoskrnl: each answers only for the codes of its own family, and the user's own
// modules (--module) for a code no other table holds.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "base/error_type.h"

namespace quillon {

// The codes of one kind whose bits under mask lie from first to last.
struct CodeRange {
  ErrorType type;
  std::uint32_t mask;
  std::uint32_t first;
  std::uint32_t last;
};

struct FamilyModule {
  std::string_view file;  // in System32, or Wine's DLL folder
  std::string_view family;
  std::span<const CodeRange> codes;
};

// mferror.dll (Media Foundation), netmsg.dll (network management), mprmsg.dll (remote access
// and routing), in the order they are asked.
std::span<const FamilyModule> FamilyModules();

// Whether module answers for code as a code of kind type.
bool ServesCode(const FamilyModule& module, ErrorType type, std::uint32_t code);

// Whether a user's module is asked for code as a code of kind type: a message id is laid out
// as an HRESULT or NTSTATUS is (severity, facility, code), so those two kinds, with the HRESULT
// only above 0xFFFF, where it is no Win32 code.
bool OwnModuleAnswers(ErrorType type, std::uint32_t code);

}  // namespace quillon
