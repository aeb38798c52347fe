// The whole job of the tool: read the SDK headers, work out the codes, write the database.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/make_defines/define_catalog.h"

namespace quillon::make_defines {

struct Generation {
  std::string error;  // empty on success; then output holds the new database
  Catalog catalog;
  std::vector<std::filesystem::path> headersRead;
};

// Reads every header of rules from includeDirectory and writes output. Fails, leaving any
// existing output as it was, when a header cannot be read, when a table would be empty
// (the headers are not what they should be) or when the database cannot be written.
Generation GenerateDefines(const std::filesystem::path& includeDirectory,
                           const std::vector<HeaderRule>& rules,
                           const std::filesystem::path& output);

// Rows per table, in ErrorType order.
std::array<std::size_t, 4> CountRows(const std::vector<DefineRow>& rows);

// A make-style dependency line "output: input...", blanks in paths escaped.
std::string DepfileText(const std::filesystem::path& output,
                        const std::vector<std::filesystem::path>& inputs);

}  // namespace quillon::make_defines
