// Reads a published bug-check page: the code, its name, the description paragraph, what each of
// the four parameters means and, where the page has one, its table of causes keyed by the value
// of a parameter.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/make_defines/documented_code.h"

namespace quillon::make_defines {

struct BugCheckParameter {
  int number = 0;  // 1 to 4
  std::string meaning;

  bool operator==(const BugCheckParameter&) const = default;
};

// One row of a table of causes: when parameter `parameter` holds `value`, this is the cause,
// and the other parameters mean what `parameters` says.
struct BugCheckCase {
  int parameter = 1;
  std::optional<std::uint32_t> value;  // none when the page gives no number ("Other")
  std::string valueText;               // the key as the page writes it
  std::string cause;
  std::vector<BugCheckParameter> parameters;
};

struct DocumentedBugCheck {
  DocumentPage page;
  std::uint32_t code = 0;
  std::string name;
  std::string description;
  std::vector<BugCheckParameter> parameters;
  std::vector<BugCheckCase> cases;
};

// The code comes from the file name (bug-check-0x133-...), the name from the front matter's
// api_name (a translated title is mangled). On a page without a code in its name, error says so.
DocumentedBugCheck ReadBugCheckPage(std::string_view text, const DocumentPage& page,
                                    std::string& error);

}  // namespace quillon::make_defines
