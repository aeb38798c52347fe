#include "cli/options.h"

#include <CLI/CLI.hpp>

#include <algorithm>

#include "core/readings.h"
#include "lookup/language_names.h"
#include "res/version.h"

namespace quillon {

namespace {

constexpr char kDescription[] =
    "Tells what a Windows error code means: which kinds know it (Win32, HRESULT, NTSTATUS,\n"
    "STOP), its status, facility, define names and the system's description, else the\n"
    "documentation's, with what to do about it.\n"
    "QUERY is a number (5, -2147024891, 0x80070005, C0000005) or a define name (E_FAIL).\n"
    "Exit status: 0 every query found, 1 some found nothing, 2 a query rejected or bad usage.";

// Where descriptions come from, as the package's notices name them.
constexpr char kDescriptionSources[] =
    "Descriptions: the system's message tables (Windows, --windows, Wine) and --module files,\n"
    "else the Windows documentation (learn.microsoft.com), (c) Microsoft, CC BY 4.0; extracted,\n"
    "and for the translated languages machine-translated by the publisher.\n";

}  // namespace

ParsedOptions ParseOptions(const std::vector<std::string>& args) {
  Options options;
  bool wine = false;
  bool noMessages = false;
  bool noDocs = false;
  bool json = false;
  for (const std::string& arg : args) {
    bool* const flag = arg == "--wine"          ? &wine
                       : arg == "--no-messages" ? &noMessages
                       : arg == "--no-docs"     ? &noDocs
                       : arg == "--json"        ? &json
                                                : nullptr;
    if (flag != nullptr && !*flag) {
      *flag = true;
      continue;
    }
    // A flag given twice, any other option, or what might be taken for one ('/' leads an
    // option too in CLI11's Windows build: /json) is CLI11's to read.
    if (flag != nullptr || arg.empty() || arg.front() == '-' || arg.front() == '/') {
      return ParseAnyOptions(args);
    }
    options.queries.push_back(arg);
  }
  if (wine && noMessages) {
    return ParseAnyOptions(args);  // which excludes the other
  }
  options.format = json ? OutputFormat::Json : OutputFormat::Text;
  options.messages = wine         ? MessageChoice::Wine
                     : noMessages ? MessageChoice::None
                                  : MessageChoice::Default;
  options.documentation = !noDocs && !noMessages;
  ParsedOptions parsed;
  parsed.options = std::move(options);
  return parsed;
}

ParsedOptions ParseAnyOptions(const std::vector<std::string>& args) {
  Options options;
  bool version = false;
  bool wine = false;
  bool noMessages = false;
  std::string search;
  std::string searchText;
  std::string language;

  CLI::App app(kDescription, "quillon-cli");
  app.add_option("QUERY", options.queries,
                 "Queries (with --scan, files); with none, one per line of standard input");
  auto* searchOption =
      app.add_option("--search", search, "List every define whose name contains TEXT")
          ->type_name("TEXT");
  auto* searchTextOption =
      app.add_option("--search-text", searchText,
                     "List every code whose description holds TEXT (any case, blanks loosely)")
          ->type_name("TEXT");
  auto* scanOption = app.add_flag(
      "--scan", options.scan,
      "Explain every code in the files (gzip ones too) and folders named in place of queries "
      "(standard input by default)");
  bool summary = false;
  bool json = false;
  app.add_flag("--summary", summary,
               "With --scan: each code once, with how often it occurred, most frequent first")
      ->needs(scanOption);
  app.add_option("-j,--jobs", options.jobs,
#if QUILLON_SCAN_THREADS
                 "With --scan: scan N files, or pieces of a large one, at once (default: one "
                 "per core)"
#else
                 "With --scan: accepted, but this program scans one file at a time"
#endif
                 )
      ->type_name("N")
      ->check(CLI::Range(1u, 1024u))
      ->needs(scanOption);
  app.add_flag("--json", json, "Write one JSON object per line");
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
  bool noDocs = false;
  app.add_flag("--no-docs", noDocs,
               "Leave out the documentation's texts, bug-check parameters and remedies");
  windowsOption->excludes(wineOption)->excludes(noMessagesOption);
  wineOption->excludes(noMessagesOption);
  auto* languageOption =
      app.add_option("--lang", language,
                     "Language of the descriptions, such as de-DE (default: the environment's, "
                     "else en-US)")
          ->type_name("NAME");
  auto* moduleOption =
      app.add_option("--module", options.modules,
                     "Also read the message table of FILE (a DLL, EXE or .mui); repeatable")
          ->allow_extra_args(false)
          ->type_name("FILE");
  app.add_flag("--version", version, "Print the version and exit");
  searchOption->excludes("QUERY")->excludes(scanOption)->excludes(searchTextOption);
  searchTextOption->excludes("QUERY")->excludes(scanOption)->excludes(noMessagesOption);
  moduleOption->excludes(noMessagesOption);

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
    // The message may quote a value as it was typed.
    parsed.error = "quillon-cli: " + TerminalText(error.what()) + " (see --help)";
    return parsed;
  }
  if (version) {
    parsed.output = std::string(QUILLON_VERSION_TEXT) + "\n" + kDescriptionSources;
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
  options.scanLayout = summary ? ScanLayout::Summary : ScanLayout::Lines;
  options.format = json ? OutputFormat::Json : OutputFormat::Text;
  options.color = color == "always"  ? ColorChoice::Always
                  : color == "never" ? ColorChoice::Never
                                     : ColorChoice::Auto;
  if (searchTextOption->count() > 0) {
    if (TrimSpace(searchText).empty()) {
      parsed.exitCode = 2;
      parsed.error = "quillon-cli: --search-text needs a text to look for";
      return parsed;
    }
    options.searchText = searchText;
  }
  if (languageOption->count() > 0) {
    if (!FindLanguage(language)) {
      parsed.exitCode = 2;
      parsed.error = "quillon-cli: --lang " + TerminalText(language) +
                     ": not a language name (use a name such as en-US, de-DE, de or sr-Latn-RS)";
      return parsed;
    }
    options.language = language;
  }
  // An empty name would open no file, and the run would answer without names.
  if (options.database && options.database->empty()) {
    parsed.exitCode = 2;
    parsed.error = "quillon-cli: --db needs a file name";
    return parsed;
  }
  if (windowsOption->count() > 0) {
    options.messages = MessageChoice::Windows;
  } else if (wine) {
    options.messages = MessageChoice::Wine;
  } else if (noMessages) {
    options.messages = MessageChoice::None;
  }
  options.documentation = !noDocs && !noMessages;
  parsed.options = std::move(options);
  return parsed;
}

}  // namespace quillon
