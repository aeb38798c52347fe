// quillon-cli run as a process, as a user or a script runs it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace quillon {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CliProcessTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() / ("quillon-cli-process-" + std::to_string(getpid()) + "-" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs program with args (already quoted for the shell) and input on standard input, in the
  // locale locale (whatever the caller's).
  Outcome Execute(const std::string& args, const std::string& input = "",
                  const std::string& program = QUILLON_CLI, const std::string& locale = "C") {
    std::ofstream(dir_ / "in") << input;
    const std::string command = "LC_ALL=" + locale + " '" + program + "' " + args + " <'" +
                                (dir_ / "in").string() + "' >'" + (dir_ / "out").string() +
                                "' 2>'" + (dir_ / "err").string() + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(dir_ / "out"), ReadFile(dir_ / "err")};
  }

  fs::path dir_;
};

TEST_F(CliProcessTest, TheCrashCodeIsNamedFromTheDatabaseBesideTheProgram) {
  const Outcome outcome = Execute("--wine 0xC0000005");
  EXPECT_EQ(0, outcome.status) << outcome.err;
  EXPECT_NE(std::string::npos, outcome.out.find("NTSTATUS 0xC0000005"));
  EXPECT_NE(std::string::npos, outcome.out.find("STATUS_ACCESS_VIOLATION"));
}

TEST_F(CliProcessTest, JsonLinesCarryWinesTextsAndParseBack) {
  const Outcome outcome = Execute("--wine --json 0x80070005");
  ASSERT_EQ(0, outcome.status) << outcome.err;
  const nlohmann::json answer = nlohmann::json::parse(outcome.out);
  EXPECT_EQ("0x80070005", answer["query"]);
  const nlohmann::json& win32 = answer["matches"][0];
  EXPECT_EQ("Win32", win32["type"]);
  EXPECT_EQ((std::vector<std::string>{"ERROR_ACCESS_DENIED"}), win32["names"]);
  EXPECT_EQ("Access denied.", win32["description"]);
}

TEST_F(CliProcessTest, ReadsQueriesFromStandardInputAndReportsRejectionsOnOneLine) {
  const Outcome outcome = Execute("--no-messages", "5\n0x0x5\n");
  EXPECT_EQ(2, outcome.status);
  EXPECT_NE(std::string::npos, outcome.out.find("ERROR_ACCESS_DENIED"));
  EXPECT_EQ("quillon-cli: 0x0x5: There is more than 1 '0x' in your number\n", outcome.err);
}

TEST_F(CliProcessTest, VersionHelpAndUsageErrors) {
  EXPECT_EQ("3.0.5\n", Execute("--version").out);
  const Outcome help = Execute("--help");
  EXPECT_EQ(0, help.status);
  EXPECT_NE(std::string::npos, help.out.find("--search"));
  const Outcome bad = Execute("--frobnicate");
  EXPECT_EQ(2, bad.status);
  EXPECT_EQ("", bad.out);
  EXPECT_EQ(1, std::count(bad.err.begin(), bad.err.end(), '\n'));
}

TEST_F(CliProcessTest, AnInstalledCopyFindsItsDatabaseInShare) {
  fs::create_directories(dir_ / "bin");
  fs::create_directories(dir_ / "share" / "quillon");
  fs::copy_file(QUILLON_CLI, dir_ / "bin" / "quillon-cli");
  fs::copy_file(QUILLON_DEFINES_DB, dir_ / "share" / "quillon" / "defines.db3");
  const Outcome outcome =
      Execute("--no-messages E_ACCESSDENIED", "", (dir_ / "bin" / "quillon-cli").string());
  EXPECT_EQ(0, outcome.status) << outcome.err;
  EXPECT_NE(std::string::npos, outcome.out.find("HRESULT 0x80070005"));
}

TEST_F(CliProcessTest, ScanExplainsAnInstallerLog) {
  // The well-known name first, then the families' names of the same code by their headers.
  const std::string accessDenied =
      "E_ACCESSDENIED, DIERR_HANDLEEXISTS, DIERR_OTHERAPPHASPRIO, DIERR_READONLY, "
      "DSERR_ACCESSDENIED, DE_E_ACCESS_DENIED, MAPI_E_NO_ACCESS, COR_E_UNAUTHORIZEDACCESS, "
      "STIERR_NOTINITIALIZED, STIERR_READONLY";
  std::ofstream(dir_ / "install.log")
      << "=== Verbose logging started: 12/8/2026  10:22:31  Build type: SHIP UNICODE ===\r\n"
         "MSI (s) (A4:B8) [10:22:31:456]: Note: 1: 1708\r\n"
         "MSI (s) (A4:B8) [10:22:35:100]: Product: Contoso -- Error 1603. Fatal error.\r\n"
         "CreateFile failed: hr=0x80070005 (E_ACCESSDENIED), exit code: 1618\r\n"
         "Crash: exception C0000005 at 0x00401000\r\n";
  const std::string log = "'" + (dir_ / "install.log").string() + "'";
  const Outcome scan = Execute("--wine --scan " + log);
  EXPECT_EQ(0, scan.status) << scan.err;
  std::string expected =
      "3: MSI (s) (A4:B8) [10:22:35:100]: Product: Contoso -- Error 1603. Fatal error.\n"
      "    1603  Win32 ERROR_INSTALL_FAILURE: Installation failure.\n"
      "4: CreateFile failed: hr=0x80070005 (E_ACCESSDENIED), exit code: 1618\n";
  expected.append("    0x80070005  Win32 ERROR_ACCESS_DENIED; HRESULT ")
      .append(accessDenied)
      .append(": Access denied.\n    E_ACCESSDENIED  HRESULT ")
      .append(accessDenied)
      .append(
          ": Access denied.\n"
          "    1618  Win32 ERROR_INSTALL_ALREADY_RUNNING: Installation already running.\n"
          "5: Crash: exception C0000005 at 0x00401000\n"
          "    C0000005  NTSTATUS STATUS_ACCESS_VIOLATION, EXCEPTION_ACCESS_VIOLATION\n");
  EXPECT_EQ(expected, scan.out);

  const Outcome json = Execute("--wine --scan --json " + log);
  std::istringstream lines(json.out);
  std::string first;
  std::getline(lines, first);
  const nlohmann::json finding = nlohmann::json::parse(first);
  EXPECT_EQ(3, finding["line"]);
  EXPECT_EQ(59, finding["column"]);
  EXPECT_EQ("1603", finding["text"]);
  EXPECT_EQ("ERROR_INSTALL_FAILURE", finding["matches"][0]["names"][0]);

  // A file that cannot be read is trouble, and the others are still scanned.
  const Outcome several = Execute("--no-messages --scan --summary /nonexistent.log " + log);
  EXPECT_EQ(2, several.status);
  EXPECT_NE(std::string::npos, several.err.find("/nonexistent.log"));
  EXPECT_NE(std::string::npos, several.out.find("C0000005"));
  EXPECT_EQ(1, Execute("--no-messages --scan", "nothing to see here\n0x00401000\n").status);
}

TEST_F(CliProcessTest, WinesTablesAnswerInTheLocalesLanguageAndMediaFoundationsModuleToo) {
  const std::string queries = " --json 5 0xC00D36B2";
  struct Case {
    const char* locale;
    const char* options;
    const char* accessDenied;
    const char* invalidRequest;
  };
  const Case cases[] = {
      {"C", "--wine", "Access denied.", "Invalid request."},
      {"de_DE.UTF-8", "--wine", "Zugriff verweigert.", "Ung\u00fcltige Anfrage."},
      {"de_DE.UTF-8", "--wine --lang en-US", "Access denied.", "Invalid request."},
      {"C", "--wine --lang fr", "Acc\u00e8s refus\u00e9.", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.locale) + " " + c.options);
    const Outcome outcome = Execute(c.options + queries, "", QUILLON_CLI, c.locale);
    ASSERT_EQ(0, outcome.status) << outcome.err;
    std::istringstream lines(outcome.out);
    std::string five;
    std::string media;
    std::getline(lines, five);
    std::getline(lines, media);
    EXPECT_EQ(nlohmann::json::parse("\"" + std::string(c.accessDenied) + "\""),
              nlohmann::json::parse(five)["matches"][0]["description"]);
    const nlohmann::json hresult = nlohmann::json::parse(media)["matches"][0];
    EXPECT_EQ("HRESULT", hresult["type"]);
    if (c.invalidRequest != nullptr) {
      EXPECT_EQ(nlohmann::json::parse("\"" + std::string(c.invalidRequest) + "\""),
                hresult["description"]);
    }
  }
  const Outcome unknown = Execute("--wine --lang xx-YY 5");
  EXPECT_EQ(2, unknown.status);
  EXPECT_NE(std::string::npos, unknown.err.find("--lang xx-YY: unknown language"));
}

TEST_F(CliProcessTest, AUsersModuleAnswersCodesNoOtherTableKnows) {
  const std::string module = std::string(QUILLON_TEST_MESSAGE_FILES) + "/own_module.dll";
  const Outcome outcome = Execute("--wine --json --module '" + module + "' 0xC0041001");
  ASSERT_EQ(0, outcome.status) << outcome.err;
  const nlohmann::json matches = nlohmann::json::parse(outcome.out)["matches"];
  ASSERT_EQ(2u, matches.size());
  EXPECT_EQ("HRESULT", matches[0]["type"]);
  EXPECT_EQ("NTSTATUS", matches[1]["type"]);
  EXPECT_EQ("Our product's own failure.", matches[1]["description"]);
  EXPECT_EQ(
      "Access denied.",
      nlohmann::json::parse(
          Execute("--wine --json --module '" + module + "' 5").out)["matches"][0]["description"])
      << "the system's tables come first";

  const Outcome missing = Execute("--wine --module '" + (dir_ / "none.dll").string() + "' 5");
  EXPECT_EQ(2, missing.status);
  EXPECT_NE(std::string::npos, missing.err.find("none.dll: cannot be read"));
  const Outcome noTable = Execute("--wine --module '" + std::string(QUILLON_DEFINES_DB) + "' 5");
  EXPECT_EQ(2, noTable.status);
  EXPECT_NE(std::string::npos, noTable.err.find("holds no message table"));
}

TEST_F(CliProcessTest, SearchTextFindsCodesByTheirDescriptionInTheChosenLanguage) {
  const Outcome english = Execute("--wine --search-text 'ACCESS  denied'");
  ASSERT_EQ(0, english.status) << english.err;
  EXPECT_EQ(0u, english.out.find("Win32     0x00000005  ERROR_ACCESS_DENIED  Access denied.\n"))
      << english.out;
  EXPECT_NE(std::string::npos, english.out.find("HRESULT   0x80070005  E_ACCESSDENIED, "));

  const Outcome german = Execute("--wine --json --lang de-DE --search-text 'zugriff verweigert'");
  ASSERT_EQ(0, german.status) << german.err;
  const nlohmann::json first = nlohmann::json::parse(german.out.substr(0, german.out.find('\n')));
  EXPECT_EQ("Win32", first["type"]);
  EXPECT_EQ(5, first["value"]);
  EXPECT_EQ("ERROR_ACCESS_DENIED", first["name"]);
  EXPECT_EQ("Zugriff verweigert.", first["description"]);

  const std::string module = std::string(QUILLON_TEST_MESSAGE_FILES) + "/own_module.dll";
  const Outcome own =
      Execute("--no-messages --json --module '" + module + "' --search-text \"product's own\"");
  EXPECT_EQ(2, own.status) << "--no-messages leaves nothing to search";
  const Outcome ownOnly =
      Execute("--wine --module '" + module + "' --search-text \"product's own\"");
  EXPECT_EQ(0, ownOnly.status) << ownOnly.err;
  EXPECT_EQ(
      "HRESULT   0xC0041001  (no name)  Our product's own failure.\n"
      "NTSTATUS  0xC0041001  (no name)  Our product's own failure.\n",
      ownOnly.out);

  EXPECT_EQ(1, Execute("--wine --search-text 'no description says this'").status);
  EXPECT_EQ(2, Execute("--wine --search-text ' '").status);
}

}  // namespace
}  // namespace quillon
