// ntstatus_map: asks the platform's ntdll which Win32 code each NTSTATUS value becomes, for the
// table the definitions generator keeps. Reads one value a line (decimal, possibly negative,
// or 0x hexadecimal) from the file named by its argument; writes "0xC0000005<TAB>998" for each
// value that becomes a Win32 code, in the order read.
#include <windows.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>

namespace {

// ntdll's answer for a status it has no mapping for.
constexpr ULONG kNoMapping = ERROR_MR_MID_NOT_FOUND;
constexpr ULONG kLargestWin32Code = 0xFFFF;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: ntstatus_map VALUES-FILE\n", stderr);
    return 2;
  }
  FILE* in = std::fopen(argv[1], "r");
  if (in == nullptr) {
    std::fprintf(stderr, "ntstatus_map: cannot read %s\n", argv[1]);
    return 2;
  }
  char line[64];
  while (std::fgets(line, sizeof line, in) != nullptr) {
    char* end = nullptr;
    const long long number = std::strtoll(line, &end, 0);
    if (end == line) {
      continue;
    }
    const auto status = static_cast<ULONG>(number);
    const ULONG win32 = RtlNtStatusToDosError(static_cast<NTSTATUS>(status));
    // A status of the customer range comes back as itself: no Win32 code either.
    if (win32 != kNoMapping && win32 <= kLargestWin32Code) {
      std::printf("0x%08lX\t%lu\n", status, win32);
    }
  }
  std::fclose(in);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
