#include "cli/file_source.h"
#include "cli/platform.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <system_error>

#include "core/terminal_text.h"

namespace quillon {

namespace {

// A descriptor as read(2) gives it: a terminal's line or a pipe's bytes as soon as they are
// there, where an istream would wait for its whole buffer; a regular file's in whole pieces.
class DescriptorSource final : public ByteSource {
 public:
  // owned: closed with the source (a file opened here, not standard input).
  DescriptorSource(int descriptor, bool owned, bool regular)
      : descriptor_(descriptor), owned_(owned), regular_(regular) {}
  DescriptorSource(const DescriptorSource&) = delete;
  DescriptorSource& operator=(const DescriptorSource&) = delete;
  ~DescriptorSource() override {
    if (owned_) {
      close(descriptor_);
    }
  }

  std::size_t Read(std::span<char> space) override {
    std::size_t filled = 0;
    while (filled < space.size()) {
      const ssize_t count = read(descriptor_, space.data() + filled, space.size() - filled);
      if (count < 0 && errno == EINTR) {
        continue;
      }
      if (count < 0) {
        error_ = errno;
        break;
      }
      filled += static_cast<std::size_t>(count);
      if (count == 0 || !regular_) {
        break;
      }
    }
    return filled;
  }
  bool Failed() const override { return error_ != 0; }
  int ErrorNumber() const override { return error_; }

 private:
  int descriptor_;
  bool owned_;
  bool regular_;
  int error_ = 0;
};

// A regular file read with pread, so that no offset is shared.
class DescriptorFile final : public PositionalFile {
 public:
  DescriptorFile(int descriptor, std::uint64_t size) : descriptor_(descriptor), size_(size) {}
  DescriptorFile(const DescriptorFile&) = delete;
  DescriptorFile& operator=(const DescriptorFile&) = delete;
  ~DescriptorFile() override { close(descriptor_); }

  std::uint64_t Size() const override { return size_; }
  std::size_t ReadAt(std::uint64_t offset, std::span<char> space) override {
    std::size_t filled = 0;
    while (filled < space.size()) {
      const ssize_t count = pread(descriptor_, space.data() + filled, space.size() - filled,
                                  static_cast<off_t>(offset + filled));
      if (count < 0 && errno == EINTR) {
        continue;
      }
      if (count < 0) {
        error_ = errno;
      }
      if (count <= 0) {
        break;
      }
      filled += static_cast<std::size_t>(count);
    }
    return filled;
  }
  int ErrorNumber() const override { return error_; }

 private:
  int descriptor_;
  std::uint64_t size_;
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

#if defined(__GLIBC__) && defined(MADV_POPULATE_WRITE)
// The program's code, from the linker.
extern "C" char __executable_start[];
extern "C" char etext[];

// More than a lookup's heap holds at its end.
constexpr std::size_t kPresentHeap = std::size_t{512} << 10;

char* PageStart(const void* at) {
  return reinterpret_cast<char*>(reinterpret_cast<std::uintptr_t>(at) &
                                 ~(static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE)) - 1));
}

// Whether the first write to this page, not yet present, takes longer than a few microseconds.
bool FaultIsDear(char* page) {
  // Measured: 1.8 to 4 us where faults are cheap, 15 us and more where they are dear.
  constexpr long kDearFault = 8'000;  // nanoseconds
  timespec before{};
  timespec after{};
  clock_gettime(CLOCK_MONOTONIC, &before);
  *static_cast<volatile char*>(page) = 0;
  clock_gettime(CLOCK_MONOTONIC, &after);
  return (after.tv_sec - before.tv_sec) * 1'000'000'000L + (after.tv_nsec - before.tv_nsec) >
         kDearFault;
}
#endif

}  // namespace

void PrepareMemory() {
#if defined(__GLIBC__) && defined(MADV_POPULATE_WRITE)
  // Present in one call, a page costs a fraction of its fault where a fault is dear (some
  // virtual machines: 15 to 50 us; a lookup there: 200 faults fewer by 75, its run 5.0 ms
  // shorter by about 0.5). Where a fault costs a microsecond or two, making present pages the
  // lookup never touches costs more than it saves (0.15 ms of 1.47 measured): one fault, timed,
  // tells the two apart. The heap keeps its pages: its top is given back only past 4 MiB, and
  // blocks of 1 MiB and more (a scan's) are mapped of their own, as the adaptive default would
  // come to have them. A kernel without the advice (before Linux 5.14) refuses it, and the
  // pages come as they are touched.
  mallopt(M_MMAP_THRESHOLD, 1 << 20);
  mallopt(M_TRIM_THRESHOLD, 4 << 20);
  void* const block = std::malloc(kPresentHeap);
  if (block == nullptr) {
    return;
  }
  if (FaultIsDear(PageStart(static_cast<char*>(block) + kPresentHeap / 2))) {
    char* const code = PageStart(__executable_start);
    madvise(code, static_cast<std::size_t>(etext - code), MADV_POPULATE_READ);
    char* const heap = PageStart(block);
    const auto* const top = static_cast<const char*>(sbrk(0));
    if (top > heap) {
      madvise(heap, static_cast<std::size_t>(top - heap), MADV_POPULATE_WRITE);
    }
  }
  std::free(block);
#endif
}

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
    platform.input = std::make_unique<DescriptorSource>(STDIN_FILENO, false, false);
  }
  platform.inputIsTerminal = isatty(STDIN_FILENO) != 0;
  platform.endOfInputKeys = "Ctrl-D";
  platform.outputIsTerminal = isatty(STDOUT_FILENO) == 1;
  platform.noColor = NoColorRequested(std::getenv("NO_COLOR"));
  return platform;
}

std::unique_ptr<ByteSource> OpenFileSource(const std::string& path, int& error) {
  const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat status {};
  if (descriptor < 0 || fstat(descriptor, &status) != 0) {
    error = errno != 0 ? errno : EIO;
    if (descriptor >= 0) {
      close(descriptor);
    }
    return nullptr;
  }
  return std::make_unique<DescriptorSource>(descriptor, true, S_ISREG(status.st_mode));
}

std::unique_ptr<PositionalFile> OpenPositionalFile(const std::string& path, int& error) {
  error = 0;
  const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) {
    error = errno != 0 ? errno : EIO;
    return nullptr;
  }
  struct stat status {};
  const bool statted = fstat(descriptor, &status) == 0;
  if (!statted || !S_ISREG(status.st_mode)) {
    error = statted ? 0 : (errno != 0 ? errno : EIO);
    close(descriptor);
    return nullptr;
  }
  return std::make_unique<DescriptorFile>(descriptor, static_cast<std::uint64_t>(status.st_size));
}

std::vector<std::string> CommandArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::unique_ptr<std::streambuf> ConsoleOutputBuffer() {
  return nullptr;  // terminals take UTF-8
}

}  // namespace quillon
