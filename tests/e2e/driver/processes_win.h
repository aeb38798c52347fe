// Counting processes and threads across the Wine prefix (or the Windows session), the way a
// task manager would: Toolhelp snapshots.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// Running processes whose executable file name is name (no case), e.g. "winebrowser.exe".
int CountProcesses(const std::string& name);
// Threads that belong to the process; -1 when no snapshot could be taken.
int CountThreads(DWORD processId);

}  // namespace e2e
