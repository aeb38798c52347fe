// A support page's structure: its sections under their headings, the tables of a section
// (Markdown rows, or HTML tables and the ones nested in them) and its first paragraphs.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::make_defines {

struct Section {
  int level = 0;  // 0: the text before the first heading
  std::string title;
  std::vector<std::string> body;  // as written, code blocks kept
};

using Row = std::vector<std::string>;  // cells, as markup

// Sections at each "## Title" or "<h2>Title</h2>" outside code blocks.
std::vector<Section> SplitSections(const std::vector<std::string>& lines);

// Each table of a section's body as rows of cells; the first row of a Markdown table is its
// header, an HTML table's header is the row of header words, wherever it is. The resolution
// procedures' three small tables per pair (Code, Cause, Mitigation) become one row each
// under a header row of those words.
std::vector<std::vector<Row>> Tables(const std::vector<std::string>& body);

// The row's cells as plain text, the empty ones left out.
std::vector<std::string> NonEmptyPlain(const Row& row);

// The first paragraph of a body and, when it ends with ':', the list after it (the first line
// of each item, one a line); or the list it starts with. Notes, pictures, includes and code
// blocks are passed over.
std::vector<std::string> Summary(const std::vector<std::string>& body);

// The body after a bold label line ("**Cause:**", "**Solution:**") that is one of labels
// (lower case, with the colon), up to the next label.
std::vector<std::string> LabelledPart(const std::vector<std::string>& body,
                                      std::initializer_list<std::string_view> labels);

}  // namespace quillon::make_defines
