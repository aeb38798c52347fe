#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/json_session.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

constexpr const char* kRows = R"(
  CREATE TABLE Win32 (ErrNum INTEGER, Define TEXT COLLATE NOCASE, Header TEXT);
  CREATE TABLE HRESULT (ErrNum INTEGER, Define TEXT COLLATE NOCASE, Header TEXT);
  CREATE TABLE NTSTATUS (ErrNum INTEGER, Define TEXT COLLATE NOCASE, Header TEXT);
  CREATE TABLE STOP (ErrNum INTEGER, Define TEXT COLLATE NOCASE, Header TEXT);
  CREATE TABLE NtStatusWin32 (NtStatus INTEGER, Win32 INTEGER);
  CREATE TABLE Facility (Kind TEXT, Number INTEGER, Name TEXT, Header TEXT);
  INSERT INTO Win32 VALUES (5, 'ERROR_ACCESS_DENIED', 'winerror.h');
  INSERT INTO HRESULT VALUES (-2147024891, 'E_ACCESSDENIED', 'winerror.h');
  INSERT INTO STOP VALUES (307, 'DPC_WATCHDOG_VIOLATION', 'bugcodes.h');
  CREATE TABLE Description (Kind TEXT NOT NULL, ErrNum INTEGER NOT NULL, Lang TEXT NOT NULL,
    Text TEXT NOT NULL, Page TEXT NOT NULL, PRIMARY KEY (Kind, ErrNum, Lang)) WITHOUT ROWID;
  INSERT INTO Description VALUES ('Win32', 5, 'en-US', 'Access is denied.', 'a.md');
  INSERT INTO Description VALUES ('Win32', 5, 'de-DE', 'Zugriff verweigert.', 'a.md');
  INSERT INTO Description VALUES ('STOP', 307, 'en-US', 'The DPC watchdog fired.', 'b.md');
)";

class JsonSessionTest : public testing::Test {
 protected:
  JsonSessionTest()
      : path_(fs::temp_directory_path() / ("quillon-session-test-" + std::to_string(getpid()) +
                                           "-" + CurrentTestName() + ".db3")) {
    fs::remove(path_);
    sqlite3* db = nullptr;
    sqlite3_open(path_.c_str(), &db);
    EXPECT_EQ(SQLITE_OK, sqlite3_exec(db, kRows, nullptr, nullptr, nullptr));
    sqlite3_close(db);
  }
  ~JsonSessionTest() override { fs::remove(path_); }

  static std::string CurrentTestName() {
    return testing::UnitTest::GetInstance()->current_test_info()->name();
  }

  static std::vector<Json> Lines(const std::string& text) {
    std::vector<Json> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
      lines.push_back(Json::parse(line));
    }
    return lines;
  }

  fs::path path_;
};

TEST_F(JsonSessionTest, AnswersEveryQueryOfATextInTheLanguageChosen) {
  JsonSession session(path_.string(), "de-DE");
  ASSERT_FALSE(session.Problem()) << *session.Problem();
  const std::vector<Json> lines = Lines(
      session.Answer("5 E_ACCESSDENIED\n0x0x5\nBugCheck 133, {0, 501, 500, fffff8005f8fb320}"));
  ASSERT_EQ(4u, lines.size());
  EXPECT_EQ("5", lines[0]["query"]);
  EXPECT_EQ("Zugriff verweigert.", lines[0]["matches"][0]["description"]);
  EXPECT_EQ("documentation", lines[0]["matches"][0]["source"]);
  EXPECT_EQ("E_ACCESSDENIED", lines[1]["query"]);
  EXPECT_EQ("0x0x5", lines[2]["query"]);
  EXPECT_TRUE(lines[2].contains("error"));
  // The bug check alone, with its arguments, in English where German has no text.
  ASSERT_EQ(1u, lines[3]["matches"].size());
  EXPECT_EQ("STOP", lines[3]["matches"][0]["type"]);
  EXPECT_EQ("The DPC watchdog fired.", lines[3]["matches"][0]["description"]);
  EXPECT_EQ("0x501", lines[3]["matches"][0]["arguments"][1]);
  EXPECT_EQ("", session.Answer(" \n\t"));
}

TEST_F(JsonSessionTest, RemediesAreTheStepsOfTheBestLanguageInTheirOrder) {
  sqlite3* db = nullptr;
  sqlite3_open(path_.c_str(), &db);
  EXPECT_EQ(SQLITE_OK, sqlite3_exec(db, R"(
    CREATE TABLE Remedy (Kind TEXT NOT NULL, ErrNum INTEGER NOT NULL, Lang TEXT NOT NULL,
      Seq INTEGER NOT NULL, Text TEXT NOT NULL, Page TEXT NOT NULL,
      PRIMARY KEY (Kind, ErrNum, Lang, Seq)) WITHOUT ROWID;
    INSERT INTO Remedy VALUES ('Win32', 5, 'en-US', 2, 'Retry.', 'a.md'),
      ('Win32', 5, 'en-US', 1, 'Check.', 'a.md'), ('Win32', 5, 'de-DE', 2, 'Zweitens.', 'a.md'),
      ('Win32', 5, 'de-DE', 1, 'Erstens.', 'a.md'), ('Win32', 5, 'pt-PT', 1, 'Portugal.', 'a.md'),
      ('Win32', 5, 'pt-AO', 1, 'Angola.', 'a.md'), ('Win32', 6, 'de-DE', 1, 'Nur.', 'a.md');)",
                                    nullptr, nullptr, nullptr));
  sqlite3_close(db);
  const struct {
    const char* language;
    std::vector<std::string> steps;
  } cases[] = {
      {"de-DE", {"Erstens.", "Zweitens."}},  // its own
      {"pt-BR", {"Angola."}},                // another region's, the first in order
      {"ja-JP", {"Check.", "Retry."}},       // US English's
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.language);
    JsonSession session(path_.string(), c.language);
    const std::vector<Json> lines = Lines(session.Answer("5"));
    ASSERT_EQ(1u, lines.size());
    std::vector<std::string> steps;
    for (const Json& remedy : lines[0]["matches"][0].value("remedies", Json::array())) {
      steps.push_back(remedy["text"]);
    }
    EXPECT_EQ(c.steps, steps);
  }
}

TEST_F(JsonSessionTest, SearchesNamesAndTheDocumentationsTexts) {
  JsonSession session(path_.string(), "en-US");
  const std::vector<Json> names = Lines(session.SearchNames("access"));
  ASSERT_EQ(2u, names.size());
  EXPECT_EQ("E_ACCESSDENIED", names[1]["name"]);
  const std::vector<Json> texts = Lines(session.SearchText("  IS DENIED "));
  ASSERT_EQ(1u, texts.size());
  EXPECT_EQ(5, texts[0]["value"]);
  EXPECT_EQ("", session.SearchText("no such text"));
  // As the command line refuses them: every define or code would be found.
  for (const std::string& blank : {std::string(), std::string(" \t"), std::string("\r\n")}) {
    EXPECT_EQ(1u, Lines(session.SearchText(blank)).at(0).count("error"));
  }
  EXPECT_EQ(1u, Lines(session.SearchNames("")).at(0).count("error"));
}

TEST_F(JsonSessionTest, AScanGivesTheSameFindingsWhereverItsPiecesEnd) {
  auto session = std::make_shared<JsonSession>(path_.string(), "en-US");
  // A UTF-16 log with a byte-order mark, so that pieces cut characters and code units too.
  const std::string utf8 = "hr=0x80070005 \xC3\xBC\r\nexit code 5\nplain\nE_ACCESSDENIED";
  std::string utf16 = "\xFF\xFE";
  for (const char c : utf8) {
    utf16 += c;
    utf16 += '\0';
  }
  const auto scanned = [&session](const std::string& text, std::size_t piece) {
    JsonScan scan(session);
    std::string out;
    for (std::size_t at = 0; at < text.size(); at += piece) {
      out += scan.Feed(std::string_view(text).substr(at, piece));
    }
    return out + scan.End();
  };
  const std::string whole = scanned(utf8, utf8.size());
  EXPECT_EQ(3u, Lines(whole).size());
  for (const std::size_t piece : {1u, 2u, 7u}) {
    SCOPED_TRACE(piece);
    EXPECT_EQ(whole, scanned(utf8, piece));
    EXPECT_EQ(whole, scanned(utf16, piece));
  }
}

TEST_F(JsonSessionTest, AFileThatIsNoDatabaseIsNamedNotAnswered) {
  std::ofstream(path_, std::ios::trunc) << "Win32,5,ERROR_ACCESS_DENIED\n";
  auto session = std::make_shared<JsonSession>(path_.string(), "en-US");
  ASSERT_TRUE(session->Problem());
  EXPECT_NE(std::string::npos, session->Problem()->find("not an SQLite database"));
  EXPECT_EQ(std::string::npos, session->Problem()->find('\n'));
  JsonScan scan(session);
  scan.Feed("0x80070005\n");
  EXPECT_EQ("", scan.End());
}

}  // namespace
}  // namespace quillon
