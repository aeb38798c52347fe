#include "app/window_classes_win.h"

#include <windows.h>

#include "app/about_window_win.h"
#include "app/app_state_win.h"
#include "app/main_window_win.h"
#include "res/resource_ids.h"

namespace quillon {

namespace {

// A static control in every respect but the hand cursor: every message goes to the system
// STATIC procedure unchanged.
LRESULT CALLBACK ErrTypeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const WNDPROC staticProc = App().staticClassProc;
  if (staticProc == nullptr) {  // STATIC could not be asked for: plain default handling
    return DefWindowProcA(window, message, wParam, lParam);
  }
  return CallWindowProcA(staticProc, window, message, wParam, lParam);
}

HICON LoadAppIcon(int size) {
  return static_cast<HICON>(
      LoadImageA(App().instance, MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON, size, size, LR_SHARED));
}

HBRUSH ButtonFaceBrush() {
  return reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
}

WNDCLASSEXA EmptyClass() {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  return windowClass;
}

void RegisterMainClass() {
  WNDCLASSEXA windowClass = EmptyClass();
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = App().instance;
  windowClass.hIcon = LoadAppIcon(32);
  windowClass.hIconSm = LoadAppIcon(16);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = ButtonFaceBrush();
  windowClass.lpszClassName = kMainClassName;
  RegisterClassExA(&windowClass);
}

void RegisterAboutClass() {
  WNDCLASSEXA windowClass = EmptyClass();
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = AboutWindowProc;
  windowClass.hInstance = App().instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = ButtonFaceBrush();
  windowClass.lpszClassName = kAboutClassName;
  RegisterClassExA(&windowClass);
}

void RegisterErrTypeClass() {
  // Superclass of the system STATIC: its record, with our procedure, instance, cursor and name.
  WNDCLASSEXA windowClass = EmptyClass();
  GetClassInfoExA(nullptr, "STATIC", &windowClass);
  App().staticClassProc = windowClass.lpfnWndProc;
  windowClass.lpfnWndProc = ErrTypeProc;
  windowClass.hInstance = App().instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_HAND);
  windowClass.lpszClassName = kErrTypeClassName;
  RegisterClassExA(&windowClass);
}

}  // namespace

void RegisterWindowClasses() {
  RegisterMainClass();
  RegisterAboutClass();
  RegisterErrTypeClass();
}

}  // namespace quillon
