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

// Every name of the kinds' tables, as written, by its NameHash: the distinct hashes in
// ascending order, 4 bytes each, little-endian, in the one row's Hashes. A scan learns which
// words are names from a few pages instead of every row; a database made before it reads the
// names themselves.
inline constexpr std::string_view kNameHashTable = "NameHash";
inline constexpr std::string_view kNameHashColumn = "Hashes";

// Each kind's codes, for the same: a row per kind, its Kind as ErrorTypeName, its ErrNums the
// distinct codes of the kind's table taken as unsigned, in ascending order, 4 bytes each,
// little-endian. A kind without a row, and a database made before it, read the table's codes.
inline constexpr std::string_view kKindValuesTable = "KindValues";
inline constexpr std::string_view kKindValuesKindColumn = "Kind";
inline constexpr std::string_view kKindValuesColumn = "ErrNums";

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

// The published documentation's texts, for codes whose system tables are out of reach (no
// Windows, no Wine) or hold no text. Kind is ErrorTypeName ("Win32", "HRESULT", "NTSTATUS",
// "STOP"), ErrNum signed 32-bit like the kinds' tables, Lang a tag like "en-US" or "de-DE".
// One row per (Kind, ErrNum, Lang), its primary key: a lookup's text is
//   SELECT Text FROM Description WHERE Kind = ? AND ErrNum = ? AND Lang = ?
// Where pages disagree, the system error code and COM pages' text is the one kept. Page is the
// page's path inside its published repository (desktop-src/Debug/system-error-codes--0-499-.md).
inline constexpr std::string_view kDescriptionTable = "Description";
inline constexpr std::string_view kDocKindColumn = "Kind";
inline constexpr std::string_view kDocLanguageColumn = "Lang";
inline constexpr std::string_view kDocTextColumn = "Text";
inline constexpr std::string_view kDocPageColumn = "Page";
// Every ErrNum Description holds, whatever its kind and language, once (the table's INTEGER
// PRIMARY KEY): a scan learns which numbers the texts describe from a few pages instead of
// reading every text. A database made before it reads Description's keys instead.
inline constexpr std::string_view kDescribedCodeTable = "DescribedCode";

// What to do about a code, in the page's order: Seq counts from 1 within (Kind, ErrNum, Lang),
// the primary key with it; Text is a paragraph or one step.
inline constexpr std::string_view kRemedyTable = "Remedy";
inline constexpr std::string_view kDocSeqColumn = "Seq";

// What each of a bug check's four parameters means: ErrNum (the STOP code), Lang, Number (1-4),
// Meaning, Page; primary key (ErrNum, Lang, Number). The bug check's description is in
// Description (Kind "STOP").
inline constexpr std::string_view kBugCheckParameterTable = "BugCheckParameter";
inline constexpr std::string_view kBugCheckNumberColumn = "Number";
inline constexpr std::string_view kBugCheckMeaningColumn = "Meaning";

// A bug check's table of causes: when parameter Parameter (1-4) holds Value, the cause is
// Cause, and the parameters mean Parameter1..Parameter4 (NULL: as BugCheckParameter says, and
// always NULL for the selecting one). Value is NULL where the page gives no number for a row
// ("Other values"); ValueText is the key as the page writes it. Primary key (ErrNum, Lang, Seq),
// Seq the page's order from 1. The row a value selects:
//   SELECT ... FROM BugCheckCase WHERE ErrNum = ? AND Lang = ? AND Parameter = ? AND Value = ?
inline constexpr std::string_view kBugCheckCaseTable = "BugCheckCase";
inline constexpr std::string_view kBugCheckParameterColumn = "Parameter";
inline constexpr std::string_view kBugCheckValueColumn = "Value";
inline constexpr std::string_view kBugCheckValueTextColumn = "ValueText";
inline constexpr std::string_view kBugCheckCauseColumn = "Cause";
// Parameter1 .. Parameter4: the column names of the per-case meanings.
inline constexpr std::string_view kBugCheckCaseMeaningPrefix = "Parameter";

// The documentation's languages (the pages' own): the bug checks also have zh-CN and ja-JP.
// Rows the documentation adds to the kinds' tables have the Header "documentation: FAMILY".
inline constexpr std::string_view kDocumentationHeaderPrefix = "documentation: ";

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
