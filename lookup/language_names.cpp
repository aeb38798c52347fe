#include "lookup/language_names.h"

#include <algorithm>
#include <array>

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

}  // namespace

std::optional<Language> FindLanguage(std::string_view name) {
  for (const Language& language : kLanguages) {
    const std::string_view alone = language.name.substr(0, language.name.find('-'));
    if (SameName(name, language.name) || SameName(name, alone)) {
      return language;
    }
  }
  return std::nullopt;
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
