#include <gtest/gtest.h>
#include <sqlite3.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "tools/make_defines/database_writer.h"
#include "tools/make_defines/define_catalog.h"

namespace quillon::make_defines {
namespace {

ParsedHeader Header(const char* file, std::optional<ErrorType> plainTable, const char* text,
                    std::vector<std::string> prefixes = {},
                    std::vector<std::string> excluded = {}) {
  return {{file, plainTable, std::move(prefixes), std::move(excluded)}, ScanDefines(text)};
}

struct Row {
  ErrorType table;
  std::int32_t code;
  std::string name;
  bool operator==(const Row&) const = default;
};

std::vector<Row> Rows(const Catalog& catalog) {
  std::vector<Row> rows;
  for (const CatalogRow& row : catalog.rows) rows.push_back({row.table, row.code, row.name});
  return rows;
}

void PrintTo(const Row& row, std::ostream* out) {
  *out << ErrorTypeName(row.table) << " " << row.code << " " << row.name;
}

// "NAME header" of each row, in database order.
std::vector<std::string> NamesAndHeaders(const Catalog& catalog) {
  std::vector<std::string> rows;
  for (const CatalogRow& row : catalog.rows) rows.push_back(row.name + " " + row.header);
  return rows;
}

TEST(BuildCatalog, PutsEachCodeInTheTableItsDeclarationNames) {
  const Catalog catalog = BuildCatalog({
      Header("winerror.h", ErrorType::Win32,
             "#define ERROR_ACCESS_DENIED __MSABI_LONG(5)\n"
             "#define E_FAIL _HRESULT_TYPEDEF_(0x80004005L)\n"
             "#define S_FALSE ((HRESULT)0x00000001)\n"
             "#define ERROR_AS_HRESULT _HRESULT_TYPEDEF_(0x80070005L)\n"
             "#define WSABASEERR 10000\n"
             "#define WSAEINTR (WSABASEERR + 4)\n"),
      Header("ntstatus.h", std::nullopt,
             "#define STATUS_ACCESS_VIOLATION ((NTSTATUS)0xC0000005L)\n"),
      Header("bugcodes.h", ErrorType::Stop,
             "#define IRQL_NOT_LESS_OR_EQUAL ((ULONG)0x0000000AL)\n"),
  });
  const std::vector<Row> expected = {
      {ErrorType::Win32, 5, "ERROR_ACCESS_DENIED"},
      {ErrorType::Win32, 10004, "WSAEINTR"},
      {ErrorType::Hresult, -2147467259, "E_FAIL"},
      {ErrorType::Hresult, -2147024891, "ERROR_AS_HRESULT"},
      {ErrorType::Hresult, 1, "S_FALSE"},
      {ErrorType::NtStatus, -1073741819, "STATUS_ACCESS_VIOLATION"},
      {ErrorType::Stop, 10, "IRQL_NOT_LESS_OR_EQUAL"},
  };
  EXPECT_EQ(expected, Rows(catalog));
  EXPECT_TRUE(catalog.skipped.empty());
}

TEST(BuildCatalog, LeavesOutNamesThatAreNotCodes) {
  const Catalog catalog = BuildCatalog({
      Header("winerror.h", ErrorType::Win32,
             "#ifndef _WINERROR_\n#define _WINERROR_\n#define __IN__WINERROR_ 1\n"
             "#define FACILITY_WIN32 7\n#define SEVERITY_ERROR 1\n"
             "#define HRESULT_CODE(hr) ((hr) & 0xFFFF)\n"
             "#define OLE_E_FIRST ((HRESULT)0x80040000)\n#define DATA_S_LAST "
             "__MSABI_LONG(0x0004013F)\n"
             "#define DNS_ERROR_ZONE_BASE 9600\n#define DNS_ERROR_MASK 0x00002328\n"
             "#define NERR_BASE 2100\n#define NERR_Success 0\n#define NERR_NetNotStarted "
             "(NERR_BASE+2)\n"),
      Header("ntstatus.h", std::nullopt,
             "#define STATUS_SEVERITY_ERROR 0x3\n#define STATUS_UNREFERENCED 5\n"
             "#define STATUS_IMAGE_NOT_AT_BASE ((NTSTATUS)0x40000003)\n"),
      Header("wininet.h", ErrorType::Win32,
             "#define INTERNET_ERROR_BASE 12000\n#define INTERNET_OPTION_X 5\n"
             "#define ERROR_INTERNET_TIMEOUT (INTERNET_ERROR_BASE + 2)\n",
             {"ERROR_"}),
      // The stop screen's texts are messages, not bug checks; 0xDEADDEAD carries the error
      // severity and is one.
      Header("bugcodes.h", ErrorType::Stop,
             "#define WINDOWS_NT_BANNER ((ULONG)0x4000007e)\n"
             "#define BUGCHECK_MESSAGE_INTRO ((ULONG)0x8000007f)\n"
             "#define MANUALLY_INITIATED_CRASH1 ((ULONG)0xDEADDEAD)\n"),
  });
  const std::vector<Row> expected = {
      {ErrorType::Win32, 0, "NERR_Success"},
      {ErrorType::Win32, 2102, "NERR_NetNotStarted"},
      {ErrorType::Win32, 12002, "ERROR_INTERNET_TIMEOUT"},
      {ErrorType::NtStatus, 1073741827, "STATUS_IMAGE_NOT_AT_BASE"},
      {ErrorType::Stop, static_cast<std::int32_t>(0xDEADDEADu), "MANUALLY_INITIATED_CRASH1"},
  };
  EXPECT_EQ(expected, Rows(catalog));
}

TEST(BuildCatalog, ResolvesReferencesAcrossHeadersAndChains) {
  const Catalog catalog = BuildCatalog({
      Header("a.h", ErrorType::Win32,
             "#define ERROR_C ERROR_B\n#define ERROR_B (ERROR_A)\n#define ERROR_A ERROR_IN_B_H\n"),
      Header("b.h", std::nullopt,
             "#define ERROR_IN_B_H 42\n#define E_BUFFER HRESULT_FROM_WIN32(ERROR_IN_B_H)\n"),
  });
  const std::vector<Row> expected = {
      {ErrorType::Win32, 42, "ERROR_A"},
      {ErrorType::Win32, 42, "ERROR_B"},
      {ErrorType::Win32, 42, "ERROR_C"},
      {ErrorType::Hresult, static_cast<std::int32_t>(0x8007002Au), "E_BUFFER"},
  };
  EXPECT_EQ(expected, Rows(catalog));
}

TEST(BuildCatalog, ReportsCyclesAndUnknownNamesWithoutHanging) {
  std::string longChain;
  for (int i = 0; i < 1000; ++i) {
    longChain += "#define ERROR_N" + std::to_string(i) + " ERROR_N" + std::to_string(i + 1) + "\n";
  }
  longChain += "#define ERROR_N1000 7\n";
  const Catalog catalog = BuildCatalog({
      Header(
          "a.h", ErrorType::Win32,
          "#define ERROR_SELF ERROR_SELF\n#define ERROR_P ERROR_Q\n#define ERROR_Q (ERROR_P + 1)\n"
          "#define ERROR_CALL OTHER_MACRO(3)\n#define ERROR_FN F\n#define F(x) x\n"),
      Header("chain.h", ErrorType::Win32, longChain.c_str()),
  });
  ASSERT_GE(catalog.skipped.size(), 5u);
  const std::pair<const char*, const char*> expected[] = {
      {"ERROR_SELF", "circular reference"},       {"ERROR_P", "circular reference"},
      {"ERROR_Q", "circular reference"},          {"ERROR_CALL", "uses the macro OTHER_MACRO()"},
      {"ERROR_FN", "F is a function-like macro"},
  };
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(expected[i].first, catalog.skipped[i].name);
    EXPECT_EQ("a.h", catalog.skipped[i].file);
    EXPECT_NE(std::string::npos, catalog.skipped[i].reason.find(expected[i].second))
        << catalog.skipped[i].reason;
  }
  EXPECT_EQ(4, catalog.skipped[3].line);
  // The end of an over-long chain still resolves.
  EXPECT_TRUE(std::any_of(catalog.rows.begin(), catalog.rows.end(),
                          [](const CatalogRow& row) { return row.name == "ERROR_N999"; }));
}

TEST(BuildCatalog, UsesTheFirstDefinitionOfANameAndReportsDifferingOnes) {
  const Catalog catalog = BuildCatalog({
      Header("first.h", ErrorType::Win32, "#define ERROR_X 1\n#define ERROR_SAME 2\n"),
      Header("second.h", ErrorType::Win32, "#define ERROR_X 3\n#define ERROR_SAME 2\n"),
  });
  EXPECT_EQ(
      (std::vector<Row>{{ErrorType::Win32, 1, "ERROR_X"}, {ErrorType::Win32, 2, "ERROR_SAME"}}),
      Rows(catalog));
  ASSERT_EQ(1u, catalog.redefined.size());
  EXPECT_EQ("ERROR_X", catalog.redefined[0].name);
  EXPECT_EQ("second.h", catalog.redefined[0].file);
}

TEST(BuildCatalog, OrdersRowsSoThatTheWellKnownNameOfACodeComesFirst) {
  const Catalog catalog = BuildCatalog({
      Header("winerror.h", ErrorType::Win32,
             "#define SEC_E_OK ((HRESULT)0x00000000)\n#define S_OK ((HRESULT)0x00000000)\n"
             "#define A_ALIAS B_CODE\n#define B_CODE 5\n#define A_CODE 5\n"
             "#define E_NEG ((HRESULT)0x80000001)\n#define STOP_CODE 9\n"),
  });
  const std::vector<Row> expected = {
      {ErrorType::Win32, 5, "A_CODE"},
      {ErrorType::Win32, 5, "B_CODE"},
      {ErrorType::Win32, 5, "A_ALIAS"},
      {ErrorType::Win32, 9, "STOP_CODE"},
      {ErrorType::Hresult, INT32_MIN + 1, "E_NEG"},
      {ErrorType::Hresult, 0, "S_OK"},
      {ErrorType::Hresult, 0, "SEC_E_OK"},
  };
  EXPECT_EQ(expected, Rows(catalog));
}

TEST(BuildCatalog, FollowsEachFamilysOwnDeclarations) {
  const Catalog catalog = BuildCatalog({
      // Setup API hands out 0xE0000000 and up as last errors: HRESULT by their layout.
      Header("setupapi.h", ErrorType::Win32,
             "#define ERROR_EXPECTED_SECTION_NAME (APPLICATION_ERROR_MASK|ERROR_SEVERITY_ERROR|0)\n"
             "#define ERROR_SMALL 5\n#define ERROR_SEVERITY_ERROR 0xC0000000\n",
             {"ERROR_"}),
      // A macro plain for the resource compiler and typed for C is taken typed.
      Header("asferr.h", std::nullopt,
             "#ifdef RC_INVOKED\n#define _ASF_HRESULT_TYPEDEF_(x) x\n#else\n"
             "#define _ASF_HRESULT_TYPEDEF_(x) ((HRESULT)x)\n#endif\n"
             "#define ASF_E_BUFFEROVERRUN _ASF_HRESULT_TYPEDEF_(0xc00d07d0)\n"
             "#define ASF_MAX_SIZE 4096\n"),
      Header("ipexport.h", ErrorType::Win32,
             "#define IP_STATUS_BASE 11000\n#define IP_SUCCESS 0\n"
             "#define IP_BUF_TOO_SMALL (IP_STATUS_BASE + 1)\n#define IP_OPT_NOP 1\n",
             {"IP_"}, {"IP_OPT_"}),
      // Names that others are made of may come from a header whose own names are all left out.
      Header("winnt.h", std::nullopt, "#define APPLICATION_ERROR_MASK 0x20000000\n", {}, {""}),
  });
  const std::vector<Row> expected = {
      {ErrorType::Win32, 0, "IP_SUCCESS"},
      {ErrorType::Win32, 5, "ERROR_SMALL"},
      {ErrorType::Win32, 11001, "IP_BUF_TOO_SMALL"},
      {ErrorType::Hresult, static_cast<std::int32_t>(0xC00D07D0u), "ASF_E_BUFFEROVERRUN"},
      {ErrorType::Hresult, static_cast<std::int32_t>(0xE0000000u), "ERROR_EXPECTED_SECTION_NAME"},
  };
  EXPECT_EQ(expected, Rows(catalog));
  EXPECT_EQ((std::vector<std::string>{"IP_SUCCESS ipexport.h", "ERROR_SMALL setupapi.h",
                                      "IP_BUF_TOO_SMALL ipexport.h", "ASF_E_BUFFEROVERRUN asferr.h",
                                      "ERROR_EXPECTED_SECTION_NAME setupapi.h"}),
            NamesAndHeaders(catalog));
}

TEST(MergeCatalogs, AddsTheSecondSetsOwnNamesAndKeepsItsDisagreementsSecond) {
  const Catalog merged = MergeCatalogs(
      BuildCatalog({Header("winerror.h", ErrorType::Win32,
                           "#define E_SAME ((HRESULT)0x80004005)\n"
                           "#define E_DIFFERS ((HRESULT)0x80010001)\n#define NOERROR 0\n")}),
      BuildCatalog({Header("wine/winerror.h", ErrorType::Win32,
                           "#define E_SAME ((HRESULT)0x80004005)\n"
                           "#define E_DIFFERS ((HRESULT)0x80040001)\n"
                           "#define NOERROR ((HRESULT)0)\n"
                           "#define AN_E_WINE_NAME ((HRESULT)0x80004005)\n")}));
  // A name the first set lacks comes after the first set's names of its code, whatever
  // its spelling; a name typed otherwise is new to its table, not a disagreement.
  EXPECT_EQ((std::vector<std::string>{"NOERROR winerror.h", "E_SAME winerror.h",
                                      "AN_E_WINE_NAME wine/winerror.h", "E_DIFFERS winerror.h",
                                      "E_DIFFERS wine/winerror.h", "NOERROR wine/winerror.h"}),
            NamesAndHeaders(merged));
  ASSERT_EQ(1u, merged.disagreements.size());
  const Disagreement& disagreement = merged.disagreements[0];
  EXPECT_EQ("E_DIFFERS", disagreement.name);
  EXPECT_EQ(static_cast<std::int32_t>(0x80010001u), disagreement.first.code);
  EXPECT_EQ("winerror.h", disagreement.first.header);
  EXPECT_EQ(static_cast<std::int32_t>(0x80040001u), disagreement.second.code);
  EXPECT_EQ("wine/winerror.h", disagreement.second.header);
}

// The database, read with the program's own statements.
class DefinesDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = std::filesystem::temp_directory_path() /
                 ("make_defines_" + std::to_string(::getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(directory_);
  }
  void TearDown() override { std::filesystem::remove_all(directory_); }

  static std::optional<std::string> QueryText(const std::filesystem::path& path,
                                              const std::string& sql) {
    sqlite3* connection = nullptr;
    sqlite3_open_v2(path.c_str(), &connection, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(connection, sql.c_str(), -1, &statement, nullptr);
    std::optional<std::string> result;
    if (sqlite3_step(statement) == SQLITE_ROW) {
      result = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    }
    sqlite3_finalize(statement);
    sqlite3_close(connection);
    return result;
  }

  static std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  std::filesystem::path directory_;
};

TEST_F(DefinesDatabaseTest, AnswersTheProgramsStatements) {
  const std::vector<CatalogRow> rows = {
      {ErrorType::Win32, 0, "ERROR_SUCCESS", NameRank::Preferred, "winerror.h", 0},
      {ErrorType::Win32, 0, "NO_ERROR", NameRank::Own, "winerror.h", 0},
      {ErrorType::Win32, 2102, "NERR_NetNotStarted", NameRank::Own, "lmerr.h", 1},
      {ErrorType::Hresult, -2147467259, "E_FAIL", NameRank::Own, "winerror.h", 0},
      {ErrorType::Stop, 10, "IRQL_NOT_LESS_OR_EQUAL", NameRank::Own, "", 2},
  };
  const std::filesystem::path path = directory_ / "defines.db3";
  ASSERT_EQ("", WriteDefinesDatabase({rows, {}, {}}, path));
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"SELECT Win32.Define FROM Win32 WHERE (Win32.ErrNum = 0)", "ERROR_SUCCESS"},
      {"SELECT HRESULT.Define FROM HRESULT WHERE (HRESULT.ErrNum = -2147467259)", "E_FAIL"},
      {"SELECT HRESULT.ErrNum FROM HRESULT WHERE HRESULT.Define = 'E_FAIL'", "-2147467259"},
      {"SELECT Win32.ErrNum FROM Win32 WHERE Win32.Define = 'NERR_NETNOTSTARTED'", "2102"},
      {"SELECT STOP.ErrNum FROM STOP WHERE STOP.Define = 'IRQL_NOT_LESS_OR_EQUAL'", "10"},
      {"SELECT NTSTATUS.Define FROM NTSTATUS WHERE (NTSTATUS.ErrNum = 0)", std::nullopt},
      {"SELECT Win32.ErrNum FROM Win32 WHERE Win32.Define = 'E_FAIL'", std::nullopt},
      {"SELECT Header FROM Win32 WHERE Define = 'NERR_NetNotStarted'", "lmerr.h"},
      {"SELECT Header FROM STOP WHERE Define = 'IRQL_NOT_LESS_OR_EQUAL'", ""},
  };
  for (const auto& [sql, expected] : cases) EXPECT_EQ(expected, QueryText(path, sql)) << sql;
}

TEST_F(DefinesDatabaseTest, ReplacesTheFileWithIdenticalBytesForIdenticalRows) {
  const std::vector<CatalogRow> rows = {
      {ErrorType::Win32, 5, "ERROR_ACCESS_DENIED", NameRank::Own, "winerror.h", 0}};
  const std::filesystem::path first = directory_ / "first.db3";
  const std::filesystem::path second = directory_ / "second.db3";
  std::ofstream(second) << "an older file";
  ASSERT_EQ("", WriteDefinesDatabase({rows, {}, {}}, first));
  ASSERT_EQ("", WriteDefinesDatabase({rows, {}, {}}, second));
  EXPECT_EQ(ReadBytes(first), ReadBytes(second));
  EXPECT_FALSE(std::filesystem::exists(directory_ / "second.db3.tmp"));
}

TEST_F(DefinesDatabaseTest, ReportsAnUnwritablePath) {
  const std::string error =
      WriteDefinesDatabase({{}, {}, {}}, directory_ / "missing" / "defines.db3");
  EXPECT_NE(std::string::npos, error.find("missing")) << error;
}

}  // namespace
}  // namespace quillon::make_defines
