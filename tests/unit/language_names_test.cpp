// Language names as users and locales spell them, and the environment's order.
#include "lookup/language_names.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

namespace quillon {
namespace {

TEST(LanguageNames, NamesInAnySpellingAndLocalesGiveTheirLanguage) {
  struct Case {
    const char* text;
    std::optional<std::uint16_t> named;  // FindLanguage
    std::uint16_t locale;                // LanguageOfLocale
  };
  const Case cases[] = {
      {"de-DE", 0x407, 0x407},
      {"DE_de", 0x407, 0x407},
      {"de_DE.UTF-8", std::nullopt, 0x407},
      {"fr_FR@euro", std::nullopt, 0x40C},
      {"fr_CA.ISO-8859-1", std::nullopt, 0x0C0C},
      {"de", 0x407, 0x407},  // the language alone: its usual region
      {"zh", 0x804, 0x804},
      {"zh_TW.UTF-8", std::nullopt, 0x404},
      {"pt-PT", 0x816, 0x816},
      {"sr-Latn-RS", 0x241A, 0x241A},
      {"C", std::nullopt, 0x409},
      {"POSIX", std::nullopt, 0x409},
      {"C.UTF-8", std::nullopt, 0x409},
      {"", std::nullopt, 0x409},
      {"xx_YY.UTF-8", std::nullopt, 0x409},
      {"d", std::nullopt, 0x409},
      {"de-", std::nullopt, 0x409},
      // A region the table lacks reads as the language's usual one, an unknown language as
      // US English; only a malformed name is none.
      {"de-LU", 0x407, 0x407},
      {"de_LU.UTF-8", std::nullopt, 0x407},
      {"es-AR", 0x0C0A, 0x0C0A},
      {"es-419", 0x0C0A, 0x0C0A},
      {"fr-LU", 0x40C, 0x40C},
      {"en-IN", 0x409, 0x409},
      {"ru_UA.KOI8-U", std::nullopt, 0x419},
      {"sr-RS", 0x241A, 0x241A},
      {"sr_RS@latin", std::nullopt, 0x241A},
      {"zh-Hant", 0x404, 0x404},
      {"zh-Hant-HK", 0x0C04, 0x0C04},
      {"zh-SG", 0x804, 0x804},
      {"ca-ES-valencia", 0x403, 0x403},
      {"xx-YY", 0x409, 0x409},
      {"tlh", 0x409, 0x409},
      {"de-DE-", std::nullopt, 0x409},
      {"de--DE", std::nullopt, 0x409},
      {"deutsch", std::nullopt, 0x409},
      {"de-D", std::nullopt, 0x409},
      {"de-DE-x", std::nullopt, 0x409},
      {"12-DE", std::nullopt, 0x409},
      {"de DE", std::nullopt, 0x409},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<Language> named = FindLanguage(c.text);
    EXPECT_EQ(c.named, named ? std::optional<std::uint16_t>(named->id) : std::nullopt);
    EXPECT_EQ(c.locale, LanguageOfLocale(c.text).id);
  }
  EXPECT_EQ("de-DE", LanguageOfId(0x407).value_or(kUsEnglish).name);
  EXPECT_FALSE(LanguageOfId(0x0007).has_value());
}

TEST(LanguageNames, LcAllThenLcMessagesThenLangAndEmptyCountsAsUnset) {
  EXPECT_EQ("a", MessagesLocale("a", "b", "c"));
  EXPECT_EQ("b", MessagesLocale("", "b", "c"));
  EXPECT_EQ("c", MessagesLocale(nullptr, nullptr, "c"));
  EXPECT_EQ("", MessagesLocale(nullptr, "", nullptr));
}

}  // namespace
}  // namespace quillon
