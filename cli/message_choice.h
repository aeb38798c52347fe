// Where descriptions come from: the platform's own tables, the files of a Windows directory or
// of Wine, the user's own modules, or none.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "cli/options.h"
#include "lookup/file_message_source.h"
#include "lookup/language_names.h"
#include "lookup/message_source.h"

namespace quillon {

// What the platform offers: its own tables (null where there are none) and the running system's
// Windows directory, whose files a search reads (empty where none).
struct PlatformMessages {
  std::unique_ptr<MessageSource> ownMessages;
  std::filesystem::path windowsDirectory;
};

struct ChosenMessages {
  std::unique_ptr<MessageSource> source;
  FileMessageSource* files = nullptr;  // source itself when it reads files; else null
  // The platform's own tables answer, whose codes cannot be listed.
  bool platformTables = false;
};

// False, said on err, when a --module is no readable file with a message table or the --windows
// folder cannot be read: a typing error must not pass as a system without tables.
bool CheckMessageOptions(const Options& options, std::ostream& err);

// The source the options ask for; where it holds no tables, one line on err says so.
ChosenMessages ChooseMessages(const Options& options, PlatformMessages platform,
                              const Language& language, std::ostream& err);

}  // namespace quillon
