// A search of the documentation's texts, its codes answered as a lookup answers them.
#pragma once

#include <string_view>
#include <vector>

#include "core/answers.h"
#include "lookup/define_rows.h"
#include "lookup/documentation_rows.h"
#include "lookup/message_source.h"

namespace quillon {

// Adds to found the codes whose documentation text holds needle that found does not hold
// already, each answered from source as a lookup answers it, and sorts found by kind and value.
void AddDocumentedFinds(std::vector<KindAnswer>& found, const DocumentationRows& documentation,
                        MessageSource& source, const DefineRows& defines, std::string_view needle);

}  // namespace quillon
