// What a run's output is made as: a format, a scan's layout and, for people, a style.
#pragma once

#include <cstddef>

namespace quillon {

// Bytes of output gathered before they are handed on: few writes, and bounded memory however
// much a run finds.
inline constexpr std::size_t kOutputFlushSize = 1 << 16;

enum class OutputFormat {
  Text,  // aligned lines for people
  Json,  // JSON Lines for programs
};

// What a scan writes, in either format.
enum class ScanLayout {
  Lines,    // each line that holds a code, with its codes
  Summary,  // each code once, most frequent first
};

// How text for people looks. Control characters are always shown escaped there; JSON has its
// own escapes and no colour.
struct TextStyle {
  bool color = false;  // kinds, names and found codes coloured
};

}  // namespace quillon
