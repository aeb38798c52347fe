#include "tools/make_defines/documentation_sources.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <map>
#include <sstream>
#include <string_view>
#include <utility>

#include "tools/make_defines/code_page_reader.h"

namespace quillon::make_defines {
namespace {

namespace fs = std::filesystem;

// Pages whose numbers belong to schemes of their own: SNMP, telephony, MCI, the database
// engine, Windows Installer's message numbers, GDI's font functions.
constexpr std::array<std::string_view, 14> kOtherSchemes = {
    "SNMP/",
    "Tapi/lineerr--constants.md",
    "Tapi/phoneerr--constants.md",
    "Tapi/tapierr--constants.md",
    "Multimedia/",
    "extensible-storage-engine/",
    "Msi/windows-installer-error-messages.md",
    "Msi/displayed-error-messages.md",
    "Msi/initialization-errors.md",
    "Msi/custom-action-return-values.md",
    "Msi/return-values-for-uicreatepatchpackage.md",
    "gdi/",
    "lwef/mperrormessageformat.md",
    "search/-search-prth-error-constants.md",
};

// Folders whose small numbers are last errors (system error codes and the families that
// share their numbering).
constexpr std::array<std::string_view, 9> kWin32Folders = {
    "Debug/", "NetMgmt/", "RRAS/", "WinSock/", "WinInet/", "WinHttp/", "Msi/", "Rpc/", "SetupApi/"};

// Families named as users know them, where the folder's name is not that.
constexpr std::array<std::pair<std::string_view, std::string_view>, 16> kFamilies = {{
    {"ADSI", "adsi"},
    {"Bits", "bits"},
    {"Debug", "system error codes"},
    {"PerfCtrs", "pdh"},
    {"SecBioMet", "biometrics"},
    {"SysMon", "system monitor"},
    {"TBS", "tpm base services"},
    {"VDS", "virtual disk service"},
    {"WES", "event log"},
    {"WmiSdk", "wmi"},
    {"Wua_Sdk", "windows update"},
    {"delivery_optimization", "delivery optimization"},
    {"printdocs", "xps"},
    {"wmformat", "windows media format"},
    {"FWP", "filtering platform"},
    {"wpd_sdk", "portable devices"},
}};

std::string ReadFile(const fs::path& path, bool& ok) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  ok = static_cast<bool>(in) || in.eof();
  return std::move(text).str();
}

// The .md files under folder, by path.
std::vector<fs::path> MarkdownFiles(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    if (it->is_regular_file() && it->path().extension() == ".md")
      files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The archive folders under root, English first, then by name.
std::vector<fs::path> ArchiveFolders(const fs::path& root, std::string_view prefix) {
  std::vector<fs::path> folders;
  std::error_code error;
  for (fs::directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
    if (it->is_directory() && it->path().filename().string().starts_with(prefix))
      folders.push_back(it->path());
  }
  std::sort(folders.begin(), folders.end(), [](const fs::path& a, const fs::path& b) {
    const bool aEnglish = a.filename().string().ends_with("-en-us");
    const bool bEnglish = b.filename().string().ends_with("-en-us");
    return aEnglish != bEnglish ? aEnglish : a < b;
  });
  return folders;
}

std::string PageFolder(const std::string& path) {
  const std::size_t file = path.rfind('/');
  const std::size_t folder = path.rfind('/', file == 0 ? 0 : file - 1);
  if (file == std::string::npos)
    return "";
  return folder == std::string::npos ? path.substr(0, file)
                                     : path.substr(folder + 1, file - folder - 1);
}

}  // namespace

std::string LanguageTag(const std::string& suffix) {
  std::string tag = suffix;
  const std::size_t dash = tag.find('-');
  for (std::size_t i = dash == std::string::npos ? tag.size() : dash + 1; i < tag.size(); ++i) {
    if (tag[i] >= 'a' && tag[i] <= 'z')
      tag[i] = static_cast<char>(tag[i] - 'a' + 'A');
  }
  return tag;
}

CodePageRule RuleOfCodePage(const std::string& path) {
  CodePageRule rule;
  const auto contains = [&path](std::string_view part) {
    return path.find(part) != std::string::npos;
  };
  rule.codes = std::none_of(kOtherSchemes.begin(), kOtherSchemes.end(), contains);
  rule.smallValuesAreWin32 = std::any_of(kWin32Folders.begin(), kWin32Folders.end(), contains);
  const std::string folder = PageFolder(path);
  rule.family = folder;
  for (char& c : rule.family) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
    if (c == '_')
      c = ' ';
  }
  for (const auto& [name, family] : kFamilies) {
    if (folder == name)
      rule.family = family;
  }
  return rule;
}

DocumentationSources ReadDocumentation(const fs::path& root) {
  DocumentationSources sources;
  std::map<std::string, CodePageReading> englishPages;  // by path, for their translations
  for (const std::string_view kind : {std::string_view("win32-"), std::string_view("bugcheck-")}) {
    for (const fs::path& folder : ArchiveFolders(root, kind)) {
      const std::string language = LanguageTag(folder.filename().string().substr(kind.size()));
      const bool english = language == "en-US";
      for (const fs::path& file : MarkdownFiles(folder)) {
        const std::string path = file.lexically_relative(folder).generic_string();
        const bool bugCheck = kind == "bugcheck-";
        if (bugCheck && !file.filename().string().starts_with("bug-check-0x"))
          continue;
        bool ok = false;
        const std::string text = ReadFile(file, ok);
        if (!ok) {
          sources.error = "cannot read " + file.string();
          return sources;
        }
        sources.filesRead.push_back(file);
        std::string error;
        if (bugCheck) {
          sources.bugChecks.push_back(
              ReadBugCheckPage(text, {path, language, "bug checks"}, error));
        } else {
          const CodePageRule rule = RuleOfCodePage(path);
          if (!rule.codes) {
            if (english)
              sources.leftOut.push_back(path);
            continue;
          }
          const auto sameEnglish = englishPages.find(path);
          CodePageReading reading = ReadCodePage(
              text, {path, language, rule.family}, rule.smallValuesAreWin32,
              sameEnglish == englishPages.end() ? nullptr : &sameEnglish->second, error);
          sources.pages.push_back(reading.page);
          if (english)
            englishPages.emplace(path, std::move(reading));
        }
        if (!error.empty())
          sources.error += (sources.error.empty() ? "" : "\n") + file.string() + ": " + error;
      }
    }
  }
  return sources;
}

}  // namespace quillon::make_defines
