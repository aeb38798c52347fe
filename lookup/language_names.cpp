#include "lookup/language_names.h"

#include <algorithm>
#include <array>
#include <vector>

namespace quillon {

namespace {

// Each language of Wine's kernelbase.dll message table (read out of the DLL: mostly neutral
// forms) under its usual regional name, then other common regional forms. Language alone
// ("de") finds the first row of that language, so the usual form comes first.
constexpr std::array kLanguages{
    Language{"ar-SA", 0x0401},
    Language{"ca-ES", 0x0403},
    Language{"zh-CN", 0x0804},
    Language{"cs-CZ", 0x0405},
    Language{"da-DK", 0x0406},
    Language{"de-DE", 0x0407},
    Language{"en-US", 0x0409},
    Language{"es-ES", 0x0C0A},
    Language{"fi-FI", 0x040B},
    Language{"fr-FR", 0x040C},
    Language{"hu-HU", 0x040E},
    Language{"it-IT", 0x0410},
    Language{"ja-JP", 0x0411},
    Language{"ko-KR", 0x0412},
    Language{"nl-NL", 0x0413},
    Language{"nb-NO", 0x0414},
    Language{"pl-PL", 0x0415},
    Language{"pt-BR", 0x0416},
    Language{"ro-RO", 0x0418},
    Language{"ru-RU", 0x0419},
    Language{"hr-HR", 0x041A},
    Language{"sk-SK", 0x041B},
    Language{"sv-SE", 0x041D},
    Language{"tr-TR", 0x041F},
    Language{"uk-UA", 0x0422},
    Language{"sl-SI", 0x0424},
    Language{"lt-LT", 0x0427},
    Language{"si-LK", 0x045B},
    Language{"zh-TW", 0x0404},
    Language{"pt-PT", 0x0816},
    // Regional forms and languages Wine's tables lack, for the .mui folders of Windows.
    Language{"en-GB", 0x0809},
    Language{"en-AU", 0x0C09},
    Language{"en-CA", 0x1009},
    Language{"de-AT", 0x0C07},
    Language{"de-CH", 0x0807},
    Language{"fr-BE", 0x080C},
    Language{"fr-CA", 0x0C0C},
    Language{"fr-CH", 0x100C},
    Language{"es-MX", 0x080A},
    Language{"it-CH", 0x0810},
    Language{"nl-BE", 0x0813},
    Language{"zh-HK", 0x0C04},
    Language{"bg-BG", 0x0402},
    Language{"el-GR", 0x0408},
    Language{"he-IL", 0x040D},
    Language{"et-EE", 0x0425},
    Language{"lv-LV", 0x0426},
    Language{"th-TH", 0x041E},
    Language{"vi-VN", 0x042A},
    Language{"id-ID", 0x0421},
    Language{"hi-IN", 0x0439},
    Language{"sr-Latn-RS", 0x241A},
};

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : (c == '_' ? '-' : c);
}

bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return Lower(x) == Lower(y); });
}

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool AllOf(std::string_view text, bool (*test)(char)) {
  return std::all_of(text.begin(), text.end(), test);
}
bool IsAlphanumeric(char c) {
  return IsLetter(c) || IsDigit(c);
}

// The parts of a language tag that choose a table; variants ("valencia") choose none.
struct TagParts {
  std::string_view language;  // two or three letters
  std::string_view script;    // four letters, or empty
  std::string_view region;    // two letters or three digits, or empty
};

// The parts of language[-Script][-RG|-999][-variant...], '_' standing for '-'; nothing when
// name is no such tag.
std::optional<TagParts> ParseTag(std::string_view name) {
  std::vector<std::string_view> subtags;
  for (std::size_t start = 0;;) {
    const std::size_t end = name.find_first_of("-_", start);
    subtags.push_back(name.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) {
      break;
    }
    start = end + 1;
  }
  TagParts parts;
  std::size_t next = 0;
  const std::string_view language = subtags[next++];
  if (language.size() < 2 || language.size() > 3 || !AllOf(language, IsLetter)) {
    return std::nullopt;
  }
  parts.language = language;
  if (next < subtags.size() && subtags[next].size() == 4 && AllOf(subtags[next], IsLetter)) {
    parts.script = subtags[next++];
  }
  if (next < subtags.size() && ((subtags[next].size() == 2 && AllOf(subtags[next], IsLetter)) ||
                                (subtags[next].size() == 3 && AllOf(subtags[next], IsDigit)))) {
    parts.region = subtags[next++];
  }
  for (; next < subtags.size(); ++next) {
    const std::string_view variant = subtags[next];
    const bool longForm = variant.size() >= 5 && variant.size() <= 8;
    const bool digitForm = variant.size() == 4 && IsDigit(variant.front());
    if (!(longForm || digitForm) || !AllOf(variant, IsAlphanumeric)) {
      return std::nullopt;
    }
  }
  return parts;
}

bool SameParts(const TagParts& a, const TagParts& b) {
  return SameName(a.language, b.language) && SameName(a.script, b.script) &&
         SameName(a.region, b.region);
}

// Where a script says more than a language's usual region: Traditional Chinese is Taiwan's,
// not the People's Republic's that "zh" alone gives.
constexpr std::array kScriptRegions{TagParts{"zh", "Hant", "TW"}};

std::optional<Language> FindParts(const TagParts& wanted) {
  for (const Language& language : kLanguages) {
    if (SameParts(wanted, *ParseTag(language.name))) {
      return language;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<Language> FindLanguage(std::string_view name) {
  const std::optional<TagParts> parts = ParseTag(name);
  if (!parts) {
    return std::nullopt;
  }
  // The tag's language, script and region (a variant chooses no table), then the same without
  // its script ("zh-Hant-TW"), then the script's usual region, then the language's.
  std::vector<TagParts> tries{*parts, {parts->language, {}, parts->region}};
  for (const TagParts& known : kScriptRegions) {
    if (SameName(parts->language, known.language) && SameName(parts->script, known.script)) {
      tries.push_back({known.language, {}, known.region});
    }
  }
  for (const TagParts& tried : tries) {
    if (const std::optional<Language> found = FindParts(tried)) {
      return found;
    }
  }
  const auto sameLanguage =
      std::find_if(kLanguages.begin(), kLanguages.end(), [&parts](const Language& language) {
        return SameName(parts->language, ParseTag(language.name)->language);
      });
  // A language the table lacks is read in US English, which every table is asked for anyway.
  return sameLanguage == kLanguages.end() ? kUsEnglish : *sameLanguage;
}

std::optional<Language> LanguageOfId(std::uint16_t id) {
  const auto found = std::find_if(kLanguages.begin(), kLanguages.end(),
                                  [id](const Language& language) { return language.id == id; });
  return found == kLanguages.end() ? std::nullopt : std::optional<Language>(*found);
}

Language LanguageOfLocale(std::string_view locale) {
  // "de_DE.UTF-8@euro": the codeset and the modifier say nothing of the language.
  const std::string_view name = locale.substr(0, locale.find_first_of(".@"));
  if (name.empty() || name == "C" || name == "POSIX") {
    return kUsEnglish;
  }
  return FindLanguage(name).value_or(kUsEnglish);
}

std::string_view MessagesLocale(const char* lcAll, const char* lcMessages, const char* lang) {
  for (const char* value : {lcAll, lcMessages, lang}) {
    if (value != nullptr && *value != '\0') {
      return value;
    }
  }
  return {};
}

}  // namespace quillon
