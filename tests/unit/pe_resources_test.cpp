// The message table located in the generated DLLs, the language rule, and the same DLLs
// damaged at each header the reader follows.
#include "lookup/pe_resources.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "crafted_modules.h"
#include "lookup/file_bytes.h"
#include "lookup/le_bytes.h"
#include "lookup/message_table.h"
#include "message_files_test_data.h"

namespace quillon {
namespace {

constexpr std::uint32_t kAccessDenied = 5;
constexpr char kAccessDeniedText[] = "Access is denied.";

// The text of code in a table read in parts, as far as they were read.
std::optional<std::string> WholeMessage(const MessageTablePart& table, std::uint32_t code) {
  return FindMessage(table.bytes, ReadMessageBlocks(table.bytes), code, table.language);
}

TEST(PeResources, ChoosesTheLanguageItsNeutralFormUsEnglishEnglishNeutralThenLowest) {
  struct Case {
    const char* name;
    std::uint16_t wanted;
    std::vector<std::uint16_t> languages;
    std::optional<std::size_t> expected;
  };
  const Case cases[] = {
      {"none", 0x409, {}, std::nullopt},
      {"US English among others", 0x409, {0x407, 0x809, 0x409, 0x000}, 2},
      {"English of another sublanguage", 0x409, {0x407, 0x0C09, 0x809}, 2},
      {"Wine's plain English", 0x409, {0x407, 0x0009}, 1},
      {"neutral", 0x409, {0x407, 0x0400, 0x0000}, 2},
      {"lowest id", 0x409, {0x40C, 0x407, 0x410}, 1},
      {"primary language is the low 10 bits", 0x409, {0x40C, 0x7C09}, 1},
      {"the language itself", 0x407, {0x409, 0x0007, 0x407}, 2},
      {"its neutral form (Wine's German)", 0x407, {0x409, 0x0C07, 0x0007}, 2},
      {"another region is no fallback: US English", 0x807, {0x0C09, 0x409, 0x407}, 1},
      {"then any English", 0x40C, {0x407, 0x0C09, 0x809}, 2},
      {"then language-neutral", 0x40C, {0x407, 0x0400, 0x0000}, 2},
      {"then the lowest id", 0x40C, {0x410, 0x407}, 1},
      {"a neutral name asks for the neutral form first", 0x0007, {0x407, 0x0007}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expected, ChooseLanguage(c.languages, c.wanted));
  }
}

TEST(PeResources, FindsTheTableOfPe32Pe32PlusAndLanguageFiles) {
  struct Case {
    const char* file;
    std::uint16_t language;
    const char* text;
  };
  const Case cases[] = {
      {"messages_pe32.dll", 0x409, kAccessDeniedText},
      {"messages_pe32plus.dll", 0x409, kAccessDeniedText},
      {"language_file.dll.mui", 0x809, "Access is denied (language file)."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string bytes = ReadTestMessageFile(c.file);
    const std::optional<MessageTableResource> table = FindMessageTableResource(bytes);
    ASSERT_TRUE(table.has_value());
    EXPECT_EQ(c.language, table->language);
    EXPECT_EQ(c.text, FindMessage(table->bytes, kAccessDenied, table->language));
  }
}

TEST(FileParts, AReadGivesBytesOnlyWhereOnePartHoldsThemAllAndNeverLeavesItsView) {
  FileParts file(100);
  std::memcpy(file.Add(10, 10), "0123456789", 10);
  std::memcpy(file.Add(15, 10), "5678956789", 10);  // overlaps the first
  const PartsView whole{&file, 0, 100};
  const PartsView inner = *SubBytes(whole, 12, 5);  // bytes 12 to 16, inside the first part
  struct Case {
    const char* name;
    PartsView view;
    std::uint64_t offset;
    std::uint64_t size;
    std::optional<std::string_view> expected;
  };
  const Case cases[] = {
      {"inside the first part", whole, 10, 10, "0123456789"},
      {"inside the second, past the first", whole, 18, 7, "8956789"},
      {"across both parts", whole, 12, 10, std::nullopt},
      {"before any part", whole, 0, 4, std::nullopt},
      {"nothing at a part's end", whole, 25, 0, ""},
      {"past the file", whole, 99, 2, std::nullopt},
      {"offset past the file", whole, 101, 0, std::nullopt},
      {"a view's offsets are its own", inner, 0, 3, "234"},
      {"a read past the view, though read", inner, 4, 2, std::nullopt},
      {"a huge size does not wrap", inner, 1, ~std::uint64_t{0}, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expected, SliceBytes(c.view, c.offset, c.size));
  }
  EXPECT_FALSE(SubBytes(inner, 3, 3).has_value()) << "a view within a view stays within it";
  EXPECT_EQ(0x3332u, ReadU16(inner, 0)) << "little-endian, as of a string_view";
  EXPECT_EQ(20u, file.BytesRead());
}

TEST(PeResources, OfAFileOnlyTheHeadersDirectoriesAndTablesAskedForAreRead) {
  const auto partsFor = [](std::uint16_t language) {
    return [language](const PartsView& bytes) { return MessageTableParts(bytes, language); };
  };
  // The test DLL's resources fit in the part read for the directories: it reads whole.
  const std::string small = ReadTestMessageFile("messages_pe32plus.dll");
  const std::optional<FileBytes> smallParts =
      ReadFileParts(TestMessageFile("messages_pe32plus.dll"), 1024, partsFor(0x407));
  ASSERT_TRUE(smallParts.has_value());
  const std::vector<MessageTablePart> tables = FindMessageTables(smallParts->View(), 0x407);
  ASSERT_EQ(2u, tables.size()) << "German, then US English";
  EXPECT_EQ("Zugriff verweigert.", WholeMessage(tables[0], kAccessDenied));
  FileParts damaged(10);
  std::memcpy(damaged.Add(0, 10), "MZ damaged", 10);
  EXPECT_TRUE(MessageTableParts(PartsView{&damaged, 0, 10}).empty());

  // Wine's kernelbase.dll holds some thirty languages in 1.8 MB of resources.
  const std::string kernelbase = "/usr/lib/i386-linux-gnu/wine/i386-windows/kernelbase.dll";
  const std::optional<FileBytes> german = ReadFileParts(kernelbase, kPeHeadSize, partsFor(0x407));
  if (!german) {
    GTEST_SKIP() << kernelbase << " is missing";
  }
  EXPECT_LT(german->parts->BytesRead(), german->parts->size() / 10);
  const std::vector<MessageTablePart> germanTables = FindMessageTables(german->View(), 0x407);
  ASSERT_FALSE(germanTables.empty());
  EXPECT_EQ(0x0007, germanTables[0].language) << "Wine's German is the neutral form";
  EXPECT_EQ("Zugriff verweigert.", WholeMessage(germanTables[0], kAccessDenied));

  // Of the tables only their blocks: a code's entries are read when it is asked for, and a
  // code that no block holds needs nothing more.
  const std::optional<FileBytes> blocks = ReadFileParts(
      kernelbase, kPeHeadSize,
      [](const PartsView& bytes) { return MessageTableParts(bytes, 0x407, TableReach::Blocks); });
  ASSERT_TRUE(blocks.has_value());
  const std::vector<MessageTablePart> blockTables = FindMessageTables(blocks->View(), 0x407);
  ASSERT_EQ(germanTables.size(), blockTables.size());
  const MessageTablePart& first = blockTables[0];
  const MessageBlocks firstBlocks = ReadMessageBlocks(first.bytes);
  ASSERT_FALSE(firstBlocks.blocks.empty());
  EXPECT_EQ(ReadMessageBlocks(germanTables[0].bytes).blocks.size(), firstBlocks.blocks.size());
  // The last block's entries lie past what the blocks took.
  const std::uint32_t late = firstBlocks.blocks.back().lowId;
  const std::optional<std::string> lateText = WholeMessage(germanTables[0], late);
  ASSERT_TRUE(lateText.has_value());
  EXPECT_EQ(std::nullopt, FindMessage(first.bytes, firstBlocks, late, first.language));
  EXPECT_EQ(std::nullopt, MessageEntries(firstBlocks, 0x7FFFFFFF, first.bytes.size()));
  const std::optional<BlockEntries> entries = MessageEntries(firstBlocks, late, first.bytes.size());
  ASSERT_TRUE(entries.has_value());
  EXPECT_LT(entries->range.size, first.bytes.size() / 4);
  ASSERT_TRUE(
      ReadFilePart(*blocks, {first.bytes.offset + entries->range.offset, entries->range.size}));
  EXPECT_EQ(lateText, FindMessage(first.bytes, firstBlocks, late, first.language));
}

TEST(PeResources, ReadsTheTableInTheLanguageAskedFor) {
  const std::string bytes = ReadTestMessageFile("messages_pe32plus.dll");
  EXPECT_EQ((std::vector<std::uint16_t>{0x407, 0x409, 0x809}), MessageTableLanguages(bytes));
  struct Case {
    std::uint16_t wanted;
    std::uint16_t language;
    const char* text;
  };
  const Case cases[] = {
      {0x407, 0x407, "Zugriff verweigert."},
      {0x807, 0x409, kAccessDeniedText},
      {0x809, 0x809, "Access is denied, UK."},
      {0x40C, 0x409, kAccessDeniedText},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.wanted);
    const std::optional<MessageTableResource> table = FindMessageTableResource(bytes, c.wanted);
    ASSERT_TRUE(table.has_value());
    EXPECT_EQ(c.language, table->language);
    EXPECT_EQ(c.text, FindMessage(table->bytes, kAccessDenied, table->language));
  }
  EXPECT_TRUE(MessageTableLanguages("MZ damaged").empty());
}

// No crash, no read outside the bytes (ASan watches), and no text for the code.
void ExpectNothingFound(const std::string& file) {
  const std::optional<MessageTableResource> table = FindMessageTableResource(file);
  EXPECT_FALSE(table && FindMessage(table->bytes, kAccessDenied, table->language));
}

TEST(PeResources, DamagedHeadersFindNothing) {
  struct Damage {
    const char* name;
    std::uint32_t Layout::*field;  // null: offset is from the file's start
    std::uint32_t offset;          // from the field
    std::uint32_t value;
  };
  const Damage damages[] = {
      {"no MZ", nullptr, 0, 0x00905A5A},
      {"new header offset past the end", nullptr, 0x3C, 0xFFFFFFF0},
      {"no PE signature", &Layout::pe, 0, 0x4551},
      {"unknown optional header", &Layout::optional, 0, 0x107},
      {"section count past the end", &Layout::pe, 4, 0xFFFF014C},
      {"optional header size past the end", &Layout::pe, 20, 0x2022FFFF},
      {"no resource directory", &Layout::directoryCount, 0, 2},
      {"optional header ends before the resource entry", &Layout::pe, 20, 0x20220060},
      {"resource address in no section", &Layout::directoryCount, 4 + 16, 0xFFFFFF00},
      {"resource data past the end", &Layout::rsrcSection, 20, 0xFFFFFF00},
      {"resource data size 0", &Layout::rsrcSection, 16, 0},
      {"root entry count past the end", &Layout::root, 12, 0xFFFF0000},
      {"type directory is the root", &Layout::root, 20, kSubdirectory},
      {"name directory is the root", &Layout::typeDirectory, 20, kSubdirectory},
      {"data entry past the end", &Layout::languageDirectory, 28, 0x7FFFFFF0},
      {"data address in no section", &Layout::dataEntry, 0, 0xFFFFFFF0},
      {"data size past the end", &Layout::dataEntry, 4, 0xFFFFFFFF},
      {"block count overflows", &Layout::table, 0, 0xFFFFFFFF},
      {"block entries past the end", &Layout::table, 12, 0xFFFFFFF0},
  };
  for (const char* name : {"messages_pe32.dll", "messages_pe32plus.dll"}) {
    const std::string original = ReadTestMessageFile(name);
    const Layout layout = LayoutOf(original);
    ASSERT_EQ(kMessageTableResourceType, ReadU32(original, layout.root + 16)) << name;
    ASSERT_EQ(0x409u, ReadU32(original, layout.languageDirectory + 24)) << name;
    for (const Damage& d : damages) {
      SCOPED_TRACE(std::string(name) + ": " + d.name);
      std::string file = original;
      Put32(file, d.offset + (d.field != nullptr ? layout.*d.field : 0), d.value);
      ExpectNothingFound(file);
    }
    SCOPED_TRACE(std::string(name) + ": name directory is the type directory");
    std::string loop = original;
    Put32(loop, layout.typeDirectory + 20, kSubdirectory | (layout.typeDirectory - layout.root));
    ExpectNothingFound(loop);
    SCOPED_TRACE(std::string(name) + ": languages nest a fourth level");
    std::string nested = original;
    for (std::uint32_t entry = 0; entry < 3; ++entry) {
      const std::uint32_t at = layout.languageDirectory + 20 + 8 * entry;
      Put32(nested, at, ReadU32(nested, at).value() | kSubdirectory);
    }
    ExpectNothingFound(nested);
  }
}

// How many bytes of the file at path a reading for its message tables takes, and what it finds.
struct PartsRead {
  std::uint64_t bytes = 0;
  std::optional<std::string> text;  // of kAccessDenied
};

PartsRead ReadForTables(const std::filesystem::path& path) {
  std::set<std::pair<std::uint64_t, std::uint64_t>> asked{{0, kPeHeadSize}};
  const auto parts = [&asked](const PartsView& bytes) {
    std::vector<ByteRange> ranges = MessageTableParts(bytes);
    for (const ByteRange& range : ranges) {
      if (range.offset < bytes.size()) {
        asked.insert({range.offset, std::min(range.size, bytes.size() - range.offset)});
      }
    }
    return ranges;
  };
  const std::optional<FileBytes> file = ReadFileParts(path, kPeHeadSize, parts);
  PartsRead read;
  for (const auto& [offset, size] : asked) {
    read.bytes += size;
  }
  const std::optional<MessageTablePart> table =
      file ? FindMessageTableResource(file->View()) : std::nullopt;
  if (table) {
    read.text = WholeMessage(*table, kAccessDenied);
  }
  return read;
}

TEST(PeResources, OfTheResourcesOnlyWhatTheirDirectoriesLeadToIsRead) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("quillon-pe-parts-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string original = ReadTestMessageFile("messages_pe32.dll");
  const Layout layout = LayoutOf(original);
  const std::uint32_t rawOffset = ReadU32(original, layout.rsrcSection + 20).value();

  // The language directory moved 1 MiB past the others, inside a section grown to reach it.
  std::string far = original;
  const std::uint32_t moved = layout.root + (1u << 20);
  far.resize(moved, '\0');
  far += original.substr(layout.languageDirectory, 16 + 3 * 8);
  Put32(far, layout.rsrcSection + 16, static_cast<std::uint32_t>(far.size()) - rawOffset);
  Put32(far, layout.typeDirectory + 20, kSubdirectory | (moved - layout.root));
  std::ofstream(dir / "far.dll", std::ios::binary) << far;
  const PartsRead farRead = ReadForTables(dir / "far.dll");
  EXPECT_EQ(kAccessDeniedText, farRead.text);
  EXPECT_LT(farRead.bytes, 32u * 1024) << "the directory is read, not the megabyte before it";

  // Resources without a message table in a section that claims a gigabyte of a sparse file.
  std::string noTable = original;
  Put32(noTable, layout.root + 16, kMessageTableResourceType + 1);
  Put32(noTable, layout.rsrcSection + 16, (1u << 30) - rawOffset);
  std::ofstream(dir / "sparse.dll", std::ios::binary) << noTable;
  std::filesystem::resize_file(dir / "sparse.dll", 1u << 30);
  const PartsRead sparseRead = ReadForTables(dir / "sparse.dll");
  EXPECT_EQ(std::nullopt, sparseRead.text);
  EXPECT_LT(sparseRead.bytes, 32u * 1024);
  std::filesystem::remove_all(dir);
}

TEST(PeResources, TruncatedAnywhereGivesTheWholeTextOrNothing) {
  for (const char* name : {"messages_pe32.dll", "messages_pe32plus.dll"}) {
    const std::string file = ReadTestMessageFile(name);
    for (std::size_t size = 0; size < file.size(); ++size) {
      const std::string cut = file.substr(0, size);
      const std::optional<MessageTableResource> table = FindMessageTableResource(cut);
      const std::optional<std::string> text =
          table ? FindMessage(table->bytes, kAccessDenied, table->language) : std::nullopt;
      ASSERT_TRUE(!text || *text == kAccessDeniedText) << name << " cut at " << size;
    }
  }
}

}  // namespace
}  // namespace quillon
