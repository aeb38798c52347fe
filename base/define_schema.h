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

namespace quillon {

// Setup's extend codes (a failed upgrade reports "0xC1900101 - 0x4000D"): the phase of the
// extend code's first hexadecimal digit and the operation of its last two, each with the
// name the upgrade pages give it and a text (NULL: the pages give none).
inline constexpr std::string_view kSetupPhaseTable = "SetupPhase";
inline constexpr std::string_view kSetupOperationTable = "SetupOperation";
inline constexpr std::string_view kSetupNumberColumn = "Number";
inline constexpr std::string_view kSetupNameColumn = "Name";
inline constexpr std::string_view kSetupTextColumn = "Text";
// The pairs the resolution pages explain: Result (signed 32-bit like ErrNum), Extend, Cause
// (NULL when none is given) and the Page it is from; their mitigation one line a row,
// in order (Seq from 1), each with its page.
inline constexpr std::string_view kSetupPairTable = "SetupPair";
inline constexpr std::string_view kSetupPairRemedyTable = "SetupPairRemedy";
inline constexpr std::string_view kSetupResultColumn = "Result";
inline constexpr std::string_view kSetupExtendColumn = "Extend";
inline constexpr std::string_view kSetupCauseColumn = "Cause";
inline constexpr std::string_view kSetupPageColumn = "Page";
inline constexpr std::string_view kSetupSeqColumn = "Seq";

}  // namespace quillon
