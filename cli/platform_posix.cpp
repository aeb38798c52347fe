#include "cli/platform.h"

#include <system_error>

namespace quillon {

CommandPlatform CurrentPlatform() {
  CommandPlatform platform;
  // Linux names the running program here; elsewhere the path stays unknown.
  std::error_code ignored;
  platform.programPath = std::filesystem::read_symlink("/proc/self/exe", ignored);
  return platform;
}

}  // namespace quillon
