// Finds the message table among the resources of a Portable Executable file (PE32 or PE32+,
// a DLL, an EXE or a language resource file *.mui). The bytes are untrusted: every header,
// offset and size is checked, and anything that does not fit gives nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace quillon {

inline constexpr std::uint32_t kMessageTableResourceType = 11;  // RT_MESSAGETABLE
// FormatMessage reads the table named 1; other names are not message tables it would use.
inline constexpr std::uint32_t kMessageTableResourceName = 1;

struct MessageTableResource {
  std::string_view bytes;  // the MESSAGE_RESOURCE_DATA, inside the file's bytes
  std::uint16_t language = 0;
};

// Which of a table's languages to read: US English (0x409), else English of any sublanguage
// (lowest id), else language-neutral (lowest id), else the lowest id. Nothing for no languages.
std::optional<std::size_t> ChooseLanguage(std::span<const std::uint16_t> languages);

// The message table of the file, or nothing when it has none or its headers are damaged.
// A resource directory that points back to one it came from, or that nests deeper than the
// three levels (type, name, language) of the format, is refused rather than followed.
std::optional<MessageTableResource> FindMessageTableResource(std::string_view file);

}  // namespace quillon
