#include "app/command_routing.h"

#include "app/control_ids.h"

namespace quillon {

RoutedCommand RouteCommand(int id, int notification, CommandSender sender) {
  if (notification != 0) {
    if (notification == kNotifyEditChange && sender == CommandSender::QueryEdit) {
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
    case IDC_STOP: {
      // Both end in the same panel; only a click shows the cleared panel on its own.
      const MainAction action =
          sender == CommandSender::None ? MainAction::SelectType : MainAction::ShowType;
      return {action, kErrorTypes[static_cast<std::size_t>(id - IDC_WIN32)]};
    }
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
