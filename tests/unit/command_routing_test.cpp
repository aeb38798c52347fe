#include "app/command_routing.h"

#include <gtest/gtest.h>

#include "app/control_ids.h"

namespace quillon {
namespace {

constexpr int kStnDblClk = 1;
constexpr int kEnSetFocus = 0x0100;
constexpr int kEnUpdate = 0x0400;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

TEST(RouteCommand, RoutesClicksAndSentCommandsByIdentifier) {
  struct Case {
    int id;
    MainAction expected;
  };
  const Case cases[] = {
      {IDC_SEARCH, MainAction::Search},
      {IDC_ABOUT, MainAction::OpenAbout},
      {IDC_ONTOP, MainAction::ToggleOnTop},
      {IDC_WINDOWSTATE, MainAction::ToggleWindowState},
      {IDC_QUERY, MainAction::None},
      {0, MainAction::None},  // a click on the Type field
      {kIdOk, MainAction::None},
      {kIdCancel, MainAction::None},  // Escape must not close or change anything
      {1002, MainAction::None},
      {1003, MainAction::None},
      {1012, MainAction::None},
      {0xFFFF, MainAction::None},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(c.expected, RouteCommand(c.id, 0, CommandSender::None).action);
  }
}

TEST(RouteCommand, TypeLabelsShowTheirKindInOrderAndOnlyAClickClearsFirst) {
  struct Case {
    int id;
    CommandSender sender;
    MainAction action;
    ErrorType type;
  };
  const Case cases[] = {
      {IDC_WIN32, CommandSender::Control, MainAction::ShowType, ErrorType::Win32},
      {IDC_HRESULT, CommandSender::Control, MainAction::ShowType, ErrorType::Hresult},
      {IDC_NTSTATUS, CommandSender::Control, MainAction::ShowType, ErrorType::NtStatus},
      {IDC_STOP, CommandSender::Control, MainAction::ShowType, ErrorType::Stop},
      // The search flow's selection carries no sender.
      {IDC_WIN32, CommandSender::None, MainAction::SelectType, ErrorType::Win32},
      {IDC_STOP, CommandSender::None, MainAction::SelectType, ErrorType::Stop},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    const RoutedCommand command = RouteCommand(c.id, 0, c.sender);
    EXPECT_EQ(c.action, command.action);
    EXPECT_EQ(c.type, command.type);
  }
}

TEST(RouteCommand, IgnoresEveryNotificationButTheQueryEditsChange) {
  constexpr auto kQueryEdit = CommandSender::QueryEdit;
  constexpr auto kControl = CommandSender::Control;
  EXPECT_EQ(MainAction::QueryEditChanged,
            RouteCommand(IDC_QUERY, kNotifyEditChange, kQueryEdit).action);
  struct Case {
    const char* name;
    int id;
    int notification;
    CommandSender sender;
  };
  const Case cases[] = {
      {"change of another edit", 0, kNotifyEditChange, kControl},
      {"change claiming the query id from elsewhere", IDC_QUERY, kNotifyEditChange, kControl},
      {"change claiming the query id with no sender", IDC_QUERY, kNotifyEditChange,
       CommandSender::None},
      {"update of the query edit", IDC_QUERY, kEnUpdate, kQueryEdit},
      {"focus of the query edit", IDC_QUERY, kEnSetFocus, kQueryEdit},
      {"double click on the About button", IDC_ABOUT, kStnDblClk, kControl},
      {"double click on a type label", IDC_WIN32, kStnDblClk, kControl},
      {"double click on the window-state toggle", IDC_WINDOWSTATE, kStnDblClk, kControl},
      {"search id with a notification", IDC_SEARCH, kEnUpdate, kControl},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(MainAction::None, RouteCommand(c.id, c.notification, c.sender).action);
  }
}

}  // namespace
}  // namespace quillon
