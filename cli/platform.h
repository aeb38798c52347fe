// What the command line needs of the platform it runs on.
#pragma once

#include "cli/command.h"

namespace quillon {

// The running program's path and, on Windows, the platform's own message tables.
CommandPlatform CurrentPlatform();

}  // namespace quillon
