// The About window's link targets.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillon {

inline constexpr std::string_view kWebSiteAddress = "http://www.quillon-tool.example";
inline constexpr std::string_view kSupportEmailAddress = "support@quillon-tool.example";

// The target that the link control with this id opens, or nothing for other ids.
std::optional<std::string> LinkTarget(int controlId);

}  // namespace quillon
