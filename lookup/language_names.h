// The languages a user can name (--lang de-DE, LANG=de_DE.UTF-8) and their LANGIDs: the
// languages Wine's own message tables carry, and a few common regional forms.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quillon {

struct Language {
  std::string_view name;  // as Windows names its language folders: "de-DE"
  std::uint16_t id = 0;   // the LANGID: primary language in the low 10 bits
};

inline constexpr Language kUsEnglish{"en-US", 0x409};

// The language named by the tag name (language[-Script][-RG][-variant], as "de-DE",
// "sr-Latn-RS", "de_lu"), matched without regard to case, '_' standing for '-'. A region the
// table lacks gives the language's usual one ("de-LU" and "de" give de-DE, whose tables fall
// back to the neutral form), a language it lacks US English. Nothing when name is no tag.
std::optional<Language> FindLanguage(std::string_view name);

// The language whose LANGID is id; nothing when the table has none.
std::optional<Language> LanguageOfId(std::uint16_t id);

// The language of a POSIX locale ("de_DE.UTF-8", "fr_FR@euro") as FindLanguage gives it; US
// English for "C", "POSIX", an empty or a malformed locale.
Language LanguageOfLocale(std::string_view locale);

// The first set of LC_ALL, LC_MESSAGES and LANG, as POSIX orders them (null: unset).
std::string_view MessagesLocale(const char* lcAll, const char* lcMessages, const char* lang);

}  // namespace quillon
