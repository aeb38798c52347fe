#include "app/main_window_win.h"

#include <array>
#include <utility>

#include "app/about_window_win.h"
#include "app/app_state_win.h"
#include "app/command_routing.h"
#include "app/flash_win.h"
#include "app/query_edit_win.h"
#include "app/result_panel_win.h"
#include "app/search_flow_win.h"
#include "app/settings_win.h"
#include "base/scoped_win.h"
#include "display/type_views.h"
#include "query/classify_query.h"
#include "res/resource_ids.h"

namespace quillon {

namespace {

constexpr DWORD kText = WS_CHILD | WS_VISIBLE;                                 // 0x50000000
constexpr DWORD kIconButton = WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_ICON;     // 0x50000103
constexpr DWORD kTypeLabel = WS_CHILD | WS_VISIBLE | WS_DISABLED | SS_NOTIFY;  // 0x58000100

struct ControlSpec {
  const char* className;
  const char* text;
  DWORD style;
  DWORD exStyle;
  int x, y, width, height;
  int id;
};

// The controls in creation order; the order is also the order of the child list.
enum Control : std::size_t {
  kQueryCaption,
  kQueryEdit,
  kWindowStateButton,
  kOnTopButton,
  kAboutButton,
  kWin32Label,
  kHresultLabel,
  kNtStatusLabel,
  kStopLabel,
  kTypeCaption,
  kTypeField,
  kStatusCaption,
  kStatusField,
  kCodeCaption,
  kCodeField,
  kFacilityCaption,
  kFacilityField,
  kDefineGroupBox,
  kDefineBox,
  kDescriptionCaption,
  kDescriptionField,
  kControlCount
};

constexpr std::array<ControlSpec, kControlCount> kControls = {{
    {"STATIC", "Error Number or Define", kText, 0, 5, 7, 200, 15, 0},
    {"EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 5, 25, 535,
     20, IDC_QUERY},
    {kErrTypeClassName, "", kIconButton, 0, 460, 5, 16, 16, IDC_WINDOWSTATE},
    {kErrTypeClassName, "", kIconButton, 0, 490, 5, 16, 16, IDC_ONTOP},
    {kErrTypeClassName, "", kIconButton, 0, 520, 5, 16, 16, IDC_ABOUT},
    {kErrTypeClassName, "Win32", kTypeLabel, 0, 82, 50, 37, 20, IDC_WIN32},
    {kErrTypeClassName, "HRESULT", kTypeLabel, 0, 176, 50, 55, 20, IDC_HRESULT},
    {kErrTypeClassName, "NTSTATUS", kTypeLabel, 0, 278, 50, 63, 20, IDC_NTSTATUS},
    {kErrTypeClassName, "STOP", kTypeLabel, 0, 384, 50, 33, 20, IDC_STOP},
    {"STATIC", "Type:", kText, 0, 5, 85, 35, 20, 0},
    {"STATIC", "", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 0, 45, 85, 75, 20, 0},
    {"STATIC", "Status:", kText, 0, 180, 85, 45, 20, 0},
    {"STATIC", "", kText, 0, 230, 85, 100, 20, 0},
    {"STATIC", "Code:", kText, 0, 355, 85, 35, 20, 0},
    {"STATIC", "", kText, 0, 395, 85, 80, 20, 0},
    {"STATIC", "Facility:", kText, 0, 5, 110, 50, 20, 0},
    {"STATIC", "", kText, 0, 55, 110, 310, 20, 0},
    {"BUTTON", "#Define", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, WS_EX_TRANSPARENT, 5, 130, 535, 50,
     0},
    {"EDIT", "", WS_CHILD | WS_VISIBLE | ES_READONLY | ES_MULTILINE, 0, 10, 146, 525, 30, 0},
    {"STATIC", "Description", kText, 0, 15, 185, 75, 15, 0},
    {"EDIT", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_READONLY | ES_MULTILINE, WS_EX_CLIENTEDGE,
     5, 200, 535, 65, 0},
}};

HWND CreateControl(HWND parent, const ControlSpec& spec) {
  return CreateWindowExA(
      spec.exStyle, spec.className, spec.text, spec.style, spec.x, spec.y, spec.width, spec.height,
      parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), App().instance, nullptr);
}

void SetFont(HWND control, HFONT font) {
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
}

void OnCreate(HWND window) {
  AppState& app = App();
  app.mainWindow = window;
  std::array<HWND, kControlCount> controls{};

  controls[kQueryCaption] = CreateControl(window, kControls[kQueryCaption]);

  const HWND query = CreateControl(window, kControls[kQueryEdit]);
  controls[kQueryEdit] = query;
  app.queryEdit = query;
  SendMessageA(query, EM_LIMITTEXT, kQueryMaxLength, 0);
  SetFocus(query);
  // GWLP_WNDPROC is GWL_WNDPROC on 32-bit Windows; the pointer form also builds for 64-bit.
  app.queryEditBaseProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(query, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(QueryEditProc)));

  for (std::size_t i = kWindowStateButton; i < kControlCount; ++i) {
    controls[i] = CreateControl(window, kControls[i]);
    if (i == kAboutButton) {
      const auto icon =
          LoadImageA(app.instance, MAKEINTRESOURCEA(IDI_INFO), IMAGE_ICON, 16, 16, LR_SHARED);
      SendMessageA(controls[i], STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    }
  }

  app.windowStateToggle = controls[kWindowStateButton];
  app.onTopToggle = controls[kOnTopButton];
  app.defineGroupBox = controls[kDefineGroupBox];
  app.typeSelectors = {controls[kWin32Label], controls[kHresultLabel], controls[kNtStatusLabel],
                       controls[kStopLabel]};
  constexpr std::array<std::pair<ResultField, Control>, 6> kFieldControls = {{
      {ResultField::Type, kTypeField},
      {ResultField::Status, kStatusField},
      {ResultField::Code, kCodeField},
      {ResultField::Facility, kFacilityField},
      {ResultField::DefineBox, kDefineBox},
      {ResultField::Description, kDescriptionField},
  }};
  for (const auto& [field, control] : kFieldControls) {
    app.resultPanel[static_cast<std::size_t>(field)] = controls[control];
  }

  EnumChildWindows(window, SetChildFont, 0);
  SetFont(controls[kDefineGroupBox], app.boldFont);
  SetFont(controls[kDescriptionCaption], app.boldFont);
  SetFont(controls[kTypeField], app.boldFont);

  app.pastePending = 0;
  app.flashActive = 0;
}

void DrawLine(HDC dc, int colourIndex, int y) {
  const ScopedGdiObject pen(CreatePen(PS_SOLID, 1, GetSysColor(colourIndex)));
  const ScopedSelection selection(dc, pen.get());
  MoveToEx(dc, 5, y, nullptr);
  LineTo(dc, 540, y);
}

void OnPaint(HWND window) {
  PAINTSTRUCT paint{};
  const HDC dc = BeginPaint(window, &paint);
  // An etched separator under the type labels: shadow line, then highlight line.
  DrawLine(dc, COLOR_BTNSHADOW, 70);
  DrawLine(dc, COLOR_BTNHIGHLIGHT, 71);
  EndPaint(window, &paint);
}

void OnSetFocus() {
  // Every return to the window lands in the query edit with its text selected for typing over.
  const HWND query = App().queryEdit;
  SendMessageA(query, EM_SETSEL, 0, -1);
  SetFocus(query);
}

void OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  const int notification = HIWORD(wParam);
  const HWND control = reinterpret_cast<HWND>(lParam);
  const CommandSender sender = control == nullptr           ? CommandSender::None
                               : control == App().queryEdit ? CommandSender::QueryEdit
                                                            : CommandSender::Control;
  const RoutedCommand command = RouteCommand(id, notification, sender);
  switch (command.action) {
    case MainAction::Search:
      RunSearch();
      break;
    case MainAction::ShowType:
      RunTypeCommand(command.type);
      break;
    case MainAction::SelectType:
      ShowTypeView(command.type);
      break;
    case MainAction::OpenAbout:
      OpenAboutWindow();
      break;
    case MainAction::ToggleOnTop:
      ToggleOnTop();
      break;
    case MainAction::ToggleWindowState:
      ToggleWindowState();
      break;
    case MainAction::QueryEditChanged:
      OnQueryEditChanged();
      break;
    case MainAction::None:
      break;
  }
}

LRESULT OnCtlColorEdit(HWND window, WPARAM wParam, LPARAM lParam) {
  if (const HBRUSH brush = FlashEditBrush(reinterpret_cast<HWND>(lParam))) {
    return reinterpret_cast<LRESULT>(brush);
  }
  return DefWindowProcA(window, WM_CTLCOLOREDIT, wParam, lParam);
}

void OnClose(HWND window) {
  ClearResultPanel(ClearLevel::FieldsAndLabels);
  DestroyWindow(window);
}

void OnEndSession(WPARAM ending) {
  // The session ends without the message loop finishing, so the normal save at shut-down
  // would never run and the session's changes would be lost.
  if (ending) {
    SaveSettings();
  }
}

}  // namespace

BOOL CALLBACK SetChildFont(HWND child, LPARAM) {
  SetFont(child, App().normalFont);
  return TRUE;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(window);
      return 0;
    case WM_PAINT:
      OnPaint(window);
      return 0;
    case WM_SETFOCUS:
      OnSetFocus();
      return 0;
    case WM_COMMAND:
      OnCommand(wParam, lParam);
      return 0;
    case WM_CTLCOLOREDIT:
      return OnCtlColorEdit(window, wParam, lParam);
    case WM_CLOSE:
      OnClose(window);
      return 0;
    case WM_ENDSESSION:
      OnEndSession(wParam);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace quillon
