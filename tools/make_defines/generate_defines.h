// The whole job of the tool: read the SDK headers, work out the codes, write the database.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/make_defines/define_catalog.h"

namespace quillon::make_defines {

// One independent set of headers: its own names, values and macros.
struct HeaderSet {
  std::filesystem::path directory;
  std::string label;  // put before each file name in the Header column, e.g. "wine/"
  std::vector<HeaderRule> rules;
};

struct Generation {
  std::string error;  // empty on success; then output holds the new database
  Catalog catalog;
  std::vector<std::filesystem::path> headersRead;
};

// Reads every header of every set and writes output. Each set is worked out on its own and
// the sets merged in order (MergeCatalogs), so the first set's value of a name they both
// have stays the one found first. Fails, leaving any existing output as it was, when a
// header cannot be read, when a table would be empty (the headers are not what they should
// be) or when the database cannot be written.
Generation GenerateDefines(const std::vector<HeaderSet>& sets, const std::filesystem::path& output);

// Rows per table, in ErrorType order.
std::array<std::size_t, 4> CountRows(const std::vector<DefineRow>& rows);

// Rows per table and per header (most rows first), the names left out and the number of
// disagreements, as the tool prints them.
std::string SummaryText(const Catalog& catalog);

// Every disagreement, one a line: table, name, and each set's value with its header.
std::string DisagreementsText(const std::vector<Disagreement>& disagreements);

// A make-style dependency line "output: input...", blanks in paths escaped.
std::string DepfileText(const std::filesystem::path& output,
                        const std::vector<std::filesystem::path>& inputs);

}  // namespace quillon::make_defines
