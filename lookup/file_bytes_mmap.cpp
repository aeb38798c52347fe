// POSIX: map the file read-only, so opening a large DLL costs no copy and only the pages that
// a lookup touches are read.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "lookup/file_bytes.h"

namespace quillon {

namespace {

class Mapping {
 public:
  Mapping(void* address, std::size_t size) : address_(address), size_(size) {}
  ~Mapping() { munmap(address_, size_); }
  Mapping(const Mapping&) = delete;
  Mapping& operator=(const Mapping&) = delete;
  const char* Data() const { return static_cast<const char*>(address_); }

 private:
  void* address_;
  std::size_t size_;
};

class Descriptor {
 public:
  explicit Descriptor(const char* path) : fd_(open(path, O_RDONLY | O_CLOEXEC)) {}
  ~Descriptor() {
    if (fd_ >= 0) {
      close(fd_);
    }
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

std::optional<FileBytes> ReadFileBytes(const std::filesystem::path& path) {
  const Descriptor file(path.c_str());
  struct stat status {};
  if (file.Get() < 0 || fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode)) {
    return std::nullopt;
  }
  const auto size = static_cast<std::size_t>(status.st_size);
  if (size == 0) {
    return FileBytes{};  // mmap refuses a length of 0
  }
  void* address = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, file.Get(), 0);
  if (address == MAP_FAILED) {
    return std::nullopt;
  }
  auto mapping = std::make_shared<const Mapping>(address, size);
  return FileBytes{std::string_view(mapping->Data(), size), mapping};
}

}  // namespace quillon
