#include "query/word_set.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace quillon {
namespace {

using namespace std::string_view_literals;

// Words at the edges of the eight-byte chunks hashed, bytes that differ from a letter by
// the case bit only, and bytes above 127.
TEST(WordSet, HoldsExactlyItsWordsInEitherCaseRule) {
  const std::string_view held[] = {
      "",
      "E_FAIL",
      "ABCDEFG",
      "ABCDEFGH",
      "ABCDEFGHI",
      "@[\\]^",
      "Caf\xC3\xA9",
      "\xC0_X",
      "ERROR_ACCESS_DENIED",
      "Mixed_Case1",
  };
  WordSet exact;
  WordSet folded(WordCase::IgnoreAscii);
  for (const std::string_view word : held) {
    exact.Add(word);
    folded.Add(word);
  }
  struct Case {
    std::string_view word;
    bool exact;
    bool folded;
  };
  const Case cases[] = {
      {"", true, true},
      {"E_FAIL", true, true},
      {"e_fail", false, true},
      {"E_FAI", false, false},
      {"E_FAIL\0"sv, false, false},
      {"abcdefg", false, true},
      {"ABCDEFGh", false, true},
      {"ABCDEFGHJ", false, false},  // differs in the last of nine bytes only
      {"ABCDEFHHI", false, false},  // in a byte the last chunk overlaps
      {"`{|}~", false, false},      // '@' '[' '\' ']' '^' with the case bit set
      {"CAF\xC3\xA9", false, true},
      {"Caf\xC3\x89", false, false},  // no case outside ASCII
      {"\xE0_x", false, false},
      {"error_access_denied", false, true},
      {"MIXED_CASE1", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.word));
    EXPECT_EQ(c.exact, exact.Contains(c.word));
    EXPECT_EQ(c.folded, folded.Contains(c.word));
  }
}

TEST(WordSet, KeepsEveryWordAddedInOrderThroughGrowth) {
  WordSet set(WordCase::IgnoreAscii);
  EXPECT_FALSE(set.Contains(""));
  for (int i = 0; i < 1000; ++i) {
    set.Add("NAME_" + std::to_string(i));
  }
  set.Add("name_7");  // asked once, listed again as written
  ASSERT_EQ(1001u, set.WordCount());
  EXPECT_EQ("NAME_0", set.Word(0));
  EXPECT_EQ("NAME_999", set.Word(999));
  EXPECT_EQ("name_7", set.Word(1000));
  for (int i = 0; i < 1000; ++i) {
    EXPECT_TRUE(set.Contains("name_" + std::to_string(i))) << i;
  }
  EXPECT_FALSE(set.Contains("NAME_1000"));
}

}  // namespace
}  // namespace quillon
