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

  // Runs program with args (already quoted for the shell) and input on standard input.
  Outcome Execute(const std::string& args, const std::string& input = "",
                  const std::string& program = QUILLON_CLI) {
    std::ofstream(dir_ / "in") << input;
    return Redirected(args, dir_ / "in", dir_ / "out", program);
  }

  // Runs program with standard input read from inPath and standard output written to outPath.
  Outcome Redirected(const std::string& args, const fs::path& inPath, const fs::path& outPath,
                     const std::string& program = QUILLON_CLI) {
    fs::remove(dir_ / "out");
    const std::string command = "'" + program + "' " + args + " <'" + inPath.string() + "' >'" +
                                outPath.string() + "' 2>'" + (dir_ / "err").string() + "'";
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

TEST_F(CliProcessTest, AFailedWriteEndsTheRunWithOneLineAndStatusTwo) {
  std::ofstream(dir_ / "in") << "0xC0000005\n";
  for (const char* args : {"--version", "--no-messages 0xC0000005", "--no-messages --scan"}) {
    const Outcome outcome = Redirected(args, dir_ / "in", "/dev/full");
    EXPECT_EQ(2, outcome.status) << args;
    EXPECT_EQ("quillon-cli: cannot write standard output: No space left on device\n", outcome.err);
  }
}

TEST_F(CliProcessTest, FilesThatCannotBeReadAreNamedWithTheSystemsReason) {
  const std::string dir = "'" + dir_.string() + "'";
  const Outcome scan = Execute("--no-messages --scan " + dir + " /nonexistent.log");
  EXPECT_EQ(2, scan.status);
  EXPECT_EQ("quillon-cli: cannot read " + dir_.string() +
                ": Is a directory\nquillon-cli: cannot read /nonexistent.log: No such file or "
                "directory\n",
            scan.err);
  // Standard input that cannot be read, in both modes.
  for (const char* args : {"--no-messages", "--no-messages --scan"}) {
    const Outcome outcome = Redirected(args, dir_, dir_ / "out");
    EXPECT_EQ(2, outcome.status) << args;
    EXPECT_EQ("quillon-cli: cannot read standard input: Is a directory\n", outcome.err);
  }
  const Outcome windows = Execute("--windows /nonexistent 5");
  EXPECT_EQ(0, windows.status);
  EXPECT_EQ(
      "quillon-cli: cannot read /nonexistent: No such file or directory; names only, no "
      "descriptions\n",
      windows.err);
}

TEST_F(CliProcessTest, ALogsControlCharactersAreShownEscapedAndColourIsAsAsked) {
  const std::string log = "\x1b]0;owned\x07 failed with 0xC0000005\n";
  const Outcome plain = Execute("--no-messages --scan", log);
  EXPECT_EQ(0, plain.status) << plain.err;
  EXPECT_EQ(
      "1: \\x1b]0;owned\\x07 failed with 0xC0000005\n"
      "    0xC0000005  NTSTATUS STATUS_ACCESS_VIOLATION, EXCEPTION_ACCESS_VIOLATION\n",
      plain.out);
  const Outcome colored = Execute("--no-messages --color=always --scan", log);
  EXPECT_EQ(0u, colored.out.find("1: \\x1b]0;owned\\x07 failed with \x1b[1;31m0xC0000005\x1b[0m\n"
                                 "    \x1b[1;31m0xC0000005\x1b[0m  "));
  EXPECT_NE(std::string::npos, colored.out.find("\x1b[1;36mNTSTATUS\x1b[0m"));
  // A query from standard input is shown escaped in its rejection too.
  const Outcome rejected = Execute("--no-messages", "\x1b[2J\n");
  EXPECT_EQ(2, rejected.status);
  EXPECT_EQ(0u, rejected.err.find("quillon-cli: \\x1b[2J: ")) << rejected.err;
  EXPECT_EQ(2, Execute("--color=sometimes 5").status);
}

}  // namespace
}  // namespace quillon
