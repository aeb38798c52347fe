// One support page read into what it says about codes: its table rows, its headings that
// name codes, a page about one code's resolution, and setup's phase and operation tables.
// What the two readers (codes, setup pairs) take their parts from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "query/setup_pair.h"

namespace quillon::make_defines {

struct PageEntry {
  std::vector<std::uint32_t> values;  // codes standing alone
  std::vector<SetupPair> pairs;       // setup's result and extend codes
  std::string name;                   // a define name, or empty
  std::string text;                   // plain text
  std::string cause;                  // plain text
  std::vector<std::string> remedies;  // a paragraph, or one step a line
  bool sharedHeading = false;         // the values come from a heading that names several codes
  bool wholePage = false;             // the resolution of a page about these codes alone
};

// A row of setup's extend code tables ("Hex | Phase", "Hex | Operation").
struct SetupTableRow {
  bool phase = false;  // else an operation
  unsigned number = 0;
  std::string name;
};

struct PageEntries {
  std::vector<PageEntry> entries;
  std::vector<SetupTableRow> setupRows;
  std::vector<std::string> unused;  // what the page said that could not be used
  std::size_t rowsRead = 0;         // table rows and code headings seen
};

// Reads a page's text (LF or CR LF, with or without front matter).
PageEntries ReadPageEntries(std::string_view page);

}  // namespace quillon::make_defines
