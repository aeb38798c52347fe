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
    EXPECT_EQ(c.expected, RouteCommand(c.id, 0, false).action);
  }
}

TEST(RouteCommand, TypeLabelsShowTheirKindInOrder) {
  struct Case {
    int id;
    ErrorType type;
  };
  const Case cases[] = {
      {IDC_WIN32, ErrorType::Win32},
      {IDC_HRESULT, ErrorType::Hresult},
      {IDC_NTSTATUS, ErrorType::NtStatus},
      {IDC_STOP, ErrorType::Stop},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    const RoutedCommand command = RouteCommand(c.id, 0, false);
    EXPECT_EQ(MainAction::ShowType, command.action);
    EXPECT_EQ(c.type, command.type);
  }
}

TEST(RouteCommand, IgnoresEveryNotificationButTheQueryEditsChange) {
  EXPECT_EQ(MainAction::QueryEditChanged, RouteCommand(IDC_QUERY, kNotifyEditChange, true).action);
  struct Case {
    const char* name;
    int id;
    int notification;
    bool fromQueryEdit;
  };
  const Case cases[] = {
      {"change of another edit", 0, kNotifyEditChange, false},
      {"change claiming the query id from elsewhere", IDC_QUERY, kNotifyEditChange, false},
      {"update of the query edit", IDC_QUERY, kEnUpdate, true},
      {"focus of the query edit", IDC_QUERY, kEnSetFocus, true},
      {"double click on the About button", IDC_ABOUT, kStnDblClk, false},
      {"double click on a type label", IDC_WIN32, kStnDblClk, false},
      {"double click on the window-state toggle", IDC_WINDOWSTATE, kStnDblClk, false},
      {"search id with a notification", IDC_SEARCH, kEnUpdate, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(MainAction::None, RouteCommand(c.id, c.notification, c.fromQueryEdit).action);
  }
}

}  // namespace
}  // namespace quillon
