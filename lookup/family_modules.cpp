#include "lookup/family_modules.h"

#include <array>

#include "base/code_bits.h"

namespace quillon {

namespace {

constexpr std::uint32_t kWholeCode = 0xFFFFFFFFu;
constexpr std::uint32_t kFacilityBits = kFacilityMask << 16;  // as CodeFacility reads

// FACILITY_MEDIASERVER (13): MF_E_*, MF_S_* of mferror.h.
constexpr std::array kMediaFoundation{
    CodeRange{ErrorType::Hresult, kFacilityBits, 0xD0000u, 0xD0000u}};
// lmerr.h: NERR_BASE (2100) to MAX_NERR (2999).
constexpr std::array kNetworkManagement{CodeRange{ErrorType::Win32, kWholeCode, 2100, 2999}};
// raserror.h: RASBASE (600) to RASBASEEND (870); mprerror.h: ROUTEBASE (900) to ROUTEBASEEND
// (956).
constexpr std::array kRemoteAccess{CodeRange{ErrorType::Win32, kWholeCode, 600, 870},
                                   CodeRange{ErrorType::Win32, kWholeCode, 900, 956}};

constexpr std::array kFamilyModules{
    FamilyModule{"mferror.dll", "Media Foundation", kMediaFoundation},
    FamilyModule{"netmsg.dll", "network management", kNetworkManagement},
    FamilyModule{"mprmsg.dll", "remote access and routing", kRemoteAccess},
};

}  // namespace

std::span<const FamilyModule> FamilyModules() {
  return kFamilyModules;
}

bool ServesCode(const FamilyModule& module, ErrorType type, std::uint32_t code) {
  for (const CodeRange& range : module.codes) {
    const std::uint32_t bits = code & range.mask;
    if (range.type == type && bits >= range.first && bits <= range.last) {
      return true;
    }
  }
  return false;
}

bool OwnModuleAnswers(ErrorType type, std::uint32_t code) {
  return type == ErrorType::NtStatus || (type == ErrorType::Hresult && code > kLargestWin32Code);
}

}  // namespace quillon
