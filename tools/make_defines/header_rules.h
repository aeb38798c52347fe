// The headers the definitions database is made from, and how each declares its codes.
// README.md beside this file says which families are taken and which are left out.
#pragma once

#include <vector>

#include "tools/make_defines/define_catalog.h"

namespace quillon::make_defines {

// Each list is in order of authority: when two headers define one name, the earlier one's is
// used, and of several names of one code the earlier header's comes first.

// mingw-w64's SDK headers: every header that declares error codes.
std::vector<HeaderRule> SdkHeaderRules();

// The nine headers the database was first made from (system, WinINet, network management,
// NTSTATUS, bug checks, Windows Update, shadow copies, URL monikers, ADSI): the first of
// SdkHeaderRules(), kept to compare a database of them with the whole one.
std::vector<HeaderRule> CoreSdkHeaderRules();

// Wine's own headers: the same families where Wine has them, and a few only Wine has.
std::vector<HeaderRule> WineHeaderRules();

}  // namespace quillon::make_defines
