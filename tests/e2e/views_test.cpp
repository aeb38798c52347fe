// The four type views: what a label's stored code shows in the six result fields, choosing
// between enabled labels, and what the lookups of a number search store for the views to read.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "driver/message_tables_win.h"
#include "driver/mouse_win.h"
#include "driver/query_steps_win.h"
#include "driver/quillon_process_win.h"
#include "driver/windows_win.h"

namespace e2e {
namespace {

constexpr int kNumberMode = 0;
constexpr int kDefineMode = 1;
constexpr char kUnknown[] = "*** Unknown ***";

// Where a kind's Description comes from; None: nowhere (the field stays empty).
enum class DescriptionSource { None, System, Wininet, Ntdll, Ntoskrnl };

// Asked in the driver's own process of the same table with the same options as the program.
std::string ExpectedDescription(DescriptionSource source, std::uint32_t code) {
  switch (source) {
    case DescriptionSource::System:
      return SystemMessage(code);
    case DescriptionSource::Wininet:
      return ModuleMessage("wininet", code);
    case DescriptionSource::Ntdll:
      return ModuleMessage("ntdll", code);
    case DescriptionSource::Ntoskrnl:
      return ModuleMessage("ntoskrnl.exe", code);
    case DescriptionSource::None:
      break;
  }
  return {};
}

constexpr std::array<const char*, 5> kSourceNames{"none", "system", "wininet", "ntdll",
                                                  "ntoskrnl.exe"};

struct ViewRow {
  const char* name;
  Kind kind;
  std::uint32_t code;                 // stored in the kind's label
  int mode;                           // QueryMode
  std::array<const char*, 5> fields;  // Type, Status, Code, Facility, define/code box
  DescriptionSource source;
  std::uint32_t asked;  // the code the source is asked for
};

// Boxes after a number search hold what the generated database names first for the code.
// clang-format off
const std::array<ViewRow, 22> kViewRows{{
    // name, kind, stored code, mode, {Type, Status, Code, Facility, box}, Description source
    {"win32-access-denied", kWin32, 5, kNumberMode,
     {"Win32", "Failure", "5", "Windows (Non COM)", "ERROR_ACCESS_DENIED"}, DescriptionSource::System, 5},
    {"win32-define-mode", kWin32, 5, kDefineMode,
     {"Win32", "Failure", "5", "Windows (Non COM)", "5\r\n0x00000005"}, DescriptionSource::System, 5},
    {"win32-zero-is-success", kWin32, 0, kNumberMode,
     {"Win32", "Success", "0", "Windows (Non COM)", "ERROR_SUCCESS"}, DescriptionSource::System, 0},
    {"win32-wininet-range", kWin32, 12002, kNumberMode,
     {"Win32", "Failure", "12002", "Windows (Non COM)", "ERROR_INTERNET_TIMEOUT"}, DescriptionSource::Wininet, 12002},
    {"win32-no-define", kWin32, 9999, kNumberMode,
     {"Win32", "Failure", "9999", "Windows (Non COM)", kUnknown}, DescriptionSource::System, 9999},
    // Only a database can store this: not a Win32 value, so the Description stays empty.
    {"win32-not-applicable", kWin32, 0x12340005, kNumberMode,
     {"Win32", "Failure", "5", "Windows (Non COM)", kUnknown}, DescriptionSource::None, 0},
    {"hresult-access-denied", kHresult, 0x80070005, kNumberMode,
     {"HRESULT", "Failure", "5", "Windows (Non COM)", "E_ACCESSDENIED"}, DescriptionSource::System, 0x80070005},
    {"hresult-access-denied-define-mode", kHresult, 0x80070005, kDefineMode,
     {"HRESULT", "Failure", "5", "Windows (Non COM)", "-2147024891\r\n0x80070005"}, DescriptionSource::System, 0x80070005},
    {"hresult-fail", kHresult, 0x80004005, kNumberMode,
     {"HRESULT", "Failure", "16389", "Default facility code", "E_FAIL"}, DescriptionSource::System, 0x80004005},
    {"hresult-fail-define-mode", kHresult, 0x80004005, kDefineMode,
     {"HRESULT", "Failure", "16389", "Default facility code", "-2147467259\r\n0x80004005"}, DescriptionSource::System, 0x80004005},
    {"hresult-success", kHresult, 0, kNumberMode,
     {"HRESULT", "Success", "0", "Default facility code", "S_OK"}, DescriptionSource::System, 0},
    {"hresult-all-ones", kHresult, 0xFFFFFFFF, kNumberMode,
     {"HRESULT", "Failure", "65535", kUnknown, kUnknown}, DescriptionSource::System, 0xFFFFFFFF},
    {"hresult-all-ones-define-mode", kHresult, 0xFFFFFFFF, kDefineMode,
     {"HRESULT", "Failure", "65535", kUnknown, "-1\r\n0xFFFFFFFF"}, DescriptionSource::System, 0xFFFFFFFF},
    {"hresult-last-facility", kHresult, 0x80510000, kNumberMode,
     {"HRESULT", "Failure", "0", "Open Connectivity service", kUnknown}, DescriptionSource::System, 0x80510000},
    // Named only by the documentation's XPS page, as the database's own row.
    {"hresult-past-the-facilities", kHresult, 0x80520000, kNumberMode,
     {"HRESULT", "Failure", "0", kUnknown, "XPS_E_INVALID_LANGUAGE"}, DescriptionSource::System,
     0x80520000},
    {"ntstatus-access-violation", kNtStatus, 0xC0000005, kNumberMode,
     {"NTSTATUS", "Error", "5", "Default facility code", "STATUS_ACCESS_VIOLATION"}, DescriptionSource::Ntdll, 0xC0000005},
    {"ntstatus-define-mode", kNtStatus, 0xC0000005, kDefineMode,
     {"NTSTATUS", "Error", "5", "Default facility code", "-1073741819\r\n0xC0000005"}, DescriptionSource::Ntdll, 0xC0000005},
    {"ntstatus-warning", kNtStatus, 0x80000005, kNumberMode,
     {"NTSTATUS", "Warning", "5", "Default facility code", "STATUS_BUFFER_OVERFLOW"}, DescriptionSource::Ntdll, 0x80000005},
    {"ntstatus-information", kNtStatus, 0x40000000, kNumberMode,
     {"NTSTATUS", "Information", "0", "Default facility code", "STATUS_OBJECT_NAME_EXISTS"}, DescriptionSource::Ntdll, 0x40000000},
    {"ntstatus-max-value-facility", kNtStatus, 0x00370000, kNumberMode,
     {"NTSTATUS", "Success", "0", "MAX_VALUE", kUnknown}, DescriptionSource::Ntdll, 0x00370000},
    {"stop-irql", kStop, 0xA, kNumberMode,
     {"STOP", "Your Screwed", "10", "", "IRQL_NOT_LESS_OR_EQUAL"}, DescriptionSource::Ntoskrnl, 0xA},
    {"stop-define-mode", kStop, 0xA, kDefineMode,
     {"STOP", "Your Screwed", "10", "", "10\r\n0x0000000A"}, DescriptionSource::Ntoskrnl, 0xA},
}};
// clang-format on

std::string Hex(std::uint32_t value) {
  std::array<char, 16> text{};
  std::snprintf(text.data(), text.size(), "0x%08lX", static_cast<unsigned long>(value));
  return text.data();
}

// One copy of the program serves the whole suite: every step sets the state it needs.
class Views : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { quillon_ = std::make_unique<QuillonProcess>(); }
  static void TearDownTestSuite() { quillon_.reset(); }

  void SetUp() override {
    ASSERT_TRUE(quillon_ && quillon_->IsRunning()) << "views-0.1 the program runs";
    ASSERT_EQ(21u, ChildWindows(Main()).size()) << "views-0.2 the main window's controls";
  }

  static HWND Main() { return quillon_->MainWindow(); }
  static HWND Label(Kind kind) { return TypeLabelOf(Main(), kind); }
  static HWND ResultField(Field field) { return ResultFieldOf(Main(), field); }

  // What a search leaves behind for a view: the code in the label, the label enabled, the mode.
  static void Store(Kind kind, std::uint32_t code, int mode) {
    SetWindowLongA(Label(kind), GWL_USERDATA, static_cast<LONG>(code));
    EnableWindow(Label(kind), TRUE);
    SetWindowLongA(QueryEdit(Main()), GWL_USERDATA, mode);
  }

  static void DisableAllLabels() {
    for (const Kind kind : {kWin32, kHresult, kNtStatus, kStop}) {
      EnableWindow(Label(kind), FALSE);
    }
  }

  static void MarkAllFields() {
    for (const Field field : {kType, kStatus, kCode, kFacility, kDefineBox, kDescription}) {
      SetTextOf(ResultField(field), "marker");
    }
  }

  // Types the query and presses Enter through the message loop, as a user does.
  static ResultView Search(const std::string& query) {
    EXPECT_TRUE(TypeInto(Main(), query)) << "typing " << query;
    EXPECT_TRUE(PressEnter(Main())) << "searching " << query;
    return ReadResultView(Main());
  }

  static inline std::unique_ptr<QuillonProcess> quillon_;
};

TEST_F(Views, EachStoredCodeShowsItsKindsFields) {
  for (size_t i = 0; i < kViewRows.size(); ++i) {
    const ViewRow& row = kViewRows[i];
    std::array<char, 96> step{};
    std::snprintf(step.data(), step.size(), "views-1.%zu %s", i + 1, row.name);
    SCOPED_TRACE(step.data());
    Store(row.kind, row.code, row.mode);
    MarkAllFields();
    ASSERT_TRUE(SendClick(Label(row.kind)));

    const ResultView view = ReadResultView(Main());
    EXPECT_EQ(row.fields[kType], view.fields[kType]) << "Type";
    EXPECT_EQ(row.fields[kStatus], view.fields[kStatus]) << "Status";
    EXPECT_EQ(row.fields[kCode], view.fields[kCode]) << "Code";
    EXPECT_EQ(row.fields[kFacility], view.fields[kFacility]) << "Facility";
    EXPECT_EQ(row.fields[kDefineBox], view.fields[kDefineBox]) << "define/code box";
    EXPECT_EQ(ExpectedDescription(row.source, row.asked), view.fields[kDescription])
        << "Description from " << kSourceNames[static_cast<size_t>(row.source)] << " for "
        << Hex(row.asked);
    EXPECT_EQ(row.code, view.stored[row.kind]) << "the view keeps the stored code";
    EXPECT_EQ(row.mode, view.queryMode) << "the view keeps the mode";
  }
}

TEST_F(Views, ClickingBetweenEnabledLabelsSwitchesTheView) {
  DisableAllLabels();
  Store(kWin32, 5, kNumberMode);
  Store(kHresult, 0x80004005, kNumberMode);
  Store(kStop, 0xA, kNumberMode);

  // Real clicks: the system routes them, the label reports them to the main window.
  const std::array<std::pair<Kind, const char*>, 4> clicks{{{kHresult, "E_FAIL"},
                                                            {kWin32, "ERROR_ACCESS_DENIED"},
                                                            {kStop, "IRQL_NOT_LESS_OR_EQUAL"},
                                                            {kWin32, "ERROR_ACCESS_DENIED"}}};
  for (size_t i = 0; i < clicks.size(); ++i) {
    const auto [kind, define] = clicks[i];
    const std::string step = "views-2." + std::to_string(i + 1) + " " + kKindNames[kind];
    SetTextOf(ResultField(kType), "marker");
    ASSERT_TRUE(MouseClick(Label(kind))) << step << " click";
    EXPECT_TRUE(WaitUntil([&] { return TextOf(ResultField(kType)) == kKindNames[kind]; }))
        << step << " shown";
    EXPECT_EQ(define, TextOf(ResultField(kDefineBox))) << step << " its define";
  }
  const ResultView view = ReadResultView(Main());
  EXPECT_EQ(kNumberMode, view.queryMode) << "views-2.5 switching keeps the mode";
  EXPECT_EQ((std::array<bool, 4>{true, true, false, true}), view.enabled)
      << "views-2.6 switching keeps the labels";
}

TEST_F(Views, ClickOnADisabledLabelDoesNothing) {
  DisableAllLabels();
  Store(kWin32, 5, kNumberMode);
  ASSERT_TRUE(SendClick(Label(kWin32))) << "views-3.1";
  SetWindowLongA(Label(kNtStatus), GWL_USERDATA, static_cast<LONG>(0xC0000005));
  ASSERT_TRUE(SetTextOf(ResultField(kType), "marker")) << "views-3.2";
  const ResultView before = ReadResultView(Main());

  ASSERT_TRUE(MouseClick(Label(kNtStatus))) << "views-3.3 click the disabled NTSTATUS label";
  // Input is handled in order: once a click on the Description field has focused it, the
  // first click has been handled too. Neither may run a view.
  const HWND description = ResultField(kDescription);
  ASSERT_TRUE(MouseClick(description)) << "views-3.4";
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(quillon_->ThreadId()) == description; }))
      << "views-3.5 both clicks handled";
  EXPECT_EQ(before.fields, ReadResultView(Main()).fields)
      << "views-3.6 the NTSTATUS view never ran";
  EXPECT_FALSE(IsWindowEnabled(Label(kNtStatus))) << "views-3.7 still disabled";
}

TEST_F(Views, NumberSearchesStoreWhatTheViewsRead) {
  // Markers in the labels show which kinds a search never touched.
  constexpr std::uint32_t kMarker = 0x5EED;
  const auto markLabels = [&] {
    for (const Kind kind : {kWin32, kHresult, kNtStatus, kStop}) {
      SetWindowLongA(Label(kind), GWL_USERDATA, static_cast<LONG>(kMarker));
    }
  };
  const auto knownTo = [](const char* module, std::uint32_t code) {
    return !ModuleMessage(module, code).empty();
  };

  // A Win32 error in an HRESULT: the Win32 probe takes it reduced; HRESULT is never asked.
  markLabels();
  ResultView view = Search("0x80070005");
  EXPECT_EQ("Win32", view.fields[kType]) << "views-4.1 0x80070005 shows Win32";
  EXPECT_TRUE(view.enabled[kWin32]) << "views-4.2";
  EXPECT_EQ(5u, view.stored[kWin32]) << "views-4.3 the reduced code";
  EXPECT_FALSE(view.enabled[kHresult]) << "views-4.4 HRESULT not probed";
  EXPECT_EQ(kMarker, view.stored[kHresult]) << "views-4.5";
  EXPECT_EQ(knownTo("ntdll", 0x80070005), view.enabled[kNtStatus])
      << "views-4.6 NTSTATUS only where ntdll knows it";
  EXPECT_EQ(knownTo("ntoskrnl.exe", 0x80070005), view.enabled[kStop])
      << "views-4.7 STOP only where ntoskrnl.exe knows it";
  EXPECT_EQ("5", view.fields[kCode]) << "views-4.8";
  EXPECT_EQ(kNumberMode, view.queryMode) << "views-4.9";

  // Facility 0: no Win32 value, so HRESULT is probed with the full value.
  markLabels();
  view = Search("-2147467259");
  EXPECT_EQ("HRESULT", view.fields[kType]) << "views-4.10 -2147467259 shows HRESULT";
  EXPECT_FALSE(view.enabled[kWin32]) << "views-4.11";
  EXPECT_EQ(kMarker, view.stored[kWin32]) << "views-4.12 Win32 declined without storing";
  EXPECT_TRUE(view.enabled[kHresult]) << "views-4.13";
  EXPECT_EQ(0x80004005u, view.stored[kHresult]) << "views-4.14 the full value";
  EXPECT_EQ("E_FAIL", view.fields[kDefineBox]) << "views-4.15";

  // Inside the wininet range: found in wininet's table; HRESULT is never asked.
  markLabels();
  view = Search("12002");
  EXPECT_EQ("Win32", view.fields[kType]) << "views-4.16 12002 shows Win32";
  EXPECT_EQ(12002u, view.stored[kWin32]) << "views-4.17";
  EXPECT_FALSE(view.enabled[kHresult]) << "views-4.18";
  EXPECT_EQ(kMarker, view.stored[kHresult]) << "views-4.19";
  EXPECT_EQ(ModuleMessage("wininet", 12002), view.fields[kDescription])
      << "views-4.20 wininet's text";
  EXPECT_FALSE(view.fields[kDescription].empty()) << "views-4.21 wininet has one";
}

}  // namespace
}  // namespace e2e
