#include "query/setup_pair.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <vector>

namespace quillon {
namespace {

struct Found {
  std::uint32_t result;
  std::uint32_t extend;
  std::string_view text;
};

TEST(SetupPair, FindsEverySpellingAndOnlyWholeWords) {
  struct Row {
    std::string_view name;
    std::string_view line;
    std::vector<Found> expected;
  };
  const std::vector<Row> rows = {
      {"dash between blanks",
       "0xC1900101 - 0x4000D",
       {{0xC1900101, 0x4000D, "0xC1900101 - 0x4000D"}}},
      {"dash alone", "0xC1900101-0x30018", {{0xC1900101, 0x30018, "0xC1900101-0x30018"}}},
      {"blank alone", "0xC1900101 0x20017", {{0xC1900101, 0x20017, "0xC1900101 0x20017"}}},
      {"bare result, lower case",
       "8007042b - 0x4000d",
       {{0x8007042B, 0x4000D, "8007042b - 0x4000d"}}},
      {"inside a longer line",
       "Setup failed: 0xC1900101 - 0x40017, rolled back; then 0x80070070-0x50011.",
       {{0xC1900101, 0x40017, "0xC1900101 - 0x40017"},
        {0x80070070, 0x50011, "0x80070070-0x50011"}}},
      {"result code without extend code", "failed with 0xC1900101.", {}},
      {"result code then a word", "0xC1900101 - rollback", {}},
      {"extend of four digits", "0xC1900101 - 0x4000", {}},
      {"extend of six digits", "0xC1900101 - 0x4000D1", {}},
      {"result of seven digits", "0x8007002 - 0x20009", {}},
      {"result inside a word", "x0xC1900101 - 0x4000D", {}},
      {"two dashes", "0xC1900101 -- 0x4000D", {}},
      {"nothing between", "0xC19001010x4000D", {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::vector<SetupPair> pairs = FindSetupPairs(row.line);
    ASSERT_EQ(row.expected.size(), pairs.size());
    for (std::size_t i = 0; i < pairs.size(); ++i) {
      EXPECT_EQ(row.expected[i].result, pairs[i].result);
      EXPECT_EQ(row.expected[i].extend, pairs[i].extend);
      EXPECT_EQ(row.expected[i].text,
                row.line.substr(pairs[i].begin, pairs[i].end - pairs[i].begin));
    }
  }
}

TEST(SetupPair, QueryIsAPairOnlyWhenItIsNothingElse) {
  ASSERT_TRUE(ReadSetupPair("  0xC1900101 - 0x4000D\t").has_value());
  EXPECT_EQ(0x4000Du, ReadSetupPair("0xC1900101 0x4000D")->extend);
  EXPECT_FALSE(ReadSetupPair("0xC1900101").has_value());
  EXPECT_FALSE(ReadSetupPair("0xC1900101 - 0x4000D and more").has_value());
  EXPECT_FALSE(ReadSetupPair("").has_value());
}

TEST(SetupPair, ExtendCodeSplitsIntoPhaseAndOperation) {
  EXPECT_EQ(4u, SetupPhase(0x4000D));
  EXPECT_EQ(0x0Du, SetupOperation(0x4000D));
  EXPECT_EQ(3u, SetupPhase(0x30018));
  EXPECT_EQ(0x18u, SetupOperation(0x30018));
  EXPECT_EQ(0u, SetupPhase(0x0001F));
}

}  // namespace
}  // namespace quillon
