// Finds the message table among the resources of a Portable Executable file (PE32 or PE32+,
// a DLL, an EXE or a language resource file *.mui). The bytes are untrusted: every header,
// offset and size is checked, and anything that does not fit gives nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "lookup/file_bytes.h"

namespace quillon {

inline constexpr std::uint32_t kMessageTableResourceType = 11;  // RT_MESSAGETABLE
// FormatMessage reads the table named 1; other names are not message tables it would use.
inline constexpr std::uint32_t kMessageTableResourceName = 1;

// The MESSAGE_RESOURCE_DATA, as a view of the file's bytes (Bytes: a std::string_view of the
// whole file or a PartsView of one read in parts).
template <typename Bytes>
struct MessageTableIn {
  Bytes bytes;
  std::uint16_t language = 0;
};
using MessageTableResource = MessageTableIn<std::string_view>;
using MessageTablePart = MessageTableIn<PartsView>;

inline constexpr std::uint16_t kUsEnglishLanguage = 0x409;

// A LANGID's primary language, its low ten bits (PRIMARYLANGID).
constexpr std::uint16_t PrimaryLanguage(std::uint16_t language) {
  return static_cast<std::uint16_t>(language & 0x3FF);
}

// The order in which to ask a table's languages for the wanted one (a LANGID): wanted itself,
// its neutral form (same primary language, SUBLANG_NEUTRAL), US English, English of any
// sublanguage, language-neutral, the lowest id; each step takes its lowest id, and a language
// comes once. Indices into languages.
std::vector<std::size_t> LanguageOrder(std::span<const std::uint16_t> languages,
                                       std::uint16_t wanted = kUsEnglishLanguage);
// The first of that order; nothing for no languages.
std::optional<std::size_t> ChooseLanguage(std::span<const std::uint16_t> languages,
                                          std::uint16_t wanted = kUsEnglishLanguage);

// The message table of the file in the language ChooseLanguage picks for wanted, or nothing
// when it has none or its headers are damaged. A resource directory that points back to one it
// came from, or that nests deeper than the three levels (type, name, language) of the format, is
// refused rather than followed.
std::optional<MessageTableResource> FindMessageTableResource(
    std::string_view file, std::uint16_t wanted = kUsEnglishLanguage);
std::optional<MessageTablePart> FindMessageTableResource(const PartsView& file,
                                                         std::uint16_t wanted = kUsEnglishLanguage);

// The file's message tables in the order LanguageOrder gives for wanted, so that a message
// missing in one language is looked for in the next, as FormatMessage does; a damaged one is
// left out. Empty when the file has no message table.
std::vector<MessageTableResource> FindMessageTables(std::string_view file,
                                                    std::uint16_t wanted = kUsEnglishLanguage);
std::vector<MessageTablePart> FindMessageTables(const PartsView& file,
                                                std::uint16_t wanted = kUsEnglishLanguage);

// How much of a file's start to read before MessageTableParts can judge it: the headers of
// real files take well under it. Where they do not, MessageTableParts asks for kPeHeadLimit,
// far more than any real file takes (a file whose section table lies beyond that counts as
// having no resources).
inline constexpr std::uint64_t kPeHeadSize = 4 * 1024;
inline constexpr std::uint64_t kPeHeadLimit = 64 * 1024;
// How much of the resource section to read for its directories, which come first.
inline constexpr std::uint64_t kResourceDirectoriesHead = 8 * 1024;

// The parts of a file to read for its message tables in the order of LanguageOrder for wanted,
// judged from what of it has been read: with the headers alone, the start of
// the resources, where the directories usually are; then each directory on the way to the
// tables, their data entries and the tables themselves (a system DLL holds some thirty
// languages of them), each as the part before it leads there. Nothing else of the resources,
// so a file whose resources claim a gigabyte costs what its directories take. Empty when the
// headers lead to no resources.
// With TableReach::Blocks only each table's count and array of blocks are asked for, and a
// reader fetches a block's entries when a code falls in it (MessageEntries): a system table is
// some 40 KiB a language, of which a lookup needs a few hundred bytes.
enum class TableReach { Whole, Blocks };
inline constexpr std::uint64_t kMessageBlocksHead = 2 * 1024;
std::vector<ByteRange> MessageTableParts(const PartsView& file,
                                         std::uint16_t wanted = kUsEnglishLanguage,
                                         TableReach reach = TableReach::Whole);

// Every language the file's message table is held in, in the directory's order.
std::vector<std::uint16_t> MessageTableLanguages(std::string_view file);

}  // namespace quillon
