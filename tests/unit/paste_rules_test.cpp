#include "query/paste_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "query/classify_query.h"

namespace quillon {
namespace {

using namespace std::string_literals;
using Outcome = PasteVerdict::Outcome;

std::vector<unsigned> Range(unsigned first, unsigned last) {
  std::vector<unsigned> codes;
  for (unsigned c = first; c <= last; ++c) codes.push_back(c);
  return codes;
}

TEST(QueryCharFilter, TreatsEveryCharacterCodeByItsClass) {
  enum class Treatment { Unchanged, UpperCased };
  struct CharClass {
    std::string name;
    std::vector<unsigned> codes;
    Treatment treatment;
  };
  const std::vector<CharClass> classes = {
      {"editing keys Ctrl+C, Backspace, Ctrl+V, Ctrl+X, Ctrl+Z",
       {3, 8, 22, 24, 26},
       Treatment::Unchanged},
      {"dash and underscore", {'-', '_'}, Treatment::Unchanged},
      {"digits", Range('0', '9'), Treatment::Unchanged},
      {"upper-case letters, X included", Range('A', 'Z'), Treatment::Unchanged},
      {"lower-case x", {'x'}, Treatment::Unchanged},
      {"other lower-case letters", Range('a', 'w'), Treatment::UpperCased},
      {"y and z", {'y', 'z'}, Treatment::UpperCased},
  };
  // Everything not listed, including codes past one byte, is swallowed.
  for (unsigned code = 0; code < 300; ++code) {
    SCOPED_TRACE(code);
    const auto charClass = std::find_if(classes.begin(), classes.end(), [&](const CharClass& k) {
      return std::find(k.codes.begin(), k.codes.end(), code) != k.codes.end();
    });
    const std::optional<unsigned> passed = FilterQueryChar(code);
    if (charClass == classes.end()) {
      EXPECT_FALSE(passed.has_value());
    } else {
      SCOPED_TRACE(charClass->name);
      ASSERT_TRUE(passed.has_value());
      EXPECT_EQ(charClass->treatment == Treatment::UpperCased ? code - 32 : code, *passed);
    }
  }
}

TEST(QueryCharFilter, SwallowsKeysThatWouldCorruptTheQuery) {
  for (const unsigned code :
       {1u /*Ctrl+A*/, 9u /*Tab*/, 13u /*Enter*/, 27u /*Escape*/, 32u, unsigned{'#'}, unsigned{'.'},
        unsigned{'+'}, unsigned{'*'}, 123u, 127u, 0xE9u, 255u, 0x10000u}) {
    SCOPED_TRACE(code);
    EXPECT_FALSE(FilterQueryChar(code).has_value());
  }
}

TEST(PasteRules, AllowsExactlySixtyFourBytes) {
  int valid = 0;
  for (unsigned byte = 0; byte < 256; ++byte)
    valid += IsPasteValidByte(static_cast<unsigned char>(byte));
  EXPECT_EQ(64, valid);
  for (const char c : "-09AZ_azx"s) EXPECT_TRUE(IsPasteValidByte(static_cast<unsigned char>(c)));
  for (const char c : " \t\r\n/:@[`{;\0"s) {
    EXPECT_FALSE(IsPasteValidByte(static_cast<unsigned char>(c))) << int{c};
  }
}

TEST(PasteRules, TrimsThenChecksEmptinessLengthAndCharactersInThatOrder) {
  struct Row {
    std::string name;
    std::string clipboard;
    Outcome outcome;
    std::string trimmed;
  };
  const std::string valid136(kQueryMaxLength, 'A');
  const std::string valid137(kQueryMaxLength + 1, 'A');
  const std::string invalid137 = "A" + std::string(kQueryMaxLength, ';');
  const std::vector<Row> rows = {
      {"empty clipboard text", "", Outcome::Empty, ""},
      {"spaces only", "   ", Outcome::Empty, ""},
      {"line break only", "\r\n", Outcome::Empty, ""},
      {"blanks and line end round a number", "  0x1F \r\n", Outcome::Accepted, "0x1F"},
      {"lower case kept", "abc_def", Outcome::Accepted, "abc_def"},
      {"negative number", "-5", Outcome::Accepted, "-5"},
      {"136 characters", valid136, Outcome::Accepted, valid136},
      {"136 characters with blanks round them", "\t " + valid136 + " \r\n", Outcome::Accepted,
       valid136},
      {"137 characters", valid137, Outcome::TooLong, valid137},
      {"137 invalid characters get the length message", invalid137, Outcome::TooLong, invalid137},
      {"space inside", "12 34", Outcome::InvalidCharacters, "12 34"},
      {"semicolon", "0x1F;", Outcome::InvalidCharacters, "0x1F;"},
      {"tab inside", "1\t2", Outcome::InvalidCharacters, "1\t2"},
      {"line break inside", "1\r\n2", Outcome::InvalidCharacters, "1\r\n2"},
      {"leading line break is not trimmed", "\n12", Outcome::InvalidCharacters, "\n12"},
      {"high byte", "ABC\xE9", Outcome::InvalidCharacters, "ABC\xE9"},
      {"zero byte inside",
       "12\0"
       "34"s,
       Outcome::InvalidCharacters,
       "12\0"
       "34"s},
      {"zero bytes at the end are trimmed", "12\0\0"s, Outcome::Accepted, "12"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const PasteVerdict verdict = CheckPaste(row.clipboard);
    EXPECT_EQ(row.outcome, verdict.outcome);
    EXPECT_EQ(row.trimmed, verdict.trimmed);
  }
}

// ---- Properties over arbitrary clipboard bytes ----

std::uint32_t FuzzSeed() {
  if (const char* text = std::getenv("QUILLON_FUZZ_SEED")) {
    return static_cast<std::uint32_t>(std::strtoul(text, nullptr, 10));
  }
  return 20240611u;
}

::testing::AssertionResult PasteVerdictIsSound(std::string_view clipboard,
                                               const PasteVerdict& verdict) {
  const std::string& trimmed = verdict.trimmed;
  const std::size_t leading = std::min(clipboard.find_first_not_of(" \t"), clipboard.size());
  if (!trimmed.empty() && (clipboard.substr(leading, trimmed.size()) != trimmed ||
                           static_cast<unsigned char>(trimmed.back()) < 33)) {
    return ::testing::AssertionFailure() << "trimmed text is not the clipboard's core";
  }
  const bool allValid = std::all_of(trimmed.begin(), trimmed.end(), [](char c) {
    return IsPasteValidByte(static_cast<unsigned char>(c));
  });
  switch (verdict.outcome) {
    case Outcome::Empty:
      if (!trimmed.empty())
        return ::testing::AssertionFailure() << "Empty with text";
      break;
    case Outcome::TooLong:
      if (trimmed.size() <= kQueryMaxLength) {
        return ::testing::AssertionFailure() << "TooLong with " << trimmed.size() << " bytes";
      }
      break;
    case Outcome::InvalidCharacters:
      if (trimmed.empty() || trimmed.size() > kQueryMaxLength || allValid) {
        return ::testing::AssertionFailure() << "InvalidCharacters wrongly given";
      }
      break;
    case Outcome::Accepted:
      if (trimmed.empty() || trimmed.size() > kQueryMaxLength || !allValid) {
        return ::testing::AssertionFailure() << "Accepted " << trimmed.size() << " bytes";
      }
      break;
  }
  return ::testing::AssertionSuccess();
}

std::string RandomClipboard(std::mt19937& rng, std::size_t maxLength) {
  // Mostly valid bytes with blanks and line breaks round them, sometimes anything at all.
  static constexpr std::string_view kLikely = "  \t\r\n0x1F-_abcZ9";
  std::uniform_int_distribution<std::size_t> length(0, maxLength);
  std::uniform_int_distribution<int> anyByte(0, 255);
  std::uniform_int_distribution<std::size_t> likely(0, kLikely.size() - 1);
  const bool arbitrary = std::bernoulli_distribution(0.3)(rng);
  std::string text(length(rng), '\0');
  for (char& c : text) {
    c = arbitrary ? static_cast<char>(anyByte(rng)) : kLikely[likely(rng)];
  }
  return text;
}

TEST(PasteRules, GivesSoundVerdictsForArbitraryClipboardBytes) {
  const std::uint32_t seed = FuzzSeed();
  std::mt19937 rng(seed);
  for (int i = 0; i < 20000; ++i) {
    const std::string clipboard = RandomClipboard(rng, i % 4 == 0 ? 300 : 140);
    ASSERT_TRUE(PasteVerdictIsSound(clipboard, CheckPaste(clipboard)))
        << "seed " << seed << ", case " << i;
  }
  for (int i = 0; i < 4; ++i) {
    std::string clipboard = RandomClipboard(rng, 1 << 20);
    if (i == 0)
      clipboard = "  " + std::string(1 << 20, 'A') + " \r\n";  // large and valid
    ASSERT_TRUE(PasteVerdictIsSound(clipboard, CheckPaste(clipboard)))
        << "seed " << seed << ", large case " << i;
  }
}

}  // namespace
}  // namespace quillon
