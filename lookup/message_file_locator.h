// Where the four message sources live on disk: a Windows directory (a Windows disk mounted on
// Linux, WSL's /mnt/c/Windows) or Wine's own DLLs as Debian installs them.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string_view>

#include "lookup/file_message_source.h"

namespace quillon {

inline constexpr std::string_view kDefaultMessageLanguage = "en-US";

// The entry of folder named name, matched without regard to ASCII case (a Windows disk mounted
// on Linux spells names either way); an exact match wins. Nothing when there is none.
std::optional<std::filesystem::path> FindNoCase(const std::filesystem::path& folder,
                                                std::string_view name);

// windowsDir holds System32. For each module (KernelBase.dll then kernel32.dll for the system
// table; wininet.dll, ntdll.dll, ntoskrnl.exe; the family modules) System32/language/MODULE.mui,
// then System32/en-US/MODULE.mui, then System32/MODULE. Only files that exist are listed: all
// lists are empty when none do.
MessageFiles LocateWindowsFiles(const std::filesystem::path& windowsDir, std::string_view language);

// The same modules (Wine has no language files: its tables hold every language) in the first of
// Wine's Windows DLL folders that holds any of them; nothing when none does.
std::optional<MessageFiles> LocateWineFiles(std::span<const std::filesystem::path> dllFolders);
// Debian's folders: the i386 ones first, then x86_64.
std::optional<MessageFiles> LocateWineFiles();

struct DefaultMessageFiles {
  enum class Kind { Windows, Wine, None };
  Kind kind = Kind::None;
  MessageFiles files;
};

// Linux's default: WSL's Windows directory when it holds any of the files, else Wine's DLLs,
// else none.
DefaultMessageFiles DefaultLinuxFiles(std::string_view language);

}  // namespace quillon
