// Start-up benchmark: time from CreateProcess until the program's main window exists and its
// thread waits for input, for quillon.exe and for the empty window program, taken in turns in
// the same Wine prefix. Prints each median and their ratio.
//
//   startup_bench QUILLON_EXE EMPTY_WINDOW_EXE [RUNS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr DWORD kTimeoutMs = 60000;

struct Candidate {
  std::string exe;
  const char* windowClass;
  std::vector<double> milliseconds;
};

struct Search {
  DWORD processId;
  const char* className;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<Search*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (owner == search.processId && lstrcmpiA(name, search.className) == 0) {
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindWindowOf(DWORD processId, const char* className) {
  Search search{processId, className, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string DirectoryOf(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// One start; its time in milliseconds, or nothing when the program failed to show its window.
std::optional<double> TimeOneStart(const Candidate& candidate) {
  LARGE_INTEGER frequency{}, begin{}, end{};
  QueryPerformanceFrequency(&frequency);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string commandLine = "\"" + candidate.exe + "\"";
  const std::string directory = DirectoryOf(candidate.exe);

  QueryPerformanceCounter(&begin);
  if (!CreateProcessA(candidate.exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, directory.c_str(), &startup, &process)) {
    std::fprintf(stderr, "cannot start %s (error %lu)\n", candidate.exe.c_str(), GetLastError());
    return std::nullopt;
  }
  WaitForInputIdle(process.hProcess, kTimeoutMs);
  HWND window = FindWindowOf(process.dwProcessId, candidate.windowClass);
  const ULONGLONG deadline = GetTickCount64() + kTimeoutMs;
  while (window == nullptr && GetTickCount64() < deadline &&
         WaitForSingleObject(process.hProcess, 1) == WAIT_TIMEOUT) {
    window = FindWindowOf(process.dwProcessId, candidate.windowClass);
  }
  QueryPerformanceCounter(&end);

  if (window != nullptr) {
    PostMessageA(window, WM_CLOSE, 0, 0);
  }
  if (WaitForSingleObject(process.hProcess, kTimeoutMs) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (window == nullptr) {
    std::fprintf(stderr, "%s showed no %s window\n", candidate.exe.c_str(), candidate.windowClass);
    return std::nullopt;
  }
  return static_cast<double>(end.QuadPart - begin.QuadPart) * 1000.0 /
         static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

void Print(const Candidate& candidate) {
  const auto [low, high] =
      std::minmax_element(candidate.milliseconds.begin(), candidate.milliseconds.end());
  std::printf("%-14s median %8.1f ms  min %8.1f  max %8.1f  (%zu runs)\n", candidate.windowClass,
              Median(candidate.milliseconds), *low, *high, candidate.milliseconds.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: startup_bench QUILLON_EXE EMPTY_WINDOW_EXE [RUNS]\n");
    return 2;
  }
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 15;
  Candidate quillon{argv[1], "KODA_MAIN", {}};
  Candidate empty{argv[2], "QUILLON_EMPTY", {}};

  // One unmeasured start of each: the first start also loads Wine's own files from disk.
  for (Candidate* candidate : {&quillon, &empty}) {
    if (!TimeOneStart(*candidate)) {
      return 1;
    }
  }
  for (int run = 0; run < runs; ++run) {
    for (Candidate* candidate : {&quillon, &empty}) {
      const std::optional<double> time = TimeOneStart(*candidate);
      if (!time) {
        return 1;
      }
      candidate->milliseconds.push_back(*time);
    }
  }
  Print(quillon);
  Print(empty);
  std::printf("ratio quillon/empty %.2f (target <= 1.30)\n",
              Median(quillon.milliseconds) / Median(empty.milliseconds));
  return 0;
}
