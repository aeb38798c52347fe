#include "core/documented_search.h"

#include <algorithm>
#include <utility>

#include "core/readings.h"

namespace quillon {

void AddDocumentedFinds(std::vector<KindAnswer>& found, const DocumentationRows& documentation,
                        MessageSource& source, const DefineRows& defines, std::string_view needle) {
  const std::size_t before = found.size();
  for (const DocumentedCodeRef& code : documentation.SearchTexts(needle)) {
    const auto same = [&code](const KindAnswer& match) {
      return match.type == code.type && match.value == code.value;
    };
    if (std::any_of(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(before), same)) {
      continue;
    }
    ReadingAnswer answer = Answer(Reading{ReadingKind::Hex, code.value, {}}, source, defines);
    for (KindAnswer& match : answer.matches) {
      if (same(match) && match.description) {
        found.push_back(std::move(match));
        break;
      }
    }
  }
  std::stable_sort(found.begin(), found.end(), [](const KindAnswer& a, const KindAnswer& b) {
    return std::pair(a.type, a.value) < std::pair(b.type, b.value);
  });
}

}  // namespace quillon
