#include "about/about_totals.h"

#include <array>

namespace quillon {

namespace {

constexpr std::array<std::int64_t, 4> kFixedTotals = {2527, 1767, 1730, 318};

std::string WithThousands(std::int64_t value) {
  const std::string digits = std::to_string(value < 0 ? -value : value);
  std::string text = value < 0 ? "-" : "";
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) {
      text += ',';
    }
    text += digits[i];
  }
  return text;
}

}  // namespace

std::string DefineTotalText(ErrorType type, std::optional<std::int64_t> rows) {
  const std::int64_t shown = rows.value_or(kFixedTotals[static_cast<std::size_t>(type)]);
  return std::string(ErrorTypeName(type)) + ": " + WithThousands(shown);
}

}  // namespace quillon
