// Generates the database from the real SDK headers, as the build does.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/make_defines/generate_defines.h"
#include "tools/make_defines/header_rules.h"

namespace quillon::make_defines {
namespace {

class SdkDefinesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(std::filesystem::path(QUILLON_SDK_INCLUDE_DIR) / "winerror.h")) {
      GTEST_SKIP() << "no SDK headers in " << QUILLON_SDK_INCLUDE_DIR;
    }
    directory_ = std::filesystem::temp_directory_path() /
                 ("make_defines_sdk_" + std::to_string(::getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(directory_);
  }
  void TearDown() override {
    if (!directory_.empty())
      std::filesystem::remove_all(directory_);
  }

  static Generation Generate(const std::filesystem::path& output) {
    return GenerateDefines(QUILLON_SDK_INCLUDE_DIR, SdkHeaderRules(), output);
  }

  static long long QueryNumber(const std::filesystem::path& path, const std::string& sql) {
    sqlite3* connection = nullptr;
    sqlite3_open_v2(path.c_str(), &connection, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(connection, sql.c_str(), -1, &statement, nullptr);
    long long value = 999;  // no row
    if (sqlite3_step(statement) == SQLITE_ROW)
      value = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_close(connection);
    return value;
  }

  std::filesystem::path directory_;
};

TEST_F(SdkDefinesTest, HoldsTheWellKnownCodes) {
  const std::filesystem::path path = directory_ / "defines.db3";
  const Generation generation = Generate(path);
  ASSERT_EQ("", generation.error);
  const std::pair<const char*, long long> cases[] = {
      {"SELECT Win32.ErrNum FROM Win32 WHERE Win32.Define = 'ERROR_ACCESS_DENIED'", 5},
      {"SELECT Win32.ErrNum FROM Win32 WHERE Win32.Define = 'ERROR_INTERNET_TIMEOUT'", 12002},
      {"SELECT Win32.ErrNum FROM Win32 WHERE Win32.Define = 'WSAECONNRESET'", 10054},
      {"SELECT Win32.ErrNum FROM Win32 WHERE Win32.Define = 'NERR_SUCCESS'", 0},
      {"SELECT HRESULT.ErrNum FROM HRESULT WHERE HRESULT.Define = 'E_ACCESSDENIED'", -2147024891},
      {"SELECT HRESULT.ErrNum FROM HRESULT WHERE HRESULT.Define = 'E_FAIL'", -2147467259},
      {"SELECT NTSTATUS.ErrNum FROM NTSTATUS WHERE NTSTATUS.Define = 'STATUS_ACCESS_VIOLATION'",
       -1073741819},
      {"SELECT STOP.ErrNum FROM STOP WHERE STOP.Define = 'IRQL_NOT_LESS_OR_EQUAL'", 10},
      {"SELECT HRESULT.ErrNum FROM HRESULT WHERE HRESULT.Define = 'FACILITY_WIN32'", 999},
      {"SELECT Win32.ErrNum FROM Win32 WHERE Win32.Define = 'E_FAIL'", 999},
      {"SELECT count(*) FROM HRESULT WHERE HRESULT.Define = 'S_OK'", 1},
  };
  for (const auto& [sql, expected] : cases) EXPECT_EQ(expected, QueryNumber(path, sql)) << sql;

  // Every table well filled: a parser that lost a declaration form would show here.
  const std::array<std::size_t, 4> counts = CountRows(generation.catalog.rows);
  EXPECT_GT(counts[0], 2000u);
  EXPECT_GT(counts[1], 1300u);
  EXPECT_GT(counts[2], 1500u);
  EXPECT_GT(counts[3], 150u);
  EXPECT_LT(generation.catalog.skipped.size(), 20u);
}

TEST_F(SdkDefinesTest, GivesByteIdenticalFilesFromTheSameHeaders) {
  ASSERT_EQ("", Generate(directory_ / "a.db3").error);
  ASSERT_EQ("", Generate(directory_ / "b.db3").error);
  const auto bytes = [](const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  const std::string first = bytes(directory_ / "a.db3");
  EXPECT_GT(first.size(), 100000u);
  EXPECT_TRUE(first == bytes(directory_ / "b.db3"));
}

TEST_F(SdkDefinesTest, FailsClearlyAndKeepsTheOldFileWhenAHeaderIsMissing) {
  const std::filesystem::path path = directory_ / "defines.db3";
  std::ofstream(path) << "old";
  const Generation generation = GenerateDefines(directory_ / "nowhere", SdkHeaderRules(), path);
  EXPECT_NE(std::string::npos, generation.error.find("cannot read")) << generation.error;
  EXPECT_EQ(3u, std::filesystem::file_size(path));
}

TEST(DepfileText, ListsInputsWithBlanksEscaped) {
  EXPECT_EQ("out\\ dir/d.db3: \\\n  /inc/a.h \\\n  /my\\ inc/b.h\n",
            DepfileText("out dir/d.db3", {"/inc/a.h", "/my inc/b.h"}));
}

}  // namespace
}  // namespace quillon::make_defines
