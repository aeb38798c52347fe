// Unicode's simple case folding, for matching text without regard to case.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

// The code point point folds to (U+0141 Ł to U+0142 ł, U+0414 Д to U+0434 д); itself when it
// has no folding of one code point (ß stays ß).
std::uint32_t FoldCase(std::uint32_t point);

// text with every character folded; bytes that are no UTF-8 stay as they are.
std::string FoldUtf8Case(std::string_view text);

}  // namespace quillon
