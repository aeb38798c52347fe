// What the command line needs of the platform it runs on.
#pragma once

#include <optional>
#include <string>

#include "cli/command.h"

namespace quillon {

// The running program's path, the user's language and, on Windows, the platform's own message
// tables in language (--lang; nothing: the platform's own choice).
CommandPlatform CurrentPlatform(const std::optional<std::string>& language);

}  // namespace quillon
