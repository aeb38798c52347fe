#include "core/case_folding.h"

#include <algorithm>
#include <iterator>

#include "base/utf8.h"

namespace quillon {

namespace {

struct Folding {
  std::uint32_t from;
  std::uint32_t to;
};

// Built from the Unicode data the build machine carries (Debian's unicode-data).
constexpr Folding kFoldings[] = {
#include "case_folding_table.inc"
};

// The code point that starts text and its length in bytes; a length of 0 when text starts with
// no well-formed UTF-8 character (a stray, cut or overlong sequence, a surrogate).
std::pair<std::uint32_t, std::size_t> DecodeUtf8(std::string_view text) {
  const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  std::uint32_t point = 0;
  std::uint32_t least = 0;
  if (lead < 0x80) {
    return {lead, 1};
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, point = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, point = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, point = lead & 0x07, least = 0x10000;
  } else {
    return {0, 0};
  }
  if (text.size() < length) {
    return {0, 0};
  }
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) {
      return {0, 0};
    }
    point = (point << 6) | (byte(i) & 0x3F);
  }
  if (point < least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
    return {0, 0};
  }
  return {point, length};
}

}  // namespace

std::uint32_t FoldCase(std::uint32_t point) {
  const auto found = std::lower_bound(std::begin(kFoldings), std::end(kFoldings), point,
                                      [](const Folding& f, std::uint32_t p) { return f.from < p; });
  return found != std::end(kFoldings) && found->from == point ? found->to : point;
}

std::string FoldUtf8Case(std::string_view text) {
  std::string folded;
  folded.reserve(text.size());
  while (!text.empty()) {
    const auto [point, length] = DecodeUtf8(text);
    if (length == 0) {
      folded += text.front();
      text.remove_prefix(1);
      continue;
    }
    AppendUtf8(folded, FoldCase(point));
    text.remove_prefix(length);
  }
  return folded;
}

}  // namespace quillon
