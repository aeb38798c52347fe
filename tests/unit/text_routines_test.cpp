#include "query/text_routines.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {
namespace {

using namespace std::string_literals;

TEST(TextRoutines, FormatsSignedDecimalLikePercentLd) {
  struct Row {
    std::uint32_t value;
    std::string_view expected;
  };
  const std::vector<Row> rows = {
      {0, "0"},
      {5, "5"},
      {100, "100"},
      {0xFFFFFFFFu, "-1"},
      {0xFFFFFFFBu, "-5"},
      {0x7FFFFFFFu, "2147483647"},
      {0x80000000u, "-2147483648"},
      {0x80000001u, "-2147483647"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.value);
    EXPECT_EQ(row.expected, FormatSigned(row.value));
    EXPECT_EQ(row.expected, FormatDecimal(static_cast<std::int32_t>(row.value)));
  }
}

TEST(TextRoutines, FormatsEightUpperCaseHexDigits) {
  EXPECT_EQ("0000001F", FormatHex8(0x1F));
  EXPECT_EQ("00000000", FormatHex8(0));
  EXPECT_EQ("FFFFFFFF", FormatHex8(0xFFFFFFFFu));
  EXPECT_EQ("80070005", FormatHex8(0x80070005u));
  EXPECT_EQ("ABCDEF12", FormatHex8(0xABCDEF12u));
}

TEST(TextRoutines, JoinsAtTheEndOfTheCurrentText) {
  std::string dest = "ab";
  EXPECT_EQ("abcd", JoinStrings(dest, {"c", "d"}));
  EXPECT_EQ("abcd", dest);

  // A buffer of zero bytes holds the empty text: the pieces are its whole content.
  std::string zeros(12, '\0');
  EXPECT_EQ("xy", JoinStrings(zeros, {"x", "y"}));

  // Whatever follows the destination's terminator is not part of its text.
  std::string stale = "ab\0zz"s;
  EXPECT_EQ("abc", JoinStrings(stale, {"c"}));

  // A piece ends at its own terminator.
  std::string dest2;
  EXPECT_EQ("ab", JoinStrings(dest2, {"a\0q"s, "b"}));
}

TEST(TextRoutines, ChangesCaseOfAsciiLettersOnly) {
  std::string text = "aZ09_-x\x80\xE9\xC9{@[`";
  ToUpperAscii(text);
  EXPECT_EQ("AZ09_-X\x80\xE9\xC9{@[`", text);
  ToLowerAscii(text);
  EXPECT_EQ("az09_-x\x80\xE9\xC9{@[`", text);
}

TEST(TextRoutines, TrimsLeadingBlanksAndTrailingControlBytes) {
  struct Row {
    std::string name;
    std::string input;
    std::string expected;
  };
  const std::vector<Row> rows = {
      {"blanks round a number", "  12 \t", "12"},
      {"blanks only", " \t ", ""},
      {"line break only", "\r\n", ""},
      {"empty", "", ""},
      {"middle space stays", "1 2", "1 2"},
      {"leading line break is not a blank", "\r\n12", "\r\n12"},
      {"trailing control bytes", "12\x01\x1F\r\n\t ", "12"},
      {"trailing zero bytes", "12\0\0"s, "12"},
      {"middle zero byte stays",
       "1\0"s
       "2",
       "1\0"s
       "2"},
      {"high bytes are kept characters", " \xA0\xFF ", "\xA0\xFF"},
      {"byte 33 is kept", "!\x20", "!"},
      {"leading blanks then control bytes only", "  \x01\x02", ""},
      {"paste with line end", "  0x1F \r\n", "0x1F"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::string text = row.input;
    EXPECT_EQ(row.expected.size(), TrimBlanks(text));
    EXPECT_EQ(row.expected, text);
  }
}

TEST(TextRoutines, TestsDigitsAndDefineNames) {
  EXPECT_TRUE(IsDecimalDigits("0123456789"));
  EXPECT_FALSE(IsDecimalDigits("12x"));
  EXPECT_FALSE(IsDecimalDigits("-1"));
  EXPECT_FALSE(IsDecimalDigits("1\0"s));

  EXPECT_TRUE(IsHexDigits(""));
  EXPECT_TRUE(IsHexDigits("0123456789abcdefABCDEF"));
  EXPECT_FALSE(IsHexDigits("1g"));
  EXPECT_FALSE(IsHexDigits("1G"));
  EXPECT_FALSE(IsHexDigits("@`"));  // neighbours of the letter ranges

  std::string name = "abc_def9";
  EXPECT_TRUE(CheckDefineName(name));
  EXPECT_EQ("ABC_DEF9", name);
  std::string dashed = "a-b";
  EXPECT_FALSE(CheckDefineName(dashed));
  EXPECT_EQ("A-B", dashed);  // upper-cased even when refused
  std::string empty;
  EXPECT_TRUE(CheckDefineName(empty));
  std::string high = "A\xE9";
  EXPECT_FALSE(CheckDefineName(high));
}

TEST(TextRoutines, FindsLastDashAndSkipsZeros) {
  EXPECT_EQ(1, LastDashPosition("-5"));
  EXPECT_EQ(2, LastDashPosition("5-"));
  EXPECT_EQ(2, LastDashPosition("--5"));
  EXPECT_EQ(0, LastDashPosition("5"));
  EXPECT_EQ(0, LastDashPosition(""));

  EXPECT_EQ("10", SkipZeros("0010"));
  EXPECT_EQ("", SkipZeros("000"));
  EXPECT_EQ("", SkipZeros(""));
  EXPECT_EQ("x0", SkipZeros("0x0"));
}

TEST(TextRoutines, FindsPatternWithWildcardsFromStartOffset) {
  struct Row {
    std::string_view name;
    std::size_t start;
    std::string_view text;
    std::string_view pattern;
    int expected;
  };
  const std::vector<Row> rows = {
      {"at start", 0, "0x1f", "0x", 0},
      {"after a digit", 0, "10x5", "0x", 1},
      {"absent", 0, "0", "0x", -1},
      {"empty text", 0, "", "0x", -1},
      {"pattern longer than text", 0, "0", "0x1", -1},
      {"match must lie within the text", 0, "ab", "b*", -1},
      {"start offset skips an earlier match", 1, "0x0x", "0x", 2},
      {"start offset at the match", 2, "0x0x", "0x", 2},
      {"start offset at the end", 4, "0x0x", "0x", -1},
      {"start offset past the end", 5, "0x0x", "0x", -1},
      {"star matches any byte", 0, "a1b2b", "b*", 2},
      {"inner star", 0, "xaz", "x*y", -1},
      {"inner star matches", 0, "xazxby", "x*y", 3},
      {"leading stars count in the offset", 0, "abc", "*c", 1},
      {"leading stars keep the match after start", 1, "cc", "*c", -1},
      {"leading stars from an offset", 1, "acbc", "*c", 2},
      {"stars only", 1, "abc", "**", 1},
      {"stars only too long", 2, "abc", "**", -1},
      {"exact bytes, case matters", 0, "0X1", "0x", -1},
      {"star in text is an ordinary byte", 0, "a*", "**", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.expected, FindText(row.start, row.text, row.pattern));
  }
}

TEST(TextRoutines, CountsOverlappingOccurrences) {
  struct Row {
    std::string_view text;
    std::string_view pattern;
    int expected;
  };
  const std::vector<Row> rows = {
      {"0x0x1", "0x", 2}, {"5", "-", 0},    {"aaa", "aa", 2}, {"aaaa", "a", 4}, {"a", "aa", 0},
      {"", "_", 0},       {"A_B_", "_", 2}, {"a*", "*", 1},   {"ab", "*", 0},  // no wildcard here
      {"abc", "abc", 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.text) + " / " + std::string(row.pattern));
    EXPECT_EQ(row.expected, CountText(row.text, row.pattern));
  }
}

TEST(TextRoutines, ComparesUnderCaseFolding) {
  struct Row {
    std::string_view name;
    std::string a;
    std::string b;
    std::size_t n;
    int expected;
  };
  const std::vector<Row> rows = {
      {"hex case", "1f", "1F", 2, 0},
      {"leading zero differs at 1", "012", "12", 2, 1},
      {"two empty texts, n 0", "", "", 0, 0},
      {"n 0 compares one byte", "a", "b", 0, 1},
      {"n 0 against empty", "a", "", 0, 1},
      {"only n bytes count", "abX", "abY", 2, 0},
      {"difference at 3", "abX", "abY", 3, 3},
      {"shorter text ends in its terminator", "ab", "abc", 3, 3},
      {"longer n past both ends", "ab", "AB", 50, 0},
      {"157 folds to 156", "\x9D", "\x9C", 1, 0},
      {"174 folds to 173", "\xAE", "\xAD", 1, 0},
      {"156 and 157 agree either way round", "\x9C", "\x9D", 1, 0},
      {"158 is not folded", "\x9E", "\x9D", 1, 1},
      {"other high bytes do not fold", "\xC9", "\xE9", 1, 1},
      {"lower does not fold to upper range", "[", "{", 1, 1},
      {"zero byte compared like any byte", "a\0b"s, "a\0B"s, 3, 0},
      {"zero byte against a letter", "a\0"s, "ab", 2, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.expected, CompareNoCase(row.a, row.b, row.n));
  }
}

TEST(TextRoutines, CaseFoldTableChangesOnlyTwentyEightEntries) {
  int changed = 0;
  for (std::size_t i = 0; i < kCaseFoldTable.size(); ++i) {
    if (kCaseFoldTable[i] != i)
      ++changed;
  }
  EXPECT_EQ(28, changed);
  EXPECT_EQ('a', kCaseFoldTable['A']);
  EXPECT_EQ('z', kCaseFoldTable['Z']);
}

TEST(TextRoutines, ParsesDecimalWrappingModulo32Bits) {
  struct Row {
    std::string_view text;
    std::uint32_t expected;
  };
  const std::vector<Row> rows = {
      {"0", 0},
      {"-0", 0},
      {"2147483647", 0x7FFFFFFFu},
      {"2147483648", 0x80000000u},
      {"-2147483648", 0x80000000u},
      {"4294967295", 0xFFFFFFFFu},
      {"4294967296", 0},
      {"4294967300", 4},
      {"-4294967300", 0xFFFFFFFCu},
      {"-5", 0xFFFFFFFBu},
      {"00012", 12},
      {"-", 0},
      {"", 0},
      {"99999999999999999999", 0x630FFFFFu},  // 10^20 - 1 mod 2^32
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(row.expected, ParseDecimal(row.text));
  }
}

TEST(TextRoutines, ParsesHexWithShiftsWrappingPastEightDigits) {
  struct Row {
    std::string_view text;
    std::uint32_t expected;
  };
  const std::vector<Row> rows = {
      {"", 0},
      {"1F", 0x1F},
      {"1f", 0x1F},
      {"80000000", 0x80000000u},
      {"ffffffff", 0xFFFFFFFFu},
      {"aBcDeF", 0xABCDEF},
      {"123456789", 0x2345678Au},  // the ninth digit from the right adds unshifted
      {"1ffffffff", 0},
      {"1234567890", 0x34567890u + 0x12u},  // tenth shifted by 4
      {"10000000000000000", 0x1},           // seventeenth digit adds unshifted again
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(row.expected, ParseHex(row.text));
  }
}

TEST(TextRoutines, ParsesDigitsOfABaseUpToALimit) {
  struct Row {
    std::string_view text;
    unsigned base;
    std::uint32_t limit;
    std::optional<std::uint32_t> expected;
  };
  constexpr std::uint32_t kAll = 0xFFFFFFFFu;
  const std::vector<Row> rows = {
      {"", 10, kAll, std::nullopt},
      {"0", 10, kAll, 0u},
      {"0000000000000000000000007", 10, kAll, 7u},  // leading zeros of any count
      {"4294967295", 10, kAll, kAll},
      {"4294967296", 10, kAll, std::nullopt},
      {"18446744073709551617", 10, kAll, std::nullopt},  // would wrap a 64-bit sum
      {"2147483648", 10, 0x7FFFFFFFu, std::nullopt},
      {"2147483648", 10, 0x80000000u, 0x80000000u},
      {"12a", 10, kAll, std::nullopt},
      {"-1", 10, kAll, std::nullopt},
      {"FfFfFfFf", 16, kAll, kAll},
      {"00000000100000000", 16, kAll, std::nullopt},
      {"1g", 16, kAll, std::nullopt},
      {"7B", 16, 0x7A, std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.text << " base " << row.base);
    EXPECT_EQ(row.expected, ParseDigits(row.text, row.base, row.limit));
  }
}

}  // namespace
}  // namespace quillon
