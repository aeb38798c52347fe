// Setup's phases, operations and documented pairs as tables of the definitions database.
#pragma once

#include <string>

#include "tools/make_defines/setup_codes.h"

struct sqlite3;

namespace quillon::make_defines {

// Creates and fills SetupPhase, SetupOperation, SetupPair and SetupPairRemedy (laid out in
// base/define_schema.h) inside the writer's open transaction. Returns an error text, empty
// on success.
std::string WriteSetupTables(sqlite3* connection, const SetupCodes& codes);

}  // namespace quillon::make_defines
