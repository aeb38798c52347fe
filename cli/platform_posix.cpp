#include "cli/platform.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "core/terminal_text.h"

namespace quillon {

namespace {

// Standard input as read(2) gives it: a terminal's line or a pipe's bytes as soon as they are
// there, where an istream would wait for its whole buffer.
class DescriptorSource final : public ByteSource {
 public:
  std::size_t Read(std::span<char> space) override {
    for (;;) {
      const ssize_t count = read(STDIN_FILENO, space.data(), space.size());
      if (count >= 0) {
        return static_cast<std::size_t>(count);
      }
      if (errno != EINTR) {
        error_ = errno;
        return 0;
      }
    }
  }
  bool Failed() const override { return error_ != 0; }
  int ErrorNumber() const override { return error_; }

 private:
  int error_ = 0;
};

// Standard input that was closed before the program started: every read fails. Asked before
// any file is opened, since the first file opened would otherwise take descriptor 0 and be
// read as the input.
class ClosedSource final : public ByteSource {
 public:
  std::size_t Read(std::span<char>) override { return 0; }
  bool Failed() const override { return true; }
  int ErrorNumber() const override { return EBADF; }
};

bool IsClosed(int descriptor) {
  return fcntl(descriptor, F_GETFD) == -1 && errno == EBADF;
}

}  // namespace

CommandPlatform CurrentPlatform(const std::optional<std::string>& /*language*/) {
  CommandPlatform platform;
  platform.language =
      LanguageOfLocale(
          MessagesLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG")))
          .name;
  // Linux names the running program here; elsewhere the path stays unknown.
  std::error_code ignored;
  platform.programPath = std::filesystem::read_symlink("/proc/self/exe", ignored);
  if (IsClosed(STDIN_FILENO)) {
    platform.input = std::make_unique<ClosedSource>();
  } else {
    platform.input = std::make_unique<DescriptorSource>();
  }
  platform.inputIsTerminal = isatty(STDIN_FILENO) != 0;
  platform.endOfInputKeys = "Ctrl-D";
  platform.outputIsTerminal = isatty(STDOUT_FILENO) == 1;
  platform.noColor = NoColorRequested(std::getenv("NO_COLOR"));
  return platform;
}

std::vector<std::string> CommandArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::unique_ptr<std::streambuf> ConsoleOutputBuffer() {
  return nullptr;  // terminals take UTF-8
}

}  // namespace quillon
