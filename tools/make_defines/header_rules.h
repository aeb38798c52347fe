// The SDK headers the definitions database is made from, and how each declares its codes.
#pragma once

#include <vector>

#include "tools/make_defines/define_catalog.h"

namespace quillon::make_defines {

// In order of authority: when two headers define one name, the earlier one's is used.
std::vector<HeaderRule> SdkHeaderRules();

}  // namespace quillon::make_defines
