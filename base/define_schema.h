// The definitions database's layout, shared by the generator that writes it and the program
// that reads it.
#pragma once

#include <string_view>

namespace quillon {

inline constexpr std::string_view kDefinesFileName = "defines.db3";

// One table per ErrorType, named ErrorTypeName(type), with these columns.
inline constexpr std::string_view kCodeColumn = "ErrNum";    // the code as a signed 32-bit integer
inline constexpr std::string_view kNameColumn = "Define";    // the define name, COLLATE NOCASE
inline constexpr std::string_view kHeaderColumn = "Header";  // the header that declares it

// Facility numbers the headers name, for the facilities the program's own tables have no text
// for: Kind ("HRESULT" or "NTSTATUS"), Number, Name and Header; of several names of one
// facility the first row's is shown.
inline constexpr std::string_view kFacilityTable = "Facility";
inline constexpr std::string_view kFacilityKindColumn = "Kind";
inline constexpr std::string_view kFacilityNumberColumn = "Number";
inline constexpr std::string_view kFacilityNameColumn = "Name";

// The Win32 code each NTSTATUS value becomes on the platform (RtlNtStatusToDosError), for the
// values that become one; both signed 32-bit like ErrNum.
inline constexpr std::string_view kStatusMapTable = "NtStatusWin32";
inline constexpr std::string_view kStatusMapStatusColumn = "NtStatus";
inline constexpr std::string_view kStatusMapWin32Column = "Win32";

}  // namespace quillon
