// Control and command identifiers of the main window. Other windows and other processes send
// some of them as commands, so the numbers are fixed.
#pragma once

namespace quillon {

enum : int {
  IDC_SEARCH = 1001,
  IDC_WIN32 = 1004,
  IDC_HRESULT = 1005,
  IDC_NTSTATUS = 1006,
  IDC_STOP = 1007,
  IDC_QUERY = 1008,
  IDC_ABOUT = 1009,
  IDC_ONTOP = 1010,
  IDC_WINDOWSTATE = 1011,
};

}  // namespace quillon
