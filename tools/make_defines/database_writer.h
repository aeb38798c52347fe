// Writes the rows of the catalog as the definitions database file.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/make_defines/define_catalog.h"
#include "tools/make_defines/documentation_merge.h"
#include "tools/make_defines/listed_codes.h"
#include "tools/make_defines/setup_codes.h"

namespace quillon::make_defines {

// Creates tables Win32, HRESULT, NTSTATUS and STOP (ErrNum INTEGER, Define TEXT compared
// without case, both indexed, and Header TEXT) holding rows in the order given, so that of several
// rows with one code the first given is the one a lookup finds first. The file is built
// beside path and renamed over it only when complete; the same rows always give the same
// bytes. Returns an error text, empty on success.
// Beside them, the facility names (Facility: Kind, Number, Name, Header, in the order given)
// and the Win32 code of each mapped NTSTATUS value (NtStatusWin32: NtStatus, Win32).
struct DatabaseContent {
  const std::vector<DefineRow>& rows;
  const std::vector<FacilityRow>& facilities;
  const std::vector<StatusMapping>& statusMap;
  const SetupCodes* setup = nullptr;  // setup's tables (setup_tables.h), when read
  // The documentation's tables (base/define_schema.h), written empty when there is none.
  const Documentation* documentation = nullptr;
};
std::string WriteDefinesDatabase(const DatabaseContent& content, const std::filesystem::path& path);

}  // namespace quillon::make_defines
