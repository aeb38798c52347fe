#include "query/classify_query.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "query/text_routines.h"

namespace quillon {
namespace {

using namespace std::string_literals;
using Kind = QueryVerdict::Kind;

struct Expected {
  Kind kind;
  std::uint32_t number = 0;
  std::string defineName;
  std::string_view message;
  bool defineMode = false;
};

Expected IsNumber(std::uint32_t value) {
  return {Kind::Number, value, {}, {}, false};
}
Expected IsDefine(std::string name) {
  return {Kind::DefineName, 0, std::move(name), {}, false};
}
Expected IsRejected(std::string_view message, bool defineMode = false) {
  return {Kind::Rejection, 0, {}, message, defineMode};
}

struct Row {
  std::string text;
  Expected expected;
};

std::string Escaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 32 && byte < 127) {
      out += c;
    } else {
      out += "\\x" + FormatHex8(byte).substr(6);
    }
  }
  return out;
}

void ExpectVerdict(const Row& row) {
  SCOPED_TRACE("query \"" + Escaped(row.text) + "\"");
  const QueryVerdict verdict = ClassifyQuery(row.text);
  ASSERT_EQ(row.expected.kind, verdict.kind);
  switch (verdict.kind) {
    case Kind::Number:
      EXPECT_EQ(row.expected.number, verdict.number);
      break;
    case Kind::DefineName:
      EXPECT_EQ(row.expected.defineName, verdict.defineName);
      break;
    case Kind::Rejection:
      EXPECT_EQ(row.expected.message, verdict.message);
      EXPECT_EQ(row.expected.defineMode, verdict.defineMode);
      break;
  }
}

TEST(ClassifyQuery, FollowsTheDecisionTable) {
  const std::vector<Row> rows = {
      {"", IsRejected(kNothingToSearchMessage)},
      {"_ABC", IsRejected(kInvalidDefineMessage)},
      {"_", IsRejected(kInvalidDefineMessage)},
      {"ABC_DEF", IsDefine("ABC_DEF")},
      {"abc_def", IsDefine("ABC_DEF")},
      {"0x5_", IsDefine("0X5_")},
      {"AB_C-D", IsRejected(kInvalidDefineMessage, /*defineMode=*/true)},
      {"ABCDEFGHIJKL_M", IsRejected(kInvalidDwordMessage)},
      {"ABC", IsRejected(kInvalidDwordMessage)},
      {"abc", IsRejected(kInvalidDwordMessage)},
      {"12X", IsRejected(kInvalidDwordMessage)},
      {"0", IsNumber(0)},
      {"00", IsRejected(kNumberTooBigMessage)},
      {"00012", IsRejected(kNumberTooBigMessage)},
      {"4294967300", IsRejected(kNumberTooBigMessage)},
      {"2147483647", IsNumber(0x7FFFFFFFu)},
      {"2147483648", IsRejected(kNumberTooBigMessage)},
      {"4294967295", IsRejected(kNumberTooBigMessage)},
      {"-", IsRejected(kMissingDigitsAfterDashMessage)},
      {"-5", IsNumber(0xFFFFFFFBu)},
      {"-0", IsRejected(kNumberTooBigMessage)},
      {"-2147483648", IsNumber(0x80000000u)},
      {"-2147483649", IsRejected(kNumberTooBigMessage)},
      {"-1A", IsRejected(kInvalidDwordMessage)},
      {"1-2", IsRejected(kDashNotFirstMessage)},
      {"5-", IsRejected(kDashNotFirstMessage)},
      {"--5", IsRejected(kTooManyDashesMessage)},
      {"-5-", IsRejected(kTooManyDashesMessage)},
      {"0x", IsRejected(kMissingHexDigitsMessage)},
      {"0X", IsRejected(kMissingHexDigitsMessage)},
      {"0X1F", IsNumber(0x1F)},
      {"0x1f", IsNumber(0x1F)},
      {"0x0001F", IsNumber(0x1F)},
      {"0x0", IsNumber(0)},
      {"0x00000000", IsNumber(0)},
      {"0xFFFFFFFF", IsNumber(0xFFFFFFFFu)},
      {"0x123456789", IsRejected(kHexTooBigMessage)},
      {"0x1FFFFFFFF", IsRejected(kHexTooBigMessage)},
      {"0x1G", IsRejected(kInvalidHexMessage)},
      {"0x-1", IsRejected(kInvalidHexMessage)},
      {"0x0x1", IsRejected(kMoreThanOneHexPrefixMessage)},
      {"10x5", IsRejected(kHexPrefixNotFirstMessage)},
      {"-0x5", IsRejected(kHexPrefixNotFirstMessage)},
  };
  for (const Row& row : rows) ExpectVerdict(row);
}

// Judging only the first eleven characters of a long number answered for a number the user
// never typed; the whole text decides instead. These rows differ from what a cut-off reading
// gave (0 and -2147483648) or keep its answer for the right reason.
TEST(ClassifyQuery, JudgesLongNumbersOnTheirWholeText) {
  const std::vector<Row> rows = {
      {"0x00000000001", IsNumber(1)},
      {"-21474836480", IsRejected(kNumberTooBigMessage)},
      {"123456789012", IsRejected(kNumberTooBigMessage)},
      {"0x1234567890", IsRejected(kHexTooBigMessage)},
      {"0x0000000000000000000000FFFFFFFF", IsNumber(0xFFFFFFFFu)},
      {"0x000000000000000000000000000000", IsNumber(0)},
      {"000000000000000000000000000005", IsRejected(kNumberTooBigMessage)},
      {"-4294967300", IsRejected(kNumberTooBigMessage)},
      {"123456789010x5", IsRejected(kHexPrefixNotFirstMessage)},
      {"0x0000000001g", IsRejected(kInvalidHexMessage)},
      {"1234567890123-", IsRejected(kDashNotFirstMessage)},
      {"12345678901A", IsRejected(kInvalidDwordMessage)},
      {std::string(136, '9'), IsRejected(kNumberTooBigMessage)},
  };
  for (const Row& row : rows) ExpectVerdict(row);
}

TEST(ClassifyQuery, LooksForTheDefineUnderscoreInTheFirstElevenCharactersOnly) {
  const std::string longName = "A_" + std::string(134, 'b');
  std::string longNameUpper = longName;
  ToUpperAscii(longNameUpper);
  const std::vector<Row> rows = {
      {"ABCDEFGHIJ_", IsDefine("ABCDEFGHIJ_")},
      {"abcdefghij_klmnop", IsDefine("ABCDEFGHIJ_KLMNOP")},
      {"ABCDEFGHIJK_", IsRejected(kInvalidDwordMessage)},
      {"12345678901_", IsRejected(kInvalidDwordMessage)},
      {"0x123456789_", IsRejected(kInvalidHexMessage)},
      {longName, IsDefine(longNameUpper)},
      {"A_" + std::string(134, '-'), IsRejected(kInvalidDefineMessage, true)},
      {"E_ACCESSDENIED", IsDefine("E_ACCESSDENIED")},
      {"ERROR_FILE_NOT_FOUND", IsDefine("ERROR_FILE_NOT_FOUND")},
      {"A_", IsDefine("A_")},
      {"5_", IsDefine("5_")},
      {"__A", IsRejected(kInvalidDefineMessage)},
      {"A__", IsDefine("A__")},
      {"AB_C D", IsRejected(kInvalidDefineMessage, true)},
      {"AB_C\xE9", IsRejected(kInvalidDefineMessage, true)},
      {"AB_C'; DROP TABLE Win32;--", IsRejected(kInvalidDefineMessage, true)},
  };
  for (const Row& row : rows) ExpectVerdict(row);
}

TEST(ClassifyQuery, HandlesHexPrefixAndLetterCase) {
  const std::vector<Row> rows = {
      {"0XaBcDeF", IsNumber(0xABCDEF)},
      {"0xabcdef", IsNumber(0xABCDEF)},
      {"0x80000000", IsNumber(0x80000000u)},
      {"0X7fffffff", IsNumber(0x7FFFFFFFu)},
      {"0x80070005", IsNumber(0x80070005u)},
      {"0x00000000000", IsNumber(0)},
      {"0x000000001", IsNumber(1)},
      {"0x 1", IsRejected(kInvalidHexMessage)},
      {"0x0X", IsRejected(kMoreThanOneHexPrefixMessage)},
      {"00x1", IsRejected(kHexPrefixNotFirstMessage)},
      {"x1", IsRejected(kInvalidDwordMessage)},
      {"-0x", IsRejected(kHexPrefixNotFirstMessage)},
  };
  for (const Row& row : rows) ExpectVerdict(row);
}

TEST(ClassifyQuery, RejectsBadDecimalTexts) {
  const std::vector<Row> rows = {
      {"-007", IsRejected(kNumberTooBigMessage)},
      {"+5", IsRejected(kInvalidDwordMessage)},
      {" 5", IsRejected(kInvalidDwordMessage)},
      {"5 ", IsRejected(kInvalidDwordMessage)},
      {"5\0"s, IsRejected(kInvalidDwordMessage)},
      {"-x", IsRejected(kInvalidDwordMessage)},
      {"--", IsRejected(kTooManyDashesMessage)},
      {"1", IsNumber(1)},
      {"-1", IsNumber(0xFFFFFFFFu)},
      {"-2147483647", IsNumber(0x80000001u)},
  };
  for (const Row& row : rows) ExpectVerdict(row);
}

// ---- Properties over generated texts ----

std::uint32_t FuzzSeed() {
  if (const char* text = std::getenv("QUILLON_FUZZ_SEED")) {
    return static_cast<std::uint32_t>(std::strtoul(text, nullptr, 10));
  }
  return 20240611u;
}

std::string RandomBytes(std::mt19937& rng) {
  std::uniform_int_distribution<std::size_t> length(0, kQueryMaxLength);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string text(length(rng), '\0');
  for (char& c : text) c = static_cast<char>(byte(rng));
  return text;
}

// Favours the pieces numbers and defines are made of, so that the rules past the first
// rejection are reached often.
std::string RandomQueryLike(std::mt19937& rng) {
  static const std::vector<std::string_view> kPieces = {
      "0", "0", "1", "7", "9", "4294967295", "2147483648", "-",        "0x", "0X",  "x",
      "_", "f", "F", "a", "G", "Z",          "00000000",   "FFFFFFFF", " ",  "\xE9"};
  std::uniform_int_distribution<std::size_t> pieceCount(0, 14);
  std::uniform_int_distribution<std::size_t> pick(0, kPieces.size() - 1);
  std::string text;
  for (std::size_t i = pieceCount(rng); i > 0; --i) text += kPieces[pick(rng)];
  if (text.size() > kQueryMaxLength)
    text.resize(kQueryMaxLength);
  return text;
}

bool IsCanonicalInt32(std::string_view text) {
  std::int32_t value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size() &&
         FormatDecimal(value) == text;
}

// lower is in lower case.
bool IsShortHex(std::string_view lower) {
  if (lower.size() <= 2 || lower.substr(0, 2) != "0x")
    return false;
  const std::string_view rest = lower.substr(2);
  return std::all_of(rest.begin(), rest.end(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }) &&
         SkipZeros(rest).size() <= 8;
}

::testing::AssertionResult VerdictIsSound(std::string_view text, const QueryVerdict& verdict) {
  std::string lower(text);
  ToLowerAscii(lower);
  const bool hex = lower.find("0x") != std::string::npos;
  switch (verdict.kind) {
    case Kind::DefineName: {
      const bool safeBytes = std::all_of(
          verdict.defineName.begin(), verdict.defineName.end(),
          [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == '_'; });
      std::string upper(text);
      ToUpperAscii(upper);
      if (!safeBytes || upper != verdict.defineName || verdict.defineName.front() == '_' ||
          upper.substr(0, 11).find('_') == std::string::npos) {
        return ::testing::AssertionFailure() << "bad define name " << verdict.defineName;
      }
      return ::testing::AssertionSuccess();
    }
    case Kind::Number: {
      if (!hex) {
        if (FormatSigned(verdict.number) != text) {
          return ::testing::AssertionFailure()
                 << "decimal formats back as " << FormatSigned(verdict.number);
        }
        return ::testing::AssertionSuccess();
      }
      if (lower.rfind("0x", 0) != 0) {
        return ::testing::AssertionFailure() << "hex number without a leading 0x";
      }
      const std::string_view digits = SkipZeros(std::string_view(lower).substr(2));
      std::string check(SkipZeros(FormatHex8(verdict.number)));
      ToLowerAscii(check);
      if (digits != check) {
        return ::testing::AssertionFailure() << "hex formats back as " << check;
      }
      return ::testing::AssertionSuccess();
    }
    case Kind::Rejection: {
      if (std::find(kRejectionMessages.begin(), kRejectionMessages.end(), verdict.message) ==
          kRejectionMessages.end()) {
        return ::testing::AssertionFailure() << "unknown message " << verdict.message;
      }
      if (verdict.defineMode && verdict.message != kInvalidDefineMessage) {
        return ::testing::AssertionFailure() << "define mode with " << verdict.message;
      }
      // Every canonical 32-bit decimal and every hex text of up to eight significant digits
      // must be accepted.
      if (IsCanonicalInt32(text) || IsShortHex(lower)) {
        return ::testing::AssertionFailure() << "valid number rejected: " << verdict.message;
      }
      return ::testing::AssertionSuccess();
    }
  }
  return ::testing::AssertionFailure() << "unknown verdict kind";
}

TEST(ClassifyQuery, GivesSoundVerdictsForArbitraryBytes) {
  const std::uint32_t seed = FuzzSeed();
  std::mt19937 rng(seed);
  for (int i = 0; i < 20000; ++i) {
    const std::string text = RandomBytes(rng);
    ASSERT_TRUE(VerdictIsSound(text, ClassifyQuery(text)))
        << "seed " << seed << ", case " << i << ", query \"" << Escaped(text) << "\"";
  }
}

TEST(ClassifyQuery, GivesSoundVerdictsForNumberLikeTexts) {
  const std::uint32_t seed = FuzzSeed();
  std::mt19937 rng(seed);
  int numbers = 0;
  int defines = 0;
  for (int i = 0; i < 50000; ++i) {
    const std::string text = RandomQueryLike(rng);
    const QueryVerdict verdict = ClassifyQuery(text);
    ASSERT_TRUE(VerdictIsSound(text, verdict))
        << "seed " << seed << ", case " << i << ", query \"" << Escaped(text) << "\"";
    numbers += verdict.kind == Kind::Number;
    defines += verdict.kind == Kind::DefineName;
  }
  // The generator is only useful if it reaches the accepting paths.
  EXPECT_GT(numbers, 100);
  EXPECT_GT(defines, 100);
}

TEST(ClassifyQuery, AcceptsEveryCanonicalInt32Text) {
  const std::uint32_t seed = FuzzSeed();
  std::mt19937 rng(seed);
  std::uniform_int_distribution<std::uint32_t> value;
  for (int i = 0; i < 20000; ++i) {
    const std::uint32_t expected = i < 2 ? (i == 0 ? 0x80000000u : 0x7FFFFFFFu) : value(rng);
    for (const std::string& text : {FormatSigned(expected), "0x" + FormatHex8(expected)}) {
      const QueryVerdict verdict = ClassifyQuery(text);
      ASSERT_EQ(Kind::Number, verdict.kind) << "seed " << seed << ", query " << text;
      ASSERT_EQ(expected, verdict.number) << "seed " << seed << ", query " << text;
    }
  }
}

}  // namespace
}  // namespace quillon
