// The command line's options, read with CLI11.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/output_format.h"
#include "core/terminal_text.h"

namespace quillon {

enum class MessageChoice {
  Default,  // the platform's own tables; on Linux a WSL Windows directory, else Wine's DLLs
  Windows,  // the files under a Windows directory (--windows DIR)
  Wine,     // Wine's own DLLs
  None,     // names only
};

struct Options {
  std::vector<std::string> queries;  // none: one query per line of standard input
  std::optional<std::string> search;
  bool scan = false;                          // the queries are files to scan ("-" standard input)
  ScanLayout scanLayout = ScanLayout::Lines;  // --summary: each code once
  unsigned jobs = 0;                          // --jobs: files scanned at once; 0: one per core
  OutputFormat format = OutputFormat::Text;   // --json: JSON Lines
  ColorChoice color = ColorChoice::Auto;
  std::optional<std::string> database;
  MessageChoice messages = MessageChoice::Default;
  std::string windowsDirectory;
  // --lang: the table language and the .mui folder; nothing: the environment's language.
  std::optional<std::string> language;
  std::vector<std::string> modules;       // --module: the user's own message-table files
  std::optional<std::string> searchText;  // --search-text
  bool documentation = true;              // the published pages' texts, remedies, parameters

  bool operator==(const Options&) const = default;
};

struct ParsedOptions {
  std::optional<Options> options;  // nothing: exit with exitCode after printing the texts
  int exitCode = 0;
  std::string output;  // --help and --version, for stdout
  std::string error;   // one line for stderr
};

// args are the arguments after the program name. Never throws.
ParsedOptions ParseOptions(const std::vector<std::string>& args);
// What ParseOptions does for any arguments, with CLI11. ParseOptions skips it when the
// arguments are queries that cannot be taken for options (not empty, no leading '-' or '/')
// and at most once each of --wine, --no-messages, --no-docs and --json (not --wine with
// --no-messages): CLI11 setting up its options takes a lookup's run as long as the lookup.
ParsedOptions ParseAnyOptions(const std::vector<std::string>& args);

}  // namespace quillon
