// The constant vocabulary of the result display: facility names and status words.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace quillon {

inline constexpr std::string_view kUnknownText = "*** Unknown ***";

// Status words.
inline constexpr std::string_view kSuccessText = "Success";
inline constexpr std::string_view kFailureText = "Failure";
inline constexpr std::string_view kInformationText = "Information";
inline constexpr std::string_view kWarningText = "Warning";
inline constexpr std::string_view kErrorText = "Error";
inline constexpr std::string_view kStopStatusText = "Your Screwed";

// HRESULT facility 7, and the Facility of every Win32 code.
inline constexpr std::string_view kWin32FacilityText = "Windows (Non COM)";

// Empty entries hold an empty view (never an empty name).
extern const std::array<std::string_view, 82> kHresultFacilityNames;
extern const std::array<std::string_view, 60> kNtstatusFacilityNames;

// The facility name at index, or kUnknownText for an empty entry or an index past the table.
std::string_view HresultFacilityName(std::uint32_t index);
std::string_view NtstatusFacilityName(std::uint32_t index);

}  // namespace quillon
