// Which action a WM_COMMAND of the main window asks for.
#pragma once

#include "base/error_type.h"

namespace quillon {

inline constexpr int kNotifyEditChange = 0x0300;  // EN_CHANGE

// Who sent a WM_COMMAND, as its lParam tells.
enum class CommandSender {
  None,       // lParam 0: the search flow's selection of a kind, or another program
  QueryEdit,  // the query edit's notification
  Control,    // another control: a click on a label or a button
};

enum class MainAction {
  None,
  Search,             // IDC_SEARCH
  ShowType,           // a click on a type label: the panel is cleared, then the view shown
  SelectType,         // a type command with no sender: the view written over the last result
  OpenAbout,          // IDC_ABOUT
  ToggleOnTop,        // IDC_ONTOP
  ToggleWindowState,  // IDC_WINDOWSTATE
  QueryEditChanged,   // EN_CHANGE of the query edit (the paste rule decides)
};

struct RoutedCommand {
  MainAction action = MainAction::None;
  ErrorType type = ErrorType::Win32;  // meaningful for ShowType only
};

// Notification 0 is a click (STN_CLICKED) or a command another window sent; it is routed by
// identifier. Of the other notifications only the query edit's EN_CHANGE is acted on, so the
// second click of a double click (STN_DBLCLK) and IDCANCEL from Escape do nothing.
RoutedCommand RouteCommand(int id, int notification, CommandSender sender);

}  // namespace quillon
