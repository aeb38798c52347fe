// What each step of a run reads and where it writes, handed as two values rather than as a
// row of parameters.
#pragma once

#include <iosfwd>
#include <string>

#include "core/output_writer.h"
#include "lookup/define_rows.h"
#include "lookup/documentation_rows.h"
#include "lookup/message_source.h"

namespace quillon {

class FileMessageSource;

// The message tables and the database, with the database's name as messages show it.
struct RunTables {
  MessageSource& messages;
  DefineRows& defines;
  std::string databaseName;  // escaped for a terminal
  // The documentation's remedies and bug-check parameters (null: left out), and setup's rows.
  const DocumentationRows* documentation;
  const DocumentationRows* setupRows;
  // The message tables' files when messages reads files (null: the platform's own tables).
  FileMessageSource* files = nullptr;
  // The platform's own tables answer: what they know cannot be listed.
  bool platformTables = false;
};

// The writer of the run's format, standard output and standard error.
struct RunOutput {
  const OutputWriter& writer;
  std::ostream& out;
  std::ostream& err;
};

}  // namespace quillon
