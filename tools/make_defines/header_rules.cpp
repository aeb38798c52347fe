#include "tools/make_defines/header_rules.h"

namespace quillon::make_defines {

std::vector<HeaderRule> SdkHeaderRules() {
  return {
      // System error numbers (ERROR_*, WSA*, DNS_*, ...) and the HRESULTs of the system.
      {"winerror.h", ErrorType::Win32, {}},
      // Only the ERROR_* numbers 12000 and up are codes; the rest are options and flags.
      {"wininet.h", ErrorType::Win32, {"ERROR_"}},
      // Network management errors NERR_* (2100 and up).
      {"lmerr.h", ErrorType::Win32, {}},
      {"ntstatus.h", std::nullopt, {}},
      // Bug-check codes, cast to ULONG.
      {"bugcodes.h", ErrorType::Stop, {}},
      // HRESULTs of Windows Update, the shadow copy service, URL monikers and ADSI, all
      // commonly met by administrators. These headers declare much else, so only names of
      // their code families are taken.
      {"wuerror.h", std::nullopt, {"WU_E_", "WU_S_"}},
      {"vsserror.h", std::nullopt, {"VSS_E_", "VSS_S_"}},
      {"urlmon.h", std::nullopt, {"INET_E_", "MK_S_", "MK_E_", "S_ASYNCHRONOUS"}},
      {"adserr.h", std::nullopt, {"E_ADS_", "S_ADS_"}},
  };
}

}  // namespace quillon::make_defines
