#include "lookup/message_lookup.h"

#include <utility>

#include "lookup/code_bits.h"

namespace quillon {

namespace {

constexpr std::uint32_t kWin32Facility = 7;
// wininet's own error numbers; every other Win32 code is in the system table.
constexpr std::uint32_t kFirstWininetCode = 12000;
constexpr std::uint32_t kLastWininetCode = 12174;

constexpr int kShowModeWord = static_cast<int>(LookupMode::Show);

LookupPlan FromSystem(std::uint32_t code) {
  return {true, code, MessageSourceId::System, kFormatFromSystem, nullptr};
}

LookupPlan FromModule(std::uint32_t code, MessageSourceId source, const char* moduleName) {
  return {true, code, source, kFormatFromModule, moduleName};
}

LookupPlan PlanWin32(std::uint32_t code) {
  if (code > 0xFFFFu) {
    // Only an HRESULT that wraps a Win32 code carries one; the top three bits take no part.
    if (CodeFacility(code) != kWin32Facility) {
      return LookupPlan{};
    }
    code = CodeLowWord(code);
  }
  if (code >= kFirstWininetCode && code <= kLastWininetCode) {
    return FromModule(code, MessageSourceId::Wininet, "wininet");
  }
  return FromSystem(code);
}

}  // namespace

LookupPlan PlanLookup(ErrorType type, std::uint32_t code) {
  switch (type) {
    case ErrorType::Win32:
      return PlanWin32(code);
    case ErrorType::Hresult:
      return FromSystem(code);
    case ErrorType::NtStatus:
      return FromModule(code, MessageSourceId::Ntdll, "ntdll");
    case ErrorType::Stop:
      return FromModule(code, MessageSourceId::Ntoskrnl, "ntoskrnl.exe");
  }
  return LookupPlan{};
}

LookupOutcome Lookup(ErrorType type, std::uint32_t code, int mode, MessageSource& source) {
  const LookupPlan plan = PlanLookup(type, code);
  LookupOutcome outcome;
  if (!plan.applicable) {
    outcome.result = -1;
    return outcome;
  }
  // A source answers with the characters of its message; an empty answer is no message.
  std::optional<std::string> text = source.Message(plan.source, plan.code);
  const bool found = text.has_value() && !text->empty();
  if (mode == kShowModeWord) {
    outcome.description = found ? std::move(*text) : std::string();
  } else if (found) {
    outcome.storeInLabel = plan.code;
  }
  return outcome;
}

}  // namespace quillon
