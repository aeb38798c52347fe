#include "cli/platform.h"

#include <cstdlib>
#include <system_error>

namespace quillon {

CommandPlatform CurrentPlatform(const std::optional<std::string>& /*language*/) {
  CommandPlatform platform;
  platform.language =
      LanguageOfLocale(
          MessagesLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG")))
          .name;
  // Linux names the running program here; elsewhere the path stays unknown.
  std::error_code ignored;
  platform.programPath = std::filesystem::read_symlink("/proc/self/exe", ignored);
  return platform;
}

std::vector<std::string> CommandArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::unique_ptr<std::streambuf> ConsoleOutputBuffer() {
  return nullptr;  // terminals take UTF-8
}

}  // namespace quillon
