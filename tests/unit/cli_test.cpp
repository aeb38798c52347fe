#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/options.h"
#include "cli/read_ahead.h"
#include "cli/text_search.h"
#include "cli/utf8_prefix.h"
#include "core/byte_source.h"
#include "core/known_codes.h"
#include "core/readings.h"
#include "core/scan.h"
#include "core/text_decoder.h"
#include "core/word_reading.h"
#include "core/word_splitter.h"
#include "lookup/define_opener.h"
#include "lookup/define_rows.h"
#include "lookup/documentation_rows.h"
#include "query/classify_query.h"
#include "query/text_routines.h"
#include "tests/unit/fake_message_source.h"

namespace quillon {

void PrintTo(const Reading& r, std::ostream* os) {
  *os << ReadingName(r.kind) << " " << r.value << " " << r.name;
}

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
constexpr auto kDecimal = ReadingKind::Decimal;
constexpr auto kHex = ReadingKind::Hex;
constexpr auto kName = ReadingKind::Name;

TEST(ReadQuery, ReadsTheWindowsNumbersBareHexAndIdentifiers) {
  struct Case {
    const char* text;
    std::vector<Reading> readings;
  };
  const Case cases[] = {
      {"5", {{kDecimal, 5, ""}}},
      {"0", {{kDecimal, 0, ""}}},
      {"1645", {{kDecimal, 1645, ""}, {kHex, 0x1645, ""}}},
      {"80070005", {{kDecimal, 80070005, ""}, {kHex, 0x80070005, ""}}},
      {"0x80070005", {{kHex, 0x80070005, ""}}},
      {"0X1f", {{kHex, 0x1F, ""}}},
      {"-2147024891", {{ReadingKind::Negative, 0x80070005, ""}}},
      {"C0000005", {{kHex, 0xC0000005, ""}}},
      {"8007000e", {{kHex, 0x8007000E, ""}}},
      {"e", {{kHex, 0xE, ""}}},
      {"e_fail", {{kName, 0, "E_FAIL"}}},
      {"WSAEACCES", {{kName, 0, "WSAEACCES"}}},
      {"NOERROR", {{kName, 0, "NOERROR"}}},
      {"CLASSFACTORY_E_FIRST", {{kName, 0, "CLASSFACTORY_E_FIRST"}}},
      // Numbers as tools print them: unsigned exit codes, zero-padded bug checks, blanks.
      {"3221225477", {{kDecimal, 0xC0000005, ""}}},
      {"4294967295", {{kDecimal, 0xFFFFFFFF, ""}}},
      {"00000050", {{kHex, 0x50, ""}, {kDecimal, 50, ""}}},
      {"0000007B", {{kHex, 0x7B, ""}}},
      {"00", {{kDecimal, 0, ""}}},
      {"0x0000000000050", {{kHex, 0x50, ""}}},
      {" \t0x5\r\n", {{kHex, 5, ""}}},
      {"-0", {{ReadingKind::Negative, 0, ""}}},
      {"-007", {{ReadingKind::Negative, 0xFFFFFFF9, ""}}},
      {"-2147483648", {{ReadingKind::Negative, 0x80000000, ""}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const QueryReadings read = ReadQuery(c.text);
    EXPECT_EQ(c.readings, read.readings);
    EXPECT_TRUE(read.rejection.empty());
  }
}

TEST(ReadQuery, EveryOtherTextGetsTheWindowsMessage) {
  struct Case {
    const char* text;
    std::string_view message;
  };
  const Case cases[] = {
      {"", kNothingToSearchMessage},           {"0x0x5", kMoreThanOneHexPrefixMessage},
      {"A_B-C", kInvalidDefineMessage},        {"C00000050", kHexTooBigMessage},
      {"12-3", kDashNotFirstMessage},          {"9999999999", kUnsignedTooBigMessage},
      {"5 6", kInvalidDwordMessage},           {"4294967296", kUnsignedTooBigMessage},
      {"-2147483649", kUnsignedTooBigMessage}, {"0x123456789", kHexTooBigMessage},
      {"  ", kNothingToSearchMessage},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const QueryReadings read = ReadQuery(c.text);
    EXPECT_TRUE(read.readings.empty());
    EXPECT_EQ(c.message, read.rejection);
  }
}

class TempDatabase {
 public:
  explicit TempDatabase(const char* sql) {
    path_ = fs::temp_directory_path() /
            ("quillon-cli-test-" + std::to_string(getpid()) + "-" +
             testing::UnitTest::GetInstance()->current_test_info()->name() + ".db3");
    fs::remove(path_);
    sqlite3* db = nullptr;
    sqlite3_open(path_.c_str(), &db);
    sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  ~TempDatabase() { fs::remove(path_); }
  std::string Path() const { return path_.string(); }

 private:
  fs::path path_;
};

constexpr const char* kRows = R"(
  CREATE TABLE Win32 (ErrNum INTEGER, Define TEXT COLLATE NOCASE, Header TEXT);
  CREATE TABLE HRESULT (ErrNum INTEGER, Define TEXT COLLATE NOCASE, Header TEXT);
  CREATE TABLE NTSTATUS (ErrNum INTEGER, Define TEXT COLLATE NOCASE, Header TEXT);
  CREATE TABLE STOP (ErrNum INTEGER, Define TEXT COLLATE NOCASE, Header TEXT);
  INSERT INTO Win32 VALUES (5, 'ERROR_ACCESS_DENIED', 'winerror.h');
  INSERT INTO Win32 VALUES (7, 'SHARED_NAME', 'a.h');
  INSERT INTO HRESULT VALUES (-2147024891, 'E_ACCESSDENIED', 'winerror.h');
  INSERT INTO HRESULT VALUES (-2147024891, 'SHARED_NAME', 'b.h');
  INSERT INTO HRESULT VALUES (0, 'S_OK', 'winerror.h');
  INSERT INTO HRESULT VALUES (0, 'SEC_E_OK', 'sspi.h');
  INSERT INTO HRESULT VALUES (-2147220985, 'CO_E_TWICE', 'winerror.h');
  INSERT INTO HRESULT VALUES (-2147467258, 'CO_E_TWICE', 'objbase.h');
  INSERT INTO HRESULT VALUES (-2147220985, 'CO_E_TWICE', 'objerror.h');
  INSERT INTO NTSTATUS VALUES (-1073741819, 'STATUS_ACCESS_VIOLATION', 'ntstatus.h');
  INSERT INTO STOP VALUES (10, 'IRQL_NOT_LESS_OR_EQUAL', 'bugcodes.h');
  CREATE TABLE NtStatusWin32 (NtStatus INTEGER, Win32 INTEGER);
  INSERT INTO NtStatusWin32 VALUES (-1073741819, 998);
  INSERT INTO NtStatusWin32 VALUES (-1073741790, 5);
  INSERT INTO NtStatusWin32 VALUES (-1073741696, 5);
  INSERT INTO Win32 VALUES (998, 'ERROR_NOACCESS', 'winerror.h');
  INSERT INTO NTSTATUS VALUES (-1073741790, 'STATUS_ACCESS_DENIED', 'ntstatus.h');
  CREATE TABLE Facility (Kind TEXT, Number INTEGER, Name TEXT, Header TEXT);
  INSERT INTO Facility VALUES ('HRESULT', 2170, 'FACILITY_DXGI', 'winerror.h');
  INSERT INTO HRESULT VALUES (-2005270523, 'DXGI_ERROR_DEVICE_REMOVED', 'winerror.h');
)";

struct RunResult {
  int status;
  std::vector<Json> lines;
  std::string err;
};

class CommandTest : public testing::Test {
 protected:
  CommandTest() : database_(kRows) {
    messages_.Add(MessageSourceId::System, 5, "Access is denied.\r\n");
    messages_.Add(MessageSourceId::System, 0x80004005, "Unspecified error\r\n");
    messages_.Add(MessageSourceId::System, 0, "The operation completed successfully.\r\n");
  }

  RunResult Ask(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), {"--json", "--db", database_.Path()});
    const ParsedOptions parsed = ParseOptions(args);
    EXPECT_TRUE(parsed.options.has_value()) << parsed.error;
    CommandPlatform platform;
    platform.ownMessages = std::make_unique<FakeMessageSource>(messages_);
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunCommand(*parsed.options, std::move(platform), in, out, err);
    RunResult run{status, {}, err.str()};
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);) {
      run.lines.push_back(Json::parse(line));
    }
    return run;
  }

  TempDatabase database_;
  FakeMessageSource messages_;
};

std::vector<std::string> Types(const Json& answer) {
  std::vector<std::string> types;
  for (const Json& match : answer["matches"]) {
    types.push_back(match["type"]);
  }
  return types;
}

TEST_F(CommandTest, ANumberIsAnsweredByEveryKindThatKnowsIt) {
  const RunResult run = Ask({"0x80070005", "0xC0000005", "10"});
  EXPECT_EQ(0, run.status);
  ASSERT_EQ(4u, run.lines.size());  // 10 is read as decimal and as 0x10
  const Json& wrapped = run.lines[0];
  EXPECT_EQ("hex", wrapped["reading"]);
  EXPECT_EQ(2147942405u, wrapped["value"]);
  EXPECT_EQ(-2147024891, wrapped["signed"]);
  EXPECT_EQ((std::vector<std::string>{"Win32", "HRESULT"}), Types(wrapped));
  const Json& win32 = wrapped["matches"][0];
  EXPECT_EQ(5u, win32["value"]);
  EXPECT_EQ("0x00000005", win32["hex"]);
  EXPECT_EQ("5", win32["code"]);
  EXPECT_EQ("Failure", win32["status"]);
  EXPECT_EQ("Windows (Non COM)", win32["facility"]);
  EXPECT_EQ((std::vector<std::string>{"ERROR_ACCESS_DENIED"}), win32["names"]);
  EXPECT_EQ((std::vector<std::string>{"winerror.h"}), win32["headers"]);
  EXPECT_EQ("Access is denied.", win32["description"]);
  // Known by name only: no description.
  EXPECT_EQ((std::vector<std::string>{"E_ACCESSDENIED", "SHARED_NAME"}),
            wrapped["matches"][1]["names"]);
  EXPECT_TRUE(wrapped["matches"][1]["description"].is_null());
  EXPECT_EQ((std::vector<std::string>{"NTSTATUS"}), Types(run.lines[1]));
  EXPECT_EQ("Error", run.lines[1]["matches"][0]["status"]);
  EXPECT_EQ((std::vector<std::string>{"STOP"}), Types(run.lines[2]));
  EXPECT_EQ("", run.lines[2]["matches"][0]["facility"]);
  EXPECT_TRUE(run.lines[3]["matches"].empty());
}

TEST_F(CommandTest, SmallValuesAreHresultsOnlyByName) {
  const RunResult run = Ask({"5", "0"});
  EXPECT_EQ((std::vector<std::string>{"Win32"}), Types(run.lines[0]));
  // 0 has a system text (Win32) and names (HRESULT).
  EXPECT_EQ((std::vector<std::string>{"Win32", "HRESULT"}), Types(run.lines[1]));
  EXPECT_EQ((std::vector<std::string>{"S_OK", "SEC_E_OK"}), run.lines[1]["matches"][1]["names"]);
}

TEST_F(CommandTest, ANameIsAnsweredByEveryTableThatHoldsIt) {
  const RunResult run = Ask({"shared_name", "S_OK"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("name", run.lines[0]["reading"]);
  EXPECT_EQ("SHARED_NAME", run.lines[0]["name"]);
  EXPECT_EQ((std::vector<std::string>{"Win32", "HRESULT"}), Types(run.lines[0]));
  EXPECT_EQ(7u, run.lines[0]["matches"][0]["value"]);
  EXPECT_EQ(2147942405u, run.lines[0]["matches"][1]["value"]);
  // The system table's text for 0 is the Win32 code's, never S_OK's.
  EXPECT_TRUE(run.lines[1]["matches"][0]["description"].is_null());
  // A name one table holds with two values answers both, in the table's order, each once.
  const Json twice = Ask({"CO_E_TWICE"}).lines[0];
  EXPECT_EQ((std::vector<std::string>{"HRESULT", "HRESULT"}), Types(twice));
  EXPECT_EQ(0x80040207u, twice["matches"][0]["value"]);
  EXPECT_EQ(0x80004006u, twice["matches"][1]["value"]);
}

TEST_F(CommandTest, AWrapperSaysWhatItWrapsAndIsFoundThroughIt) {
  messages_.Add(MessageSourceId::System, 998, "Invalid access to memory location.");
  struct Case {
    const char* query;
    std::vector<std::string> types;
    std::string wrapsType;  // of the first match; "" none
    std::uint32_t wraps;
  };
  const Case cases[] = {
      {"0x80070005", {"Win32", "HRESULT"}, "", 0},  // Win32 5 itself first
      {"0xD0000005", {"HRESULT"}, "NTSTATUS", 0xC0000005},
      {"0xC0070005", {"NTSTATUS"}, "Win32", 5},
      {"0x1000000A", {"STOP"}, "STOP", 10},
      {"0x00070005", {}, "", 0},  // facility 7 without the HRESULT form is no Win32 code
      // The macros keep Win32 0 as 0: these wrap nothing, though Win32 0 has a text.
      {"0x80070000", {}, "", 0},
      {"0xC0070000", {}, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.query);
    const RunResult run = Ask({c.query});
    ASSERT_EQ(1u, run.lines.size());
    EXPECT_EQ(c.types, Types(run.lines[0]));
    if (c.types.empty()) {
      continue;
    }
    const Json& match = run.lines[0]["matches"][0];
    EXPECT_EQ(!c.wrapsType.empty(), match.contains("wraps"));
    if (!c.wrapsType.empty()) {
      EXPECT_EQ(c.wrapsType, match["wraps"]["type"]);
      EXPECT_EQ(c.wraps, match["wraps"]["value"]);
    }
  }
  const Json hresult = Ask({"0x80070005"}).lines[0]["matches"][1];
  EXPECT_EQ("Win32", hresult["wraps"]["type"]);
  EXPECT_EQ("Access is denied.", hresult["wraps"]["description"]);
  EXPECT_EQ((std::vector<std::string>{"ERROR_ACCESS_DENIED"}), hresult["wraps"]["names"]);
}

// The system table reads every failure of facility 7 as its low word's Win32 code; only
// HRESULT_FROM_WIN32's form takes that text as its own.
TEST_F(CommandTest, AnHresultTakesAWin32CodesTextOnlyInTheMacrosForm) {
  messages_.Add(MessageSourceId::System, 0x80070000, "The operation completed successfully.");
  for (const std::uint32_t value : {0x80070005u, 0xA0070005u, 0xC0070005u}) {
    messages_.Add(MessageSourceId::System, value, "Access is denied.");
  }
  struct Case {
    const char* query;
    std::vector<std::string> types;
  };
  const Case cases[] = {
      {"0x80070000", {}},  // no failure is Win32 0's success
      {"0xA0070005", {}},
      {"0xC0070005", {"NTSTATUS"}},  // which wraps Win32 5
      {"0x80070005", {"Win32", "HRESULT"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.query);
    EXPECT_EQ(c.types, Types(Ask({c.query}).lines.at(0)));
  }
  EXPECT_EQ("Access is denied.", Ask({"0x80070005"}).lines[0]["matches"][1]["description"]);
}

TEST_F(CommandTest, EachMatchShowsItsRelativesOfOtherKinds) {
  messages_.Add(MessageSourceId::System, 998, "Invalid access to memory location.");
  const Json status = Ask({"0xC0000005"}).lines[0]["matches"][0];
  ASSERT_EQ(1u, status["related"].size());
  EXPECT_EQ("win32", status["related"][0]["relation"]);
  EXPECT_EQ(998u, status["related"][0]["value"]);
  EXPECT_EQ("Invalid access to memory location.", status["related"][0]["description"]);

  const Json win32 = Ask({"5"}).lines[0]["matches"][0];
  std::vector<std::string> relations;
  for (const Json& relative : win32["related"]) relations.push_back(relative["relation"]);
  EXPECT_EQ((std::vector<std::string>{"hresult", "ntstatus", "ntstatus"}), relations);
  EXPECT_EQ("0x80070005", win32["related"][0]["hex"]);
  EXPECT_EQ("0xC0000022", win32["related"][1]["hex"]);  // in unsigned order
  EXPECT_EQ((std::vector<std::string>{"STATUS_ACCESS_DENIED"}), win32["related"][1]["names"]);

  // A facility the window's table has no name for is named as its header names it.
  EXPECT_EQ("FACILITY_DXGI", Ask({"0x887A0005"}).lines[0]["matches"][0]["facility"]);
}

TEST_F(CommandTest, ExitStatusSaysWhetherEveryQueryFoundSomething) {
  struct Case {
    std::vector<std::string> queries;
    int status;
  };
  const Case cases[] = {
      {{"5", "E_ACCESSDENIED"}, 0},
      {{"5", "0x12345678"}, 1},
      {{"NO_SUCH_NAME"}, 1},
      {{"5", "0x0x5", "0x12345678"}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.queries.back());
    EXPECT_EQ(c.status, Ask(c.queries).status);
  }
  const RunResult rejected = Ask({"0x0x5"});
  ASSERT_EQ(1u, rejected.lines.size());
  EXPECT_EQ("0x0x5", rejected.lines[0]["query"]);
  EXPECT_EQ(std::string(kMoreThanOneHexPrefixMessage), rejected.lines[0]["error"]);
}

TEST_F(CommandTest, StandardInputGivesOneQueryPerLineAndSkipsBlankOnes) {
  const RunResult run = Ask({}, "5\r\n\n  0x80004005  \nE_ACCESSDENIED");
  EXPECT_EQ(0, run.status);
  ASSERT_EQ(3u, run.lines.size());
  EXPECT_EQ("0x80004005", run.lines[1]["query"]);
  EXPECT_EQ("Unspecified error", run.lines[1]["matches"][0]["description"]);
}

// Standard input handed over in one read, as a pipe may.
class OneRead final : public ByteSource {
 public:
  explicit OneRead(std::string text) : text_(std::move(text)) {}
  std::size_t Read(std::span<char> space) override {
    const std::size_t count = std::min(space.size(), text_.size() - at_);
    std::copy_n(text_.data() + at_, count, space.data());
    at_ += count;
    return count;
  }
  bool Failed() const override { return false; }

 private:
  std::string text_;
  std::size_t at_ = 0;
};

// Keeps only the size of the largest write.
class LargestWrite final : public std::streambuf {
 public:
  std::streamsize largest = 0;

 protected:
  std::streamsize xsputn(const char*, std::streamsize count) override {
    largest = std::max(largest, count);
    return count;
  }
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
};

TEST_F(CommandTest, AScanWritesItsOutputAsItGoesNotAWholeReadsAtOnce) {
  std::string log;
  while (log.size() < (1u << 18)) {
    log += "0x5\n";
  }
  for (const bool json : {true, false}) {
    SCOPED_TRACE(json ? "json" : "text");
    std::vector<std::string> args = {"--scan", "--db", database_.Path()};
    if (json) {
      args.push_back("--json");
    }
    const ParsedOptions parsed = ParseOptions(args);
    ASSERT_TRUE(parsed.options.has_value()) << parsed.error;
    CommandPlatform platform;
    platform.ownMessages = std::make_unique<FakeMessageSource>(messages_);
    platform.input = std::make_unique<OneRead>(log);
    LargestWrite written;
    std::ostream out(&written);
    std::istringstream in;
    std::ostringstream err;
    EXPECT_EQ(0, RunCommand(*parsed.options, std::move(platform), in, out, err)) << err.str();
    // The writer's flush size and one finding's text, however much one read holds.
    EXPECT_GT(written.largest, 0);
    EXPECT_LT(written.largest, 1 << 17);
  }
}

TEST_F(CommandTest, SearchListsEveryNameHoldingThePartByKindAndValue) {
  const RunResult run = Ask({"--search", "_ok"});
  EXPECT_EQ(0, run.status);
  ASSERT_EQ(2u, run.lines.size());
  EXPECT_EQ((Json{{"type", "HRESULT"},
                  {"value", 0},
                  {"hex", "0x00000000"},
                  {"name", "S_OK"},
                  {"header", "winerror.h"}}),
            run.lines[0]);
  EXPECT_EQ(1, Ask({"--search", "nothing like it"}).status);
}

// Runs the command over args as a user's --db would, with no message tables.
RunResult AskDatabase(const std::string& path, const std::string& query) {
  const ParsedOptions parsed = ParseOptions({"--json", "--no-messages", "--db", path, query});
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunCommand(*parsed.options, CommandPlatform{}, in, out, err);
  RunResult run{status, {}, err.str()};
  if (!out.str().empty()) {
    run.lines.push_back(Json::parse(out.str()));
  }
  return run;
}

// The codes a scan asks the tables of: every kind's values, the documented ones and the message
// tables' ids, with runs that go on from one list into another, repeats, and nothing between.
// What a scan reads as it starts: the names and, unless the platform's own tables answer (no
// message ids given), the codes the tables may know.
TEST(KnownCodes, OfTheTablesHoldEveryListsValuesAndNothingBetween) {
  const TempDatabase database(R"(
    CREATE TABLE Win32 (ErrNum INTEGER, Define TEXT);
    CREATE TABLE HRESULT (ErrNum INTEGER, Define TEXT);
    CREATE TABLE NTSTATUS (ErrNum INTEGER, Define TEXT);
    CREATE TABLE STOP (ErrNum INTEGER, Define TEXT);
    INSERT INTO Win32 VALUES (5, 'A_X'), (7, 'B_X'), (100, 'C_X');
    INSERT INTO HRESULT VALUES (6, 'D_X'), (-2147024891, 'E_X');
    INSERT INTO NTSTATUS VALUES (-1073741819, 'F_X');
    INSERT INTO STOP VALUES (7, 'G_X'), (200, 'H_X');
    CREATE TABLE DescribedCode (ErrNum INTEGER PRIMARY KEY);
    INSERT INTO DescribedCode VALUES (8), (300), (-1073741818);)");
  DefineRows defines(OpenDefinesReadOnly(database.Path()));
  const DocumentationRows documentation(defines.Connection(), "en-US");
  const ScanTables tables =
      ReadScanTables(defines, &documentation, std::vector<ValueRange>{{1000, 1002}});
  ASSERT_TRUE(tables.known);
  EXPECT_EQ(8u, tables.names.Size());
  EXPECT_TRUE(tables.names.Contains("H_X"));
  EXPECT_FALSE(tables.names.Contains("H_Y"));
  EXPECT_FALSE(ReadScanTables(defines, &documentation, std::nullopt).known);
  EXPECT_FALSE(defines.Failure());
  const KnownCodes& known = *tables.known;
  const KnownCodes undocumented = KnownCodesOf({}, defines, nullptr);
  struct Case {
    std::uint32_t value;
    bool known;
    bool undocumented;
  };
  const Case cases[] = {
      {4, false, false},
      {5, true, true},
      {6, true, true},
      {7, true, true},
      {8, true, false},
      {9, false, false},
      {100, true, true},
      {101, false, false},
      {200, true, true},
      {300, true, false},
      {999, false, false},
      {1000, true, false},
      {1002, true, false},
      {1003, false, false},
      {0xC0000005, true, true},
      {0xC0000006, true, false},
      {0xC0000007, false, false},
      {0x80070064, true, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.known, known.MayKnow(c.value)) << c.value;
    EXPECT_EQ(c.undocumented, undocumented.MayKnow(c.value)) << c.value;
  }
}

TEST(CommandDatabase, AFileThatIsNoDefinitionsDatabaseIsRefusedAtOnceWithTheReason) {
  struct Case {
    const char* name;
    std::string sql;  // empty: path names no database made here
    std::string path;
    std::string reason;
  };
  // A view that yields rows for ever: asking it by name would never end.
  const std::string endlessView = std::string(kRows) + R"(
    ALTER TABLE HRESULT RENAME TO Old;
    CREATE VIEW HRESULT AS WITH RECURSIVE n(ErrNum) AS (SELECT 0 UNION ALL SELECT ErrNum + 1
      FROM n) SELECT ErrNum, 'E_' || ErrNum AS Define, '' AS Header FROM n;)";
  // Every other table read is held to the same: the status map as the hostile test made it.
  const std::string endlessMap = std::string(kRows) + R"(
    DROP TABLE NtStatusWin32; CREATE VIEW NtStatusWin32 AS WITH RECURSIVE c(x) AS (SELECT 1
      UNION ALL SELECT x+1 FROM c) SELECT x AS NtStatus, 5 AS Win32 FROM c;)";
  const std::string facilityView = std::string(kRows) + R"(
    DROP TABLE Facility; CREATE VIEW Facility AS SELECT 'HRESULT' AS Kind, 7 AS Number,
      'X' AS Name;)";
  const std::string virtualFacility = std::string(kRows) + R"(
    DROP TABLE Facility; CREATE VIRTUAL TABLE Facility USING fts5(Kind, Number, Name);)";
  const std::string withoutRowid = std::string(kRows) + R"(
    DROP TABLE Win32; CREATE TABLE Win32 (ErrNum INTEGER, Define TEXT PRIMARY KEY) WITHOUT ROWID;
    INSERT INTO Win32 VALUES (5, 'ERROR_ACCESS_DENIED');)";
  const Case cases[] = {
      {"missing", "", "/nonexistent/defines.db3", "No such file or directory"},
      {"directory", "", fs::temp_directory_path().string(), "Is a directory"},
      {"view", endlessView, "", "HRESULT is a view, not a table"},
      {"status map view", endlessMap, "", "NtStatusWin32 is a view, not a table"},
      {"facility view", facilityView, "", "Facility is a view, not a table"},
      {"virtual table", virtualFacility, "", "Facility is a virtual table, not a table"},
      {"name hash view",
       std::string(kRows) + "CREATE VIEW NameHash AS SELECT zeroblob(1e9) AS Hashes;", "",
       "NameHash is a view, not a table"},
      {"kind values view",
       std::string(kRows) +
           "CREATE VIEW KindValues AS SELECT 'Win32' AS Kind, zeroblob(1e9) AS ErrNums;",
       "", "KindValues is a view, not a table"},
      {"without rowid", withoutRowid, "", "Win32 has no rowid (a WITHOUT ROWID table)"},
      {"no table", "CREATE TABLE Win32 (ErrNum INTEGER, Define TEXT);", "", "no table HRESULT"},
      {"no column",
       "CREATE TABLE Win32 (ErrNum INTEGER); CREATE TABLE HRESULT (ErrNum INTEGER);"
       "CREATE TABLE NTSTATUS (ErrNum INTEGER); CREATE TABLE STOP (ErrNum INTEGER);",
       "", "no such column: Define"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TempDatabase database(c.sql.c_str());
    const std::string path = c.sql.empty() ? c.path : database.Path();
    const RunResult run = AskDatabase(path, "E_ACCESSDENIED");
    EXPECT_EQ(2, run.status);
    EXPECT_EQ("quillon-cli: cannot use the database " + path + ": " + c.reason + "\n", run.err);
    EXPECT_TRUE(run.lines.empty());
  }

  {
    const TempDatabase text("");
    std::ofstream(text.Path()) << "Win32,5,ERROR_ACCESS_DENIED\n";
    EXPECT_NE(std::string::npos,
              AskDatabase(text.Path(), "5").err.find(": not an SQLite database"));
  }
  if (geteuid() != 0) {  // root reads whatever the permissions say
    const TempDatabase locked(kRows);
    fs::permissions(locked.Path(), fs::perms::none);
    EXPECT_NE(std::string::npos, AskDatabase(locked.Path(), "5").err.find(": Permission denied"));
  }
}

TEST(CommandDatabase, ADatabaseInWalModeIsReadWithoutFilesBesideIt) {
  const TempDatabase database((std::string("PRAGMA journal_mode = WAL;") + kRows).c_str());
  const RunResult run = AskDatabase(database.Path(), "E_ACCESSDENIED");
  EXPECT_EQ(0, run.status) << run.err;
  ASSERT_EQ(1u, run.lines.size());
  EXPECT_EQ("0x80070005", run.lines[0]["matches"][0]["hex"]);
  EXPECT_FALSE(fs::exists(database.Path() + "-shm"));
  EXPECT_FALSE(fs::exists(database.Path() + "-wal"));
  // A path is a path: "//tmp" names no host.
  EXPECT_EQ(0, AskDatabase("/" + database.Path(), "E_ACCESSDENIED").status);

  // Changes still in the -wal file would be missed: refused, and the file named.
  std::ofstream(database.Path() + "-wal") << "pending";
  const RunResult pending = AskDatabase(database.Path(), "E_ACCESSDENIED");
  EXPECT_EQ(2, pending.status);
  EXPECT_NE(std::string::npos, pending.err.find(database.Path() + "-wal"));
  fs::remove(database.Path() + "-wal");
}

TEST(CommandDatabase, AJournalBesideTheDatabaseIsLeftToSqliteAndTheRunFinishesAfterItsOutput) {
  const TempDatabase database(kRows);
  // What a write cut short leaves: SQLite, not an immutable open that would read past it, judges
  // the database (here one it cannot roll back read-only).
  std::ofstream(database.Path() + "-journal") << "not a journal";
  const RunResult journal = AskDatabase(database.Path(), "E_ACCESSDENIED");
  EXPECT_EQ(2, journal.status);
  EXPECT_NE(std::string::npos, journal.err.find("attempt to write a readonly database"))
      << journal.err;
  fs::remove(database.Path() + "-journal");

  const ParsedOptions parsed =
      ParseOptions({"--json", "--no-messages", "--db", database.Path(), "5", "0"});
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  CommandPlatform platform;
  std::vector<std::pair<int, std::string>> finished;  // the status, and the output by then
  platform.finished = [&](int status) { finished.emplace_back(status, out.str()); };
  const int status = RunCommand(*parsed.options, std::move(platform), in, out, err);
  ASSERT_EQ(1u, finished.size());
  EXPECT_EQ(status, finished[0].first);
  const std::string written = out.str();
  EXPECT_EQ(written, finished[0].second) << "every answer is written before";
  EXPECT_EQ(2, std::count(written.begin(), written.end(), '\n'));
}

TEST(ParseOptions, UsageErrorsAreOneLineAndStatusTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {"--wine", "--no-messages", "5"},
      {"--windows", "/c/Windows", "--wine"},
      {"--search", "E_", "5"},
      {"--search", ""},
      {"--frobnicate"},
      {"--db"},
      {"--db", "", "5"},
      {"--lang", "de-", "5"},
      {"--search-text", " \t"},
      {"--search-text", "denied", "5"},
      {"--search-text", "denied", "--search", "E_"},
      {"--module", "own.dll", "--no-messages", "5"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args.front());
    const ParsedOptions parsed = ParseOptions(args);
    EXPECT_FALSE(parsed.options.has_value());
    EXPECT_EQ(2, parsed.exitCode);
    EXPECT_EQ(std::string::npos, parsed.error.find('\n'));
    EXPECT_FALSE(parsed.error.empty());
  }
  const ParsedOptions version = ParseOptions({"--version"});
  // The version alone on its first line, then where descriptions come from.
  EXPECT_TRUE(version.output.starts_with("3.0.5\n")) << version.output;
  EXPECT_NE(std::string::npos, version.output.find("CC BY 4.0"));
  EXPECT_EQ(0, version.exitCode);
  EXPECT_NE(std::string::npos, ParseOptions({"--help"}).output.find("--no-messages"));
  const std::optional<Options> modules =
      ParseOptions({"--module", "a.dll", "5", "--module", "b.mui", "6"}).options;
  ASSERT_TRUE(modules.has_value());
  EXPECT_EQ((std::vector<std::string>{"a.dll", "b.mui"}), modules->modules);
  EXPECT_EQ((std::vector<std::string>{"5", "6"}), modules->queries) << "one file per --module";
  EXPECT_EQ(std::nullopt, modules->language) << "no --lang: the environment's";
  for (const char* tag : {"de-LU", "es_AR", "xx-YY", "sr-Latn-RS"}) {
    EXPECT_EQ(tag, ParseOptions({"--lang", tag, "5"}).options.value_or(Options{}).language)
        << "any well-formed name falls back rather than being refused";
  }
  // Negative numbers are queries, not options.
  EXPECT_EQ(std::vector<std::string>{"-2147024891"},
            ParseOptions({"-2147024891"}).options->queries);
}

TEST(ParseOptions, QueriesAndPlainFlagsAreReadAsCli11ReadsThem) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"0xC0000005"},
      {"5", "E_FAIL", "0x80070005 ", "C0000005", "a=b", "+5", "@file", "\xff\xfe"},
      {"5", "/json"},  // an option where CLI11 takes Windows' style
      {"--wine", "5"},
      {"5", "--no-messages", "6"},
      {"--json", "--no-docs", "--wine", "E_FAIL"},
      {"--no-docs", "5"},
      {"--wine", "--no-messages", "5"},
      {"--json", "--json", "5"},
      {"-5"},  // CLI11's: a negative number
      {"5", ""},
      {"5", "--"},
      {"5", "--json"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args.empty() ? "(none)" : args.back());
    const ParsedOptions quick = ParseOptions(args);
    const ParsedOptions full = ParseAnyOptions(args);
    EXPECT_EQ(full.options, quick.options);
    EXPECT_EQ(full.exitCode, quick.exitCode);
    EXPECT_EQ(full.output, quick.output);
    EXPECT_EQ(full.error, quick.error);
  }
}

TEST(CommandEcho, TextsFromOutsideAreEchoedEscaped) {
  const std::string retitle = "\x1b]0;X\x07\x9b";
  const std::string shown = "\\x1b]0;X\\x07\\x9b";
  std::vector<std::string> errors = {
      ParseOptions({"--lang", retitle, "5"}).error,
      ParseOptions({"--color", retitle, "5"}).error,
      AskDatabase(retitle, "5").err,
  };
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--module", retitle, "5"}, {"--windows", retitle, "5"}}) {
    const ParsedOptions parsed = ParseOptions(args);
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(2, RunCommand(*parsed.options, CommandPlatform{}, in, out, err));
    errors.push_back(err.str());
  }
  for (const std::string& error : errors) {
    SCOPED_TRACE(error);
    EXPECT_NE(std::string::npos, error.find(shown));
    EXPECT_EQ(std::string::npos, error.find_first_of("\x1b\x07\x9b"));
  }
}

TEST(WholeUtf8Prefix, LeavesOutOnlyACharacterStillMissingBytes) {
  struct Case {
    const char* text;
    std::size_t whole;
  };
  const Case cases[] = {
      {"", 0},
      {"abc", 3},
      {"Acc\xC3\xA8s", 6},       // Accès: whole
      {"Acc\xC3", 3},            // the lead of a 2-byte character alone
      {"\xE2\x82\xAC", 3},       // €: whole
      {"a\xE2\x82", 1},          // two bytes of three
      {"a\xF0\x9F\x98", 1},      // three bytes of four
      {"\xF0\x9F\x98\x80", 4},   // U+1F600: whole
      {"a\x80\x80\x80\x80", 5},  // no lead within reach: nothing waits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.whole, WholeUtf8Prefix(c.text));
  }
}

TEST(SearchText, FoldsTheCaseOfEveryLetterAndEveryRunOfBlanks) {
  struct Case {
    const char* text;
    const char* folded;
  };
  const Case cases[] = {
      {"Access Denied.", "access denied."},
      {"  access \t\r\n denied  ", "access denied"},
      {"Line one.\r\nLine two.", "line one. line two."},
      {"ACC\xC3\x88S REFUS\xC3\x89", "acc\xC3\xA8s refus\xC3\xA9"},  // ACCÈS REFUSÉ
      {"\xC3\x97 \xC3\x9F", "\xC3\x97 \xC3\x9F"},                    // the sign and sharp s stay
      {"\xC3", "\xC3"},                                    // a cut character stays as it is
      {"P\xC5\x98\xC3\x8DSTUP", "p\xC5\x99\xC3\xADstup"},  // PŘÍSTUP, Czech
      {"\xC5\x81\xC3\x93"
       "D\xC5\xB9",
       "\xC5\x82\xC3\xB3"
       "d\xC5\xBA"},                             // ŁÓDŹ, Polish
      {"\xD0\x94\xCE\xA3", "\xD0\xB4\xCF\x83"},  // ДΣ: Cyrillic and Greek
      {"\xE2\x84\xAA", "k"},                     // the Kelvin sign folds to k
      {"\xC3\x81\xED\xA0\x80\xC0\x81", "\xC3\xA1\xED\xA0\x80\xC0\x81"},  // no UTF-8 stays
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.folded, FoldForSearch(c.text));
  }
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

struct Seen {
  std::uint64_t line;
  std::uint64_t column;
  std::string text;
  ReadingKind kind;
  std::uint32_t value;
  bool operator==(const Seen&) const = default;
};

void PrintTo(const Seen& s, std::ostream* os) {
  *os << s.line << ":" << s.column << " " << s.text << " " << ReadingName(s.kind) << " " << s.value;
}

const NameSet kNames = {"E_ACCESSDENIED", "WSAEACCES", "NERR_Success", "PENDING", "NOERROR"};

// The scan's reading of words, over the splitter's words.
class CollectingSink {
 public:
  explicit CollectingSink(bool everyWord = false) : everyWord_(everyWord) {}
  static constexpr LetterPairs kLetterPairs = kKeywordLetterPairs;
  std::uint64_t Starts(const BlockView& view) const {
    return everyWord_ ? view.starts : CodeStarts(view);
  }
  bool Worth(std::string_view before, std::string_view text) const {
    return WorthReading(before, text);
  }
  bool Word(const SplitWord& word) {
    const std::optional<Candidate> found = ReadWord(word.before, word.text, word.after, kNames);
    if (!found) {
      return false;
    }
    const std::string sign = found->negative ? "-" : "";
    tokens.push_back({word.line, word.column - sign.size(), sign + std::string(word.text),
                      found->reading.kind, found->reading.value});
    return true;
  }
  void LineEnd(std::uint64_t line, std::string_view shown, bool cut) {
    lines.push_back(std::to_string(line) + (cut ? " cut " : " ") + std::string(shown));
  }
  std::vector<Seen> tokens;
  std::vector<std::string> lines;

 private:
  bool everyWord_;
};

// everyWord: every word is read, not only those whose start may begin a code.
CollectingSink Split(const std::vector<std::string_view>& chunks,
                     std::size_t chunkSize = WordSplitter::kChunkSize, bool everyWord = false) {
  WordSplitter splitter(kWordContext, kLongestWord, chunkSize);
  CollectingSink sink(everyWord);
  for (const std::string_view chunk : chunks) {
    splitter.Feed(chunk, sink);
  }
  splitter.Finish(sink);
  return sink;
}

constexpr auto kHexReading = ReadingKind::Hex;
constexpr auto kNameReading = ReadingKind::Name;
constexpr auto kNegative = ReadingKind::Negative;

TEST(ScanWords, FindsEachFormLogsWrite) {
  struct Case {
    std::string_view text;
    std::vector<Seen> tokens;
  };
  const Case cases[] = {
      {"hr=0x80070005 (E_ACCESSDENIED)",
       {{1, 4, "0x80070005", kHexReading, 0x80070005}, {1, 16, "E_ACCESSDENIED", kNameReading, 0}}},
      {"0X1f 0x 0x123456789 abc0x5 0x5g", {{1, 1, "0X1f", kHexReading, 0x1F}}},
      {"exception C0000005 at 70000005, code: c0000005",
       {{1, 11, "C0000005", kHexReading, 0xC0000005},
        {1, 39, "c0000005", kHexReading, 0xC0000005}}},
      {"hr -2147024891 -123 --2147024891 (-2147024891)",
       {{1, 4, "-2147024891", kNegative, 0x80070005},
        {1, 35, "-2147024891", kNegative, 0x80070005}}},
      {"error 1603, Error code = 5, status#2, HRESULT 7, NTSTATUS: 8",
       {{1, 7, "1603", kDecimal, 1603},
        {1, 26, "5", kDecimal, 5},
        {1, 36, "2", kDecimal, 2},
        {1, 47, "7", kDecimal, 7},
        {1, 60, "8", kDecimal, 8}}},
      {"ExitCode: 1603", {{1, 11, "1603", kDecimal, 1603}}},
      {"ErrorCode=5 LastError=87 dwError 3",
       {{1, 11, "5", kDecimal, 5}, {1, 23, "87", kDecimal, 87}, {1, 34, "3", kDecimal, 3}}},
      {"GetLastError() = 183 GetLastError()5",
       {{1, 18, "183", kDecimal, 183}, {1, 36, "5", kDecimal, 5}}},
      {"MainEngineThread is returning 1603", {{1, 31, "1603", kDecimal, 1603}}},
      {"err=10054 WriteFile error(112) EXITCODE 4",
       {{1, 5, "10054", kDecimal, 10054},
        {1, 27, "112", kDecimal, 112},
        {1, 41, "4", kDecimal, 4}}},
      {"Stop code 0000007B, code 00000050",
       {{1, 11, "0000007B", kHexReading, 0x7B}, {1, 26, "00000050", kHexReading, 0x50}}},
      {"completed with return code 2147942402.", {{1, 28, "2147942402", kDecimal, 0x80070002}}},
      {"returned 4294967295 exit -5 result 4294967296",
       {{1, 10, "4294967295", kDecimal, 0xFFFFFFFF}, {1, 26, "-5", kNegative, 0xFFFFFFFB}}},
      {"WSAEACCES NERR_Success e_accessdenied E_ACCESSDENIEDX",
       {{1, 1, "WSAEACCES", kNameReading, 0}, {1, 11, "NERR_Success", kNameReading, 0}}},
      {std::string_view("\0\x01\xff"
                        "0x5\x80",
                        7),
       {{1, 4, "0x5", kHexReading, 5}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    EXPECT_EQ(c.tokens, Split({c.text}).tokens);
  }
}

TEST(ScanWords, FindsNothingThatIsNoCode) {
  const std::string_view lines[] = {
      "value 1603, errors 5, Barcode: 1234, Unicode 8, chr 9",
      "Job state: PENDING, DNS status: NOERROR",
      "Retry error 1,603 times",
      "{80070005-0000-0000-C000-000000000046}",
      "Zm9vYmFy+0x6/YmF6 Zm9v/80070005+YmF6",
      "Windows 10.0.19041.1 error 10.0 at 0x7ffe12345678, 0x00007ff6`12345678",
      "x-2147024891 error 5-6 error: 10:22:31 -0x5 C:\\logs\\0x5",
      "+0x6/ 0x6/ (+0x6) /80070005 error +5 80070005+",
  };
  for (const std::string_view line : lines) {
    SCOPED_TRACE(std::string(line));
    EXPECT_EQ(std::vector<Seen>{}, Split({line}).tokens);
  }
}

// The quick test is made from the keyword list: every keyword, in either case and as an
// identifier's part, lets its number through to be read.
TEST(ScanWords, EveryKeywordPassesTheQuickTest) {
  for (const std::string_view keyword : kKeywords) {
    std::string upper(keyword);
    ToUpperAscii(upper);
    for (const std::string& before : {std::string(keyword) + " ", upper + "=", "dw" + upper + ": ",
                                      std::string(keyword) + "()"}) {
      SCOPED_TRACE(before);
      EXPECT_TRUE(WorthReading(before, "1618"));
      EXPECT_TRUE(ReadWord(before, "1618", "", kNames).has_value());
    }
  }
  EXPECT_FALSE(MayEndKeyword('o', 'x'));
  EXPECT_FALSE(MayEndKeyword('\xEF', 'r'));
}

// The splitter skips the words whose starts cannot begin a code before anything reads them:
// it finds what reading every word finds, wherever a word falls in the blocks it tests at once.
TEST(ScanWords, WordsSkippedUnreadHoldNoCode) {
  const std::string_view befores[] = {
      "",       " ",  "x",    "error ", "Error: ",  "dwErrorCode=", "hr=", "GetLastError() ",
      "exit -", "a-", "x ( ", "1 ",     "Barcode ", "code-"};
  const std::string_view words[] = {
      "0x5",        "0X1f",           "C0000005",       "c0000005", "80070005", "1603",
      "2147942402", "WSAEACCES",      "NERR_Success",   "BugCheck", "deadbeef", "PENDING",
      "Property",   "E_ACCESSDENIED", "e_accessdenied", "WARN_X",   "WSA"};
  const std::string_view afters[] = {"", " ", ".", ":5", ", "};
  std::size_t found = 0;
  for (const std::string_view before : befores) {
    for (const std::string_view word : words) {
      for (const std::string_view after : afters) {
        const std::string line = std::string(before) + std::string(word) + std::string(after);
        // Every place near the end of a block, and across it; a small buffer, quick to make.
        for (std::size_t lead = 54; lead <= 66; ++lead) {
          const std::string text = std::string(lead - 1, '.') + " " + line + "\n" + line;
          SCOPED_TRACE(text);
          const CollectingSink every = Split({text}, 256, true);
          const CollectingSink picked = Split({text}, 256);
          ASSERT_EQ(every.tokens, picked.tokens);
          ASSERT_EQ(every.lines, picked.lines);
          found += every.tokens.size();
        }
      }
    }
  }
  EXPECT_GT(found, 0u);
}

// The masks of a block are the same whether made 64 or 16 bytes at a time or byte by byte, of
// a whole block or of its first bytes.
TEST(ScanWords, BlockMasksDoNotDependOnHowTheyAreMade) {
  std::string bytes(256 + 63, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<char>(i < 256 ? i : i * 37);
  }
  const auto expectSame = [](const ByteMasks& portable, const ByteMasks& fast) {
    EXPECT_EQ(portable.digit, fast.digit);
    EXPECT_EQ(portable.upper, fast.upper);
    EXPECT_EQ(portable.lower, fast.lower);
    EXPECT_EQ(portable.underscore, fast.underscore);
    EXPECT_EQ(portable.feed, fast.feed);
    EXPECT_EQ(portable.hexLetter, fast.hexLetter);
    EXPECT_EQ(portable.minus, fast.minus);
    EXPECT_EQ(portable.capitalW, fast.capitalW);
  };
  for (std::size_t at = 0; at + 64 <= bytes.size(); at += 13) {
    SCOPED_TRACE(at);
    for (std::size_t count = at % 64; count <= 64; count += 64 - at % 64) {
      const ByteMasks portable = ClassifyBytes(bytes.data() + at, count);
      expectSame(portable, ClassifyBlock(bytes.data() + at, count));
#if QUILLON_WIDE_BLOCKS
      if (WideBlocks()) {
        expectSame(portable, ClassifyWideBlock(bytes.data() + at, count));
      }
      if (HalfWideBlocks()) {
        expectSame(portable, ClassifyHalfWideBlock(bytes.data() + at, count));
      }
#endif
    }
  }
}

// The wide loops are chosen as GCC's own reading of the processor would choose them.
TEST(ScanWords, WideLoopsRunWhereTheProcessorHasThem) {
#if QUILLON_WIDE_BLOCKS
  const bool bits = __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2") &&
                    __builtin_cpu_supports("lzcnt") && __builtin_cpu_supports("popcnt");
  const bool blocks = __builtin_cpu_supports("avx512bw") && bits;
  EXPECT_EQ(blocks, WideBlocks());
  EXPECT_EQ(blocks && __builtin_cpu_supports("avx512vbmi"), WidePairs());
  EXPECT_EQ(__builtin_cpu_supports("avx2") && bits, HalfWideBlocks());
#else
  EXPECT_FALSE(WideBlocks());
  EXPECT_FALSE(WidePairs());
  EXPECT_FALSE(HalfWideBlocks());
#endif
}

// The keywords' letter pairs the wide masks mark are the pairs that end a keyword, in any case
// and wherever they stand in a block, across its two halves too; byte 0 is marked wherever it
// may end one.
TEST(ScanWords, BlockMasksMarkTheKeywordsLastTwoLettersAndNothingElse) {
#if QUILLON_WIDE_BLOCKS
  struct Classifier {
    const char* name;
    bool runs;
    ByteMasks (*classify)(const char*, std::size_t);
  };
  const Classifier classifiers[] = {
      {"64 bytes", WidePairs(), ClassifyWidePairsBlock<kKeywordLetterPairs>},
      {"32 bytes", HalfWideBlocks(), ClassifyHalfWidePairsBlock<kKeywordLetterPairs>},
  };
  std::string bytes;
  for (int a = 0; a < 256; a += 3) {
    for (int b = 0; b < 256; ++b) {
      bytes += static_cast<char>(a);
      bytes += static_cast<char>(b);
    }
  }
  bytes += "ERRor hResult ExitCode NTSTATUS returning";
  bool ran = false;
  for (const Classifier& classifier : classifiers) {
    if (!classifier.runs) {
      continue;
    }
    ran = true;
    SCOPED_TRACE(classifier.name);
    for (std::size_t at = 0; at + 64 <= bytes.size(); at += 63) {
      const char* block = bytes.data() + at;
      const ByteMasks masks = classifier.classify(block, 64);
      ASSERT_TRUE(masks.pairsTold);
      for (std::size_t i = 0; i < 64; ++i) {
        const bool expected = i == 0 ? std::any_of(kKeywords.begin(), kKeywords.end(),
                                                   [&](std::string_view keyword) {
                                                     return (block[0] | 0x20) == keyword.back();
                                                   })
                                     : MayEndKeyword(block[i - 1], block[i]);
        ASSERT_EQ(expected, (masks.pairEnd >> i & 1) != 0) << at << "+" << i;
      }
    }
  }
  if (!ran) {
    GTEST_SKIP() << "no byte shuffles on this processor";
  }
#else
  GTEST_SKIP() << "no wide masks in this build";
#endif
}

// A log of a few megabytes scanned with each piece read on a thread of its own while the one
// before is split: the same output as read piece after piece.
TEST(ScanWords, ReadingAheadOnAThreadChangesNothing) {
  const std::unique_ptr<ReadAhead> ahead = MakeThreadReadAhead();
  if (!ahead) {
    GTEST_SKIP() << "no threads on this platform";
  }
  std::string log;
  for (int i = 0; log.size() < 2'500'000; ++i) {
    log += "2026-12-09 line " + std::to_string(i) + " status: " + std::to_string(i % 9) +
           " hr=0x8007000" + std::to_string(i % 10) + " E_ACCESSDENIED\n";
  }
  const NameSet names = {"E_ACCESSDENIED"};
  const auto scan = [&](ReadAhead* readAhead) {
    Scanner scanner(names, [](const Reading& reading) {
      ReadingAnswer answer{reading, {}, {}};
      if (reading.value % 3 == 0) {
        answer.matches.emplace_back();
      }
      return std::optional<ReadingAnswer>(answer);
    });
    auto writer = MakeScanWriter(OutputFormat::Text, ScanLayout::Lines, {});
    std::istringstream in(log);
    StreamSource source(in);
    std::string out;
    EXPECT_EQ(ScanEnd::Done, scanner.Scan(
                                 source, *writer,
                                 [&out](std::string_view text) {
                                   out += text;
                                   return true;
                                 },
                                 readAhead));
    return out;
  };
  const std::string read = scan(nullptr);
  EXPECT_GT(read.size(), log.size() / 4);
  EXPECT_EQ(read, scan(ahead.get()));
}

// What a read throws on the reading thread reaches the scan's caller, and the thread is still
// there for the next scan.
TEST(ScanWords, AReadThatThrowsAheadEndsTheScanWithItsException) {
  const std::unique_ptr<ReadAhead> ahead = MakeThreadReadAhead();
  if (!ahead) {
    GTEST_SKIP() << "no threads on this platform";
  }
  class ThrowingSource final : public ByteSource {
   public:
    std::size_t Read(std::span<char> space) override {
      if (++reads_ > 2) {
        throw std::runtime_error("the disk went away");
      }
      const std::size_t count = std::min<std::size_t>(space.size(), 100'000);
      std::fill_n(space.begin(), count, 'x');
      return count;
    }
    bool Failed() const override { return false; }

   private:
    int reads_ = 0;
  };
  const NameSet names;
  Scanner scanner(names, [](const Reading& reading) {
    return std::optional<ReadingAnswer>(ReadingAnswer{reading, {}, {}});
  });
  auto writer = MakeScanWriter(OutputFormat::Text, ScanLayout::Lines, {});
  const EmitText emit = [](std::string_view) { return true; };
  ThrowingSource throwing;
  EXPECT_THROW(scanner.Scan(throwing, *writer, emit, ahead.get()), std::runtime_error);
  std::istringstream in("error 5\n");
  StreamSource source(in);
  EXPECT_EQ(ScanEnd::Done, scanner.Scan(source, *writer, emit, ahead.get()));
}

TEST(ScanWords, AWordOrAKeywordSplitAcrossChunksIsStillOneWord) {
  EXPECT_EQ((std::vector<Seen>{{1, 3, "0x80070005", kHexReading, 0x80070005}}),
            Split({"a 0x8007", "0005 b"}).tokens);
  EXPECT_EQ((std::vector<Seen>{{1, 7, "1603", kDecimal, 1603}}),
            Split({"err", "or 16", "03"}).tokens);
  EXPECT_EQ((std::vector<Seen>{{2, 1, "-2147024891", kNegative, 0x80070005}}),
            Split({"x\n-", "2147024891"}).tokens);
  // The rest of a word that is no code is not read as a word of its own.
  EXPECT_EQ(std::vector<Seen>{}, Split({"hr xyz", "0x5 error 1", "5", "03x"}).tokens);
  // The byte after decides: "1,603" is no code even when the ',' comes in its own chunk.
  EXPECT_EQ(std::vector<Seen>{}, Split({"error 1", ",", "603"}).tokens);
}

// Any run of blanks may stand between a keyword and its number, in any piece of the stream;
// and however far apart they are, Barcode and Unicode hold no keyword.
TEST(ScanWords, AKeywordHoldsAcrossAnyRunOfBlanks) {
  struct Case {
    std::string_view name;
    std::string_view head;  // the blanks go between head and tail
    std::string_view tail;
    bool found;
  };
  const Case cases[] = {
      {"ExitCode", "ExitCode:", "1603", true},
      {"exit and a sign", "exit -", "5", true},
      {"call, then =", "GetLastError()", "= 183", true},
      {"Barcode", "Barcode:", "1603", false},
      {"Unicode", "Unicode =", "1618", false},
      {"long identifier ending in code", "", "", false},
  };
  const std::string longIdentifier = std::string(200, 'x') + "code:";
  // The line's start far off or near; pieces whole, of 7 bytes, or in a small buffer.
  for (const std::string& lead : {std::string(), std::string(700, '.') + ' '}) {
    std::vector<std::size_t> distances;
    for (std::size_t d = 0; d <= 100; ++d) {
      distances.push_back(d);
    }
    distances.insert(distances.end(), {1000, 5000, 70000});
    for (const std::size_t distance : distances) {
      std::string blanks;
      for (std::size_t i = 0; i < distance; ++i) {
        blanks += i % 3 == 2 ? '\t' : ' ';
      }
      for (const Case& c : cases) {
        const std::string head = c.head.empty() ? longIdentifier : std::string(c.head);
        const std::string tail = c.tail.empty() ? "5" : std::string(c.tail);
        const bool sign = head.back() == '-';
        // "exit-5" is a joined token, not a sign after a keyword.
        const std::string text = lead + (sign ? "exit" + blanks + "-" : head + blanks) + tail;
        const std::size_t number = tail.size() - (tail.rfind(' ') + 1);
        const std::size_t column = text.size() - number + 1 - (sign ? 1 : 0);
        const bool found = c.found && !(sign && distance == 0);
        SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(distance) + " blanks, lead " +
                     std::to_string(lead.size()));
        std::vector<std::string_view> pieces;
        for (std::size_t at = 0; at < text.size(); at += 7) {
          pieces.push_back(std::string_view(text).substr(at, 7));
        }
        for (const CollectingSink& sink :
             {Split({text}), Split(pieces), Split({text}, 64), Split(pieces, 64)}) {
          ASSERT_EQ(found ? 1u : 0u, sink.tokens.size());
          if (found) {
            EXPECT_EQ(column, sink.tokens[0].column);
          }
        }
      }
    }
  }
}

TEST(ScanWords, LinesAreNumberedShownWithoutTheirCrAndCutWhenLong) {
  const std::string longLine = std::string(3000, 'a') + " 0x5 " + std::string(70000, '-');
  const CollectingSink sink =
      Split({"nothing here\r\nerror 5\r\n", longLine.substr(0, 600), longLine.substr(600)});
  ASSERT_EQ(2u, sink.lines.size());
  EXPECT_EQ("2 error 5", sink.lines[0]);
  EXPECT_EQ("3 cut " + std::string(WordSplitter::kShownLimit, 'a'), sink.lines[1]);
  ASSERT_EQ(2u, sink.tokens.size());
  EXPECT_EQ((Seen{3, 3002, "0x5", kHexReading, 5}), sink.tokens[1]);
}

TEST(TextDecoder, Utf16WithAMarkBecomesUtf8AndAUtf8MarkGoes) {
  struct Case {
    std::string_view name;
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {"utf-16le", std::string("\xFF\xFEh\0r\0=\0\xE9\0\x3D\xD8\x00\xDE", 14),
       "hr=\xC3\xA9\xF0\x9F\x98\x80"},
      {"utf-16be", std::string("\xFE\xFF\0h\0r", 6), "hr"},
      {"lone surrogate, odd byte", std::string("\xFF\xFE\x00\xD8h\0x", 7),
       "\xEF\xBF\xBDh\xEF\xBF\xBD"},
      {"utf-8 mark", "\xEF\xBB\xBFhr", "hr"},
      {"short", "\xEF\xBB", "\xEF\xBB"},
      {"bytes", std::string("\xFF\x00hr", 4), std::string("\xFF\x00hr", 4)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name));
    // Whole, and a byte at a time: the text is the same.
    TextDecoder whole;
    std::string text(whole.Decode(c.bytes));
    text += whole.Finish();
    EXPECT_EQ(c.text, text);
    TextDecoder bytewise;
    std::string pieces;
    for (const char byte : c.bytes) {
      pieces += bytewise.Decode(std::string_view(&byte, 1));
    }
    pieces += bytewise.Finish();
    EXPECT_EQ(c.text, pieces);
  }
}

}  // namespace
}  // namespace quillon
