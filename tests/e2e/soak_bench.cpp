// Soak: many searches of mixed queries (numbers, define names, not-found values and rejected
// queries, whose flash threads come and go) in one running quillon.exe (QUILLON_EXE names it),
// with the process's GDI and USER object counts and its handle count sampled before, after the
// first thousand searches and at the end. Each sample waits until every flash thread has ended,
// so only what stays behind is counted. Prints the samples and the time taken.
// tests/e2e/run-search-bench runs it.
//
//   soak_bench [SEARCHES (default 10000)]
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "driver/processes_win.h"
#include "driver/quillon_process_win.h"
#include "driver/windows_win.h"

namespace {

constexpr int kQueryEdit = 1008;
constexpr WPARAM kSearchCommand = 1001;  // IDC_SEARCH, notification 0
constexpr size_t kTypeField = 10;
constexpr size_t kDescriptionField = 20;
constexpr int kFirstSample = 1000;
constexpr DWORD kSettleTimeoutMs = 120000;

// One in four is rejected, so the flash threads overlap all the time.
constexpr std::array<const char*, 16> kQueries = {
    "5",
    "0x80070005",
    "E_FAIL",
    "",
    "-2147024891",
    "STATUS_ACCESS_VIOLATION",
    "_ABC",
    "0xC0000005",
    "IRQL_NOT_LESS_OR_EQUAL",
    "A_B-C",
    "12002",
    "NO_SUCH_DEFINE_ANYWHERE",
    "-21474836480",
    "0x00000000001",
    "4294967295",
    "0x123456789",
};

struct Sample {
  const char* when;
  int searches;
  DWORD gdiObjects;
  DWORD userObjects;
  DWORD handles;
  int threads;
  SIZE_T privateBytes;  // where the system has no object counts, a leak still shows here
};

class Soak {
 public:
  explicit Soak(const e2e::QuillonProcess& quillon)
      : quillon_(quillon),
        process_(
            OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, quillon.ProcessId())),
        edit_(quillon.Control(kQueryEdit)) {
    const std::vector<HWND> controls = e2e::ChildWindows(quillon.MainWindow());
    if (controls.size() > kDescriptionField) {
      type_ = controls[kTypeField];
      description_ = controls[kDescriptionField];
    }
  }
  ~Soak() {
    if (process_ != nullptr) {
      CloseHandle(process_);
    }
  }
  Soak(const Soak&) = delete;
  Soak& operator=(const Soak&) = delete;

  bool Ready() const { return process_ != nullptr && description_ != nullptr; }

  // One search; false when the program did not answer or showed nothing at all (a found kind
  // fills Type, a not-found value or a rejection the Description).
  bool Search(const char* query) {
    return e2e::SetTextOf(edit_, query) &&
           e2e::Send(quillon_.MainWindow(), WM_COMMAND, kSearchCommand, 0).has_value() &&
           !(e2e::TextOf(type_) + e2e::TextOf(description_)).empty();
  }

  // Waits until the thread count is back at the baseline (every flash worker ended), then
  // counts.
  Sample Take(const char* when, int searches) {
    if (baselineThreads_ < 0) {
      baselineThreads_ = e2e::CountThreads(quillon_.ProcessId());
    }
    e2e::WaitUntil([&] { return e2e::CountThreads(quillon_.ProcessId()) <= baselineThreads_; },
                   kSettleTimeoutMs);
    DWORD handles = 0;
    GetProcessHandleCount(process_, &handles);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    K32GetProcessMemoryInfo(process_, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                            sizeof memory);
    return {when,
            searches,
            GetGuiResources(process_, GR_GDIOBJECTS),
            GetGuiResources(process_, GR_USEROBJECTS),
            handles,
            e2e::CountThreads(quillon_.ProcessId()),
            memory.PrivateUsage};
  }

 private:
  const e2e::QuillonProcess& quillon_;
  HANDLE process_;
  HWND edit_;
  HWND type_ = nullptr;
  HWND description_ = nullptr;
  int baselineThreads_ = -1;
};

void Print(const Sample& sample) {
  std::printf(
      "%-22s %7d searches  GDI %5lu  USER %5lu  handles %5lu  threads %3d  private %7lu KiB\n",
      sample.when, sample.searches, static_cast<unsigned long>(sample.gdiObjects),
      static_cast<unsigned long>(sample.userObjects), static_cast<unsigned long>(sample.handles),
      sample.threads, static_cast<unsigned long>(sample.privateBytes / 1024));
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const int searches = argc > 1 ? std::max(kFirstSample, std::atoi(argv[1])) : 10000;
  try {
    e2e::QuillonProcess quillon;
    Soak soak(quillon);
    if (!soak.Ready()) {
      std::fprintf(stderr, "soak_bench: cannot open the process or find its fields\n");
      return 1;
    }
    const ULONGLONG start = GetTickCount64();
    std::vector<Sample> samples{soak.Take("before", 0)};
    Print(samples.back());
    int failures = 0;
    int peakThreads = samples.back().threads;
    for (int done = 0; done < searches;) {
      const char* query = kQueries[static_cast<size_t>(done) % kQueries.size()];
      if (!soak.Search(query)) {
        ++failures;
        std::fprintf(stderr, "soak_bench: search %d (\"%s\") failed\n", done + 1, query);
        if (!quillon.IsRunning()) {
          std::fprintf(stderr, "soak_bench: quillon.exe ended\n");
          return 1;
        }
      }
      ++done;
      if (done % 250 == 0) {
        peakThreads = std::max(peakThreads, e2e::CountThreads(quillon.ProcessId()));
      }
      if (done == kFirstSample) {
        samples.push_back(soak.Take("after the first 1000", done));
        Print(samples.back());
      } else if (done % 1000 == 0) {
        std::fprintf(stderr, "soak_bench: %d searches, %.0f s\n", done,
                     static_cast<double>(GetTickCount64() - start) / 1000.0);
      }
    }
    const double seconds = static_cast<double>(GetTickCount64() - start) / 1000.0;
    samples.push_back(soak.Take("at the end", searches));
    Print(samples.back());
    std::printf(
        "%d searches (%zu different queries, a quarter rejected) in %.0f s, %.2f ms each; "
        "%d failed; at most %d threads seen\n",
        searches, kQueries.size(), seconds, seconds * 1000.0 / searches, failures, peakThreads);
    const Sample& first = samples[1];
    const Sample& last = samples.back();
    const bool flat = first.gdiObjects == last.gdiObjects &&
                      first.userObjects == last.userObjects && first.handles == last.handles;
    // Wine answers both counting functions with 0: nothing can be told there.
    const bool counted = last.gdiObjects + last.userObjects + last.handles > 0;
    std::printf("from the first 1000 to the end: %s\n",
                !counted ? "not measurable (the system reports no GDI, USER or handle counts)"
                : flat   ? "flat"
                         : "NOT flat");
    quillon.Close(e2e::kWaitTimeoutMs);
    return failures == 0 && flat ? 0 : 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "soak_bench: %s\n", error.what());
    return 1;
  }
}
