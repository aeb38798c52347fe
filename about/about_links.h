// The About window's link targets.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillon {

// Both are shown whole on one line of their link labels (165 and 135 pixels wide), so they
// stay short.
inline constexpr std::string_view kWebSiteAddress = "http://quillon.example";
inline constexpr std::string_view kSupportEmailAddress = "help@quillon.example";

// The target that the link control with this id opens, or nothing for other ids.
std::optional<std::string> LinkTarget(int controlId);

}  // namespace quillon
