#include "cli/platform.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "cli/terminal_text.h"

namespace quillon {

CommandPlatform CurrentPlatform() {
  CommandPlatform platform;
  // Linux names the running program here; elsewhere the path stays unknown.
  std::error_code ignored;
  platform.programPath = std::filesystem::read_symlink("/proc/self/exe", ignored);
  platform.outputIsTerminal = isatty(STDOUT_FILENO) == 1;
  platform.noColor = NoColorRequested(std::getenv("NO_COLOR"));
  return platform;
}

}  // namespace quillon
