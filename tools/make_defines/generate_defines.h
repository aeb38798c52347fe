// The whole job of the tool: read the SDK headers, work out the codes, write the database.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/make_defines/define_catalog.h"
#include "tools/make_defines/documentation_merge.h"
#include "tools/make_defines/listed_codes.h"
#include "tools/make_defines/setup_codes.h"
#include "tools/make_defines/support_pages.h"

namespace quillon::make_defines {

// One independent set of headers: its own names, values and macros.
struct HeaderSet {
  std::filesystem::path directory;
  std::string label;  // put before each file name in the Header column, e.g. "wine/"
  std::vector<HeaderRule> rules;
  // An older release of the set before it: it adds only the names that set lacks (so none
  // is lost with an upgrade), and the names each has that the other lacks are reported.
  bool olderRelease = false;
};

// Everything a database is made from: header sets in order of authority, and the two lists
// kept as data (empty paths: none).
struct Sources {
  std::vector<HeaderSet> headerSets;
  std::filesystem::path bugCheckList;  // merged after the headers
  std::filesystem::path statusMap;
  std::filesystem::path supportDocs{};  // the unpacked support pages (SOURCES.tsv and the pages)
  // The unpacked documentation archives (ReadDocumentation), merged after everything else.
  std::filesystem::path documentation;
};

struct Generation {
  std::string error;  // empty on success; then output holds the new database
  Catalog catalog;
  std::vector<std::filesystem::path> headersRead;  // and the lists read
  std::vector<StatusMapping> statusMap;
  // Names of the first header set that its older release lacks, and the other way round.
  std::vector<std::string> addedByNewer;
  std::vector<std::string> droppedByNewer;
  // The support pages' codes (for the merge of documented codes) and setup's tables.
  SupportReading support;
  SetupCodes setup;
  Documentation documentation;
  std::vector<std::string> pagesLeftOut;  // of other numbering schemes
};

// Reads every header of every set and writes output. Each set is worked out on its own and
// the sets merged in order (MergeCatalogs), so the first set's value of a name they both
// have stays the one found first. Fails, leaving any existing output as it was, when a
// header cannot be read, when a table would be empty (the headers are not what they should
// be) or when the database cannot be written.
Generation GenerateDefines(const Sources& sources, const std::filesystem::path& output);
Generation GenerateDefines(const std::vector<HeaderSet>& sets, const std::filesystem::path& output);

// Rows per table, in ErrorType order.
std::array<std::size_t, 4> CountRows(const std::vector<DefineRow>& rows);

// Rows per table and per header (most rows first), the names left out, the number of
// disagreements and of facility names, the mapped NTSTATUS values and what the newer
// headers added and dropped, as the tool prints them.
std::string SummaryText(const Generation& generation);

// What the report file adds to the summary: the support pages one by one, what they say
// differently and what could not be used.
std::string DetailsText(const Generation& generation);

// Every disagreement, one a line: table, name, and each set's value with its header.
std::string DisagreementsText(const std::vector<Disagreement>& disagreements);

// A make-style dependency line "output: input...", blanks in paths escaped.
std::string DepfileText(const std::filesystem::path& output,
                        const std::vector<std::filesystem::path>& inputs);

}  // namespace quillon::make_defines
