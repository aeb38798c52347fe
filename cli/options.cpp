#include "cli/options.h"

#include <CLI/CLI.hpp>

#include <algorithm>

#include "lookup/message_file_locator.h"
#include "res/version.h"

namespace quillon {

namespace {

constexpr char kDescription[] =
    "Tells what a Windows error code means: which kinds know it (Win32, HRESULT, NTSTATUS,\n"
    "STOP), its status, facility, define names and the system's description.\n"
    "QUERY is a number (5, -2147024891, 0x80070005, C0000005) or a define name (E_FAIL).\n"
    "Exit status: 0 every query found, 1 some found nothing, 2 a query rejected or bad usage.";

}  // namespace

ParsedOptions ParseOptions(const std::vector<std::string>& args) {
  Options options;
  options.language = std::string(kDefaultMessageLanguage);
  bool version = false;
  bool wine = false;
  bool noMessages = false;
  std::string search;

  CLI::App app(kDescription, "quillon-cli");
  app.add_option("QUERY", options.queries,
                 "Queries (with --scan, files); with none, one per line of standard input");
  auto* searchOption =
      app.add_option("--search", search, "List every define whose name contains TEXT")
          ->type_name("TEXT");
  auto* scanOption = app.add_flag(
      "--scan", options.scan,
      "Explain every code in the files named in place of queries (standard input by default)");
  app.add_flag("--summary", options.summary,
               "With --scan: each code once, with how often it occurred, most frequent first")
      ->needs(scanOption);
  app.add_flag("--json", options.json, "Write one JSON object per line");
  std::string color = "auto";
  app.add_option("--color", color,
                 "Colour the text output: auto (on a terminal, unless NO_COLOR is set), "
                 "always or never")
      ->type_name("WHEN")
      ->check(CLI::IsMember({"auto", "always", "never"}));
  app.add_option("--db", options.database,
                 "The definitions database (default: defines.db3 "
                 "beside the program, then share/quillon)")
      ->type_name("FILE");
  auto* windowsOption =
      app.add_option("--windows", options.windowsDirectory,
                     "Read message tables from the Windows directory DIR (holding System32)")
          ->type_name("DIR");
  auto* wineOption = app.add_flag("--wine", wine, "Read message tables from Wine's own DLLs");
  auto* noMessagesOption =
      app.add_flag("--no-messages", noMessages, "Show names only, no descriptions");
  windowsOption->excludes(wineOption)->excludes(noMessagesOption);
  wineOption->excludes(noMessagesOption);
  app.add_option("--lang", options.language,
                 "Language folder of the .mui files under --windows (default en-US)")
      ->type_name("NAME");
  app.add_flag("--version", version, "Print the version and exit");
  searchOption->excludes("QUERY")->excludes(scanOption);

  ParsedOptions parsed;
  try {
    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    parsed.output = app.help();
    return parsed;
  } catch (const CLI::ParseError& error) {
    parsed.exitCode = 2;
    parsed.error = std::string("quillon-cli: ") + error.what() + " (see --help)";
    return parsed;
  }
  if (version) {
    parsed.output = std::string(QUILLON_VERSION_TEXT) + "\n";
    return parsed;
  }
  if (searchOption->count() > 0) {
    if (search.empty()) {
      parsed.exitCode = 2;
      parsed.error = "quillon-cli: --search needs a text to look for";
      return parsed;
    }
    options.search = search;
  }
  options.color = color == "always"  ? ColorChoice::Always
                  : color == "never" ? ColorChoice::Never
                                     : ColorChoice::Auto;
  if (windowsOption->count() > 0) {
    options.messages = MessageChoice::Windows;
  } else if (wine) {
    options.messages = MessageChoice::Wine;
  } else if (noMessages) {
    options.messages = MessageChoice::None;
  }
  parsed.options = std::move(options);
  return parsed;
}

}  // namespace quillon
