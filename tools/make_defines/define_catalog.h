// Turns the #defines of a set of headers into the rows of the definitions database: which
// names are error codes, their values, and the table each belongs in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error_type.h"
#include "tools/make_defines/define_expression.h"
#include "tools/make_defines/define_scanner.h"

namespace quillon::make_defines {

struct HeaderRule {
  // File name inside the include directory; once read, as the Header column writes it.
  std::string file;
  // Table of the values the header declares as plain numbers (or casts to ULONG and the
  // like); without one they are not codes. HRESULT and NTSTATUS declarations always go to
  // their own tables.
  std::optional<ErrorType> plainTable;
  // When not empty, only names that start with one of these are codes of this header.
  std::vector<std::string> namePrefixes;
  // Names that start with one of these are not codes of this header.
  std::vector<std::string> excludedPrefixes;
};

struct ParsedHeader {
  HeaderRule rule;
  std::vector<MacroDefinition> defines;
};

// Of several names of one code, the first row is the one the program shows; rows sort by
// table, code, rank, name.
enum class NameRank {
  Preferred,  // the name everyone uses for the code, e.g. S_OK rather than SEC_E_OK
  Own,        // declared with a value of its own
  Alias,      // declared as another code's name
};

struct CatalogRow {
  ErrorType table = ErrorType::Win32;
  std::int32_t code = 0;
  std::string name;
  NameRank rank = NameRank::Own;
  std::string header;         // the file of the HeaderRule it comes from
  std::size_t authority = 0;  // that header's place in the order of authority
};

// A name that two sets of headers give different codes of one kind.
struct Disagreement {
  std::string name;
  CatalogRow first;   // the row of the set read first, which stays the one found first
  CatalogRow second;  // the other set's row, kept after it
};

// A facility number that a header names (FACILITY_DXGI, _FACDXGI), for the facilities the
// program's own table has no text for.
struct FacilityRow {
  ErrorType kind = ErrorType::Hresult;  // HRESULT, or NTSTATUS for ntstatus.h's
  std::uint32_t number = 0;
  std::string name;
  std::string header;
  std::size_t authority = 0;
};

struct SkippedDefine {
  std::string name;
  std::string file;
  int line = 0;
  std::string reason;
};

struct Catalog {
  std::vector<CatalogRow> rows;          // in database order
  std::vector<SkippedDefine> skipped;    // code names whose value could not be worked out
  std::vector<SkippedDefine> redefined;  // later definitions with other text, not used
  std::vector<Disagreement> disagreements;
  std::vector<FacilityRow> facilities;  // by kind, number, then the name to show first
};

// The codes are the object-like defines with a value, minus reserved names (leading "_"),
// facility and severity numbers, range markers (..._FIRST, ..._LAST) and the bases that
// other codes count from; a plain number named ..._BASE or ..._MASK is a marker too, but a
// code declared as HRESULT or NTSTATUS keeps such a name (STATUS_IMAGE_NOT_AT_BASE).
// Earlier headers win when a name is defined more than once. A name referred to by a code,
// or a macro that makes codes, may be defined in any of the headers, whether or not it is a
// code itself. A plain number above 0xFFFF is never a Win32 code: a header that hands such
// values out as last errors (Setup API's) follows the HRESULT layout, so they go there.
Catalog BuildCatalog(const std::vector<ParsedHeader>& headers);

// The rows of two independent sets of headers, each built on its own: every row of first,
// and the rows of second whose name first's table of that kind lacks. A name both have in
// one table with another code is a disagreement: first's row stays, second's is kept after
// it. second's headers rank after all of first's. A facility name that first lacks is added.
Catalog MergeCatalogs(Catalog first, const Catalog& second);

}  // namespace quillon::make_defines
