// One run of the command line over its parsed options.
#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string_view>

#include "cli/options.h"
#include "core/byte_source.h"
#include "lookup/language_names.h"
#include "lookup/message_source.h"

namespace quillon {

struct CommandPlatform {
  std::filesystem::path programPath;  // the running program's file; empty when unknown
  // The platform's own message tables (FormatMessage on Windows); null where there are none.
  std::unique_ptr<MessageSource> ownMessages;
  // Standard input read as its bytes arrive; null: the stream given to RunCommand.
  std::unique_ptr<ByteSource> input;
  bool inputIsTerminal = false;
  std::string_view endOfInputKeys;  // what ends typed input at a terminal
  bool outputIsTerminal = false;    // standard output, where colour is wanted by default
  bool noColor = false;             // the environment asks for no colour (NO_COLOR)
  // The user's language where --lang names none: the locale's on POSIX, the user interface's
  // on Windows.
  std::string language{kUsEnglish.name};
  // The Windows directory of the running system, whose files --search-text reads where the
  // platform's own tables are used; empty elsewhere.
  std::filesystem::path windowsDirectory;
  // Called with the exit status once the queries' or the scan's output is written, before the
  // database and the message files are closed: the program ends there, as the end of the
  // process releases them at once. Empty: RunCommand returns.
  std::function<void(int status)> finished;
};

// Answers the queries (or the search) on out, reasons for trouble on err, and returns the exit
// status: 0 every query found something, 1 some found nothing, 2 a query was rejected or a
// file could not be opened. Throws what out throws when a write fails.
int RunCommand(const Options& options, CommandPlatform platform, std::istream& in,
               std::ostream& out, std::ostream& err);

}  // namespace quillon
