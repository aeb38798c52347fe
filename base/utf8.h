// UTF-8 as every layer writes it: message tables' UTF-16 and code pages, folded text.
#pragma once

#include <cstdint>
#include <string>

namespace quillon {

// Appends point (at most 0x10FFFF; surrogates are the caller's to refuse) as UTF-8.
inline void AppendUtf8(std::string& out, std::uint32_t point) {
  const auto put = [&out](std::uint32_t value) { out.push_back(static_cast<char>(value)); };
  if (point < 0x80) {
    put(point);
  } else if (point < 0x800) {
    put(0xC0 | (point >> 6));
    put(0x80 | (point & 0x3F));
  } else if (point < 0x10000) {
    put(0xE0 | (point >> 12));
    put(0x80 | ((point >> 6) & 0x3F));
    put(0x80 | (point & 0x3F));
  } else {
    put(0xF0 | (point >> 18));
    put(0x80 | ((point >> 12) & 0x3F));
    put(0x80 | ((point >> 6) & 0x3F));
    put(0x80 | (point & 0x3F));
  }
}

}  // namespace quillon
