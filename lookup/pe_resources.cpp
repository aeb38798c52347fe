#include "lookup/pe_resources.h"

#include <algorithm>
#include <array>
#include <functional>
#include <vector>

#include "lookup/le_bytes.h"
#include "lookup/message_table.h"

namespace quillon {

namespace {

constexpr std::uint16_t kDosMagic = 0x5A4D;     // "MZ"
constexpr std::uint32_t kPeSignature = 0x4550;  // "PE\0\0"
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint64_t kNewHeaderOffsetField = 0x3C;
constexpr std::uint64_t kFileHeaderSize = 20;
constexpr std::uint64_t kSectionHeaderSize = 40;
constexpr std::uint64_t kDataDirectorySize = 8;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint64_t kResourceDirectoryHeaderSize = 16;
constexpr std::uint64_t kResourceEntrySize = 8;
constexpr std::uint64_t kResourceDataEntrySize = 16;
// The high bit of an entry's name marks a name string, of its offset a subdirectory.
constexpr std::uint32_t kHighBit = 0x80000000u;

constexpr std::uint16_t kPrimaryEnglish = 0x09;
constexpr std::uint16_t kPrimaryNeutral = 0x00;

// The readers below take the file's bytes as a std::string_view of them all or as a PartsView
// of a file read in parts (Bytes); what was not read reads as nothing.

// The section table, enough to turn a relative virtual address into bytes of the file.
template <typename Bytes>
struct SectionTable {
  Bytes file;
  std::string_view headers;  // NumberOfSections entries of 40 bytes
};

// The bytes from rva to the end of the section's data in the file, or nothing when no section
// holds rva. Bytes a section has only in memory (beyond its raw data) count as absent.
template <typename Bytes>
std::optional<Bytes> BytesAtRva(const SectionTable<Bytes>& sections, std::uint32_t rva) {
  for (std::uint64_t at = 0; at + kSectionHeaderSize <= sections.headers.size();
       at += kSectionHeaderSize) {
    const std::uint32_t address = *ReadU32(sections.headers, at + 12);
    const std::uint32_t rawSize = *ReadU32(sections.headers, at + 16);
    const std::uint32_t rawOffset = *ReadU32(sections.headers, at + 20);
    if (rva < address || rva - address >= rawSize) {
      continue;
    }
    const std::uint64_t delta = rva - address;
    if (rawOffset + delta >= sections.file.size()) {
      return std::nullopt;
    }
    const std::uint64_t available =
        std::min<std::uint64_t>(rawSize - delta, sections.file.size() - (rawOffset + delta));
    return SubBytes(sections.file, rawOffset + delta, available);
  }
  return std::nullopt;
}

template <typename Bytes>
struct ResourceRoot {
  SectionTable<Bytes> sections;
  Bytes resources;  // from the resource directory's start to its section's end
};

template <typename Bytes>
std::optional<ResourceRoot<Bytes>> FindResourceRoot(const Bytes& file) {
  if (ReadU16(file, 0) != kDosMagic) {
    return std::nullopt;
  }
  const std::optional<std::uint32_t> peOffset = ReadU32(file, kNewHeaderOffsetField);
  if (!peOffset || ReadU32(file, *peOffset) != kPeSignature) {
    return std::nullopt;
  }
  const std::uint64_t fileHeader = std::uint64_t{*peOffset} + 4;
  const std::optional<std::uint16_t> sectionCount = ReadU16(file, fileHeader + 2);
  const std::optional<std::uint16_t> optionalSize = ReadU16(file, fileHeader + 16);
  const std::uint64_t optionalHeader = fileHeader + kFileHeaderSize;
  const std::optional<std::uint16_t> magic = ReadU16(file, optionalHeader);
  if (!sectionCount || !optionalSize || !magic) {
    return std::nullopt;
  }
  std::uint64_t countField = 0;  // NumberOfRvaAndSizes; the data directories follow it
  if (*magic == kPe32Magic) {
    countField = 92;
  } else if (*magic == kPe32PlusMagic) {
    countField = 108;
  } else {
    return std::nullopt;
  }
  const std::optional<std::string_view> optional = SliceBytes(file, optionalHeader, *optionalSize);
  const std::optional<std::uint32_t> directoryCount =
      optional ? ReadU32(*optional, countField) : std::nullopt;
  if (!directoryCount || *directoryCount <= kResourceDirectoryIndex) {
    return std::nullopt;
  }
  const std::uint64_t resourceEntry = countField + 4 + kResourceDirectoryIndex * kDataDirectorySize;
  const std::optional<std::uint32_t> resourceRva = ReadU32(*optional, resourceEntry);
  const std::optional<std::string_view> sectionHeaders =
      SliceBytes(file, optionalHeader + *optionalSize, *sectionCount * kSectionHeaderSize);
  if (!resourceRva || *resourceRva == 0 || !sectionHeaders) {
    return std::nullopt;
  }
  const SectionTable<Bytes> sections{file, *sectionHeaders};
  const std::optional<Bytes> resources = BytesAtRva(sections, *resourceRva);
  if (!resources) {
    return std::nullopt;
  }
  return ResourceRoot<Bytes>{sections, *resources};
}

struct ResourceEntry {
  std::uint32_t id = 0;
  std::uint32_t offset = 0;  // from the resource directory's start, without the high bit
  bool isDirectory = false;
};

// The entries with numeric ids of the directory at offset; nothing when they do not fit.
template <typename Bytes>
std::optional<std::vector<ResourceEntry>> IdEntries(const Bytes& resources, std::uint32_t offset) {
  const std::optional<std::uint16_t> namedCount = ReadU16(resources, std::uint64_t{offset} + 12);
  const std::optional<std::uint16_t> idCount = ReadU16(resources, std::uint64_t{offset} + 14);
  if (!namedCount || !idCount) {
    return std::nullopt;
  }
  const std::uint64_t first =
      offset + kResourceDirectoryHeaderSize + *namedCount * kResourceEntrySize;
  const std::optional<std::string_view> table =
      SliceBytes(resources, first, *idCount * kResourceEntrySize);
  if (!table) {
    return std::nullopt;
  }
  std::vector<ResourceEntry> entries;
  entries.reserve(*idCount);
  for (std::uint64_t at = 0; at < table->size(); at += kResourceEntrySize) {
    const std::uint32_t id = *ReadU32(*table, at);
    const std::uint32_t target = *ReadU32(*table, at + 4);
    if ((id & kHighBit) == 0) {
      entries.push_back({id, target & ~kHighBit, (target & kHighBit) != 0});
    }
  }
  return entries;
}

// The subdirectory that the entry id of the directory at offset leads to. Refused when it is
// a data entry or leads back to a directory on the way here (visited).
template <typename Bytes>
std::optional<std::uint32_t> Subdirectory(const Bytes& resources, std::uint32_t offset,
                                          std::uint32_t id,
                                          std::span<const std::uint32_t> visited) {
  const std::optional<std::vector<ResourceEntry>> entries = IdEntries(resources, offset);
  if (!entries) {
    return std::nullopt;
  }
  const auto entry = std::find_if(entries->begin(), entries->end(),
                                  [id](const ResourceEntry& e) { return e.id == id; });
  if (entry == entries->end() || !entry->isDirectory ||
      std::find(visited.begin(), visited.end(), entry->offset) != visited.end()) {
    return std::nullopt;
  }
  return entry->offset;
}

// The language entries of the message table named 1 that lead to data (a fourth level of
// directories is not followed); nothing when the directories are missing or damaged.
struct LanguageEntries {
  std::vector<std::uint16_t> languages;
  std::vector<std::uint32_t> dataOffsets;  // the data entry of each language
};

template <typename Bytes>
std::optional<LanguageEntries> MessageTableEntries(const Bytes& resources) {
  std::vector<std::uint32_t> visited{0};
  const std::optional<std::uint32_t> names =
      Subdirectory(resources, 0, kMessageTableResourceType, visited);
  if (!names) {
    return std::nullopt;
  }
  visited.push_back(*names);
  const std::optional<std::uint32_t> languageDirectory =
      Subdirectory(resources, *names, kMessageTableResourceName, visited);
  const std::optional<std::vector<ResourceEntry>> entries =
      languageDirectory ? IdEntries(resources, *languageDirectory) : std::nullopt;
  if (!entries) {
    return std::nullopt;
  }
  LanguageEntries found;
  for (const ResourceEntry& entry : *entries) {
    if (!entry.isDirectory && entry.id <= 0xFFFFu) {
      found.languages.push_back(static_cast<std::uint16_t>(entry.id));
      found.dataOffsets.push_back(entry.offset);
    }
  }
  return found;
}

// The table that the data entry at offset of the resource directory describes.
template <typename Bytes>
std::optional<Bytes> TableData(const ResourceRoot<Bytes>& root, std::uint32_t offset) {
  const std::optional<std::string_view> dataEntry =
      SliceBytes(root.resources, offset, kResourceDataEntrySize);
  if (!dataEntry) {
    return std::nullopt;
  }
  const std::uint32_t dataRva = *ReadU32(*dataEntry, 0);
  const std::uint32_t dataSize = *ReadU32(*dataEntry, 4);
  const std::optional<Bytes> at = BytesAtRva(root.sections, dataRva);
  return at ? SubBytes(*at, 0, dataSize) : std::nullopt;
}

template <typename Bytes>
std::vector<MessageTableIn<Bytes>> TablesIn(const Bytes& file, std::uint16_t wanted) {
  const std::optional<ResourceRoot<Bytes>> root = FindResourceRoot(file);
  const std::optional<LanguageEntries> entries =
      root ? MessageTableEntries(root->resources) : std::nullopt;
  std::vector<MessageTableIn<Bytes>> tables;
  if (!entries) {
    return tables;
  }
  for (const std::size_t chosen : LanguageOrder(entries->languages, wanted)) {
    if (const std::optional<Bytes> table = TableData(*root, entries->dataOffsets[chosen])) {
      tables.push_back({*table, entries->languages[chosen]});
    }
  }
  return tables;
}

template <typename Bytes>
std::optional<MessageTableIn<Bytes>> TableIn(const Bytes& file, std::uint16_t wanted) {
  const std::optional<ResourceRoot<Bytes>> root = FindResourceRoot(file);
  const std::optional<LanguageEntries> entries =
      root ? MessageTableEntries(root->resources) : std::nullopt;
  const std::optional<std::size_t> chosen =
      entries ? ChooseLanguage(entries->languages, wanted) : std::nullopt;
  const std::optional<Bytes> table =
      chosen ? TableData(*root, entries->dataOffsets[*chosen]) : std::nullopt;
  if (!table) {
    return std::nullopt;
  }
  return MessageTableIn<Bytes>{*table, entries->languages[*chosen]};
}

}  // namespace

std::vector<std::size_t> LanguageOrder(std::span<const std::uint16_t> languages,
                                       std::uint16_t wanted) {
  const std::uint16_t neutralForm = PrimaryLanguage(wanted);  // SUBLANG_NEUTRAL is 0
  using Step = std::function<bool(std::uint16_t)>;
  const std::array<Step, 6> steps{
      [&](std::uint16_t l) { return l == wanted; },
      [&](std::uint16_t l) { return l == neutralForm; },
      [](std::uint16_t l) { return l == kUsEnglishLanguage; },
      [&](std::uint16_t l) { return PrimaryLanguage(l) == kPrimaryEnglish; },
      [&](std::uint16_t l) { return PrimaryLanguage(l) == kPrimaryNeutral; },
      [](std::uint16_t) { return true; },
  };
  std::vector<std::size_t> order;
  for (const Step& step : steps) {
    std::optional<std::size_t> best;  // the lowest id the step takes
    for (std::size_t i = 0; i < languages.size(); ++i) {
      if (step(languages[i]) && (!best || languages[i] < languages[*best])) {
        best = i;
      }
    }
    if (best && std::find(order.begin(), order.end(), *best) == order.end()) {
      order.push_back(*best);
    }
  }
  return order;
}

std::optional<std::size_t> ChooseLanguage(std::span<const std::uint16_t> languages,
                                          std::uint16_t wanted) {
  const std::vector<std::size_t> order = LanguageOrder(languages, wanted);
  return order.empty() ? std::nullopt : std::optional<std::size_t>(order.front());
}

std::vector<MessageTableResource> FindMessageTables(std::string_view file, std::uint16_t wanted) {
  return TablesIn(file, wanted);
}

std::vector<MessageTablePart> FindMessageTables(const PartsView& file, std::uint16_t wanted) {
  return TablesIn(file, wanted);
}

std::optional<MessageTableResource> FindMessageTableResource(std::string_view file,
                                                             std::uint16_t wanted) {
  return TableIn(file, wanted);
}

std::optional<MessageTablePart> FindMessageTableResource(const PartsView& file,
                                                         std::uint16_t wanted) {
  return TableIn(file, wanted);
}

std::vector<ByteRange> MessageTableParts(const PartsView& file, std::uint16_t wanted,
                                         TableReach reach) {
  const std::optional<ResourceRoot<PartsView>> root = FindResourceRoot(file);
  if (!root) {
    // Headers that reach past the first part read (a long DOS stub) get one more look.
    return file.size() > kPeHeadSize ? std::vector<ByteRange>{{0, kPeHeadLimit}}
                                     : std::vector<ByteRange>{};
  }
  const std::uint64_t base = root->resources.offset;
  // The directories usually lie together at the start: one read serves the common file.
  std::vector<ByteRange> parts{
      {base, std::min<std::uint64_t>(kResourceDirectoriesHead, root->resources.size())}};
  // Elsewhere each step of the way is read on its own, as the steps before it lead there: a
  // part not read yet reads as nothing, which leads nowhere until it has been read. Nothing else
  // of the resources is read, however large the section claims to be.
  const auto directory = [&](std::uint32_t offset) {
    parts.push_back({base + offset, kResourceDirectoryHeaderSize});
    const std::uint64_t entries =
        std::uint64_t{ReadU16(root->resources, offset + 12ull).value_or(0)} +
        ReadU16(root->resources, offset + 14ull).value_or(0);
    parts.push_back({base + offset + kResourceDirectoryHeaderSize, entries * kResourceEntrySize});
  };
  directory(0);
  std::vector<std::uint32_t> visited{0};
  const std::optional<std::uint32_t> names =
      Subdirectory(root->resources, 0, kMessageTableResourceType, visited);
  if (!names) {
    return parts;
  }
  directory(*names);
  visited.push_back(*names);
  const std::optional<std::uint32_t> languages =
      Subdirectory(root->resources, *names, kMessageTableResourceName, visited);
  if (!languages) {
    return parts;
  }
  directory(*languages);
  const std::optional<LanguageEntries> entries = MessageTableEntries(root->resources);
  if (!entries) {
    return parts;
  }
  for (const std::size_t chosen : LanguageOrder(entries->languages, wanted)) {
    parts.push_back({base + entries->dataOffsets[chosen], kResourceDataEntrySize});
    if (const std::optional<PartsView> table = TableData(*root, entries->dataOffsets[chosen])) {
      // The count of blocks with room for the blocks of a system table; once the count is read,
      // any blocks past that room.
      const std::uint64_t blocks =
          kMessageTableCountSize + kMessageBlockSize * ReadU32(*table, 0).value_or(0);
      const std::uint64_t reached =
          reach == TableReach::Whole ? table->size() : std::max(blocks, kMessageBlocksHead);
      parts.push_back({table->offset, std::min<std::uint64_t>(reached, table->size())});
    }
  }
  return parts;
}

std::vector<std::uint16_t> MessageTableLanguages(std::string_view file) {
  const std::optional<ResourceRoot<std::string_view>> root = FindResourceRoot(file);
  std::optional<LanguageEntries> entries =
      root ? MessageTableEntries(root->resources) : std::nullopt;
  return entries ? std::move(entries->languages) : std::vector<std::uint16_t>{};
}

}  // namespace quillon
