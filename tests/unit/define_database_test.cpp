#include "base/name_hash.h"
#include "lookup/define_index.h"
#include "lookup/define_opener.h"
#include "lookup/define_rows.h"
#include "lookup/define_statements.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace quillon {

void PrintTo(const DefineMatch& m, std::ostream* os) {
  *os << "{" << ErrorTypeName(m.type) << ", " << m.code << "}";
}

namespace {

namespace fs = std::filesystem;

// What the define/code box would show: the name, or the unknown text when no row has it.
std::string Shown(const DefineRows& db, ErrorType type, std::uint32_t value) {
  return db.NameOfValue(type, value).value_or("*** Unknown ***");
}

// ---- statement texts ----

// The window's two statements, with the name and the code bound rather than pasted in.
TEST(DefineStatements, ByNameAndByNumberTextsForEveryTable) {
  struct Case {
    ErrorType table;
    const char* byName;
    const char* byNumber;
  };
  const Case cases[] = {
      {ErrorType::Win32, "SELECT Win32.ErrNum FROM Win32 WHERE Win32.Define = ?1",
       "SELECT Win32.Define FROM Win32 WHERE (Win32.ErrNum = ?1)"},
      {ErrorType::Hresult, "SELECT HRESULT.ErrNum FROM HRESULT WHERE HRESULT.Define = ?1",
       "SELECT HRESULT.Define FROM HRESULT WHERE (HRESULT.ErrNum = ?1)"},
      {ErrorType::NtStatus, "SELECT NTSTATUS.ErrNum FROM NTSTATUS WHERE NTSTATUS.Define = ?1",
       "SELECT NTSTATUS.Define FROM NTSTATUS WHERE (NTSTATUS.ErrNum = ?1)"},
      {ErrorType::Stop, "SELECT STOP.ErrNum FROM STOP WHERE STOP.Define = ?1",
       "SELECT STOP.Define FROM STOP WHERE (STOP.ErrNum = ?1)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ErrorTypeName(c.table));
    for (const bool hasHeaders : {false, true}) {
      EXPECT_EQ(c.byName, DefineStatementText(DefineStatement::ByName, c.table, hasHeaders));
      EXPECT_EQ(c.byNumber, DefineStatementText(DefineStatement::ByNumber, c.table, hasHeaders));
    }
  }
}

// ---- the index of values and names ----

TEST(DefineIndex, HoldsExactlyEachKindsValuesAndNamesInAnyAsciiCase) {
  PerKind<std::vector<std::uint32_t>> values;
  PerKind<WordSet> names;
  values[0] = {7, 0x80070005, 5, 5};
  values[1] = {0xFFFFFFFF};
  names.fill(WordSet(WordCase::IgnoreAscii));
  for (const std::string_view name : {"SHARED_NAME", "error_access_denied", ""}) {
    names[0].Add(name);  // "": a row whose name is NULL
  }
  names[1].Add("E_FAIL");
  const DefineIndex index(values, names);
  struct Case {
    ErrorType type;
    std::uint32_t value;
    bool holdsValue;
    const char* name;
    bool holdsName;
  };
  const Case cases[] = {
      {ErrorType::Win32, 5, true, "ERROR_ACCESS_DENIED", true},
      {ErrorType::Win32, 0x80070005, true, "Shared_Name", true},
      {ErrorType::Win32, 6, false, "ERROR_ACCESS_DENIE", false},
      {ErrorType::Win32, 0, false, "", true},
      {ErrorType::Hresult, 0xFFFFFFFF, true, "e_fail", true},
      // Each kind alone: HRESULT holds none of Win32's.
      {ErrorType::Hresult, 5, false, "SHARED_NAME", false},
      {ErrorType::Stop, 0, false, "E_FAIL", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(ErrorTypeName(c.type)) + " " + c.name);
    EXPECT_EQ(c.holdsValue, index.HoldsValue(c.type, c.value));
    EXPECT_EQ(c.holdsName, index.HoldsName(c.type, c.name));
  }
}

TEST(DefineIndex, SortsValuesInRunsOrNot) {
  const std::vector<std::vector<std::uint32_t>> cases = {
      {},
      {5},
      {1, 2, 2, 9},
      {0x80000000, 0xFFFFFFFF, 0, 7},  // signed order: two runs
      {9, 8, 7, 6, 5, 4, 3, 2, 1, 0},  // more runs than are merged
      {3, 4, 1, 2, 1, 5, 0, 0},
  };
  for (std::vector<std::uint32_t> values : cases) {
    std::vector<std::uint32_t> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    SortValues(values);
    EXPECT_EQ(sorted, values);
  }
}

// ---- a database made by the test ----

class TempDirectory {
 public:
  TempDirectory() {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    path_ = fs::temp_directory_path() /
            ("quillon-define-test-" + std::to_string(getpid()) + "-" + info->name());
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempDirectory() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  fs::path File(const std::string& name) const { return path_ / name; }
  std::vector<fs::path> Entries() const {
    return {fs::directory_iterator(path_), fs::directory_iterator()};
  }

 private:
  fs::path path_;
};

void Execute(const fs::path& file, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open(file.c_str(), &db));
  char* error = nullptr;
  const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &error);
  EXPECT_EQ(SQLITE_OK, rc) << (error != nullptr ? error : "");
  sqlite3_free(error);
  sqlite3_close(db);
}

constexpr const char* kSchema = R"(
  CREATE TABLE Win32 (ErrNum INTEGER, Define TEXT);
  CREATE TABLE HRESULT (ErrNum INTEGER, Define TEXT);
  CREATE TABLE NTSTATUS (ErrNum INTEGER, Define TEXT);
  CREATE TABLE STOP (ErrNum INTEGER, Define TEXT);
  CREATE INDEX Win32ErrNum ON Win32 (ErrNum);
  CREATE INDEX Win32Define ON Win32 (Define);
  CREATE INDEX HresultErrNum ON HRESULT (ErrNum);
)";

constexpr const char* kRows = R"(
  INSERT INTO Win32 VALUES (5, 'ERROR_ACCESS_DENIED');
  INSERT INTO Win32 VALUES (7, 'SHARED_NAME');
  INSERT INTO Win32 VALUES (100, 'FIRST_OF_100');
  INSERT INTO Win32 VALUES (100, 'SECOND_OF_100');
  INSERT INTO Win32 VALUES (200, NULL);
  INSERT INTO Win32 VALUES (1, 'TWICE');
  INSERT INTO Win32 VALUES (2, 'TWICE');
  INSERT INTO HRESULT VALUES (-2147024891, 'SHARED_NAME');
  INSERT INTO HRESULT VALUES (-2147467259, 'E_FAIL');
  INSERT INTO HRESULT VALUES (2147500037, 'E_FAIL_STORED_UNSIGNED');
  INSERT INTO NTSTATUS VALUES (-1073741819, 'STATUS_ACCESS_VIOLATION');
  INSERT INTO STOP VALUES (10, 'ONLY_IN_STOP');
  INSERT INTO STOP VALUES (NULL, 'NO_CODE');
)";

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

class DefineRowsTest : public testing::Test {
 protected:
  void SetUp() override {
    Execute(path_, kSchema);
    Execute(path_, kRows);
  }
  TempDirectory dir_;
  fs::path path_ = dir_.File("defines.db3");
};

TEST_F(DefineRowsTest, SearchDefineReturnsEachTableThatHoldsTheNameInKindOrder) {
  const DefineRows db(OpenDefinesReadOnly(path_.string()));
  struct Case {
    const char* name;
    std::vector<DefineMatch> expected;
  };
  const Case cases[] = {
      {"ERROR_ACCESS_DENIED", {{ErrorType::Win32, 5}}},
      {"SHARED_NAME", {{ErrorType::Win32, 7}, {ErrorType::Hresult, -2147024891}}},
      {"ONLY_IN_STOP", {{ErrorType::Stop, 10}}},
      {"STATUS_ACCESS_VIOLATION", {{ErrorType::NtStatus, -1073741819}}},
      {"E_FAIL", {{ErrorType::Hresult, -2147467259}}},
      // Stored as the unsigned 2147500037: read back as its 32 bits.
      {"E_FAIL_STORED_UNSIGNED", {{ErrorType::Hresult, -2147467259}}},
      {"TWICE", {{ErrorType::Win32, 1}}},
      {"NOT_IN_ANY_TABLE", {}},
      {"error_access_denied", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expected, SearchDefine(db, c.name));
  }
}

TEST_F(DefineRowsTest, NameOfValueGivesTheFirstNameOrEmptyForNull) {
  const DefineRows db(OpenDefinesReadOnly(path_.string()));
  struct Case {
    ErrorType table;
    std::uint32_t number;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {ErrorType::Win32, 5, "ERROR_ACCESS_DENIED"},
      {ErrorType::Hresult, 0x80004005, "E_FAIL"},
      {ErrorType::NtStatus, 0xC0000005, "STATUS_ACCESS_VIOLATION"},
      {ErrorType::Stop, 10, "ONLY_IN_STOP"},
      {ErrorType::Win32, 100, "FIRST_OF_100"},
      {ErrorType::Win32, 200, ""},
      {ErrorType::Win32, 999, std::nullopt},
      {ErrorType::Stop, 5, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(ErrorTypeName(c.table)) + " " + std::to_string(c.number));
    EXPECT_EQ(c.expected, db.NameOfValue(c.table, c.number));
  }
}

TEST_F(DefineRowsTest, InputThatCannotBeADefineOrNumberFindsNothingWithoutHarm) {
  const DefineRows db(OpenDefinesReadOnly(path_.string()));
  for (const std::string& name :
       {std::string(), std::string("X' OR '1'='1"), std::string("O'BRIEN"), std::string("A B"),
        std::string("A;B"), std::string("NAME\0X", 6), std::string("ERROR_ACCESS_DENIED'--"),
        std::string(100000, 'A')}) {
    SCOPED_TRACE(name.substr(0, 40));
    EXPECT_TRUE(SearchDefine(db, name).empty());
  }
  // The rows are all still there.
  EXPECT_EQ("ERROR_ACCESS_DENIED", Shown(db, ErrorType::Win32, 5));
}

TEST_F(DefineRowsTest, AMissingTableDoesNotStopTheOthers) {
  Execute(path_, "DROP TABLE Win32;");
  const DefineRows db(OpenDefinesReadOnly(path_.string()));
  EXPECT_EQ((std::vector<DefineMatch>{{ErrorType::Hresult, -2147024891}}),
            SearchDefine(db, "SHARED_NAME"));
  EXPECT_EQ("*** Unknown ***", Shown(db, ErrorType::Win32, 5));
}

TEST_F(DefineRowsTest, ReadingNeverChangesTheFile) {
  const std::string before = ReadAll(path_);
  {
    const DefineRows db(OpenDefinesReadOnly(path_.string()));
    SearchDefine(db, "SHARED_NAME");
    Shown(db, ErrorType::Win32, 5);
  }
  EXPECT_EQ(before, ReadAll(path_));
  EXPECT_EQ(1u, dir_.Entries().size());
}

TEST_F(DefineRowsTest, TwoRunningCopiesBothRead) {
  // Each connection keeps its read lock for the whole run; readers must not exclude readers.
  const DefineRows first(OpenDefinesReadOnly(path_.string()));
  const DefineRows second(OpenDefinesReadOnly(path_.string()));
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ("ERROR_ACCESS_DENIED", Shown(first, ErrorType::Win32, 5));
    EXPECT_EQ("ERROR_ACCESS_DENIED", Shown(second, ErrorType::Win32, 5));
  }
}

TEST_F(DefineRowsTest, RowsGiveEveryNameInTableOrderAndSearchByPartInKindAndValueOrder) {
  const DefineRows rows(OpenDefinesReadOnly(path_.string()));
  EXPECT_EQ((std::vector<NamedDefine>{{"FIRST_OF_100", ""}, {"SECOND_OF_100", ""}}),
            rows.NamesOfValue(ErrorType::Win32, 100));
  EXPECT_TRUE(rows.NamesOfValue(ErrorType::Win32, 999).empty());
  EXPECT_EQ(std::optional<std::int32_t>(-2147024891),
            rows.ValueOfName(ErrorType::Hresult, "SHARED_NAME"));
  EXPECT_EQ(std::optional<std::string>("STATUS_ACCESS_VIOLATION"),
            rows.NameOfValue(ErrorType::NtStatus, 0xC0000005));
  // The part matches without regard to case; "_" is no wildcard; negatives sort as unsigned.
  const std::vector<DefineRow> found = rows.SearchNames("d_n");
  ASSERT_EQ(2u, found.size());
  EXPECT_EQ((DefineRow{ErrorType::Win32, 7, {"SHARED_NAME", ""}}), found[0]);
  EXPECT_EQ((DefineRow{ErrorType::Hresult, 0x80070005, {"SHARED_NAME", ""}}), found[1]);
  const std::vector<DefineRow> hresults = rows.SearchNames("e_fail");
  ASSERT_EQ(2u, hresults.size());
  EXPECT_EQ("E_FAIL", hresults[0].define.name);
  EXPECT_TRUE(rows.SearchNames("NO_SUCH").empty());
  // Rows with a code: STOP's row without one is not counted.
  EXPECT_EQ(std::optional<std::int64_t>(7), rows.RowCount(ErrorType::Win32));
  EXPECT_EQ(std::optional<std::int64_t>(1), rows.RowCount(ErrorType::Stop));
}

TEST_F(DefineRowsTest, RowsReadTheHeaderColumnWhenTheDatabaseHasOne) {
  for (const char* table : {"Win32", "HRESULT", "NTSTATUS", "STOP"}) {
    Execute(path_, ("ALTER TABLE " + std::string(table) + " ADD COLUMN Header TEXT").c_str());
  }
  Execute(path_, "UPDATE Win32 SET Header = 'winerror.h' WHERE ErrNum = 5");
  const DefineRows rows(OpenDefinesReadOnly(path_.string()));
  EXPECT_EQ((std::vector<NamedDefine>{{"ERROR_ACCESS_DENIED", "winerror.h"}}),
            rows.NamesOfValue(ErrorType::Win32, 5));
  EXPECT_EQ((std::vector<NamedDefine>{{"SHARED_NAME", ""}}),
            rows.NamesOfValue(ErrorType::Win32, 7));
}

// A scan's names: the hashes the database stores, read as it stores them (little-endian, a
// part of one at the end left out); else every row's name, as written.
TEST_F(DefineRowsTest, NameHashesAreTheStoredOnesOrElseEveryRowsName) {
  const auto sorted = [](std::vector<std::uint32_t> hashes) {
    std::sort(hashes.begin(), hashes.end());
    return hashes;
  };
  std::vector<std::uint32_t> everyName;
  for (const char* name : {"ERROR_ACCESS_DENIED", "SHARED_NAME", "FIRST_OF_100", "SECOND_OF_100",
                           "", "TWICE", "TWICE", "SHARED_NAME", "E_FAIL", "E_FAIL_STORED_UNSIGNED",
                           "STATUS_ACCESS_VIOLATION", "ONLY_IN_STOP", "NO_CODE"}) {
    everyName.push_back(NameHash(name));
  }
  EXPECT_EQ(sorted(everyName),
            sorted(DefineRows(OpenDefinesReadOnly(path_.string())).NameHashes()));
  const std::uint32_t stored = NameHash("ONLY_STORED");
  std::string hex;
  for (int i = 0; i < 4; ++i) {
    char byte[3];
    std::snprintf(byte, sizeof byte, "%02X", static_cast<unsigned>(stored >> (8 * i) & 0xFF));
    hex += byte;
  }
  Execute(path_, ("CREATE TABLE NameHash (Hashes BLOB NOT NULL); INSERT INTO NameHash VALUES (X'" +
                  hex + "ABCD');")
                     .c_str());
  EXPECT_EQ(std::vector<std::uint32_t>{stored},
            DefineRows(OpenDefinesReadOnly(path_.string())).NameHashes());
}

// A scan's codes: each kind's the database stores, read as stored, and the table's for a kind
// it stores none of; a run of many lookups indexes names too, and reads the tables.
TEST_F(DefineRowsTest, IndexedCodesAreEachKindsStoredOnesOrElseItsTables) {
  Execute(path_,
          "CREATE TABLE KindValues (Kind TEXT NOT NULL, ErrNums BLOB NOT NULL);"
          "INSERT INTO KindValues VALUES ('Win32', X'E7030000' || X'FFFFFFFF' || X'01');");
  struct Case {
    ErrorType type;
    std::uint32_t value;
    bool scan;
    bool lookups;
  };
  const Case cases[] = {
      {ErrorType::Win32, 999, true, false},         {ErrorType::Win32, 0xFFFFFFFF, true, false},
      {ErrorType::Win32, 5, false, true},           {ErrorType::Win32, 1, false, true},
      {ErrorType::Hresult, 0x80070005, true, true}, {ErrorType::Stop, 10, true, true},
  };
  DefineRows scan(OpenDefinesReadOnly(path_.string()));
  scan.IndexValues(DefineRows::IndexedNames::Left);
  DefineRows lookups(OpenDefinesReadOnly(path_.string()));
  lookups.IndexValues();
  for (const Case& c : cases) {
    EXPECT_EQ(c.scan, scan.Index()->HoldsValue(c.type, c.value)) << c.value;
    EXPECT_EQ(c.lookups, lookups.Index()->HoldsValue(c.type, c.value)) << c.value;
  }
}

TEST(DefineRowsBroken, NoFileFindsNothing) {
  for (const std::string& path : {std::string(), std::string("/nonexistent/defines.db3")}) {
    const DefineRows rows(OpenDefinesReadOnly(path));
    EXPECT_FALSE(rows.IsOpen());
    EXPECT_FALSE(rows.RowCount(ErrorType::Win32).has_value());
    EXPECT_TRUE(rows.SearchNames("E").empty());
    EXPECT_FALSE(rows.ValueOfName(ErrorType::Win32, "ERROR_ACCESS_DENIED").has_value());
  }
}

// ---- files that are no usable database ----

TEST(DefineRowsBroken, UnusableFilesFindNothingAndAreLeftAsTheyWere) {
  struct Case {
    const char* name;
    std::function<void(const fs::path&)> make;  // leaves path absent when empty
  };
  const auto goodDatabase = [](const fs::path& path) {
    Execute(path, kSchema);
    Execute(path, kRows);
    return ReadAll(path);
  };
  const Case cases[] = {
      {"missing", nullptr},
      {"empty", [](const fs::path& p) { WriteAll(p, ""); }},
      {"text file", [](const fs::path& p) { WriteAll(p, "ERROR_ACCESS_DENIED 5\nE_FAIL 1\n"); }},
      {"database of other tables",
       [](const fs::path& p) {
         Execute(p,
                 "CREATE TABLE Settings (Key TEXT, Value TEXT);"
                 "INSERT INTO Settings VALUES ('ERROR_ACCESS_DENIED', '5');");
       }},
      {"tables without the columns",
       [](const fs::path& p) {
         Execute(p,
                 "CREATE TABLE Win32 (Code INTEGER, Name TEXT);"
                 "INSERT INTO Win32 VALUES (5, 'ERROR_ACCESS_DENIED');");
       }},
      {"valid header then garbage",
       [&](const fs::path& p) {
         const std::string good = goodDatabase(p);
         std::string bytes = good.substr(0, 100);
         for (std::size_t i = bytes.size(); i < good.size(); ++i) {
           bytes.push_back(static_cast<char>((i * 37) & 0xFF));
         }
         WriteAll(p, bytes);
       }},
      {"schema intact, table pages garbage",
       [&](const fs::path& p) {
         std::string bytes = goodDatabase(p);
         ASSERT_GT(bytes.size(), 4096u);
         for (std::size_t i = 4096; i < bytes.size(); ++i) {
           bytes[i] = static_cast<char>(0xA5 ^ (i & 0xFF));
         }
         WriteAll(p, bytes);
       }},
      {"truncated to its first page",
       [&](const fs::path& p) { WriteAll(p, goodDatabase(p).substr(0, 4096)); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDirectory dir;
    const fs::path path = dir.File("defines.db3");
    if (c.make) {
      c.make(path);
    }
    const std::string before = c.make ? ReadAll(path) : std::string();
    {
      const DefineRows db(OpenDefinesReadOnly(path.string()));
      EXPECT_TRUE(SearchDefine(db, "ERROR_ACCESS_DENIED").empty());
      EXPECT_TRUE(SearchDefine(db, "ONLY_IN_STOP").empty());
      EXPECT_EQ("*** Unknown ***", Shown(db, ErrorType::Win32, 5));
      EXPECT_EQ("*** Unknown ***", Shown(db, ErrorType::Stop, 10));
    }
    if (c.make) {
      EXPECT_EQ(before, ReadAll(path));
      EXPECT_EQ(1u, dir.Entries().size());
    } else {
      EXPECT_FALSE(fs::exists(path)) << "opening a missing database created it";
      EXPECT_TRUE(dir.Entries().empty());
    }
  }
}

TEST(DefineRowsBroken, ADirectoryInsteadOfAFileFindsNothing) {
  TempDirectory dir;
  const DefineRows db(OpenDefinesReadOnly(dir.File("").string()));
  EXPECT_TRUE(SearchDefine(db, "ERROR_ACCESS_DENIED").empty());
  EXPECT_EQ("*** Unknown ***", Shown(db, ErrorType::Win32, 5));
}

// ---- where the file is looked for ----

using Places = std::vector<std::pair<std::string, bool>>;  // each path and whether given

Places Shown(const std::vector<DefinePlace>& places) {
  Places shown;
  for (const DefinePlace& place : places) {
    shown.emplace_back(place.path.string(), place.given);
  }
  return shown;
}

TEST(DefinePlaces, EachFrontEndHandsItsOwnOrder) {
  // The window: the current directory's file, else the one beside the executable.
  EXPECT_EQ((Places{{"defines.db3", false}, {"C:\\Program Files\\Quillon\\defines.db3", false}}),
            Shown(WindowDefinePlaces("C:\\Program Files\\Quillon\\")));
  EXPECT_EQ((Places{{"defines.db3", false}, {"defines.db3", false}}),
            Shown(WindowDefinePlaces("")));
  // The command line: --db alone, else beside the program, else the installed copy.
  EXPECT_EQ((Places{{"/tmp/mine.db3", true}}),
            Shown(CommandDefinePlaces("/tmp/mine.db3", "/usr/bin/quillon-cli")));
  EXPECT_EQ((Places{{"/usr/bin/defines.db3", false}, {"/usr/share/quillon/defines.db3", false}}),
            Shown(CommandDefinePlaces(std::nullopt, "/usr/bin/quillon-cli")));
  EXPECT_TRUE(CommandDefinePlaces(std::nullopt, "").empty());
}

TEST(OpenDefines, TakesTheFirstPlaceWithAFileAndChecksItOnlyWhenAsked) {
  TempDirectory dir;
  const fs::path good = dir.File("good.db3");
  Execute(good, kSchema);
  Execute(good, kRows);
  const fs::path view = dir.File("view.db3");
  Execute(view, kSchema);
  Execute(view, "DROP TABLE STOP; CREATE VIEW STOP AS SELECT 10 AS ErrNum, 'IN_VIEW' AS Define;");
  const fs::path missing = dir.File("missing.db3");
  const fs::path folder = dir.File("folder.db3");
  fs::create_directory(folder);
  struct Case {
    const char* name;
    std::vector<DefinePlace> places;
    DefineCheck check;
    fs::path taken;
    std::optional<std::string> problem;
    bool reads;  // the rows find what the file holds
  };
  const Case cases[] = {
      {"missing and a folder are passed by",
       {{missing}, {folder}, {good}},
       DefineCheck::None,
       good,
       std::nullopt,
       true},
      {"nothing anywhere", {{missing}, {folder}}, DefineCheck::None, {}, std::nullopt, false},
      {"a given place is taken as it is",
       {{missing, true}, {good}},
       DefineCheck::FileAndSchema,
       missing,
       "No such file or directory",
       false},
      {"checked and sound", {{good}}, DefineCheck::FileAndSchema, good, std::nullopt, true},
      // The window reads what opens; the command line refuses a view, which may never end.
      {"unchecked view", {{view}}, DefineCheck::None, view, std::nullopt, true},
      {"checked view",
       {{view}},
       DefineCheck::FileAndSchema,
       view,
       "STOP is a view, not a table",
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const OpenedDefines opened = OpenDefines(c.places, c.check);
    EXPECT_EQ(c.taken, opened.path);
    EXPECT_EQ(c.problem, opened.problem);
    ASSERT_NE(nullptr, opened.rows);
    EXPECT_EQ(c.reads, opened.rows->IsOpen());
    const char* const name = c.taken == view ? "IN_VIEW" : "ONLY_IN_STOP";
    EXPECT_EQ(c.reads, opened.rows->ValueOfName(ErrorType::Stop, name).has_value());
  }
}

}  // namespace
}  // namespace quillon
