// The two lists kept beside the generator as data: the published bug checks, and the Win32
// code that each NTSTATUS value becomes on the platform.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/make_defines/define_catalog.h"

namespace quillon::make_defines {

// What the Header column names for a bug check that comes from the published list.
inline constexpr std::string_view kBugCheckListSource = "Bug Check Code Reference";

// One NTSTATUS value and the Win32 code it maps to.
struct StatusMapping {
  std::int32_t status = 0;  // both stored as the database stores codes: signed 32-bit
  std::int32_t win32 = 0;

  bool operator==(const StatusMapping&) const = default;
};

// Lines of "0x0000000A<TAB>NAME"; '#' starts a comment line. The rows are STOP rows of
// kBugCheckListSource, ranked after any header. On a malformed line, error names it.
Catalog ReadBugCheckList(std::string_view text, std::string& error);

// Lines of "0xC0000005<TAB>998" (an NTSTATUS value, then a Win32 code up to 0xFFFF); '#'
// starts a comment line. On a malformed line, error names it.
std::vector<StatusMapping> ReadStatusMap(std::string_view text, std::string& error);

}  // namespace quillon::make_defines
