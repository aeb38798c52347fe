#include "lookup/probe_kind.h"

#include "lookup/message_lookup.h"

namespace quillon {

ProbeOutcome ProbeKind(ErrorType type, std::uint32_t value, MessageSource& messages,
                       const DefineSource& defines) {
  const LookupOutcome lookup = Lookup(type, value, LookupMode::Probe, messages);
  ProbeOutcome outcome{lookup.applicable, lookup.found};
  if (!outcome.applicable || outcome.found) {
    return outcome;
  }
  // Many codes have a name but no system text (under Wine most Win32 codes and every NTSTATUS
  // and STOP code; on Windows whole HRESULT families): a named code is never "not found".
  // A row whose name is NULL still holds the code.
  const std::uint32_t code = PlanLookup(type, value).code;
  if (defines.NameOfValue(type, code).has_value()) {
    outcome.found = code;
  }
  return outcome;
}

}  // namespace quillon
