#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/options.h"
#include "cli/readings.h"
#include "cli/scan_tokens.h"
#include "cli/text_search.h"
#include "cli/utf8_prefix.h"
#include "query/classify_query.h"
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
      {"", kNothingToSearchMessage},    {"0x0x5", kMoreThanOneHexPrefixMessage},
      {"A_B-C", kInvalidDefineMessage}, {"C00000050", kHexTooBigMessage},
      {"12-3", kDashNotFirstMessage},   {"9999999999", kNumberTooBigMessage},
      {"5 6", kInvalidDwordMessage},
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
  INSERT INTO NTSTATUS VALUES (-1073741819, 'STATUS_ACCESS_VIOLATION', 'ntstatus.h');
  INSERT INTO STOP VALUES (10, 'IRQL_NOT_LESS_OR_EQUAL', 'bugcodes.h');
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
  EXPECT_EQ("The operation completed successfully.", run.lines[1]["matches"][0]["description"]);
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

TEST_F(CommandTest, AnUnreadableDatabaseIsTroubleNamedOnStandardError) {
  std::vector<std::string> args = {"--db", "/nonexistent/defines.db3", "5"};
  const ParsedOptions parsed = ParseOptions(args);
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(2, RunCommand(*parsed.options, CommandPlatform{}, in, out, err));
  EXPECT_NE(std::string::npos, err.str().find("/nonexistent/defines.db3"));
  EXPECT_EQ("", out.str());
}

TEST(ParseOptions, UsageErrorsAreOneLineAndStatusTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {"--wine", "--no-messages", "5"},
      {"--windows", "/c/Windows", "--wine"},
      {"--search", "E_", "5"},
      {"--search", ""},
      {"--frobnicate"},
      {"--db"},
      {"--lang", "xx-YY", "5"},
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
  EXPECT_EQ("3.0.5\n", version.output);
  EXPECT_EQ(0, version.exitCode);
  EXPECT_NE(std::string::npos, ParseOptions({"--help"}).output.find("--no-messages"));
  const std::optional<Options> modules =
      ParseOptions({"--module", "a.dll", "5", "--module", "b.mui", "6"}).options;
  ASSERT_TRUE(modules.has_value());
  EXPECT_EQ((std::vector<std::string>{"a.dll", "b.mui"}), modules->modules);
  EXPECT_EQ((std::vector<std::string>{"5", "6"}), modules->queries) << "one file per --module";
  EXPECT_EQ(std::nullopt, modules->language) << "no --lang: the environment's";
  // Negative numbers are queries, not options.
  EXPECT_EQ(std::vector<std::string>{"-2147024891"},
            ParseOptions({"-2147024891"}).options->queries);
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

TEST(SearchText, FoldsCaseAndAccentsAndEveryRunOfBlanks) {
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
      {"\xC3", "\xC3"},          // a cut character stays as it is
      {"\xD0\x94", "\xD0\x94"},  // other scripts keep their case
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

class CollectingSink : public ScanSink {
 public:
  void Token(std::uint64_t line, const ScanToken& token) override {
    tokens.push_back({line, token.column, token.text, token.reading.kind, token.reading.value});
  }
  void LineEnd(std::uint64_t line, std::string_view shown, bool cut) override {
    lines.push_back(std::to_string(line) + (cut ? " cut " : " ") + std::string(shown));
  }
  std::vector<Seen> tokens;
  std::vector<std::string> lines;
};

const std::unordered_set<std::string> kNames = {"E_ACCESSDENIED", "WSAEACCES", "NERR_Success"};

std::vector<Seen> Scan(const std::vector<std::string_view>& chunks) {
  TokenScanner scanner(kNames);
  CollectingSink sink;
  for (const std::string_view chunk : chunks) {
    scanner.Feed(chunk, sink);
  }
  scanner.Finish(sink);
  return sink.tokens;
}

constexpr auto kHexReading = ReadingKind::Hex;
constexpr auto kNameReading = ReadingKind::Name;

TEST(ScanTokens, FindsEachFormAsAWholeWordOnly) {
  struct Case {
    std::string_view text;
    std::vector<Seen> tokens;
  };
  const Case cases[] = {
      {"hr=0x80070005 (E_ACCESSDENIED)",
       {{1, 4, "0x80070005", kHexReading, 0x80070005}, {1, 16, "E_ACCESSDENIED", kNameReading, 0}}},
      {"0X1f 0x 0x123456789 abc0x5 0x5g", {{1, 1, "0X1f", kHexReading, 0x1F}}},
      {"exception C0000005 at 70000005 or C00000051",
       {{1, 11, "C0000005", kHexReading, 0xC0000005}}},
      {"hr -2147024891 x-2147024891 -123 --2147024891",
       {{1, 4, "-2147024891", ReadingKind::Negative, 0x80070005}}},
      {"error 1603, exit code: 1618, Error code = 5, status#2, HRESULT 7",
       {{1, 7, "1603", ReadingKind::Decimal, 1603},
        {1, 24, "1618", ReadingKind::Decimal, 1618},
        {1, 43, "5", ReadingKind::Decimal, 5},
        {1, 53, "2", ReadingKind::Decimal, 2},
        {1, 64, "7", ReadingKind::Decimal, 7}}},
      {"value 1603, error (5), errors 5, 1603", {}},
      {"WSAEACCES NERR_Success e_accessdenied E_ACCESSDENIEDX",
       {{1, 1, "WSAEACCES", kNameReading, 0}, {1, 11, "NERR_Success", kNameReading, 0}}},
      {std::string_view("\0\x01\xff"
                        "0x5\x80",
                        7),
       {{1, 4, "0x5", kHexReading, 5}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    EXPECT_EQ(c.tokens, Scan({c.text}));
  }
}

TEST(ScanTokens, AWordOrAKeywordSplitAcrossChunksIsStillOneWord) {
  EXPECT_EQ((std::vector<Seen>{{1, 3, "0x80070005", kHexReading, 0x80070005}}),
            Scan({"a 0x8007", "0005 b"}));
  EXPECT_EQ((std::vector<Seen>{{1, 7, "1603", ReadingKind::Decimal, 1603}}),
            Scan({"err", "or 16", "03"}));
  EXPECT_EQ((std::vector<Seen>{{2, 1, "-2147024891", ReadingKind::Negative, 0x80070005}}),
            Scan({"x\n-", "2147024891"}));
}

TEST(ScanTokens, LinesAreNumberedShownWithoutTheirCrAndCutWhenLong) {
  TokenScanner scanner(kNames);
  CollectingSink sink;
  const std::string longLine = std::string(1000, 'a') + " 0x5";
  scanner.Feed("nothing here\r\nerror 5\r\n", sink);
  scanner.Feed(longLine.substr(0, 600), sink);
  scanner.Feed(longLine.substr(600), sink);
  scanner.Finish(sink);
  ASSERT_EQ(2u, sink.lines.size());
  EXPECT_EQ("2 error 5", sink.lines[0]);
  EXPECT_EQ("3 cut " + std::string(TokenScanner::kShownLimit, 'a'), sink.lines[1]);
  ASSERT_EQ(2u, sink.tokens.size());
  EXPECT_EQ((Seen{3, 1002, "0x5", kHexReading, 5}), sink.tokens[1]);
}

}  // namespace
}  // namespace quillon
