// Searches as a user runs them: text set or typed, Enter through the message loop; every kind
// of verdict (the twelve rejections, numbers and define names found in one kind or in none),
// the number and define modes, the compact window opening for results, and the type labels.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "driver/database_codes_win.h"
#include "driver/message_tables_win.h"
#include "driver/program_copy_win.h"
#include "driver/query_steps_win.h"
#include "driver/quillon_process_win.h"
#include "driver/settext_counter_win.h"
#include "driver/settings_file_win.h"
#include "driver/windows_win.h"

namespace e2e {
namespace {

constexpr int kCompactHeight = 75;
constexpr int kExpandedHeight = 300;
constexpr char kNumberNotFound[] = "\r\n\r\nError number not found";
constexpr char kDefineNotFound[] = "\r\n\r\nDefine Not Found";
// No table of the database holds it, no source knows the number.
constexpr char kUnknownDefine[] = "NO_SUCH_DEFINE_ANYWHERE";
constexpr char kUnknownNumber[] = "123456789";

int Height(HWND window) {
  const RECT rect = OuterRect(window);
  return rect.bottom - rect.top;
}

StartOptions WithWindowState(const std::string& windowState) {
  StartOptions options;
  options.settingsIni = "[Settings]\r\nOnTop=0\r\nWindowState=" + windowState + "\r\n";
  return options;
}

// The kinds that know a value, asked the way the program asks: a Win32 code (up to 0xFFFF, or
// the low word of an HRESULT of facility 7; wininet's own range from wininet) or else an HRESULT
// from the system table; NTSTATUS from ntdll, STOP from ntoskrnl.exe; and where a table has no
// text, the kind's table of the database. Under Wine ntdll and ntoskrnl.exe have no texts, so
// only the database knows those kinds there; on Windows both do.
std::array<std::optional<std::uint32_t>, 4> KindsKnowing(std::uint32_t value,
                                                         const DatabaseCodes& database) {
  std::array<std::optional<std::uint32_t>, 4> known;
  auto learn = [&](Kind kind, std::uint32_t code, const std::string& text) {
    if (!text.empty() || database.Holds(kind, code)) {
      known[kind] = code;
    }
  };
  if (value <= 0xFFFF || ((value >> 16) & 0x1FFF) == 7) {
    const std::uint32_t code = value & 0xFFFF;
    const bool wininet = code >= 12000 && code <= 12174;
    learn(kWin32, code, wininet ? ModuleMessage("wininet", code) : SystemMessage(code));
  } else {
    learn(kHresult, value, SystemMessage(value));
  }
  learn(kNtStatus, value, ModuleMessage("ntdll", value));
  learn(kStop, value, ModuleMessage("ntoskrnl.exe", value));
  return known;
}

std::string DescriptionFor(Kind kind, std::uint32_t code) {
  switch (kind) {
    case kWin32:
      return code >= 12000 && code <= 12174 ? ModuleMessage("wininet", code) : SystemMessage(code);
    case kHresult:
      return SystemMessage(code);
    case kNtStatus:
      return ModuleMessage("ntdll", code);
    case kStop:
      return ModuleMessage("ntoskrnl.exe", code);
  }
  return {};
}

std::string SignedLowWord(std::uint32_t code) {
  return std::to_string(code & 0xFFFF);
}

// The labels of a view: enabled where expected, with the codes expected, the rest disabled.
void ExpectLabels(const std::array<std::optional<std::uint32_t>, 4>& expected,
                  const ResultView& view) {
  for (int kind = kWin32; kind <= kStop; ++kind) {
    SCOPED_TRACE(kKindNames[static_cast<size_t>(kind)]);
    EXPECT_EQ(expected[static_cast<size_t>(kind)].has_value(),
              view.enabled[static_cast<size_t>(kind)]);
    if (expected[static_cast<size_t>(kind)]) {
      EXPECT_EQ(*expected[static_cast<size_t>(kind)], view.stored[static_cast<size_t>(kind)]);
    }
  }
}

void ExpectOnlyDescription(const std::string& description, const ResultView& view) {
  EXPECT_EQ(description, view.fields[kDescription]);
  for (int field = kType; field < kDescription; ++field) {
    EXPECT_EQ("", view.fields[static_cast<size_t>(field)]) << "field " << field;
  }
  for (size_t kind = 0; kind < view.enabled.size(); ++kind) {
    EXPECT_FALSE(view.enabled[kind]) << kKindNames[kind] << " label";
  }
}

// One copy of the program, expanded (no settings file), for every search that needs no fresh
// start.
class Search : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    quillon_ = std::make_unique<QuillonProcess>();
    database_ = std::make_unique<DatabaseCodes>(DatabaseCodes::Load());
  }
  static void TearDownTestSuite() {
    quillon_.reset();
    database_.reset();
  }
  void SetUp() override {
    ASSERT_FALSE(database_->Empty()) << "oracle-codes.txt beside the driver";
  }

  static HWND Main() { return quillon_->MainWindow(); }
  static std::array<std::optional<std::uint32_t>, 4> Known(std::uint32_t value) {
    return KindsKnowing(value, *database_);
  }

  static std::unique_ptr<QuillonProcess> quillon_;
  static std::unique_ptr<DatabaseCodes> database_;
};

std::unique_ptr<QuillonProcess> Search::quillon_;
std::unique_ptr<DatabaseCodes> Search::database_;

struct RejectionCase {
  const char* step;
  const char* query;
  const char* message;
};

// One query per message, in the order the rules can give them; the numbers are judged on the
// whole text, so a long one is not cut to fit.
constexpr std::array<RejectionCase, 13> kRejections{{
    {"search-1.1", "", "DOH, there is nothing to search for! Please enter a complete error number"},
    {"search-1.2", "_ABC", "Seems to be an invalid define"},
    {"search-1.3", "0x0x1", "There is more than 1 '0x' in your number"},
    {"search-1.4", "10x5", "0x should be before any numbers"},
    {"search-1.5", "0x", "Um, are you missing a number after the 0x"},
    {"search-1.6", "0x1G", "That is an invalid hex number\r\n"},
    {"search-1.7", "0x123456789",
     "The hex number you entered is way too big!\r\nValid range is: 80000000 (-2147483648) to "
     "7FFFFFFF (2147483647)"},
    {"search-1.8", "--5", "There are too many dashes in the number"},
    {"search-1.9", "1-2", "Dash (-) should be the first character of the number."},
    {"search-1.10", "-", "Um, are you missing a number after the dash?"},
    {"search-1.11", "ABC", "You entered an invalid DWORD\r\nValid numbers are 0123456789"},
    {"search-1.12", "00012",
     "The number you entered is way too big!\r\nValid range is: -2147483648 to 2147483647"},
    {"search-1.13", "-21474836480",
     "The number you entered is way too big!\r\nValid range is: -2147483648 to 2147483647"},
}};

TEST_F(Search, EachRejectionShowsItsMessageAndKeepsTheMode) {
  // Half of them after a number search, half after a define search: the mode stays either way.
  for (size_t i = 0; i < kRejections.size(); ++i) {
    const RejectionCase& row = kRejections[i];
    SCOPED_TRACE(std::string(row.step) + " query \"" + row.query + "\"");
    if (i == 0) {
      ASSERT_TRUE(SearchFor(Main(), "5")) << "number mode first";
    } else if (i == kRejections.size() / 2) {
      ASSERT_TRUE(SearchFor(Main(), "ERROR_ACCESS_DENIED")) << "define mode first";
    }
    const ResultView before = ReadResultView(Main());
    ASSERT_TRUE(SearchFor(Main(), row.query));
    const ResultView after = ReadResultView(Main());
    ExpectOnlyDescription(row.message, after);
    EXPECT_EQ(before.queryMode, after.queryMode) << "QueryMode kept";
    EXPECT_EQ(before.caption, after.caption) << "caption kept";
    EXPECT_EQ(row.query, TextOf(QueryEdit(Main()))) << "query text kept";
  }
}

TEST_F(Search, InvalidDefineEntersDefineModeBeforeItsRejection) {
  ASSERT_TRUE(SearchFor(Main(), "5")) << "search-2.1";
  ASSERT_EQ(0, ReadResultView(Main()).queryMode) << "search-2.2 number mode";
  ASSERT_TRUE(SearchFor(Main(), "A_B-C")) << "search-2.3";
  const ResultView view = ReadResultView(Main());
  {
    SCOPED_TRACE("search-2.4");
    ExpectOnlyDescription("Seems to be an invalid define", view);
  }
  EXPECT_EQ(1, view.queryMode) << "search-2.5 define mode";
  EXPECT_EQ("Error Code", view.caption) << "search-2.6";
}

struct NumberCase {
  const char* step;
  const char* query;
  std::uint32_t value;
  // Checked when the first kind found is Win32 (every row expects it to be; see KindsKnowing).
  const char* defineName;
};

constexpr std::array<NumberCase, 5> kNumbers{{
    {"search-3.1", "5", 5, "ERROR_ACCESS_DENIED"},
    // An HRESULT of facility 7 is a Win32 code: HRESULT is never asked.
    {"search-3.2", "0x80070005", 0x80070005, "ERROR_ACCESS_DENIED"},
    {"search-3.3", "-2147024891", 0x80070005, "ERROR_ACCESS_DENIED"},
    // wininet's own range comes from wininet's table.
    {"search-3.4", "12002", 12002, "ERROR_INTERNET_TIMEOUT"},
    // The whole text counts: the 13th character is a digit like the others.
    {"search-3.5", "0x00000000001", 1, "ERROR_INVALID_FUNCTION"},
}};

TEST_F(Search, NumberKnownToWin32ShowsTheWin32View) {
  for (const NumberCase& row : kNumbers) {
    SCOPED_TRACE(std::string(row.step) + " query " + row.query);
    const auto known = Known(row.value);
    ASSERT_TRUE(known[kWin32]) << "the Win32 kind knows the code";
    ASSERT_TRUE(SearchFor(Main(), row.query));
    const ResultView view = ReadResultView(Main());
    ExpectLabels(known, view);
    EXPECT_FALSE(view.enabled[kHresult]) << "HRESULT not probed";
    EXPECT_EQ(0, view.queryMode);
    EXPECT_EQ("#Define", view.caption);
    EXPECT_EQ("Win32", view.fields[kType]);
    EXPECT_EQ("Failure", view.fields[kStatus]);
    EXPECT_EQ(SignedLowWord(*known[kWin32]), view.fields[kCode]);
    EXPECT_EQ("Windows (Non COM)", view.fields[kFacility]);
    EXPECT_EQ(row.defineName, view.fields[kDefineBox]);
    EXPECT_EQ(DescriptionFor(kWin32, *known[kWin32]), view.fields[kDescription]);
    EXPECT_EQ(kExpandedHeight, Height(Main())) << "stays expanded";
  }
}

// Several kinds can know one number (10 is a Win32 code and a STOP code); the first is shown.
TEST_F(Search, NumbersBeyondWin32ShowTheFirstKindThatKnowsThem) {
  struct Row {
    const char* step;
    const char* query;
    std::uint32_t value;
  };
  constexpr std::array<Row, 3> kRows{{
      {"search-4.1", "0x80004005", 0x80004005},   // E_FAIL
      {"search-4.2", "-1073741819", 0xC0000005},  // STATUS_ACCESS_VIOLATION
      {"search-4.3", "10", 10},                   // also a STOP code
  }};
  for (const Row& row : kRows) {
    SCOPED_TRACE(std::string(row.step) + " query " + row.query);
    const auto known = Known(row.value);
    ASSERT_TRUE(SearchFor(Main(), row.query));
    const ResultView view = ReadResultView(Main());
    ExpectLabels(known, view);
    int first = -1;
    for (int kind = kWin32; kind <= kStop && first < 0; ++kind) {
      first = known[static_cast<size_t>(kind)] ? kind : -1;
    }
    if (first < 0) {
      ExpectOnlyDescription(kNumberNotFound, view);
      continue;
    }
    const std::uint32_t code = *known[static_cast<size_t>(first)];
    EXPECT_EQ(kKindNames[static_cast<size_t>(first)], view.fields[kType]);
    EXPECT_EQ(DescriptionFor(static_cast<Kind>(first), code), view.fields[kDescription]);
    if (first != kStop) {
      EXPECT_EQ(SignedLowWord(code), view.fields[kCode]);
    }
  }
}

TEST_F(Search, NumberNoSourceKnowsIsNotFoundInNumberMode) {
  ASSERT_TRUE(SearchFor(Main(), "ERROR_ACCESS_DENIED")) << "search-5.1 define mode first";
  const auto known = Known(123456789);
  ASSERT_FALSE(known[kWin32] || known[kHresult] || known[kNtStatus] || known[kStop])
      << "search-5.2 no message table and no table of the database knows 123456789";
  ASSERT_TRUE(SearchFor(Main(), kUnknownNumber)) << "search-5.3";
  const ResultView view = ReadResultView(Main());
  {
    SCOPED_TRACE("search-5.4");
    ExpectOnlyDescription(kNumberNotFound, view);
  }
  EXPECT_EQ(0, view.queryMode) << "search-5.5";
  EXPECT_EQ("#Define", view.caption) << "search-5.6";
}

struct NamedNumberCase {
  const char* step;
  const char* query;
  std::uint32_t value;
  Kind kind;  // the kind shown, with value as its code
  const char* status;
  const char* facility;
  const char* defineName;
};

// Numbers that the database names while the message tables may have no text for them (under
// Wine: every NTSTATUS and STOP code, most Win32 codes, HRESULT families such as DirectX's).
constexpr std::array<NamedNumberCase, 4> kNamedNumbers{{
    {"search-12.1", "0xC0000005", 0xC0000005, kNtStatus, "Error", "Default facility code",
     "STATUS_ACCESS_VIOLATION"},
    {"search-12.2", "4319", 4319, kWin32, "Failure", "Windows (Non COM)",
     "ERROR_DEVICE_NOT_AVAILABLE"},
    // Probed as Win32 first, which neither describes nor names it.
    {"search-12.3", "37", 37, kStop, "Your Screwed", "", "NPFS_FILE_SYSTEM"},
    {"search-12.4", "0x887A0005", 0x887A0005, kHresult, "Failure", "*** Unknown ***",
     "DXGI_ERROR_DEVICE_REMOVED"},
}};

TEST_F(Search, NumberTheDatabaseNamesIsFoundWithOrWithoutAText) {
  for (const NamedNumberCase& row : kNamedNumbers) {
    SCOPED_TRACE(std::string(row.step) + " query " + row.query);
    const auto known = Known(row.value);
    ASSERT_TRUE(known[row.kind]) << "the database names it";
    for (int kind = kWin32; kind < row.kind; ++kind) {
      ASSERT_FALSE(known[static_cast<size_t>(kind)]) << kKindNames[static_cast<size_t>(kind)];
    }
    ASSERT_TRUE(SearchFor(Main(), row.query));
    const ResultView view = ReadResultView(Main());
    ExpectLabels(known, view);
    EXPECT_EQ(0, view.queryMode);
    EXPECT_EQ("#Define", view.caption);
    EXPECT_EQ(kKindNames[row.kind], view.fields[kType]);
    EXPECT_EQ(row.status, view.fields[kStatus]);
    EXPECT_EQ(SignedLowWord(row.value), view.fields[kCode]);
    EXPECT_EQ(row.facility, view.fields[kFacility]);
    EXPECT_EQ(row.defineName, view.fields[kDefineBox]);
    // Empty where the table has no text, as after a define search.
    EXPECT_EQ(DescriptionFor(row.kind, row.value), view.fields[kDescription]);
  }
}

// Nothing of a search is seen before it ends, so it writes each result field at most once: once
// when the field's text changes, not at all when it keeps it. The queries alternate so that the
// fields change.
TEST_F(Search, EachSearchWritesEachResultFieldAtMostOnce) {
  SetTextCounter counter(Main(), quillon_->ThreadId(), quillon_->Directory());
  const std::vector<HWND> children = ChildWindows(Main());
  constexpr std::array<const char*, 11> kQueries{
      "5",          "0xC0000005", "E_ACCESSDENIED", kUnknownNumber, "IRQL_NOT_LESS_OR_EQUAL",
      "0x80004005", "4319",       "4319",           kUnknownDefine, "STATUS_ACCESS_VIOLATION",
      "5"};
  for (size_t i = 0; i < kQueries.size(); ++i) {
    SCOPED_TRACE(std::string("search-13.") + std::to_string(i + 1) + " query " + kQueries[i]);
    ASSERT_TRUE(SetTextOf(QueryEdit(Main()), kQueries[i]));
    const ResultView before = ReadResultView(Main());
    ASSERT_TRUE(counter.Take()) << "the query's own text is not the search's";
    ASSERT_TRUE(Send(Main(), WM_COMMAND, MAKEWPARAM(kSearchCommand, 0), 0));
    const std::optional<std::vector<int>> counts = counter.Take();
    const ResultView after = ReadResultView(Main());
    ASSERT_TRUE(counts);
    ASSERT_EQ(children.size(), counts->size());
    for (int field = kType; field <= kDescription; ++field) {
      const HWND window = ResultFieldOf(Main(), static_cast<Field>(field));
      const auto index = static_cast<size_t>(std::find(children.begin(), children.end(), window) -
                                             children.begin());
      ASSERT_LT(index, counts->size());
      const bool changed =
          before.fields[static_cast<size_t>(field)] != after.fields[static_cast<size_t>(field)];
      EXPECT_EQ(changed ? 1 : 0, (*counts)[index]) << "field " << field;
    }
  }
}

struct DefineCase {
  const char* step;
  const char* query;
  Kind kind;
  std::uint32_t code;
  const char* status;
  const char* facility;
  const char* box;
};

constexpr std::array<DefineCase, 4> kDefines{{
    {"search-6.1", "ERROR_ACCESS_DENIED", kWin32, 5, "Failure", "Windows (Non COM)",
     "5\r\n0x00000005"},
    // Set, not typed: lower case reaches the rules, which read names in upper case.
    {"search-6.2", "e_accessdenied", kHresult, 0x80070005, "Failure", "Windows (Non COM)",
     "-2147024891\r\n0x80070005"},
    {"search-6.3", "STATUS_ACCESS_VIOLATION", kNtStatus, 0xC0000005, "Error",
     "Default facility code", "-1073741819\r\n0xC0000005"},
    {"search-6.4", "IRQL_NOT_LESS_OR_EQUAL", kStop, 10, "Your Screwed", "", "10\r\n0x0000000A"},
}};

TEST_F(Search, DefineInOneTableShowsThatKindWithItsNumber) {
  for (const DefineCase& row : kDefines) {
    SCOPED_TRACE(std::string(row.step) + " query " + row.query);
    ASSERT_TRUE(SearchFor(Main(), "5")) << "number mode first";
    ASSERT_TRUE(SearchFor(Main(), row.query));
    const ResultView view = ReadResultView(Main());
    std::array<std::optional<std::uint32_t>, 4> expected;
    expected[row.kind] = row.code;
    ExpectLabels(expected, view);
    EXPECT_EQ(1, view.queryMode);
    EXPECT_EQ("Error Code", view.caption);
    EXPECT_EQ(kKindNames[row.kind], view.fields[kType]);
    EXPECT_EQ(row.status, view.fields[kStatus]);
    EXPECT_EQ(SignedLowWord(row.code), view.fields[kCode]);
    EXPECT_EQ(row.facility, view.fields[kFacility]);
    EXPECT_EQ(row.box, view.fields[kDefineBox]);
    EXPECT_EQ(DescriptionFor(row.kind, row.code), view.fields[kDescription]);
  }
}

TEST_F(Search, DefineNoTableHoldsIsNotFoundInDefineMode) {
  // 0x5_ has the shape of a define, not of a number.
  for (const char* query : {kUnknownDefine, "0x5_"}) {
    SCOPED_TRACE(std::string("search-7 query ") + query);
    ASSERT_TRUE(SearchFor(Main(), "5")) << "number mode first";
    ASSERT_TRUE(SearchFor(Main(), query));
    const ResultView view = ReadResultView(Main());
    ExpectOnlyDescription(kDefineNotFound, view);
    EXPECT_EQ(1, view.queryMode);
    EXPECT_EQ("Error Code", view.caption);
  }
}

TEST_F(Search, TypingFiltersCharactersAndEnterSearchesWhatWasTyped) {
  const HWND edit = QueryEdit(Main());
  struct Row {
    const char* step;
    const char* typed;
    const char* shown;
  };
  constexpr std::array<Row, 5> kRows{{
      {"search-8.1", "0x1f", "0x1F"},
      {"search-8.2", "ab_c", "AB_C"},
      {"search-8.3", " #.+*", ""},
      {"search-8.4", "0X1f", "0X1F"},  // a shifted X stays upper case
      {"search-8.5", "-1 2#3", "-123"},
  }};
  for (const Row& row : kRows) {
    ASSERT_TRUE(TypeInto(Main(), row.typed)) << row.step;
    EXPECT_EQ(row.shown, TextOf(edit)) << row.step << " typed \"" << row.typed << "\"";
  }

  ASSERT_TRUE(SetTextOf(edit, "")) << "search-8.6";
  ASSERT_TRUE(MarkResultPanel(Main())) << "search-8.7";
  ASSERT_TRUE(PostChars(edit, "0x1f") && WaitForQueue(edit)) << "search-8.8";
  EXPECT_TRUE(ResultPanelMarked(Main())) << "search-8.9 typing alone never searches";
  ASSERT_TRUE(PressEnter(Main())) << "search-8.10 Enter searches";
  const ResultView view = ReadResultView(Main());
  EXPECT_TRUE(view.enabled[kWin32]) << "search-8.11";
  EXPECT_EQ(31u, view.stored[kWin32]) << "search-8.12 0x1F";
  EXPECT_EQ("0x1F", TextOf(edit)) << "search-8.13 the Enter character is not typed";
}

TEST_F(Search, SearchCommandSearchesTheQueryText) {
  ASSERT_TRUE(SetTextOf(QueryEdit(Main()), "5")) << "search-9.1";
  ASSERT_TRUE(MarkResultPanel(Main())) << "search-9.2";
  ASSERT_TRUE(Send(Main(), WM_COMMAND, MAKEWPARAM(kSearchCommand, 0), 0)) << "search-9.3";
  EXPECT_FALSE(ResultPanelMarked(Main())) << "search-9.4 done when the command returns";
  const ResultView view = ReadResultView(Main());
  EXPECT_TRUE(view.enabled[kWin32]) << "search-9.5";
  EXPECT_EQ(5u, view.stored[kWin32]) << "search-9.6";
  EXPECT_EQ("Win32", view.fields[kType]) << "search-9.7";
}

TEST_F(Search, CompactWindowOpensForResultsButNotForDefinesNotFound) {
  QuillonProcess quillon(WithWindowState("0"));
  const HWND main = quillon.MainWindow();
  const HWND toggle = quillon.Control(kWindowStateToggleId);
  ASSERT_EQ(kCompactHeight, Height(main)) << "search-10.1 starts compact";

  ASSERT_TRUE(SearchFor(main, kUnknownDefine)) << "search-10.2";
  EXPECT_EQ(kDefineNotFound, TextOf(ResultFieldOf(main, kDescription))) << "search-10.3";
  EXPECT_EQ(kCompactHeight, Height(main)) << "search-10.4 a define not found stays compact";

  ASSERT_TRUE(SearchFor(main, "ABC")) << "search-10.5";
  EXPECT_EQ(kCompactHeight, Height(main)) << "search-10.6 a rejection stays compact";

  struct Row {
    const char* step;
    const char* query;
  };
  constexpr std::array<Row, 3> kOpening{{
      {"search-10.7 number found", "5"},
      {"search-10.8 number not found", kUnknownNumber},
      {"search-10.9 define found", "ERROR_ACCESS_DENIED"},
  }};
  for (const Row& row : kOpening) {
    ASSERT_TRUE(SearchFor(main, row.query)) << row.step;
    EXPECT_EQ(kExpandedHeight, Height(main)) << row.step;
    ASSERT_TRUE(SendClick(toggle)) << row.step << " compact again";
    ASSERT_EQ(kCompactHeight, Height(main)) << row.step << " compact again";
  }
  EXPECT_EQ(0u, quillon.Close(kWaitTimeoutMs)) << "search-10.10";
  EXPECT_EQ(0, ReadSettingInt(quillon.SettingsPath(), "WindowState")) << "search-10.11";
}

// A name held by three tables (search_defines.sql adds it to a copy of the database: the
// generated one holds every name in one table only), under WindowState 5, which no search may
// change.
TEST_F(Search, DefineInSeveralTablesEnablesEachAndTheLabelsSwitchViews) {
  const ProgramWithDefines program(BesideDriver("search-defines\\defines.db3"));
  QuillonProcess quillon(WithWindowState("5"));
  const HWND main = quillon.MainWindow();
  ASSERT_EQ(kExpandedHeight, Height(main)) << "search-11.1";

  ASSERT_TRUE(SearchFor(main, "quillon_e2e_twice")) << "search-11.2";
  ResultView view = ReadResultView(main);
  ExpectLabels({5u, 0x80004005u, std::nullopt, 10u}, view);
  EXPECT_EQ("Win32", view.fields[kType]) << "search-11.3 the first is shown";
  EXPECT_EQ("5\r\n0x00000005", view.fields[kDefineBox]) << "search-11.4";

  struct Row {
    const char* step;
    Kind kind;
    const char* code;
    const char* box;
  };
  constexpr std::array<Row, 3> kSwitches{{
      {"search-11.5", kStop, "10", "10\r\n0x0000000A"},
      {"search-11.6", kHresult, "16389", "-2147467259\r\n0x80004005"},
      {"search-11.7", kWin32, "5", "5\r\n0x00000005"},
  }};
  for (const Row& row : kSwitches) {
    SCOPED_TRACE(row.step);
    ASSERT_TRUE(SendClick(TypeLabelOf(main, row.kind)));
    view = ReadResultView(main);
    EXPECT_EQ(kKindNames[row.kind], view.fields[kType]);
    EXPECT_EQ(row.code, view.fields[kCode]);
    EXPECT_EQ(row.box, view.fields[kDefineBox]);
    const std::uint32_t code = row.kind == kWin32 ? 5 : row.kind == kStop ? 10 : 0x80004005;
    EXPECT_EQ(DescriptionFor(row.kind, code), view.fields[kDescription]);
    ExpectLabels({5u, 0x80004005u, std::nullopt, 10u}, view);  // switching keeps the labels
    EXPECT_EQ(1, view.queryMode);
  }

  ASSERT_TRUE(SearchFor(main, kUnknownNumber)) << "search-11.8";
  EXPECT_EQ(kExpandedHeight, Height(main)) << "search-11.9 nothing changes the size";
  EXPECT_EQ(0u, quillon.Close(kWaitTimeoutMs)) << "search-11.10";
  EXPECT_EQ("5", ReadProfileText(quillon.SettingsPath(), "Settings", "WindowState"))
      << "search-11.11 no toggle was sent";
}

}  // namespace
}  // namespace e2e
