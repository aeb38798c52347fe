#include "query/classify_query.h"

#include "query/text_routines.h"

namespace quillon {

namespace {

// Only this many leading characters decide whether the text has a define's shape.
constexpr std::size_t kNumberCutLength = 11;

QueryVerdict Reject(std::string_view message, bool defineMode = false) {
  QueryVerdict verdict;
  verdict.kind = QueryVerdict::Kind::Rejection;
  verdict.message = message;
  verdict.defineMode = defineMode;
  return verdict;
}

QueryVerdict Number(std::uint32_t value) {
  QueryVerdict verdict;
  verdict.kind = QueryVerdict::Kind::Number;
  verdict.number = value;
  return verdict;
}

QueryVerdict DefineName(std::string name) {
  QueryVerdict verdict;
  verdict.kind = QueryVerdict::Kind::DefineName;
  verdict.defineName = std::move(name);
  return verdict;
}

QueryVerdict ClassifyDefine(std::string_view queryText) {
  if (queryText.front() == '_')
    return Reject(kInvalidDefineMessage);
  std::string name(queryText);
  if (!CheckDefineName(name))
    return Reject(kInvalidDefineMessage, /*defineMode=*/true);
  return DefineName(std::move(name));
}

// number is in lower case and starts with "0x".
QueryVerdict ClassifyHex(std::string_view number) {
  if (number.size() <= 2)
    return Reject(kMissingHexDigitsMessage);
  const std::string_view digits = number.substr(2);
  if (!IsHexDigits(digits))
    return Reject(kInvalidHexMessage);
  // Leading zeros of any count: 0x0 and 0x000000000001 are numbers.
  const std::optional<std::uint32_t> value = ParseDigits(digits, 16, 0xFFFFFFFFu);
  if (!value)
    return Reject(kHexTooBigMessage);
  return Number(*value);
}

QueryVerdict ClassifyDecimal(std::string_view number) {
  const int lastDash = LastDashPosition(number);
  if (lastDash > 1) {
    return Reject(CountText(number, "-") > 1 ? kTooManyDashesMessage : kDashNotFirstMessage);
  }
  if (lastDash == 1) {
    if (number.size() == 1)
      return Reject(kMissingDigitsAfterDashMessage);
    if (!IsDecimalDigits(number.substr(1)))
      return Reject(kInvalidDwordMessage);
  } else if (!IsDecimalDigits(number)) {
    return Reject(kInvalidDwordMessage);
  }
  // The text must be a signed 32-bit value as it is written back: no leading zeros, no "-0",
  // from -2147483648 to 2147483647.
  const bool negative = lastDash == 1;
  const std::string_view digits = number.substr(negative ? 1 : 0);
  const bool written = digits.size() == 1 ? !(negative && digits == "0") : digits.front() != '0';
  constexpr std::uint32_t kLargestPositive = 0x7FFFFFFFu;
  const std::optional<std::uint32_t> magnitude =
      written ? ParseDigits(digits, 10, negative ? kLargestPositive + 1 : kLargestPositive)
              : std::nullopt;
  if (!magnitude)
    return Reject(kNumberTooBigMessage);
  return Number(negative ? 0u - *magnitude : *magnitude);
}

}  // namespace

QueryVerdict ClassifyQuery(std::string_view queryText) {
  if (queryText.empty())
    return Reject(kNothingToSearchMessage);

  const std::string_view numberCut = queryText.substr(0, kNumberCutLength);
  if (CountText(numberCut, "_") != 0)
    return ClassifyDefine(queryText);

  // The number rules read the whole text, not only its first characters: judging a cut-off
  // prefix would answer for a number the user never typed (0x00000000001 as 0,
  // -21474836480 as -2147483648).
  std::string number(queryText);
  ToLowerAscii(number);  // "0X" reads as "0x", hex letters as lower case
  const int hexPrefix = FindText(0, number, "0x");
  if (hexPrefix == -1)
    return ClassifyDecimal(number);
  if (CountText(number, "0x") > 1)
    return Reject(kMoreThanOneHexPrefixMessage);
  if (hexPrefix != 0)
    return Reject(kHexPrefixNotFirstMessage);
  return ClassifyHex(number);
}

}  // namespace quillon
