#include "display/facility_names.h"

namespace quillon {

namespace {

// Texts that more than one entry refers to.
constexpr std::string_view kDefaultFacility = "Default facility code";
constexpr std::string_view kFullVolumeEncryption = "Full volume encryption";
constexpr std::string_view kNetworkDriverInterface = "Network Driver Interface";

template <std::size_t N>
std::string_view NameOrUnknown(const std::array<std::string_view, N>& table, std::uint32_t index) {
  if (index >= table.size() || table[index].empty()) {
    return kUnknownText;
  }
  return table[index];
}

}  // namespace

const std::array<std::string_view, 82> kHresultFacilityNames = {
    kDefaultFacility,                           // 0
    "RPC subsystem",                            // 1
    "COM Dispatch",                             // 2
    "OLE Storage",                              // 3
    "COM/OLE Interface management",             // 4
    {},                                         // 5
    {},                                         // 6
    kWin32FacilityText,                         // 7
    "Windows subsystem",                        // 8
    "Security API layer",                       // 9
    "Control mechanism",                        // 10
    "Certificate client or server",             // 11
    "Wininet related",                          // 12
    "Windows Media Server",                     // 13
    "Microsoft Message Queue",                  // 14
    "Setup API",                                // 15
    "Smart-card subsystem",                     // 16
    "COM+",                                     // 17
    "Microsoft agent",                          // 18
    ".NET CLR",                                 // 19
    "Audit Collection Service",                 // 20
    "Direct Play",                              // 21
    "Ubiquitous Memoryintrospection Service",   // 22
    "Side-by-side servicing",                   // 23
    "Specific to Windows CE",                   // 24
    "HTTP support",                             // 25
    "Common Logging support",                   // 26
    {},                                         // 27
    {},                                         // 28
    {},                                         // 29
    {},                                         // 30
    "User mode filter manager",                 // 31
    "Background copy control",                  // 32
    "Configuration services",                   // 33
    "State management services",                // 34
    "Microsoft Identity Server",                // 35
    "Windows update",                           // 36
    "Active Directory",                         // 37
    "Graphics drivers",                         // 38
    "User Shell",                               // 39
    "Trusted Platform Module services",         // 40
    "Trusted Platform Module applications",     // 41
    {},                                         // 42
    {},                                         // 43
    {},                                         // 44
    {},                                         // 45
    {},                                         // 46
    {},                                         // 47
    "Performance Logs and Alerts",              // 48
    kFullVolumeEncryption,                      // 49
    "Firewall Platform",                        // 50
    "Windows Resource Manager",                 // 51
    kNetworkDriverInterface,                    // 52
    "User mode Hypervisor components",          // 53
    "Configuration Management Infrastructure",  // 54
    "User mode Virtualization subsystem",       // 55
    "User mode Volume manager",                 // 56
    "Boot Configuration Database",              // 57
    "User mode Virtual Hard Disk support",      // 58
    {},                                         // 59
    "System Diagnostics",                       // 60
    "Web Services",                             // 61
    {},                                         // 62
    {},                                         // 63
    {},                                         // 64
    {},                                         // 65
    {},                                         // 66
    {},                                         // 67
    {},                                         // 68
    {},                                         // 69
    {},                                         // 70
    {},                                         // 71
    {},                                         // 72
    {},                                         // 73
    {},                                         // 74
    {},                                         // 75
    {},                                         // 76
    {},                                         // 77
    {},                                         // 78
    {},                                         // 79
    "Windows Defender component",               // 80
    "Open Connectivity service",                // 81
};

const std::array<std::string_view, 60> kNtstatusFacilityNames = {
    kDefaultFacility,                              // 0
    "Debugger",                                    // 1
    "RPC Runtime",                                 // 2
    "RPC Stubs",                                   // 3
    "Input/output",                                // 4
    {},                                            // 5
    {},                                            // 6
    "NTWIN32",                                     // 7
    "NTCERT",                                      // 8
    "NT SSPI",                                     // 9
    "Terminal Server",                             // 10
    "Multilingual User Interface",                 // 11
    {},                                            // 12
    {},                                            // 13
    {},                                            // 14
    {},                                            // 15
    "USB",                                         // 16
    "Hardware Input Device",                       // 17
    "Firewire",                                    // 18
    "Cluster",                                     // 19
    "Advanced Configuration and Power Interface",  // 20
    "Side by Side",                                // 21
    {},                                            // 22
    {},                                            // 23
    {},                                            // 24
    "Transaction",                                 // 25
    "Common Log",                                  // 26
    "Video",                                       // 27
    "Filter Manager",                              // 28
    "MONITOR",                                     // 29
    "Graphics Kernel",                             // 30
    {},                                            // 31
    "Driver Framework",                            // 32
    kFullVolumeEncryption,                         // 33
    "Firewall",                                    // 34
    kNetworkDriverInterface,                       // 35
    {},                                            // 36
    {},                                            // 37
    {},                                            // 38
    {},                                            // 39
    {},                                            // 40
    {},                                            // 41
    {},                                            // 42
    {},                                            // 43
    {},                                            // 44
    {},                                            // 45
    {},                                            // 46
    {},                                            // 47
    {},                                            // 48
    {},                                            // 49
    {},                                            // 50
    {},                                            // 51
    {},                                            // 52
    "Hypervisor",                                  // 53
    "Internet Protocol Security",                  // 54
    "MAX_VALUE",                                   // 55
    {},                                            // 56
    {},                                            // 57
    {},                                            // 58
    {},                                            // 59
};

std::string_view HresultFacilityName(std::uint32_t index) {
  return NameOrUnknown(kHresultFacilityNames, index);
}

std::string_view NtstatusFacilityName(std::uint32_t index) {
  return NameOrUnknown(kNtstatusFacilityNames, index);
}

}  // namespace quillon
