#include "display/facility_names.h"

#include <gtest/gtest.h>

#include <map>
#include <string_view>

namespace quillon {
namespace {

// The named entries; every index not listed is empty.
const std::map<std::uint32_t, std::string_view> kHresultNamed = {
    {0, "Default facility code"},
    {1, "RPC subsystem"},
    {2, "COM Dispatch"},
    {3, "OLE Storage"},
    {4, "COM/OLE Interface management"},
    {7, "Windows (Non COM)"},
    {8, "Windows subsystem"},
    {9, "Security API layer"},
    {10, "Control mechanism"},
    {11, "Certificate client or server"},
    {12, "Wininet related"},
    {13, "Windows Media Server"},
    {14, "Microsoft Message Queue"},
    {15, "Setup API"},
    {16, "Smart-card subsystem"},
    {17, "COM+"},
    {18, "Microsoft agent"},
    {19, ".NET CLR"},
    {20, "Audit Collection Service"},
    {21, "Direct Play"},
    {22, "Ubiquitous Memoryintrospection Service"},
    {23, "Side-by-side servicing"},
    {24, "Specific to Windows CE"},
    {25, "HTTP support"},
    {26, "Common Logging support"},
    {31, "User mode filter manager"},
    {32, "Background copy control"},
    {33, "Configuration services"},
    {34, "State management services"},
    {35, "Microsoft Identity Server"},
    {36, "Windows update"},
    {37, "Active Directory"},
    {38, "Graphics drivers"},
    {39, "User Shell"},
    {40, "Trusted Platform Module services"},
    {41, "Trusted Platform Module applications"},
    {48, "Performance Logs and Alerts"},
    {49, "Full volume encryption"},
    {50, "Firewall Platform"},
    {51, "Windows Resource Manager"},
    {52, "Network Driver Interface"},
    {53, "User mode Hypervisor components"},
    {54, "Configuration Management Infrastructure"},
    {55, "User mode Virtualization subsystem"},
    {56, "User mode Volume manager"},
    {57, "Boot Configuration Database"},
    {58, "User mode Virtual Hard Disk support"},
    {60, "System Diagnostics"},
    {61, "Web Services"},
    {80, "Windows Defender component"},
    {81, "Open Connectivity service"},
};

const std::map<std::uint32_t, std::string_view> kNtstatusNamed = {
    {0, "Default facility code"},
    {1, "Debugger"},
    {2, "RPC Runtime"},
    {3, "RPC Stubs"},
    {4, "Input/output"},
    {7, "NTWIN32"},
    {8, "NTCERT"},
    {9, "NT SSPI"},
    {10, "Terminal Server"},
    {11, "Multilingual User Interface"},
    {16, "USB"},
    {17, "Hardware Input Device"},
    {18, "Firewire"},
    {19, "Cluster"},
    {20, "Advanced Configuration and Power Interface"},
    {21, "Side by Side"},
    {25, "Transaction"},
    {26, "Common Log"},
    {27, "Video"},
    {28, "Filter Manager"},
    {29, "MONITOR"},
    {30, "Graphics Kernel"},
    {32, "Driver Framework"},
    {33, "Full volume encryption"},
    {34, "Firewall"},
    {35, "Network Driver Interface"},
    {53, "Hypervisor"},
    {54, "Internet Protocol Security"},
    {55, "MAX_VALUE"},
};

using NameFunction = std::string_view (*)(std::uint32_t);

// Every index of the table and a stretch past it: the listed name, else the unknown text.
void ExpectWholeTable(const std::map<std::uint32_t, std::string_view>& named, NameFunction name,
                      std::uint32_t tableSize) {
  for (std::uint32_t index = 0; index < tableSize + 20; ++index) {
    SCOPED_TRACE(index);
    const auto it = named.find(index);
    EXPECT_EQ(it != named.end() ? it->second : "*** Unknown ***", name(index));
  }
  for (const std::uint32_t index : {0x1FFFu, 0xFFFFFFFFu}) {
    SCOPED_TRACE(index);
    EXPECT_EQ("*** Unknown ***", name(index));
  }
}

TEST(FacilityNames, HresultTableNamesEveryListedIndexAndNothingElse) {
  EXPECT_EQ(51u, kHresultNamed.size());
  ExpectWholeTable(kHresultNamed, HresultFacilityName, 82);
}

TEST(FacilityNames, NtstatusTableNamesEveryListedIndexAndNothingElse) {
  EXPECT_EQ(29u, kNtstatusNamed.size());
  ExpectWholeTable(kNtstatusNamed, NtstatusFacilityName, 60);
}

}  // namespace
}  // namespace quillon
