#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/query_answers.h"

namespace quillon {
namespace {

TEST(QueriesOfText, ALineIsAQueryAndALineThatIsNoneIsAskedWordByWord) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::string> queries;
  };
  const Case cases[] = {
      {"one query", "0x80070005", {"0x80070005"}},
      {"lines, blank ones and blanks around them dropped",
       "\xEF\xBB\xBF 5\r\n\n \t\nE_FAIL \r\n",
       {"5", "E_FAIL"}},
      {"nothing but blanks", " \t\r\n\n", {}},
      {"blanks", "5 0x6\tE_FAIL", {"5", "0x6", "E_FAIL"}},
      {"commas, with or without blanks", "5,6 , ,E_FAIL,", {"5", "6", "E_FAIL"}},
      {"words that are no query are still asked", "error 1603", {"error", "1603"}},
      {"a debugger's bug check stays whole",
       "BugCheck 133, {0, 501, 500, fffff8005f8fb320}",
       {"BugCheck 133, {0, 501, 500, fffff8005f8fb320}"}},
      {"setup's pair stays whole", "0xC1900101 - 0x4000D", {"0xC1900101 - 0x4000D"}},
      {"a pair cut short is words", "0xC1900101 - 0x4000D1", {"0xC1900101", "-", "0x4000D1"}},
      {"a rejected word alone is asked as it is", "0x0x5", {"0x0x5"}},
      {"only the first line's byte-order mark goes",
       "5\n\xEF\xBB\xBF"
       "6",
       {"5",
        "\xEF\xBB\xBF"
        "6"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.queries, QueriesOfText(c.text));
  }
}

TEST(ReadPastedQuery, ABugCheckOrASetupPairIsReadAsTheCodeItNames) {
  const PastedQuery bugCheck = ReadPastedQuery(" BugCheck 133, {0, 501, 500, fffff8005f8fb320} ");
  ASSERT_EQ(1u, bugCheck.readings.readings.size());
  EXPECT_EQ(0x133u, bugCheck.readings.readings[0].value);
  ASSERT_TRUE(bugCheck.bugCheck);
  EXPECT_EQ(0xfffff8005f8fb320u, bugCheck.bugCheck->arguments[3]);
  EXPECT_FALSE(bugCheck.pair);

  const PastedQuery pair = ReadPastedQuery("0xC1900101-0x30018");
  ASSERT_EQ(1u, pair.readings.readings.size());
  EXPECT_EQ(0xC1900101u, pair.readings.readings[0].value);
  ASSERT_TRUE(pair.pair);
  EXPECT_EQ(0x30018u, pair.pair->extend);

  const PastedQuery plain = ReadPastedQuery("1645");
  EXPECT_EQ(2u, plain.readings.readings.size());
  EXPECT_FALSE(plain.bugCheck || plain.pair);
  EXPECT_FALSE(ReadPastedQuery("BugCheck 133, {0, 501, 500}").readings.rejection.empty());
}

}  // namespace
}  // namespace quillon
