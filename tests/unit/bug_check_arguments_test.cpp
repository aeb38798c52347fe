// Bug checks pasted with their arguments: the system event's form and the debugger's.
#include "core/bug_check_arguments.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

namespace quillon {
namespace {

TEST(BugCheckArguments, BothPastedFormsAnywhereInALine) {
  struct Case {
    const char* name;
    std::string_view line;
    std::uint32_t code;
    std::array<std::uint64_t, 4> arguments;
    std::string_view text;  // what the line's form spans
  };
  const Case cases[] = {
      {"debugger",
       "BugCheck 133, {0, 501, 500, fffff8005f8fb320}",
       0x133,
       {0, 0x501, 0x500, 0xfffff8005f8fb320},
       "BugCheck 133, {0, 501, 500, fffff8005f8fb320}"},
      {"event in a sentence",
       "Computer rebooted. The bugcheck was: 0x00000133 (0x0000000000000000, 0x0000000000000501, "
       "0x0000000000000500, 0xfffff8005f8fb320). A dump was saved",
       0x133,
       {0, 0x501, 0x500, 0xfffff8005f8fb320},
       "The bugcheck was: 0x00000133 (0x0000000000000000, 0x0000000000000501, "
       "0x0000000000000500, 0xfffff8005f8fb320)"},
      {"debugger's backtick and any case",
       "bugcheck 1A, {41792, fffff680`00000008, 0, 0}",
       0x1A,
       {0x41792, 0xfffff68000000008, 0, 0},
       "bugcheck 1A, {41792, fffff680`00000008, 0, 0}"},
      {"a later keyword after one cut short",
       "bugcheck report; BugCheck D1, {1, 2, 3, 4}",
       0xD1,
       {1, 2, 3, 4},
       "BugCheck D1, {1, 2, 3, 4}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<BugCheckArguments> found = FindBugCheckArguments(c.line);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(c.code, found->code);
    EXPECT_EQ(c.arguments, found->arguments);
    EXPECT_EQ(c.text, c.line.substr(found->begin, found->end - found->begin));
  }
}

TEST(BugCheckArguments, NothingCutShortOrTooWideIsRead) {
  for (const std::string_view line : {
           "BugCheck 133",                                  // no arguments
           "BugCheck 133, {0, 501, 500}",                   // three
           "BugCheck 133, {0, 501, 500, fffff8005f8fb320",  // not closed
           "BugCheck 133, (0, 501, 500, 1}",                // marks that do not pair
           "BugCheck 100000000, {0, 0, 0, 0}",              // a code over 32 bits
           "BugCheck 1, {0, 0, 0, 10000000000000000}",      // an argument over 64 bits
           "The bugcheck was: (0x0, 0x0, 0x0, 0x0)",        // no code
           "BugCheck 133, {0, , 500, 1}",                   // an empty argument
           "BugCheckCallback registered",                   // the word alone
       }) {
    SCOPED_TRACE(line);
    EXPECT_FALSE(FindBugCheckArguments(line).has_value());
  }
}

TEST(BugCheckArguments, AQueryIsOnlyTheFormWithBlanksAround) {
  EXPECT_TRUE(ReadBugCheckArguments("  BugCheck 133, {0, 501, 500, 1}\t").has_value());
  EXPECT_FALSE(ReadBugCheckArguments("see BugCheck 133, {0, 501, 500, 1}").has_value());
  EXPECT_FALSE(ReadBugCheckArguments("BugCheck 133, {0, 501, 500, 1} again").has_value());
}

}  // namespace
}  // namespace quillon
