#include "lookup/message_file_locator.h"

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "lookup/family_modules.h"

namespace quillon {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kSystemFolder = "System32";
constexpr std::string_view kLanguageFileSuffix = ".mui";
constexpr std::string_view kWslWindowsDir = "/mnt/c/Windows";

struct SourceModules {
  FileList MessageFiles::*list;
  std::span<const std::string_view> modules;
};

constexpr std::array<std::string_view, 2> kSystemModules{"KernelBase.dll", "kernel32.dll"};
constexpr std::array<std::string_view, 1> kWininetModules{"wininet.dll"};
constexpr std::array<std::string_view, 1> kNtdllModules{"ntdll.dll"};
constexpr std::array<std::string_view, 1> kNtoskrnlModules{"ntoskrnl.exe"};
constexpr std::array<SourceModules, 4> kSourceModules{{
    {&MessageFiles::system, kSystemModules},
    {&MessageFiles::wininet, kWininetModules},
    {&MessageFiles::ntdll, kNtdllModules},
    {&MessageFiles::ntoskrnl, kNtoskrnlModules},
}};

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

// The names of a folder's entries, each folder listed at most once however many names are
// looked for in it: a module missing from Wine's folder of some 750 DLLs would cost a listing
// each time.
class FolderListings {
 public:
  // listing false: names are looked for by their usual spellings only.
  explicit FolderListings(bool listing = true) : listing_(listing) {}
  const std::vector<std::string>& Of(const fs::path& folder) {
    const auto [entry, added] = listed_.try_emplace(folder);
    if (added && listing_) {
      std::error_code error;
      fs::directory_iterator item(folder, error);
      for (; !error && item != fs::directory_iterator(); item.increment(error)) {
        entry->second.push_back(item->path().filename().string());
      }
    }
    return entry->second;
  }

 private:
  bool listing_;
  std::map<fs::path, std::vector<std::string>> listed_;
};

struct FoundEntry {
  fs::path path;
  fs::file_type type = fs::file_type::none;
};

std::optional<FoundEntry> FindNoCase(const fs::path& folder, std::string_view name,
                                     FolderListings& listings) {
  // The spellings seen in practice (Windows' own, lower and upper case) cost one look each,
  // which also tells what the entry is; only a name spelt otherwise costs a listing of the
  // folder (System32 holds thousands).
  std::string lower(name);
  std::transform(lower.begin(), lower.end(), lower.begin(), LowerAscii);
  std::string upper(name);
  std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  });
  std::error_code error;
  std::vector<std::string_view> spellings{name};
  for (const std::string_view spelling : {std::string_view(lower), std::string_view(upper)}) {
    if (std::find(spellings.begin(), spellings.end(), spelling) == spellings.end()) {
      spellings.push_back(spelling);
    }
  }
  for (const std::string_view spelling : spellings) {
    fs::path candidate = folder / fs::path(std::string(spelling));
    const fs::file_status status = fs::status(candidate, error);
    if (fs::exists(status)) {
      return FoundEntry{std::move(candidate), status.type()};
    }
  }
  for (const std::string& entry : listings.Of(folder)) {
    if (EqualNoCase(entry, name)) {
      fs::path found = folder / entry;
      const fs::file_type type = fs::status(found, error).type();
      return FoundEntry{std::move(found), type};
    }
  }
  return std::nullopt;
}

void AddIfFound(FileList& list, const fs::path& folder, std::string_view name,
                FolderListings& listings) {
  if (std::optional<FoundEntry> file = FindNoCase(folder, name, listings);
      file && file->type == fs::file_type::regular) {
    list.push_back(std::move(file->path));
  }
}

bool IsFolder(const std::optional<FoundEntry>& entry) {
  return entry && entry->type == fs::file_type::directory;
}

}  // namespace

std::optional<fs::path> FindNoCase(const fs::path& folder, std::string_view name) {
  FolderListings listings;
  std::optional<FoundEntry> found = FindNoCase(folder, name, listings);
  return found ? std::optional<fs::path>(std::move(found->path)) : std::nullopt;
}

MessageFiles LocateWindowsFiles(const fs::path& windowsDir, std::string_view language) {
  MessageFiles files;
  FolderListings listings;
  const std::optional<FoundEntry> system = FindNoCase(windowsDir, kSystemFolder, listings);
  if (!IsFolder(system)) {
    return files;
  }
  // The language's folder, then US English's: a code or a file missing in the one may be in
  // the other, and the module itself comes last.
  std::vector<fs::path> languageFolders;
  for (const std::string_view name : {language, kDefaultMessageLanguage}) {
    std::optional<FoundEntry> folder = FindNoCase(system->path, name, listings);
    if (IsFolder(folder) && std::find(languageFolders.begin(), languageFolders.end(),
                                      folder->path) == languageFolders.end()) {
      languageFolders.push_back(std::move(folder->path));
    }
  }
  const auto addModule = [&](FileList& list, std::string_view module) {
    for (const fs::path& folder : languageFolders) {
      AddIfFound(list, folder, std::string(module) + std::string(kLanguageFileSuffix), listings);
    }
    AddIfFound(list, system->path, module, listings);
  };
  for (const SourceModules& source : kSourceModules) {
    for (const std::string_view module : source.modules) {
      addModule(files.*source.list, module);
    }
  }
  for (const FamilyModule& family : FamilyModules()) {
    addModule(files.families.emplace_back(), family.file);
  }
  return files;
}

std::optional<MessageFiles> LocateWineFiles(std::span<const fs::path> dllFolders) {
  // Wine installs its DLLs under lower-case names: a module missing under its usual spellings
  // is missing, and its folder of some 750 files is not listed to make sure.
  FolderListings listings(false);
  // The folders hold the same texts (i386 and x86_64 builds): one is enough, and a code that
  // no table has is then looked for in one set of files, not two.
  for (const fs::path& folder : dllFolders) {
    MessageFiles files;
    for (const SourceModules& source : kSourceModules) {
      for (const std::string_view module : source.modules) {
        AddIfFound(files.*source.list, folder, module, listings);
      }
    }
    for (const FamilyModule& family : FamilyModules()) {
      AddIfFound(files.families.emplace_back(), folder, family.file, listings);
    }
    if (!HasNoFiles(files)) {
      return files;
    }
  }
  return std::nullopt;
}

std::optional<MessageFiles> LocateWineFiles() {
  const std::array<fs::path, 2> debianWineFolders{"/usr/lib/i386-linux-gnu/wine/i386-windows",
                                                  "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows"};
  return LocateWineFiles(debianWineFolders);
}

DefaultMessageFiles DefaultLinuxFiles(std::string_view language) {
  // Outside WSL one look settles it, instead of a look for each spelling of System32.
  const fs::path wslWindows(std::string{kWslWindowsDir});
  std::error_code error;
  if (fs::is_directory(wslWindows, error)) {
    MessageFiles windows = LocateWindowsFiles(wslWindows, language);
    if (!HasNoFiles(windows)) {
      return {DefaultMessageFiles::Kind::Windows, std::move(windows)};
    }
  }
  if (std::optional<MessageFiles> wine = LocateWineFiles()) {
    return {DefaultMessageFiles::Kind::Wine, std::move(*wine)};
  }
  return {};
}

}  // namespace quillon
