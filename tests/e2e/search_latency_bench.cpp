// Search latency: the round trip of a whole search (command IDC_SEARCH sent to the main window
// and answered) for a number and for a define name, beside the round trip of WM_NULL, which
// does nothing and so is the floor of any cross-process message. Taken in turns in one running
// quillon.exe (QUILLON_EXE names it); prints median, 95th percentile, extremes and the ratio to
// the floor. tests/e2e/run-search-bench runs it.
//
//   search_latency_bench [SEARCHES (default 300)]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "driver/quillon_process_win.h"
#include "driver/windows_win.h"

namespace {

constexpr int kQueryEdit = 1008;
constexpr WPARAM kSearchCommand = 1001;  // IDC_SEARCH, notification 0
constexpr WPARAM kWin32Command = 1004;   // IDC_WIN32: the Win32 label's click
constexpr size_t kTypeField = 10;
constexpr int kWarmUpRounds = 10;

struct Probe {
  const char* label;
  const char* query;       // nullptr: the command alone, with the query left as it is
  WPARAM command;          // 0: WM_NULL
  const char* expectType;  // what the Type field must show afterwards
  std::vector<double> milliseconds;
};

double Percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  const auto index = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(index, values.size() - 1)];
}

class Clock {
 public:
  Clock() { QueryPerformanceFrequency(&frequency_); }
  LONGLONG Now() const {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return now.QuadPart;
  }
  double Milliseconds(LONGLONG from, LONGLONG to) const {
    return static_cast<double>(to - from) * 1000.0 / static_cast<double>(frequency_.QuadPart);
  }

 private:
  LARGE_INTEGER frequency_{};
};

}  // namespace

int main(int argc, char** argv) {
  const int searches = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
  try {
    e2e::QuillonProcess quillon;
    const HWND main = quillon.MainWindow();
    const HWND edit = quillon.Control(kQueryEdit);
    const std::vector<HWND> controls = e2e::ChildWindows(main);
    if (controls.size() <= kTypeField) {
      std::fprintf(stderr, "search_latency_bench: the main window lacks its result fields\n");
      return 1;
    }
    const HWND typeField = controls[kTypeField];

    // 10 is known to Win32 and, where ntoskrnl.exe holds a message table, to STOP; the name is
    // an HRESULT's. The Win32 label's click (command 1004) right after the number search shows
    // what the view alone costs of a search.
    std::vector<Probe> probes{
        {"WM_NULL", nullptr, 0, nullptr, {}},
        {"number 10", "10", kSearchCommand, "Win32", {}},
        {"view Win32 of 10", nullptr, kWin32Command, "Win32", {}},
        {"define E_ACCESSDENIED", "E_ACCESSDENIED", kSearchCommand, "HRESULT", {}}};
    const Clock clock;
    for (int round = 0; round < kWarmUpRounds + searches; ++round) {
      for (Probe& probe : probes) {
        LONGLONG begin = 0;
        LONGLONG end = 0;
        bool answered = false;
        if (probe.query != nullptr && !e2e::SetTextOf(edit, probe.query)) {
          std::fprintf(stderr, "search_latency_bench: cannot set the query %s\n", probe.query);
          return 1;
        }
        const UINT message = probe.command == 0 ? WM_NULL : WM_COMMAND;
        begin = clock.Now();
        answered = e2e::Send(main, message, probe.command, 0).has_value();
        end = clock.Now();
        if (answered && probe.expectType != nullptr && e2e::TextOf(typeField) != probe.expectType) {
          std::fprintf(stderr, "search_latency_bench: %s showed type \"%s\", not %s\n", probe.label,
                       e2e::TextOf(typeField).c_str(), probe.expectType);
          return 1;
        }
        if (!answered) {
          std::fprintf(stderr, "search_latency_bench: %s got no answer\n", probe.label);
          return 1;
        }
        if (round >= kWarmUpRounds) {
          probe.milliseconds.push_back(clock.Milliseconds(begin, end));
        }
      }
    }

    const double floor = Percentile(probes.front().milliseconds, 0.5);
    std::printf("%-24s %9s %9s %9s %9s %8s\n", "round trip (ms)", "median", "p95", "min", "max",
                "/WM_NULL");
    for (const Probe& probe : probes) {
      const auto [low, high] =
          std::minmax_element(probe.milliseconds.begin(), probe.milliseconds.end());
      const double median = Percentile(probe.milliseconds, 0.5);
      std::printf("%-24s %9.3f %9.3f %9.3f %9.3f %8.1f\n", probe.label, median,
                  Percentile(probe.milliseconds, 0.95), *low, *high, median / floor);
    }
    std::printf("%d measured rounds after %d unmeasured; target: search median < 5 ms\n", searches,
                kWarmUpRounds);
    quillon.Close(e2e::kWaitTimeoutMs);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "search_latency_bench: %s\n", error.what());
    return 1;
  }
  return 0;
}
