// Evaluates the replacement text of an object-like #define as a 32-bit code, and tells how
// the header declared it (plain number, HRESULT or NTSTATUS).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/make_defines/define_scanner.h"

namespace quillon::make_defines {

enum class DeclaredKind { Plain, Hresult, NtStatus };

struct MacroValue {
  std::uint32_t value = 0;
  DeclaredKind kind = DeclaredKind::Plain;
  bool alias = false;  // the text is just another define's name (in parentheses or not)
};

struct Evaluation {
  std::optional<MacroValue> value;
  std::string error;               // why there is no value
  std::vector<std::string> bases;  // names used as an operand of + or -, e.g. WSABASEERR
};

// Gives the value of another define named in the text, or an Evaluation with an error.
using ReferenceResolver = std::function<Evaluation(std::string_view name)>;

// Gives the function-like macro of that name, or null when there is none.
using MacroFinder = std::function<const MacroDefinition*(std::string_view name)>;

// Understands integer literals (decimal, octal, hex; U/L suffixes), parentheses, casts to
// the integer types of the SDK, unary - ~ +, binary + - << >> & ^ |, references to other
// defines and the code-making macros of the SDK (__MSABI_LONG, _HRESULT_TYPEDEF_,
// _NDIS_ERROR_TYPEDEF_, MAKE_HRESULT, MAKE_SCODE, HRESULT_FROM_WIN32, HRESULT_FROM_NT).
// Any other macro call is expanded from the definition findMacro gives, as the
// preprocessor would: the families' own code-making macros (MAKE_D3DHRESULT, MAKE_DSHRESULT)
// are evaluated through what they expand to. Arithmetic wraps modulo 2^32 as the SDK's
// 32-bit LONG does. Anything else is an error.
Evaluation EvaluateDefine(std::string_view body, const ReferenceResolver& resolve,
                          const MacroFinder& findMacro = {});

}  // namespace quillon::make_defines
