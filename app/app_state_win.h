// The process-wide state that the window glue shares: handles made at start-up, the main
// window's controls, the two settings and the flags of the paste and the flash.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "app/control_ids.h"
#include "lookup/define_rows.h"
#include "lookup/message_source.h"

namespace quillon {

struct AppState {
  HINSTANCE instance = nullptr;
  HANDLE heap = nullptr;
  std::string settingsPath;
  HFONT normalFont = nullptr;
  HFONT boldFont = nullptr;
  // Made once at start-up; every search and view asks these.
  std::unique_ptr<DefineRows> database;
  std::unique_ptr<MessageSource> messages;

  HWND mainWindow = nullptr;
  HWND queryEdit = nullptr;
  HWND windowStateToggle = nullptr;
  HWND onTopToggle = nullptr;
  HWND defineGroupBox = nullptr;
  // Indexed by ResultField.
  std::array<HWND, 6> resultPanel{};
  // Win32, HRESULT, NTSTATUS, STOP.
  std::array<HWND, 4> typeSelectors{};

  WNDPROC staticClassProc = nullptr;    // the system STATIC procedure KODA_ERRTYPE forwards to
  WNDPROC queryEditBaseProc = nullptr;  // the EDIT procedure QueryEditProc forwards to

  std::int32_t onTop = 0;
  std::int32_t windowState = 1;
  int pastePending = 0;

  // Written by the flash worker, read by WM_CTLCOLOREDIT; each read and written whole.
  std::atomic<int> flashActive{0};
  std::atomic<HBRUSH> flashBrush{nullptr};
};

AppState& App();

}  // namespace quillon
