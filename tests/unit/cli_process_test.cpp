// quillon-cli run as a process, as a user or a script runs it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "crafted_modules.h"

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

// quillon-cli run with pipes on its standard input and output, for what it does while its input
// is still open. Standard error goes to errPath when one is given.
class PipedRun {
 public:
  explicit PipedRun(std::vector<std::string> args, const fs::path& errPath = {}) {
    int toChild[2];
    int fromChild[2];
    if (pipe(toChild) != 0 || pipe(fromChild) != 0) {
      return;
    }
    child_ = fork();
    if (child_ == 0) {
      dup2(toChild[0], STDIN_FILENO);
      dup2(fromChild[1], STDOUT_FILENO);
      for (const int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) {
        close(fd);
      }
      if (!errPath.empty()) {
        dup2(open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
      }
      std::vector<char*> argv{const_cast<char*>(QUILLON_CLI)};
      for (std::string& arg : args) {
        argv.push_back(arg.data());
      }
      argv.push_back(nullptr);
      execv(QUILLON_CLI, argv.data());
      _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    input_ = toChild[1];
    output_ = fromChild[0];
  }
  ~PipedRun() {
    CloseInput();
    if (output_ != -1) {
      close(output_);
    }
    if (child_ > 0) {
      waitpid(child_, nullptr, 0);
    }
  }
  bool Started() const { return child_ > 0; }
  int Input() const { return input_; }
  void CloseInput() {
    if (input_ != -1) {
      close(input_);
      input_ = -1;
    }
  }
  // Reads the output until it holds text, the output ends or 30 s pass without a byte.
  void ReadUntil(const std::string& text) {
    pollfd ready{output_, POLLIN, 0};
    while (seen_.find(text) == std::string::npos && poll(&ready, 1, 30000) == 1 && ReadSome()) {
    }
  }
  // Reads the output to its end and waits for the program: its exit status.
  int Finish() {
    while (ReadSome()) {
    }
    int status = 0;
    waitpid(child_, &status, 0);
    child_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  const std::string& Seen() const { return seen_; }

 private:
  bool ReadSome() {
    char buffer[4096];
    const ssize_t count = read(output_, buffer, sizeof buffer);
    if (count <= 0) {
      return false;
    }
    seen_.append(buffer, static_cast<std::size_t>(count));
    return true;
  }

  pid_t child_ = -1;
  int input_ = -1;
  int output_ = -1;
  std::string seen_;
};

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
    return Redirected(args, dir_ / "in", dir_ / "out", program, locale);
  }

  // Runs program with standard input read from inPath and standard output written to outPath,
  // in locale.
  Outcome Redirected(const std::string& args, const fs::path& inPath, const fs::path& outPath,
                     const std::string& program = QUILLON_CLI, const std::string& locale = "C") {
    fs::remove(dir_ / "out");
    const std::string command = "LC_ALL=" + locale + " '" + program + "' " + args + " <'" +
                                inPath.string() + "' >'" + outPath.string() + "' 2>'" +
                                (dir_ / "err").string() + "'";
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

TEST_F(CliProcessTest, CodesAsPeopleMeetThemAreAnswered) {
  struct Case {
    const char* args;
    const char* expected;  // a piece of the text answer
  };
  const Case cases[] = {
      {"--wine 3221225477", "Maps to       Win32 998 ERROR_NOACCESS: "},
      {"--wine 0xD0000005",
       "Wraps         NTSTATUS 0xC0000005 STATUS_ACCESS_VIOLATION +1 "
       "(HRESULT_FROM_NT)"},
      {"--wine 0x139", "KERNEL_SECURITY_CHECK_FAILURE (Bug Check Code Reference)"},
      {"--wine 0x80070bc9", "ERROR_FAIL_REBOOT_REQUIRED (winerror.h)"},
      {"--wine 0x887A0005", "Facility      FACILITY_DXGI"},
      {"--no-messages 0000007B", "INACCESSIBLE_BOOT_DEVICE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const Outcome outcome = Execute(c.args);
    EXPECT_EQ(0, outcome.status) << outcome.err;
    EXPECT_NE(std::string::npos, outcome.out.find(c.expected)) << outcome.out;
  }
  // "-" reads standard input in its place, past a byte-order mark.
  const Outcome dash = Execute("--no-messages --json 5 - 7", "\xEF\xBB\xBF 6 \r\n");
  EXPECT_EQ(0, dash.status) << dash.err;
  std::vector<std::string> queries;
  std::istringstream lines(dash.out);
  for (std::string line; std::getline(lines, line);) {
    queries.push_back(nlohmann::json::parse(line)["query"]);
  }
  EXPECT_EQ((std::vector<std::string>{"5", "6", "7"}), queries);
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
  // The macro the text's Wraps line names is in the JSON too.
  const Outcome wrapper = Execute("--no-messages --json 0xD0000005");
  EXPECT_EQ("HRESULT_FROM_NT", nlohmann::json::parse(wrapper.out)["matches"][0]["wraps"]["macro"]);
}

TEST_F(CliProcessTest, ReadsQueriesFromStandardInputAndReportsRejectionsOnOneLine) {
  const Outcome outcome = Execute("--no-messages", "5\n0x0x5\n");
  EXPECT_EQ(2, outcome.status);
  EXPECT_NE(std::string::npos, outcome.out.find("ERROR_ACCESS_DENIED"));
  EXPECT_EQ("quillon-cli: 0x0x5: There is more than 1 '0x' in your number\n", outcome.err);
}

TEST_F(CliProcessTest, VersionHelpAndUsageErrors) {
  EXPECT_TRUE(Execute("--version").out.starts_with("3.0.5\n"));
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
  std::ofstream(dir_ / "install.log")
      << "=== Verbose logging started: 12/8/2026  10:22:31  Build type: SHIP UNICODE ===\r\n"
         "MSI (s) (A4:B8) [10:22:31:456]: Note: 1: 1708\r\n"
         "MSI (s) (A4:B8) [10:22:35:100]: Product: Contoso -- Error 1603. Fatal error.\r\n"
         "CreateFile failed: hr=0x80070005 (E_ACCESSDENIED), exit code: 1618\r\n"
         "Crash: exception C0000005 at 0x00401000\r\n";
  const std::string log = "'" + (dir_ / "install.log").string() + "'";
  const Outcome scan = Execute("--wine --scan " + log);
  EXPECT_EQ(0, scan.status) << scan.err;
  // Per kind the well-known name first, and how many others the families have (the
  // documentation adds WINCODEC_ERR_ACCESSDENIED to the headers' nine).
  const std::string expected =
      "3: MSI (s) (A4:B8) [10:22:35:100]: Product: Contoso -- Error 1603. Fatal error.\n"
      "    1603  Win32 ERROR_INSTALL_FAILURE: Installation failure.\n"
      "4: CreateFile failed: hr=0x80070005 (E_ACCESSDENIED), exit code: 1618\n"
      "    0x80070005  Win32 ERROR_ACCESS_DENIED; HRESULT E_ACCESSDENIED +10: Access denied.\n"
      "    E_ACCESSDENIED  HRESULT E_ACCESSDENIED +10: Access denied.\n"
      "    1618  Win32 ERROR_INSTALL_ALREADY_RUNNING: Installation already running.\n"
      "5: Crash: exception C0000005 at 0x00401000\n"
      "    C0000005  NTSTATUS STATUS_ACCESS_VIOLATION +1: (Win32 ERROR_NOACCESS) No access to "
      "memory location.\n";
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
  // One row per code however it was written: the HRESULT is both 0x80070005 and its name, and
  // names the first occurrence's place, column and all.
  const Outcome summary = Execute("--wine --scan --summary --json " + log);
  const nlohmann::json counted =
      nlohmann::json::parse(summary.out.substr(0, summary.out.find('\n')));
  EXPECT_EQ(2, counted["count"]);
  EXPECT_EQ((std::vector<std::string>{"0x80070005", "E_ACCESSDENIED"}), counted["spellings"]);
  EXPECT_EQ(4, counted["line"]);
  EXPECT_EQ(23, counted["column"]);
  EXPECT_EQ("HRESULT", counted["matches"][0]["type"]);
  EXPECT_EQ(1u, counted["matches"].size());
  const std::string text = Execute("--wine --scan --summary " + log).out;
  EXPECT_EQ(0u, text.find("       2  0x80070005, E_ACCESSDENIED  first at 4  HRESULT "
                          "E_ACCESSDENIED +10: Access denied.\n"))
      << text;
  EXPECT_NE(
      std::string::npos,
      text.find("       1  0x80070005  first at 4  Win32 ERROR_ACCESS_DENIED: Access denied.\n"));

  // A file that cannot be read is trouble, and the others are still scanned.
  const Outcome several = Execute("--no-messages --scan --summary /nonexistent.log " + log);
  EXPECT_EQ(2, several.status);
  EXPECT_NE(std::string::npos, several.err.find("/nonexistent.log"));
  EXPECT_NE(std::string::npos, several.out.find("C0000005"));
  EXPECT_EQ(1, Execute("--no-messages --scan", "nothing to see here\n0x00401000\n").status);
}

TEST_F(CliProcessTest, EachFindingSaysHowItWasRead) {
  // The same value thrice: its answer is made once, its reading each time.
  const Outcome outcome =
      Execute("--no-messages --scan --json", "error 5, hr=0x5, -2147024891, 0x80070005\n");
  std::vector<std::string> readings;
  std::istringstream lines(outcome.out);
  for (std::string line; std::getline(lines, line);) {
    readings.push_back(nlohmann::json::parse(line)["reading"]);
  }
  EXPECT_EQ((std::vector<std::string>{"decimal", "hex", "negative", "hex"}), readings);
}

TEST_F(CliProcessTest, JsonFindingsAreTheTextsFindings) {
  const std::vector<std::string> log = {
      "x failed with 0x80070005 then 0xC0000005 and error 5", "nothing here",
      "BugCheck 133, {0, 501, 500, fffff8005f8fb320}", "hr=E_ACCESSDENIED, 0xD0000005"};
  std::string input;
  for (const std::string& line : log) {
    input += line + "\n";
  }
  // Per finding its line and its text as written: "N: the line", then "    text  answer".
  std::vector<std::pair<std::size_t, std::string>> shown;
  std::string caseLine;
  std::istringstream text(Execute("--wine --scan", input).out);
  for (std::string line; std::getline(text, line);) {
    if (!line.starts_with("    ")) {
      shown.emplace_back(std::stoul(line), "");
    } else {
      shown.emplace_back(shown.back().first, line.substr(4, line.find("  ", 4) - 4));
      caseLine = line.find("BugCheck") == 4 ? line : caseLine;
    }
  }
  std::erase_if(shown, [](const auto& finding) { return finding.second.empty(); });

  std::vector<std::pair<std::size_t, std::string>> found;
  std::istringstream json(Execute("--wine --scan --json", input).out);
  for (std::string line; std::getline(json, line);) {
    const nlohmann::json finding = nlohmann::json::parse(line);
    found.emplace_back(finding["line"], finding["text"]);
    const std::size_t column = finding["column"];
    EXPECT_EQ(found.back().second,
              log.at(found.back().first - 1).substr(column - 1, found.back().second.size()));
    if (finding["text"].get<std::string>().starts_with("BugCheck")) {
      const nlohmann::json& match = finding["matches"][0];
      EXPECT_FALSE(match.contains("cases"));
      EXPECT_NE(std::string::npos, caseLine.find(match["case"]["cause"].get<std::string>()));
    }
  }
  EXPECT_EQ(6u, found.size());
  EXPECT_EQ(shown, found);
}

TEST_F(CliProcessTest, EveryFormTheReadmeListsIsFound) {
  const std::vector<std::string> examples = {"hr=0x80070005",
                                             "0X1f",
                                             "C0000005",
                                             "80070005",
                                             "c0000005",
                                             "-2147024891",
                                             "ExitCode: 1603",
                                             "ErrorCode=5",
                                             "LastError=87",
                                             "GetLastError() = 183",
                                             "is returning 1603",
                                             "err=10054",
                                             "WriteFile error(112)",
                                             "Stop code 0000007B",
                                             "return code 2147942402",
                                             "exit -1073741819",
                                             "E_ACCESSDENIED",
                                             "NERR_Success",
                                             "WSAECONNRESET"};
  std::string log;
  for (const std::string& example : examples) {
    log += example + "\n";
  }
  const Outcome outcome = Execute("--no-messages --scan --json", log);
  std::vector<std::string> found;
  std::istringstream lines(outcome.out);
  for (std::string line; std::getline(lines, line);) {
    found.push_back(examples.at(nlohmann::json::parse(line)["line"].get<std::size_t>() - 1));
  }
  EXPECT_EQ(examples, found);
}

TEST_F(CliProcessTest, ScanReadsAUtf16LogAndCountsColumnsInItsText) {
  // As Windows PowerShell's '>' writes it: UTF-16LE after a byte-order mark, CR LF.
  std::string log = "\xFF\xFE";
  for (const char c : std::string("\xE9t\xE9: hr=0x80070005\r\nerror 5\r\n")) {
    log += c;
    log += '\0';
  }
  std::ofstream(dir_ / "ps.log", std::ios::binary) << log;
  const Outcome outcome =
      Execute("--no-messages --scan --json '" + (dir_ / "ps.log").string() + "'");
  EXPECT_EQ(0, outcome.status) << outcome.err;
  std::istringstream lines(outcome.out);
  std::string first;
  std::string second;
  std::getline(lines, first);
  std::getline(lines, second);
  const nlohmann::json hex = nlohmann::json::parse(first);
  // Columns count bytes of the UTF-8 text: each é is two.
  EXPECT_EQ(1, hex["line"]);
  EXPECT_EQ(11, hex["column"]);
  EXPECT_EQ("0x80070005", hex["text"]);
  EXPECT_EQ(2, nlohmann::json::parse(second)["line"]);
}

TEST_F(CliProcessTest, AnOverlongStandardInputLineIsRefusedAndTheNextAnswered) {
  const Outcome outcome =
      Execute("--no-messages --json", "5\n" + std::string(1 << 20, '7') + "\n0x7\n");
  EXPECT_EQ(2, outcome.status);
  EXPECT_EQ(2, std::count(outcome.out.begin(), outcome.out.end(), '\n'));
  EXPECT_NE(std::string::npos, outcome.out.find("\"query\":\"0x7\""));
  EXPECT_EQ(
      "quillon-cli: line 2 of standard input is longer than 4096 bytes; not read as a query\n",
      outcome.err);
}

TEST_F(CliProcessTest, AFindingAppearsWhileItsPipeIsStillOpen) {
  // Standard input, and a named pipe given as a file, as /dev/stdin or <(tail -f log) are.
  const std::string fifo = (dir_ / "fifo").string();
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  for (const bool named : {false, true}) {
    SCOPED_TRACE(named ? "named pipe" : "standard input");
    std::vector<std::string> args{"--no-messages", "--scan"};
    if (named) {
      args.push_back(fifo);
    }
    PipedRun run(args);
    ASSERT_TRUE(run.Started());
    int writer = run.Input();
    if (named) {
      run.CloseInput();
      writer = open(fifo.c_str(), O_WRONLY);  // once the program opens it to read
      ASSERT_NE(-1, writer);
    }
    const std::string line = "tail -f: hr=0x80070005\n";
    ASSERT_EQ(static_cast<ssize_t>(line.size()), write(writer, line.data(), line.size()));
    // The pipe stays open: the finding must come without the input's end.
    run.ReadUntil("E_ACCESSDENIED");
    const std::string seen = run.Seen();
    close(writer);
    EXPECT_EQ(0, run.Finish());
    EXPECT_NE(std::string::npos, seen.find("1: tail -f: hr=0x80070005\n    0x80070005  Win32"));
  }
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
  fs::create_symlink(dir_ / "missing", dir_ / "dangling.log");
  const Outcome scan = Execute("--no-messages --scan " + dir + "/dangling.log /nonexistent.log");
  EXPECT_EQ(2, scan.status);
  EXPECT_EQ("quillon-cli: cannot read " + dir_.string() +
                "/dangling.log: No such file or directory\nquillon-cli: cannot read "
                "/nonexistent.log: No such file or directory\n",
            scan.err);
  // Standard input that cannot be read, in both modes.
  for (const char* args : {"--no-messages", "--no-messages --scan"}) {
    const Outcome outcome = Redirected(args, dir_, dir_ / "out");
    EXPECT_EQ(2, outcome.status) << args;
    EXPECT_EQ("quillon-cli: cannot read standard input: Is a directory\n", outcome.err);
  }
  // A closed standard input: the database must not take its descriptor and be read as it.
  for (const char* args : {"--no-messages", "--no-messages --scan"}) {
    const std::string command = std::string("'") + QUILLON_CLI + "' " + args + " <&- >'" +
                                (dir_ / "out").string() + "' 2>'" + (dir_ / "err").string() + "'";
    const int raw = std::system(command.c_str());
    EXPECT_EQ(2, WIFEXITED(raw) ? WEXITSTATUS(raw) : -1) << args;
    EXPECT_EQ("quillon-cli: cannot read standard input: Bad file descriptor\n",
              ReadFile(dir_ / "err"));
  }
  // A Windows directory is read like any file: one that cannot be is trouble, not a Windows
  // without tables.
  std::ofstream(dir_ / "file") << "x";
  for (const std::string& windows : {std::string("/nonexistent"), (dir_ / "file").string()}) {
    const Outcome outcome = Execute("--windows '" + windows + "' 5");
    EXPECT_EQ(2, outcome.status) << windows;
    EXPECT_EQ(0u, outcome.err.find("quillon-cli: cannot read " + windows + ": ")) << outcome.err;
    EXPECT_EQ("", outcome.out);
  }
}

// A copy of the generated database (or copy as it is, when fresh is false) with bytes from..to
// zeroed, or cut at from when to is 0.
void DamageDatabase(const fs::path& copy, std::size_t from, std::size_t to, bool fresh = true) {
  if (fresh) {
    fs::copy_file(QUILLON_DEFINES_DB, copy, fs::copy_options::overwrite_existing);
  }
  if (to == 0) {
    fs::resize_file(copy, from);
    return;
  }
  std::fstream file(copy, std::ios::in | std::ios::out | std::ios::binary);
  file.seekp(static_cast<std::streamoff>(from));
  const std::string zeros(to - from, '\0');
  file.write(zeros.data(), static_cast<std::streamsize>(zeros.size()));
}

TEST_F(CliProcessTest, ADamagedDatabaseIsTroubleNeverNotFound) {
  const fs::path copy = dir_ / "damaged.db3";
  for (const std::size_t to : {std::size_t{1200000}, std::size_t{0}}) {
    DamageDatabase(copy, 400000, to);
    for (const char* args : {"E_FAIL", "--search E_FAIL", "--json 0xC0000005", "--scan"}) {
      SCOPED_TRACE(std::string(args) + (to == 0 ? " cut" : " zeroed"));
      const Outcome outcome =
          Execute("--no-messages --db '" + copy.string() + "' " + args, "hr=0x80004005\n");
      EXPECT_EQ(2, outcome.status);
      EXPECT_EQ("", outcome.out);
      // Refused at the schema's check when the damage reaches it, else when a query meets it.
      const std::string named = " the database " + copy.string() + ": ";
      EXPECT_TRUE(outcome.err.starts_with("quillon-cli: cannot use" + named) ||
                  outcome.err.starts_with("quillon-cli: cannot read" + named))
          << outcome.err;
      EXPECT_EQ(1, std::count(outcome.err.begin(), outcome.err.end(), '\n')) << outcome.err;
    }
  }
}

TEST_F(CliProcessTest, ADamagedDocumentationTableIsTroubleAsTheKindsTablesAre) {
  // The root page of one documentation table zeroed: the schema and the kinds' tables are
  // sound, so the damage is met only when the documentation is read.
  const fs::path copy = dir_ / "damaged.db3";
  const auto damageRoot = [&copy](const std::string& table) {
    fs::copy_file(QUILLON_DEFINES_DB, copy, fs::copy_options::overwrite_existing);
    sqlite3* db = nullptr;
    sqlite3_stmt* root = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(copy.c_str(), &db));
    ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(db,
                                            "SELECT rootpage, page_size FROM sqlite_schema, "
                                            "pragma_page_size WHERE name = ?1",
                                            -1, &root, nullptr));
    sqlite3_bind_text(root, 1, table.c_str(), -1, SQLITE_TRANSIENT);
    ASSERT_EQ(SQLITE_ROW, sqlite3_step(root));
    const auto page = static_cast<std::size_t>(sqlite3_column_int64(root, 0));
    const auto size = static_cast<std::size_t>(sqlite3_column_int64(root, 1));
    sqlite3_finalize(root);
    sqlite3_close(db);
    DamageDatabase(copy, (page - 1) * size, page * size, false);
  };
  const std::string cannotRead = "quillon-cli: cannot read the database " + copy.string() + ": ";
  // The codes the documentation describes are read as a scan starts: a scan of a log with no
  // code in it still fails, before it reads the log.
  damageRoot("DescribedCode");
  const Outcome codeless = Execute("--wine --db '" + copy.string() + "' --scan", "no code here\n");
  EXPECT_EQ(2, codeless.status);
  EXPECT_EQ("", codeless.out);
  EXPECT_EQ(0u, codeless.err.find(cannotRead)) << codeless.err;
  for (const std::string table : {"Description", "Remedy"}) {
    damageRoot(table);
    for (const char* args : {"0x800F081F", "--json 0x800F081F", "--scan"}) {
      SCOPED_TRACE(table + ": " + args);
      const Outcome outcome =
          Execute("--wine --db '" + copy.string() + "' " + args, "hr=0x800F081F\n");
      EXPECT_EQ(2, outcome.status);
      EXPECT_EQ("", outcome.out);
      EXPECT_EQ(0u, outcome.err.find(cannotRead)) << outcome.err;
      EXPECT_EQ(1, std::count(outcome.err.begin(), outcome.err.end(), '\n')) << outcome.err;
    }
  }
  // Left out, the documentation's tables are not read: the codes are answered.
  EXPECT_EQ(0, Execute("--wine --no-docs --db '" + copy.string() + "' 0x800F081F").status);
}

TEST_F(CliProcessTest, ASortNeverSpillsIntoAFile) {
  // 40,000 more names than the database holds: a sort of them outgrows SQLite's sorter
  // memory (about 2 MB), and used to go to a temporary file that nothing bounded.
  const fs::path copy = dir_ / "large.db3";
  fs::copy_file(QUILLON_DEFINES_DB, copy);
  sqlite3* db = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open(copy.c_str(), &db));
  EXPECT_EQ(SQLITE_OK, sqlite3_exec(db,
                                    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM "
                                    "c LIMIT 40000) INSERT INTO Win32 (ErrNum, Define, Header) "
                                    "SELECT x, printf('ZZ_%040d', x), 'z.h' FROM c",
                                    nullptr, nullptr, nullptr));
  sqlite3_close(db);
  // Files may not grow past 256 KiB; standard output is no file.
  const std::string command = "ulimit -f 256; exec '" + std::string(QUILLON_CLI) +
                              "' --no-messages --db '" + copy.string() +
                              "' --search ZZ_ >/dev/null 2>'" + (dir_ / "err").string() + "'";
  const int raw = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(raw)) << "ended by signal " << (raw & 0x7F);
  EXPECT_EQ(0, WEXITSTATUS(raw)) << ReadFile(dir_ / "err");
}

TEST_F(CliProcessTest, ADatabaseDamagedDuringARunEndsItAfterWhatWasAnswered) {
  const fs::path copy = dir_ / "defines.db3";
  fs::copy_file(QUILLON_DEFINES_DB, copy, fs::copy_options::overwrite_existing);
  PipedRun run({"--no-messages", "--db", copy.string()}, dir_ / "err");
  ASSERT_TRUE(run.Started());
  const std::string first = "E_ACCESSDENIED\n";
  ASSERT_EQ(static_cast<ssize_t>(first.size()), write(run.Input(), first.data(), first.size()));
  run.ReadUntil("E_ACCESSDENIED (winerror.h)");
  // Cut while the program waits for its next query; the pages it has not read are gone.
  fs::resize_file(copy, 8192);
  const std::string rest = "E_FAIL\n0xC0000005\nSTATUS_ACCESS_VIOLATION\n";
  ASSERT_EQ(static_cast<ssize_t>(rest.size()), write(run.Input(), rest.data(), rest.size()));
  run.CloseInput();
  EXPECT_EQ(2, run.Finish());
  const std::string& seen = run.Seen();
  EXPECT_EQ(0u, seen.find("E_ACCESSDENIED  name")) << seen;
  EXPECT_EQ(std::string::npos, seen.find("E_FAIL  ")) << seen;
  const std::string err = ReadFile(dir_ / "err");
  EXPECT_EQ(0u, err.find("quillon-cli: cannot read the database " + copy.string() + ": ")) << err;
  EXPECT_EQ(1, std::count(err.begin(), err.end(), '\n')) << err;
}

TEST_F(CliProcessTest, AFolderScansAsItsFilesOneAfterAnotherWhateverTheWorkers) {
  const fs::path logs = dir_ / "logs";
  fs::create_directories(logs / "b");
  std::vector<std::string> files;  // the text files, in path order
  // Sizes that make workers finish out of order: the first files are the longest.
  for (int i = 0; i < 24; ++i) {
    const std::string name = (i % 2 == 0 ? "b/" : "") + std::string("f") + char('a' + i) + ".log";
    std::ofstream log(logs / name);
    for (int line = 0; line < (24 - i) * 10; ++line) {
      log << "line " << line << " of " << name << ": error " << (line % 300) << ", hr=0x8007000"
          << (line % 9) << '\n';
    }
  }
  {
    // Two files side by side with more findings than a worker holds in memory for a file that
    // is not yet written out: the second one's go to a temporary file while the first, twice
    // as long, is scanned. Long lines: more output for each finding, so fewer findings.
    for (const auto& [name, lines] : {std::pair{"big1.log", 60000}, std::pair{"big2.log", 30000}}) {
      std::ofstream big(logs / "b" / name);
      for (int line = 0; line < lines; ++line) {
        big << "error " << (line % 200) << " and E_FAIL " << std::string(200, '.') << '\n';
      }
    }
  }
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(logs)) {
    if (entry.is_regular_file()) {
      files.push_back(entry.path().string());
    }
  }
  const std::string text = "gzip: C0000005\nexit code: 1603\n";
  for (const auto& [name, bytes] : {std::pair{"b/z.log.gz", text.size()}, {"b/cut.gz", 9ul}}) {
    gzFile gz = gzopen((logs / name).c_str(), "wb");
    gzwrite(gz, text.data(), static_cast<unsigned>(text.size()));
    gzclose(gz);
    fs::resize_file(logs / name,
                    name == std::string("b/cut.gz") ? bytes : fs::file_size(logs / name));
    files.push_back((logs / name).string());
  }
  std::ofstream(logs / "b" / "tool.exe", std::ios::binary) << std::string("MZ\0\0 0x80070005", 16);
  fs::create_directory_symlink("..", logs / "b" / "up");
  std::sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) {
    // Path order as a walk gives it: "b/" (a folder) before "fa.log" at the same depth.
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return (x == '/' ? '\1' : x) < (y == '/' ? '\1' : y);
    });
  });

  std::string named;
  for (const std::string& file : files) {
    named += " '" + file + "'";
  }
  const std::string folder = " '" + logs.string() + "'";
  const Outcome oneByOne = Execute("--no-messages --scan" + named);
  for (const char* mode : {"", " --summary --json"}) {
    SCOPED_TRACE(mode);
    const Outcome alone = Execute(std::string("--no-messages --scan -j 1") + mode + folder);
    EXPECT_EQ(2, alone.status);
    const std::string skippedBinary = alone.err;
    for (const char* jobs : {" -j 2", " -j 7"}) {
      SCOPED_TRACE(jobs);
      const Outcome together = Execute(std::string("--no-messages --scan") + jobs + mode + folder);
      EXPECT_EQ(alone.out, together.out);
      EXPECT_EQ(alone.err, together.err);
      EXPECT_EQ(2, together.status);
    }
    if (*mode == '\0') {
      EXPECT_EQ(oneByOne.out, alone.out);
      EXPECT_EQ(std::string::npos, alone.out.find("tool.exe"));
    }
  }
  // The cut file and the loop are named, in their places; the binary file is said in a summary.
  const Outcome scan = Execute("--no-messages --scan -j 3" + folder);
  EXPECT_EQ("quillon-cli: cannot read " + logs.string() +
                "/b/cut.gz: compressed data cut short\nquillon-cli: " + logs.string() +
                "/b/up leads back to " + logs.string() + ", a folder it is in; not followed\n",
            scan.err);
  const Outcome summary = Execute("--no-messages --scan --summary" + folder);
  EXPECT_NE(std::string::npos,
            summary.out.find("skipped binary file " + logs.string() + "/b/tool.exe\n"));
  EXPECT_NE(std::string::npos,
            summary.out.find("C0000005  first at " + logs.string() + "/b/z.log.gz:1"));
  // Compressed standard input; and the file the findings go to is never read.
  EXPECT_EQ(0, Redirected("--no-messages --scan", logs / "b" / "z.log.gz", dir_ / "out").status);
  EXPECT_EQ("1: gzip: C0000005\n", ReadFile(dir_ / "out").substr(0, 18));
  const Outcome own = Redirected("--no-messages --scan" + folder, dir_ / "in", logs / "out.log");
  EXPECT_NE(std::string::npos, own.err.find("out.log is where the findings are written; not read"));
}

TEST_F(CliProcessTest, AFoldersOutputOfMegabytesComesInOrderAndAFailedWriteEndsIt) {
  // Each file's findings run to megabytes, handed from the workers in pieces.
  const fs::path logs = dir_ / "large";
  fs::create_directory(logs);
  for (const char* name : {"a.log", "b.log", "c.log"}) {
    std::ofstream log(logs / name);
    for (int line = 0; line < 40000; ++line) {
      log << name << " failed with 0xC0000005\n";
    }
  }
  const std::string folder = " '" + logs.string() + "'";
  const Outcome alone = Execute("--no-messages --scan -j 1" + folder);
  ASSERT_EQ(0, alone.status) << alone.err;
  ASSERT_GT(alone.out.size(), std::size_t{6} << 20);
  for (const char* jobs : {" -j 2", " -j 3"}) {
    const Outcome together = Execute(std::string("--no-messages --scan") + jobs + folder);
    EXPECT_EQ(0, together.status) << jobs;
    EXPECT_TRUE(together.out == alone.out) << jobs;
    const Outcome full =
        Redirected(std::string("--no-messages --scan") + jobs + folder, dir_ / "in", "/dev/full");
    EXPECT_EQ(2, full.status) << jobs;
    EXPECT_EQ("quillon-cli: cannot write standard output: No space left on device\n", full.err);
  }
}

TEST_F(CliProcessTest, ALogsControlCharactersAreShownEscapedAndColourIsAsAsked) {
  const std::string log = "\x1b]0;owned\x07 failed with 0xC0000005\n";
  const Outcome plain = Execute("--no-messages --scan", log);
  EXPECT_EQ(0, plain.status) << plain.err;
  EXPECT_EQ(
      "1: \\x1b]0;owned\\x07 failed with 0xC0000005\n"
      "    0xC0000005  NTSTATUS STATUS_ACCESS_VIOLATION +1\n",
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
      // A region without a table of its own reads as its language's; an unknown language as
      // English.
      {"de_LU.UTF-8", "--wine", "Zugriff verweigert.", "Ung\u00fcltige Anfrage."},
      {"C", "--wine --lang fr-LU", "Acc\u00e8s refus\u00e9.", nullptr},
      {"C", "--wine --lang xx-YY", "Access denied.", "Invalid request."},
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
  const Outcome malformed = Execute("--wine --lang de- 5");
  EXPECT_EQ(2, malformed.status);
  EXPECT_NE(std::string::npos, malformed.err.find("--lang de-: not a language name"));
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

// A message table of one block per text, each of one id, the texts 8-bit; or, with shared,
// blocks blocks of ids apart that all point at the same entries (entries entries of "zz").
std::string CraftedTable(const std::vector<std::string>& texts, std::uint32_t blocks = 0,
                         std::uint32_t entries = 0) {
  const auto le = [](std::uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) {
      out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
    return out;
  };
  const auto entry = [&le](const std::string& text) {
    const std::string body = text + std::string(4 - text.size() % 4, '\0');
    return le(static_cast<std::uint32_t>(4 + body.size()), 2) + le(0, 2) + body;
  };
  std::string table;
  std::string body;
  if (blocks == 0) {
    table = le(static_cast<std::uint32_t>(texts.size()), 4);
    const auto start = static_cast<std::uint32_t>(4 + 12 * texts.size());
    for (std::uint32_t i = 0; i < texts.size(); ++i) {
      table += le(0x20000000u + i, 4) + le(0x20000000u + i, 4) +
               le(start + static_cast<std::uint32_t>(body.size()), 4);
      body += entry(texts[i]);
    }
    return table + body;
  }
  table = le(blocks, 4);
  for (std::uint32_t b = 0; b < blocks; ++b) {
    table += le(0x20000000u + b * entries, 4) + le(0x20000000u + (b + 1) * entries - 1, 4) +
             le(4 + 12 * blocks, 4);
  }
  for (std::uint32_t e = 0; e < entries; ++e) {
    table += entry("zz");
  }
  return table;
}

TEST_F(CliProcessTest, AModulesEightBitTextsAreShownAsUtf8WithControlsEscaped) {
  const std::string module = (dir_ / "ansi.dll").string();
  std::ofstream(module, std::ios::binary) << WithUsEnglishTable(
      ReadFile(std::string(QUILLON_TEST_MESSAGE_FILES) + "/messages_pe32.dll"),
      CraftedTable({"Acc\xE8s refus\xE9 \x9B"
                    "31m \x81"}));
  const Outcome outcome = Execute("--wine --module '" + module + "' 0x20000000");
  EXPECT_EQ(0, outcome.status) << outcome.err;
  EXPECT_NE(std::string::npos, outcome.out.find("Acc\xC3\xA8s refus\xC3\xA9 \xE2\x80\xBA"
                                                "31m \\u0081"))
      << outcome.out;
  const Outcome json = Execute("--wine --json --module '" + module + "' 0x20000000");
  EXPECT_EQ(
      "Acc\xC3\xA8s refus\xC3\xA9 \xE2\x80\xBA"
      "31m \xC2\x81",
      nlohmann::json::parse(json.out)["matches"][0]["description"]);
}

// Memory is measured, not timed: the largest resident size of the programs this test ran.
std::uint64_t LargestChildKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<std::uint64_t>(usage.ru_maxrss);
}

TEST_F(CliProcessTest, AModuleWhoseBlocksShareTheirEntriesIsSearchedInBoundedMemory) {
  const std::string dll = ReadFile(std::string(QUILLON_TEST_MESSAGE_FILES) + "/messages_pe32.dll");
  for (const std::uint32_t blocks : {4000u, 10000u}) {  // modules of some 80 KB and 200 KB
    SCOPED_TRACE(blocks);
    const std::string module = (dir_ / "shared.dll").string();
    std::ofstream(module, std::ios::binary)
        << WithUsEnglishTable(dll, CraftedTable({}, blocks, 4000));
    const Outcome outcome = Execute("--wine --module '" + module + "' --search-text zzzz");
    EXPECT_EQ(1, outcome.status) << outcome.err;
    EXPECT_EQ("", outcome.err);
  }
  // Without the bound a listing took blocks times entries texts: gigabytes.
  EXPECT_LT(LargestChildKilobytes(), 512u * 1024);
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

  // Letters beyond Latin-1 (Czech Ř) match in either case.
  const Outcome lower = Execute("--wine --lang cs --search-text 'p\xC5\x99\xC3\xADstup'");
  const Outcome upper = Execute("--wine --lang cs --search-text 'P\xC5\x98\xC3\x8DSTUP'");
  EXPECT_EQ(0, upper.status) << upper.err;
  EXPECT_NE(std::string::npos, upper.out.find("ERROR_ACCESS_DENIED")) << upper.out;
  EXPECT_EQ(lower.out, upper.out);

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
  EXPECT_EQ(2, Execute("--wine --search-text '\n\r'").status);  // blank of any kind
}

// The documentation's texts, remedies and bug-check parameters, on a machine without Windows
// files (--windows naming an empty folder) and with Wine's tables.
class DocumentationTest : public CliProcessTest {
 protected:
  void SetUp() override {
    CliProcessTest::SetUp();
    fs::create_directories(dir_ / "empty");
  }
  nlohmann::json Json(const std::string& args, const std::string& input = "") {
    const Outcome outcome =
        Execute("--windows '" + (dir_ / "empty").string() + "' --json " + args, input);
    EXPECT_EQ(0, outcome.status) << outcome.err;
    return nlohmann::json::parse(outcome.out.substr(0, outcome.out.find('\n')));
  }
  std::string Text(const std::string& args, const std::string& input = "") {
    return Execute("--windows '" + (dir_ / "empty").string() + "' " + args, input).out;
  }
};

TEST_F(DocumentationTest, TheUsersTablesComeFirstThenTheDocumentation) {
  // No Windows files: the documentation's text, marked as such.
  const nlohmann::json without = Json("5")["matches"][0];
  EXPECT_EQ("Access is denied.", without["description"]);
  EXPECT_EQ("documentation", without["source"]);
  EXPECT_NE(std::string::npos, Text("5").find("Description   Access is denied. [documentation]"));
  // Wine's table has the code: its text, the system's.
  const Outcome wine = Execute("--wine --json 5");
  const nlohmann::json withWine = nlohmann::json::parse(wine.out)["matches"][0];
  EXPECT_EQ("Access denied.", withWine["description"]);
  EXPECT_EQ("system", withWine["source"]);
  // Wine lacks the text of a code only the documentation names.
  const Outcome wmi = Execute("--wine --json 0x80041005");
  const nlohmann::json wmiMatch = nlohmann::json::parse(wmi.out)["matches"][0];
  EXPECT_EQ("WBEM_E_TYPE_MISMATCH", wmiMatch["names"][0]);
  EXPECT_EQ("documentation", wmiMatch["source"]);
  // A language the pages hold, and one they do not: English.
  EXPECT_EQ("Zugriff verweigert.", Json("--lang de-DE 5")["matches"][0]["description"]);
  EXPECT_EQ("Access is denied.", Json("--lang mi-NZ 5")["matches"][0]["description"]);
  // --search-text finds the documentation's texts, and not with --no-docs.
  EXPECT_NE(std::string::npos,
            Text("--search-text 'No Key Management Service (KMS) could be contacted'")
                .find("HRESULT   0xC004F074"));
  EXPECT_EQ("", Text("--no-docs --search-text 'No Key Management Service (KMS) could be'"));
}

TEST_F(DocumentationTest, NoDocsLeavesTextsParametersAndRemediesOut) {
  const nlohmann::json match = Json("--no-docs 0x800F081F")["matches"][0];
  EXPECT_TRUE(match["description"].is_null());
  EXPECT_FALSE(match.contains("remedies"));
  const std::string text = Text("--no-docs 0x133");
  EXPECT_NE(std::string::npos, text.find("DPC_WATCHDOG_VIOLATION"));
  EXPECT_EQ(std::string::npos, text.find("Parameter"));
  EXPECT_EQ(std::string::npos, text.find("[documentation]"));
}

TEST_F(DocumentationTest, ARemedyNamesItsPage) {
  const nlohmann::json match = Json("0x800F081F")["matches"][0];
  ASSERT_TRUE(match.contains("remedies"));
  bool restoreHealth = false;
  for (const nlohmann::json& remedy : match["remedies"]) {
    EXPECT_NE(std::string::npos, remedy["page"].get<std::string>().find(".md"));
    restoreHealth = restoreHealth ||
                    remedy["text"].get<std::string>().find("/Restorehealth") != std::string::npos;
  }
  EXPECT_TRUE(restoreHealth);
  const std::string text = Text("0x800F081F");
  EXPECT_NE(std::string::npos, text.find("    Cause         Component Store corruption\n"));
  EXPECT_NE(std::string::npos, text.find("    Remedy from   support/"));
  // Never as the system's text.
  EXPECT_EQ("documentation", match["source"]);
}

TEST_F(DocumentationTest, ABugChecksArgumentsSelectTheirCauseInQueryAndScan) {
  const std::string debugger = "BugCheck 133, {0, 501, 500, fffff8005f8fb320}";
  const std::string event =
      "The bugcheck was: 0x00000133 (0x0000000000000000, 0x0000000000000501, "
      "0x0000000000000500, 0xfffff8005f8fb320).";
  for (const std::string& pasted : {debugger, event.substr(0, event.size() - 1)}) {
    SCOPED_TRACE(pasted);
    const std::string text = Text("'" + pasted + "'");
    EXPECT_NE(std::string::npos, text.find("Parameter 2   0x501: The DPC time count"));
    EXPECT_NE(std::string::npos, text.find("Case          Parameter 1 = 0x0: A single DPC"));
    EXPECT_EQ(std::string::npos, text.find("Win32")) << "a bug check is no other kind";
    const nlohmann::json match = Json("'" + pasted + "'")["matches"][0];
    EXPECT_EQ("STOP", match["type"]);
    EXPECT_EQ(0, match["case"]["value"]);
    EXPECT_EQ(1, match["case"]["parameter"]);
    EXPECT_EQ("0xFFFFF8005F8FB320", match["arguments"][3]);
  }
  const std::string scanned = Text("--scan", "x\n" + debugger + "\n" + event + "\n");
  EXPECT_NE(std::string::npos, scanned.find("    " + debugger + "  STOP DPC_WATCHDOG_VIOLATION"));
  EXPECT_NE(std::string::npos, scanned.find("3: " + event + "\n    The bugcheck was: 0x00000133"));
  EXPECT_EQ(2u, [&scanned] {
    std::size_t count = 0;
    for (std::size_t at = scanned.find("| Parameter 1 = 0x0: A single DPC");
         at != std::string::npos; at = scanned.find("| Parameter 1 = 0x0", at + 1)) {
      ++count;
    }
    return count;
  }());
  // Its JSON lines parse back, a tab inside the form included.
  const Outcome json = Execute("--windows '" + (dir_ / "empty").string() + "' --scan --json",
                               "BugCheck 133,\t{0, 501, 500, 1}\n0xC1900101\t- 0x4000D\n");
  std::istringstream lines(json.out);
  std::size_t parsed = 0;
  for (std::string line; std::getline(lines, line); ++parsed) {
    EXPECT_NO_THROW(nlohmann::json::parse(line)) << line;
  }
  EXPECT_EQ(2u, parsed) << json.out;
  // Without arguments: one line per parameter, and the causes.
  const std::string plain = Text("0x133");
  EXPECT_NE(std::string::npos, plain.find("                    Parameter 2: The DPC time count"));
  EXPECT_NE(std::string::npos, plain.find("Case          Parameter 1 = 0x1: "));
}

TEST_F(DocumentationTest, SetupsResultAndExtendCodesAreReadAsOnePair) {
  for (const char* pair : {"0xC1900101 - 0x4000D", "0xC1900101-0x4000D", "0xC1900101 0x4000D"}) {
    SCOPED_TRACE(pair);
    const nlohmann::json answer = Json(std::string("'") + pair + "'");
    EXPECT_EQ("MOSETUP_E_SETUP_PLATFORM", answer["matches"][0]["names"][0]);
    const nlohmann::json& extend = answer["extend"];
    EXPECT_EQ(0x4000D, extend["value"]);
    EXPECT_EQ(4, extend["phase"]["value"]);
    EXPECT_EQ("SP_EXECUTION_OOBE_BOOT", extend["phase"]["name"]);
    EXPECT_EQ(13, extend["operation"]["value"]);
    EXPECT_EQ("SP_EXECUTION_OP_MIGRATE_DATA", extend["operation"]["name"]);
    EXPECT_TRUE(extend["cause"].is_string());
    EXPECT_FALSE(extend["remedies"].empty());
  }
  // A pair no page explains is still named; a result code alone has no extend code.
  const nlohmann::json unexplained = Json("'0xC1900101 - 0x40001'")["extend"];
  EXPECT_TRUE(unexplained["cause"].is_null());
  EXPECT_EQ(4, unexplained["phase"]["value"]);
  EXPECT_FALSE(Json("0xC1900101").contains("extend"));
  // In a scan, inside a longer line, in each spelling.
  const std::string scanned =
      Text("--scan", "Upgrade failed: 0xC1900101 - 0x4000D, rolled back\n0xC1900101-0x30018\n");
  EXPECT_NE(std::string::npos,
            scanned.find("    0xC1900101 - 0x4000D  HRESULT MOSETUP_E_SETUP_PLATFORM"));
  EXPECT_NE(std::string::npos, scanned.find("| extend 0x4000D: phase 4 SP_EXECUTION_OOBE_BOOT"));
  EXPECT_NE(std::string::npos, scanned.find("    0xC1900101-0x30018  HRESULT"));
}

TEST_F(DocumentationTest, TheServicingLogsSpellingsAreFoundWithTheirRemedies) {
  const std::string dism =
      "2026-12-08 10:00:01, Error DISM DISM Package Manager: PID=1 Error in operation: source "
      "files could not be found. [HRESULT = 0x800f081f - CBS_E_SOURCE_MISSING]\n"
      "2026-12-08 10:00:02, Info CBS FATAL: CBS called Error with 0x80070002,\n"
      "2026-12-08 10:00:03, Error CSI Error: 0x80070005 [gle=0x80070005]\n";
  const Outcome summary =
      Execute("--windows '" + (dir_ / "empty").string() + "' --scan --summary", dism);
  EXPECT_EQ(0, summary.status) << summary.err;
  EXPECT_NE(std::string::npos, summary.out.find("CBS_E_SOURCE_MISSING"));
  EXPECT_NE(std::string::npos, summary.out.find("ERROR_FILE_NOT_FOUND"));
  EXPECT_NE(std::string::npos, summary.out.find("E_ACCESSDENIED"));
  // Each code's remedies once, in the summary.
  const std::size_t first =
      summary.out.find("Remedy  Dism.exe /Online /Cleanup-Image /Restorehealth");
  EXPECT_NE(std::string::npos, first) << summary.out;
  EXPECT_EQ(std::string::npos,
            summary.out.find("Remedy  Dism.exe /Online /Cleanup-Image /Restorehealth", first + 1));
}

}  // namespace
}  // namespace quillon
