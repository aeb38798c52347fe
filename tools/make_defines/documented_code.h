// What a published documentation page says about one code, as the page readers hand it to
// the generator: the rows the headers lack, the descriptions, the remedies.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/error_type.h"

namespace quillon::make_defines {

// A page as the build reads it: its path inside the published repository (what the database
// names as the text's source) and its language tag ("en-US", "de-DE", ...).
struct DocumentPage {
  std::string path;
  std::string language;
  std::string family;  // "wmi", "com", "windows update", ...: the Header of the rows it adds
};

// One code as a page documents it. A row may lack a value (the page gives a name and a text:
// joined to the headers by name) or a name (a value and a text).
struct DocumentedCode {
  std::optional<std::uint32_t> value;
  std::optional<ErrorType> kind;      // when the page says; otherwise worked out from the value
  std::string name;                   // the real name (from an anchor), never a translated one
  std::string text;                   // one paragraph of plain text, markup removed
  std::vector<std::string> remedies;  // what to do: a paragraph, or one step a line
};

struct DocumentedPage {
  DocumentPage page;
  std::vector<DocumentedCode> codes;
  std::size_t rowsRead = 0;  // every row the reader saw, kept or not, for the report
};

}  // namespace quillon::make_defines
