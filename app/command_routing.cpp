#include "app/command_routing.h"

#include "app/control_ids.h"

namespace quillon {

RoutedCommand RouteCommand(int id, int notification, bool fromQueryEdit) {
  if (notification != 0) {
    if (notification == kNotifyEditChange && fromQueryEdit) {
      return {MainAction::QueryEditChanged};
    }
    return {};
  }
  switch (id) {
    case IDC_SEARCH:
      return {MainAction::Search};
    case IDC_WIN32:
    case IDC_HRESULT:
    case IDC_NTSTATUS:
    case IDC_STOP:
      return {MainAction::ShowType, kErrorTypes[static_cast<std::size_t>(id - IDC_WIN32)]};
    case IDC_ABOUT:
      return {MainAction::OpenAbout};
    case IDC_ONTOP:
      return {MainAction::ToggleOnTop};
    case IDC_WINDOWSTATE:
      return {MainAction::ToggleWindowState};
    default:
      return {};
  }
}

}  // namespace quillon
