// Search latency: the round trip of a whole search (command IDC_SEARCH sent to the main window
// and answered) for numbers and define names, and of a click on a type label, beside the round
// trip of WM_NULL, which does nothing and so is the floor of any cross-process message. Taken in
// turns in one running quillon.exe (QUILLON_EXE names it) and, when BASELINE_EXE names another
// build, in turns with that one too, so that both are measured in the same conditions. Prints
// median, 95th percentile, extremes and the ratio to the same program's floor.
// tests/e2e/run-search-bench runs it.
//
//   search_latency_bench [SEARCHES (default 300)]
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "driver/quillon_process_win.h"
#include "driver/windows_win.h"

namespace {

constexpr int kQueryEdit = 1008;
constexpr WPARAM kSearchCommand = 1001;  // IDC_SEARCH, notification 0
constexpr WPARAM kWin32Command = 1004;   // IDC_WIN32: with the label as sender, its click
constexpr size_t kWin32Label = 5;
// The six result fields among the main window's children (creation order).
constexpr std::array<size_t, 6> kResultFields{10, 12, 14, 16, 18, 20};
constexpr int kWarmUpRounds = 10;

struct Probe {
  const char* label;
  const char* query;       // nullptr: the command alone, with the query left as it is
  WPARAM command;          // 0: WM_NULL
  bool click;              // sent as the Win32 label's click
  const char* expectType;  // what the Type field must show afterwards
};

// Consecutive searches leave a different text in every field (Type, Status, Code, Facility,
// define/code box, Description), and the last differs from the first, so a program that skips
// writes of unchanged texts still writes every field of every search. The click shows the
// Win32 view of 0 once more, over itself.
const std::vector<Probe> kProbes{
    {"WM_NULL", nullptr, 0, false, nullptr},
    {"number 0", "0", kSearchCommand, false, "Win32"},
    {"click Win32 (of 0)", nullptr, kWin32Command, true, "Win32"},
    {"number 0x80004005", "0x80004005", kSearchCommand, false, "HRESULT"},
    {"define ERROR_SUCCESS", "ERROR_SUCCESS", kSearchCommand, false, "Win32"},
    {"define E_NOINTERFACE", "E_NOINTERFACE", kSearchCommand, false, "HRESULT"},
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

// One running program under measurement and its figures per probe.
struct Subject {
  const char* name = nullptr;
  std::unique_ptr<e2e::QuillonProcess> quillon;
  std::vector<HWND> controls;
  std::vector<std::vector<double>> milliseconds = std::vector<std::vector<double>>(kProbes.size());
  std::array<std::string, 6> lastSearchFields;
  bool searched = false;
};

std::string Environment(const char* name) {
  std::array<char, MAX_PATH> value{};
  const DWORD length = GetEnvironmentVariableA(name, value.data(), MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::string(value.data(), length) : std::string();
}

// Starts the program that exe names (QuillonProcess starts the one QUILLON_EXE names).
std::unique_ptr<e2e::QuillonProcess> Start(const std::string& exe) {
  const std::string own = Environment("QUILLON_EXE");
  SetEnvironmentVariableA("QUILLON_EXE", exe.c_str());
  try {
    auto quillon = std::make_unique<e2e::QuillonProcess>();
    SetEnvironmentVariableA("QUILLON_EXE", own.c_str());
    return quillon;
  } catch (...) {
    SetEnvironmentVariableA("QUILLON_EXE", own.c_str());
    throw;
  }
}

// Runs one probe; false (with a message) when it went wrong. While checkFields holds, every
// search must change every field, or skipped writes would make the figures measure less than a
// search.
bool RunProbe(const Clock& clock, Subject& subject, size_t index, bool checkFields, bool measured) {
  const Probe& probe = kProbes[index];
  const HWND main = subject.quillon->MainWindow();
  if (probe.query != nullptr &&
      !e2e::SetTextOf(subject.quillon->Control(kQueryEdit), probe.query)) {
    std::fprintf(stderr, "search_latency_bench: %s: cannot set the query %s\n", subject.name,
                 probe.query);
    return false;
  }
  const UINT message = probe.command == 0 ? WM_NULL : WM_COMMAND;
  const LPARAM sender = probe.click ? reinterpret_cast<LPARAM>(subject.controls[kWin32Label]) : 0;
  const LONGLONG begin = clock.Now();
  const bool answered = e2e::Send(main, message, probe.command, sender).has_value();
  const LONGLONG end = clock.Now();
  if (!answered) {
    std::fprintf(stderr, "search_latency_bench: %s: %s got no answer\n", subject.name, probe.label);
    return false;
  }
  if (probe.expectType != nullptr) {
    std::array<std::string, 6> fields;
    for (size_t i = 0; i < fields.size(); ++i) {
      fields[i] = e2e::TextOf(subject.controls[kResultFields[i]]);
    }
    if (fields[0] != probe.expectType) {
      std::fprintf(stderr, "search_latency_bench: %s: %s showed type \"%s\", not %s\n",
                   subject.name, probe.label, fields[0].c_str(), probe.expectType);
      return false;
    }
    if (probe.command == kSearchCommand) {
      for (size_t i = 0; checkFields && subject.searched && i < fields.size(); ++i) {
        if (fields[i] == subject.lastSearchFields[i]) {
          std::fprintf(stderr,
                       "search_latency_bench: %s: field %zu of %s is as the last search left it\n",
                       subject.name, i + 1, probe.label);
          return false;
        }
      }
      subject.lastSearchFields = fields;
      subject.searched = true;
    }
  }
  if (measured) {
    subject.milliseconds[index].push_back(clock.Milliseconds(begin, end));
  }
  return true;
}

void PrintFigures(const Subject& subject) {
  const double floor = Percentile(subject.milliseconds.front(), 0.5);
  std::printf("%-6s %-22s %9s %9s %9s %9s %8s\n", subject.name, "round trip (ms)", "median", "p95",
              "min", "max", "/WM_NULL");
  for (size_t i = 0; i < kProbes.size(); ++i) {
    const std::vector<double>& figures = subject.milliseconds[i];
    const auto [low, high] = std::minmax_element(figures.begin(), figures.end());
    const double median = Percentile(figures, 0.5);
    std::printf("%-6s %-22s %9.3f %9.3f %9.3f %9.3f %8.1f\n", subject.name, kProbes[i].label,
                median, Percentile(figures, 0.95), *low, *high, median / floor);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int searches = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
  try {
    std::vector<Subject> subjects;
    const std::array<std::pair<const char*, std::string>, 2> programs{
        {{"before", Environment("BASELINE_EXE")}, {"after", Environment("QUILLON_EXE")}}};
    for (const auto& [name, exe] : programs) {
      if (exe.empty()) {
        continue;
      }
      Subject& subject = subjects.emplace_back();
      subject.name = name;
      subject.quillon = Start(exe);
      subject.controls = e2e::ChildWindows(subject.quillon->MainWindow());
      if (subject.controls.size() <= kResultFields.back()) {
        std::fprintf(stderr, "search_latency_bench: %s: the main window lacks its result fields\n",
                     subject.name);
        return 1;
      }
    }

    // Rounds alternate between the programs, so that neither is measured in calmer moments.
    const Clock clock;
    for (int round = 0; round < kWarmUpRounds + searches; ++round) {
      for (Subject& subject : subjects) {
        for (size_t i = 0; i < kProbes.size(); ++i) {
          if (!RunProbe(clock, subject, i, round < 2, round >= kWarmUpRounds)) {
            return 1;
          }
        }
      }
    }

    for (const Subject& subject : subjects) {
      PrintFigures(subject);
    }
    std::printf(
        "%d measured rounds after %d unmeasured; target: a number search within 25 times "
        "the WM_NULL round trip\n",
        searches, kWarmUpRounds);
    for (Subject& subject : subjects) {
      subject.quillon->Close(e2e::kWaitTimeoutMs);
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "search_latency_bench: %s\n", error.what());
    return 1;
  }
  return 0;
}
