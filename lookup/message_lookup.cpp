#include "lookup/message_lookup.h"

#include <utility>

#include "base/code_bits.h"

namespace quillon {

namespace {

// wininet's own error numbers; every other Win32 code is in the system table.
constexpr std::uint32_t kFirstWininetCode = 12000;
constexpr std::uint32_t kLastWininetCode = 12174;

LookupPlan PlanWin32(std::uint32_t value) {
  const std::optional<std::uint32_t> win32 = Win32CodeIn(value);
  if (!win32) {
    return LookupPlan{};
  }
  const std::uint32_t code = *win32;
  if (code >= kFirstWininetCode && code <= kLastWininetCode) {
    return {true, code, MessageSourceId::Wininet};
  }
  return {true, code, MessageSourceId::System};
}

}  // namespace

LookupPlan PlanLookup(ErrorType type, std::uint32_t code) {
  switch (type) {
    case ErrorType::Win32:
      return PlanWin32(code);
    case ErrorType::Hresult:
      return {true, code, MessageSourceId::System};
    case ErrorType::NtStatus:
      return {true, code, MessageSourceId::Ntdll};
    case ErrorType::Stop:
      return {true, code, MessageSourceId::Ntoskrnl};
  }
  return LookupPlan{};
}

LookupOutcome Lookup(ErrorType type, std::uint32_t code, LookupMode mode, MessageSource& source) {
  const LookupPlan plan = PlanLookup(type, code);
  LookupOutcome outcome;
  if (!plan.applicable) {
    return outcome;
  }
  outcome.applicable = true;
  // A source answers with the characters of its message; an empty answer is no message.
  std::optional<std::string> text = source.Message(plan.source, plan.code);
  const bool found = text.has_value() && !text->empty();
  if (mode == LookupMode::Show) {
    outcome.description = found ? std::move(*text) : std::string();
  } else if (found) {
    outcome.found = plan.code;
  }
  return outcome;
}

}  // namespace quillon
