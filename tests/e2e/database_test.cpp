// The definitions database as the program finds it: missing, empty, foreign or damaged files
// find nothing and crash nothing; the current directory's file wins over the one beside the
// program; and the program never creates or changes a database file.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "driver/file_checks_win.h"
#include "driver/message_tables_win.h"
#include "driver/program_copy_win.h"
#include "driver/quillon_process_win.h"
#include "driver/windows_win.h"

namespace e2e {
namespace {

constexpr int kQueryEdit = 1008;
// Indexes among the main window's children (creation order).
constexpr int kTypeField = 10;
constexpr int kBoxField = 18;
constexpr int kDescriptionField = 20;
constexpr std::array<int, 4> kTypeSelectors{5, 6, 7, 8};
constexpr char kDefineNotFound[] = "\r\n\r\nDefine Not Found";
constexpr char kUnknown[] = "*** Unknown ***";
constexpr char kMarker[] = "marker";
constexpr char kWorkingDirectory[] = "work";
constexpr size_t kPageSize = 4096;  // of the generated database

// The database the build put beside quillon.exe.
std::string BuiltDatabase() {
  std::array<char, MAX_PATH * 2> exe{};
  const DWORD length = GetEnvironmentVariableA("QUILLON_EXE", exe.data(), MAX_PATH * 2);
  const std::optional<std::string> bytes =
      ReadFileBytes(DirectoryOf(std::string(exe.data(), length)) + "\\defines.db3");
  if (!bytes || bytes->size() < 4 * kPageSize) {
    throw std::runtime_error("no generated defines.db3 beside QUILLON_EXE");
  }
  return *bytes;
}

// A database the build made beside the driver (database_*.sql).
std::string TestDatabase(const char* name) {
  const std::string path = BesideDriver(std::string("database-tests\\") + name + ".db3");
  const std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) {
    throw std::runtime_error(path + " is missing: build the e2e_driver target");
  }
  return *bytes;
}

struct Window {
  const QuillonProcess& quillon;
  std::vector<HWND> children = ChildWindows(quillon.MainWindow());

  HWND Child(int index) const { return children.at(static_cast<size_t>(index)); }
  std::string Text(int index) const { return TextOf(Child(index)); }
  bool Enabled(int kind) const { return IsWindowEnabled(Child(kTypeSelectors.at(kind))) != 0; }
  std::uint32_t Stored(int kind) const {
    return static_cast<std::uint32_t>(GetWindowLongA(Child(kTypeSelectors.at(kind)), GWL_USERDATA));
  }
  int EnabledCount() const {
    int count = 0;
    for (int kind = 0; kind < 4; ++kind) {
      count += Enabled(kind);
    }
    return count;
  }

  // Types the query and presses Enter through the message loop; every search leaves its own
  // text in the Description and runs whole inside the key's message, so a changed marker means
  // done.
  bool Search(const std::string& query) const {
    const HWND edit = quillon.Control(kQueryEdit);
    return SetTextOf(Child(kDescriptionField), kMarker) && SetTextOf(edit, "") &&
           PostChars(edit, query) && PostKey(edit, VK_RETURN) &&
           WaitUntil([&] { return Text(kDescriptionField) != kMarker; });
  }
};

// A define search and a number search on a database that cannot answer.
void ExpectNothingFound(const QuillonProcess& quillon) {
  const Window window{quillon};
  ASSERT_EQ(21u, window.children.size()) << "database-1.1 the main window's controls";
  ASSERT_TRUE(window.Search("ERROR_ACCESS_DENIED")) << "database-1.2 define search";
  EXPECT_EQ(kDefineNotFound, window.Text(kDescriptionField)) << "database-1.3";
  EXPECT_EQ(0, window.EnabledCount()) << "database-1.4 no kind enabled";

  ASSERT_TRUE(window.Search("5")) << "database-1.5 number search";
  EXPECT_EQ("Win32", window.Text(kTypeField)) << "database-1.6 the message table still answers";
  EXPECT_EQ(kUnknown, window.Text(kBoxField)) << "database-1.7 no define name";
  EXPECT_EQ(SystemMessage(5), window.Text(kDescriptionField)) << "database-1.8";
  EXPECT_TRUE(quillon.IsRunning()) << "database-1.9 still running";
}

struct BrokenDatabase {
  const char* name;
  DatabaseFile file;
};

TEST(Database, UnusableFilesFindNothingAndStayAsTheyWere) {
  const std::string built = BuiltDatabase();
  std::string schemaOverwritten = built;
  schemaOverwritten.replace(100, kPageSize - 100, kPageSize - 100, '\xA5');
  std::string pagesOverwritten = built;
  pagesOverwritten.replace(kPageSize, built.size() - kPageSize, built.size() - kPageSize, '\xA5');
  const std::array<BrokenDatabase, 7> rows{{
      {"empty file", DatabaseFile::Bytes("")},
      {"text file", DatabaseFile::Bytes("ERROR_ACCESS_DENIED = 5\r\nE_FAIL = 0x80004005\r\n")},
      // Another program's database: other tables, and a Win32 table with other columns.
      {"other tables", DatabaseFile::Bytes(TestDatabase("other_tables"))},
      {"schema page overwritten", DatabaseFile::Bytes(schemaOverwritten)},
      {"data pages overwritten", DatabaseFile::Bytes(pagesOverwritten)},
      {"cut in half", DatabaseFile::Bytes(built.substr(0, built.size() / 2))},
      {"header only", DatabaseFile::Bytes(built.substr(0, 100))},
  }};
  for (const BrokenDatabase& row : rows) {
    SCOPED_TRACE(row.name);
    QuillonProcess quillon({.database = row.file});
    ExpectNothingFound(quillon);
    const std::string path = quillon.Directory() + "\\defines.db3";
    EXPECT_EQ(0u, quillon.Close(kWaitTimeoutMs)) << "database-1.10 exit code after close";
    EXPECT_EQ(row.file.bytes, ReadFileBytes(path).value_or("<missing>"))
        << "database-1.11 the file is unchanged";
    EXPECT_EQ("defines.db3 quillon.exe settings.ini", ListDirectory(quillon.Directory()))
        << "database-1.12 no journal or other file left";
  }
}

TEST(Database, MissingEverywhereFindsNothingAndCreatesNoFile) {
  QuillonProcess quillon({.database = DatabaseFile::None(), .workingDirectory = kWorkingDirectory});
  ExpectNothingFound(quillon);
  EXPECT_EQ(0u, quillon.Close(kWaitTimeoutMs)) << "database-2.1 exit code after close";
  EXPECT_EQ("", ListDirectory(quillon.WorkingDirectory()))
      << "database-2.2 nothing in the current directory";
  EXPECT_EQ("quillon.exe settings.ini " + std::string(kWorkingDirectory),
            ListDirectory(quillon.Directory()))
      << "database-2.3 nothing beside the program";
}

TEST(Database, WithoutOneInTheCurrentDirectoryTheProgramsOwnIsUsed) {
  QuillonProcess quillon({.database = DatabaseFile::Copy(), .workingDirectory = kWorkingDirectory});
  const Window window{quillon};
  ASSERT_EQ(21u, window.children.size()) << "database-3.1";
  ASSERT_TRUE(window.Search("ERROR_ACCESS_DENIED")) << "database-3.2 define search";
  EXPECT_EQ("Win32", window.Text(kTypeField)) << "database-3.3";
  EXPECT_TRUE(window.Enabled(0)) << "database-3.4";
  EXPECT_EQ(5u, window.Stored(0)) << "database-3.5";
  EXPECT_EQ("5\r\n0x00000005", window.Text(kBoxField)) << "database-3.6";

  ASSERT_TRUE(window.Search("0x80004005")) << "database-3.7 number search";
  EXPECT_EQ("E_FAIL", window.Text(kBoxField)) << "database-3.8 names by number too";

  EXPECT_EQ(0u, quillon.Close(kWaitTimeoutMs)) << "database-3.9";
  EXPECT_EQ("", ListDirectory(quillon.WorkingDirectory()))
      << "database-3.10 nothing created in the current directory";
}

TEST(Database, OneInTheCurrentDirectoryWinsOverTheProgramsOwn) {
  const std::string own = TestDatabase("own");
  QuillonProcess quillon({.database = DatabaseFile::Copy(),
                          .workingDirectory = kWorkingDirectory,
                          .workingDatabase = DatabaseFile::Bytes(own)});
  const Window window{quillon};
  ASSERT_EQ(21u, window.children.size()) << "database-4.1";

  ASSERT_TRUE(window.Search("QUILLON_OWN_DENIED")) << "database-4.2 a name only it holds";
  EXPECT_EQ("Win32", window.Text(kTypeField)) << "database-4.3 the first kind is shown";
  EXPECT_EQ("5\r\n0x00000005", window.Text(kBoxField)) << "database-4.4";
  EXPECT_TRUE(window.Enabled(3)) << "database-4.5 STOP holds it too";
  EXPECT_EQ(7u, window.Stored(3)) << "database-4.6 with its own code";
  EXPECT_EQ(2, window.EnabledCount()) << "database-4.7";

  ASSERT_TRUE(window.Search("ERROR_ACCESS_DENIED")) << "database-4.8";
  EXPECT_EQ(kDefineNotFound, window.Text(kDescriptionField))
      << "database-4.9 the program's own database is not asked";

  ASSERT_TRUE(window.Search("5")) << "database-4.10";
  EXPECT_EQ("QUILLON_OWN_DENIED", window.Text(kBoxField)) << "database-4.11 named by it";
  ASSERT_TRUE(window.Search("6")) << "database-4.12";
  EXPECT_EQ("Win32", window.Text(kTypeField)) << "database-4.13";
  EXPECT_EQ("", window.Text(kBoxField)) << "database-4.14 a row without a name";
  ASSERT_TRUE(window.Search("7")) << "database-4.15";
  EXPECT_TRUE(window.Enabled(3)) << "database-4.16 its STOP table names 7";
  EXPECT_EQ(7u, window.Stored(3)) << "database-4.17";

  EXPECT_EQ(0u, quillon.Close(kWaitTimeoutMs)) << "database-4.18";
  EXPECT_EQ(own, ReadFileBytes(quillon.WorkingDirectory() + "\\defines.db3").value_or(""))
      << "database-4.19 unchanged";
  EXPECT_EQ("defines.db3", ListDirectory(quillon.WorkingDirectory())) << "database-4.20";
}

}  // namespace
}  // namespace e2e
