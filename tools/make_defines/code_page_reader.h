// Reads a published page of error codes, whichever of the pages' markups it uses: anchored
// entries (a bold name, then its value and text, as paragraphs or as an HTML definition list)
// and tables (Markdown or HTML, the name and value in a definition list or in columns of any
// order).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/make_defines/documented_code.h"

namespace quillon::make_defines {

// What a table of a page gave, row by row, for a translation of the page to be read by.
struct TableReading {
  std::size_t columns = 0;
  std::optional<std::size_t> textColumn;  // where most rows had their text
  std::vector<std::optional<DocumentedCode>> rows;
};

struct CodePageReading {
  DocumentedPage page;
  std::vector<TableReading> tables;  // in the page's order
};

// Every code of the page. A name comes from an anchor (<span id="NAME">), which translation
// leaves alone, or, on an English page only, from a cell or a "value (NAME)" spelling; a
// translated page's visible names are never taken. A translated page is read with its English
// page (english): a table of the same shape (columns and rows) takes each row's name and value
// from the English row and its text from the same column; other tables are read on their own
// (anchors and values). Codes whose value is 0xFFFF or less get the kind Win32 when
// smallValuesAreWin32, else no kind (the merge decides by name). A page that yields no code
// sets error to a reason.
CodePageReading ReadCodePage(std::string_view text, const DocumentPage& page,
                             bool smallValuesAreWin32, const CodePageReading* english,
                             std::string& error);

}  // namespace quillon::make_defines
