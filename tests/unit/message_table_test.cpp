// Message tables built byte by byte: entry encodings, trimming, and damaged tables.
#include "lookup/message_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillon {
namespace {

constexpr std::uint16_t kEnglish = 0x409;

std::string Le(std::uint32_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) {
    out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  }
  return out;
}

// An entry: Length (header included), Flags, the text bytes and a zero.
std::string Entry(std::uint16_t flags, const std::string& text) {
  const std::string body = text + (flags == 1 ? std::string(2, '\0') : std::string(1, '\0'));
  return Le(static_cast<std::uint32_t>(4 + body.size()), 2) + Le(flags, 2) + body;
}

std::string Utf16(const std::u16string& text) {
  std::string out;
  for (const char16_t unit : text) {
    out += Le(unit, 2);
  }
  return out;
}

struct Block {
  std::uint32_t lowId;
  std::uint32_t highId;
  std::string entries;
};

// The table with its blocks' entries laid out after the block array, in order.
std::string Table(const std::vector<Block>& blocks) {
  std::string head = Le(static_cast<std::uint32_t>(blocks.size()), 4);
  std::string body;
  const std::size_t start = 4 + 12 * blocks.size();
  for (const Block& block : blocks) {
    head += Le(block.lowId, 4) + Le(block.highId, 4) +
            Le(static_cast<std::uint32_t>(start + body.size()), 4);
    body += block.entries;
  }
  return head + body;
}

struct Case {
  const char* name;
  std::string table;
  std::uint32_t code;
  std::optional<std::string> expected;
};

TEST(MessageTable, ABlocksEntriesRunToWhereTheNextBlocksBegin) {
  // Three blocks laid out in order: 10..11 (two entries), 20 (one), 30..32 (three).
  const std::string two = Entry(0, "ten") + Entry(0, "eleven");
  const std::string one = Entry(0, "twenty");
  const std::string three = Entry(0, "a") + Entry(0, "b") + Entry(0, "c");
  const std::string table = Table({{10, 11, two}, {20, 20, one}, {30, 32, three}});
  const MessageBlocks blocks = ReadMessageBlocks(table);
  const std::uint64_t first = 4 + 12 * 3;
  struct Span {
    const char* name;
    std::uint32_t code;
    std::optional<std::size_t> block;
    std::uint64_t offset;
    std::uint64_t size;
  };
  const Span spans[] = {
      {"a first block's", 11, 0, first, two.size()},
      {"a middle block's", 20, 1, first + two.size(), one.size()},
      {"the last block's runs to the table's end", 31, 2, first + two.size() + one.size(),
       three.size()},
      {"between blocks", 15, std::nullopt, 0, 0},
      {"past every block", 33, std::nullopt, 0, 0},
  };
  for (const Span& c : spans) {
    SCOPED_TRACE(c.name);
    const std::optional<BlockEntries> entries = MessageEntries(blocks, c.code, table.size());
    ASSERT_EQ(c.block.has_value(), entries.has_value());
    if (entries) {
      EXPECT_EQ(*c.block, entries->block);
      EXPECT_EQ(c.offset, entries->range.offset);
      EXPECT_EQ(c.size, entries->range.size);
      // The span alone, the rest zeros, finds the code as the whole table does.
      std::string only(table.size(), '\0');
      only.replace(0, first, table.substr(0, first));
      only.replace(c.offset, c.size, table.substr(c.offset, c.size));
      EXPECT_EQ(FindMessage(table, c.code, kEnglish), FindMessage(only, blocks, c.code, kEnglish));
    }
  }
  // A block whose entries lie past the table has none to read.
  EXPECT_EQ(std::nullopt, MessageEntries(blocks, 20, first + two.size()));
}

TEST(MessageTable, DecodesEntriesAsTheTableHoldsThem) {
  const std::string threeAnsi = Entry(0, "five") + Entry(0, "six\r\n") + Entry(0, "seven");
  const Case cases[] = {
      {"first id of a block", Table({{5, 7, threeAnsi}}), 5, "five"},
      {"last id of a block", Table({{5, 7, threeAnsi}}), 7, "seven"},
      {"below the block", Table({{5, 7, threeAnsi}}), 4, std::nullopt},
      {"above the block", Table({{5, 7, threeAnsi}}), 8, std::nullopt},
      {"second block", Table({{1, 1, Entry(0, "one")}, {0xC0000005, 0xC0000005, Entry(0, "av")}}),
       0xC0000005, "av"},
      {"8-bit text in Windows-1252", Table({{1, 1, Entry(0, "Caf\xE9 %1 %hs")}}), 1,
       "Caf\xC3\xA9 %1 %hs"},
      {"trailing CR LF, blanks and tabs trimmed", Table({{1, 1, Entry(0, "a\r\nb \t\r\n  ")}}), 1,
       "a\r\nb"},
      {"text ends at its zero", Table({{1, 1, Entry(0, std::string("ab\0cd", 5))}}), 1, "ab"},
      {"only blanks", Table({{1, 1, Entry(0, " \r\n")}}), 1, ""},
      {"UTF-16 to UTF-8", Table({{1, 1, Entry(1, Utf16(u"Caf\u00e9 \u20ac\r\n"))}}), 1,
       "Caf\xC3\xA9 \xE2\x82\xAC"},
      {"surrogate pair", Table({{1, 1, Entry(1, Utf16(u"\U0001F600"))}}), 1, "\xF0\x9F\x98\x80"},
      {"lone surrogates become U+FFFD",
       Table({{1, 1, Entry(1, Utf16(std::u16string{0xD800, u'x', 0xDC00}))}}), 1,
       "\xEF\xBF\xBDx\xEF\xBF\xBD"},
      {"UTF-8 entry", Table({{1, 1, Entry(2, "\xC3\xA9")}}), 1, "\xC3\xA9"},
      {"unknown encoding", Table({{1, 1, Entry(7, "x")}}), 1, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expected, FindMessage(c.table, c.code, kEnglish));
  }
}

TEST(MessageTable, DamagedTablesFindNothing) {
  const std::string one = Table({{1, 1, Entry(0, "one")}});
  std::string entryPastEnd = one;
  entryPastEnd[16] = '\x7F';  // the entry's length
  std::string zeroLength = Table({{1, 3, Entry(0, "one")}});
  zeroLength[16] = 0;
  const Case cases[] = {
      {"empty", "", 1, std::nullopt},
      {"block count past the end", Le(0xFFFFFFFF, 4) + one.substr(4), 1, std::nullopt},
      {"entries offset past the end", Le(1, 4) + Le(1, 4) + Le(1, 4) + Le(0xFFFFFFF0, 4), 1,
       std::nullopt},
      {"entry length past the end", entryPastEnd, 1, std::nullopt},
      {"entry length 0 would never advance", zeroLength, 3, std::nullopt},
      {"high id below low id", Table({{5, 4, Entry(0, "x")}}), 5, std::nullopt},
      {"block of every id, entries run out", Table({{0, 0xFFFFFFFF, Entry(0, "x")}}), 0xFFFFFFFF,
       std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expected, FindMessage(c.table, c.code, kEnglish));
  }
  // Cut anywhere, a table gives its text whole or not at all.
  const std::string table = Table({{1, 2, Entry(0, "one") + Entry(1, Utf16(u"two"))}});
  for (std::size_t size = 0; size < table.size(); ++size) {
    SCOPED_TRACE(size);
    const std::string cut = table.substr(0, size);
    EXPECT_EQ(std::nullopt, FindMessage(cut, 2, kEnglish));
    const std::optional<std::string> first = FindMessage(cut, 1, kEnglish);
    EXPECT_TRUE(!first || *first == "one");
  }
}

TEST(MessageTable, ListsEveryMessageOnceAndStopsWhereABlockIsDamaged) {
  const auto all = [](const std::string& table) {
    std::vector<std::pair<std::uint32_t, std::string>> listed;
    for (TableMessage& message : AllMessages(table, ReadMessageBlocks(table), kEnglish)) {
      listed.emplace_back(message.id, std::move(message.text));
    }
    return listed;
  };
  using Listed = std::vector<std::pair<std::uint32_t, std::string>>;
  EXPECT_EQ((Listed{{5, "five"}, {6, "six"}, {0xC0000005, "av"}}),
            all(Table({{5, 6, Entry(0, "five\r\n") + Entry(1, Utf16(u"six"))},
                       {0xC0000005, 0xC0000005, Entry(0, "av")}})));
  EXPECT_EQ((Listed{{0xFFFFFFFE, "x"}, {0xFFFFFFFF, "y"}}),
            all(Table({{0xFFFFFFFE, 0xFFFFFFFF, Entry(0, "x") + Entry(0, "y")}})))
      << "the last id ends the walk";
  EXPECT_EQ((Listed{{0, "x"}}), all(Table({{0, 0xFFFFFFFF, Entry(0, "x")}})))
      << "a block of every id ends with its entries";
  EXPECT_EQ((Listed{{2, "b"}}), all(Table({{1, 2, Entry(7, "a") + Entry(0, "b")}})))
      << "an entry of unknown encoding is left out";
  EXPECT_TRUE(all("").empty());
}

TEST(MessageTable, EightBitEntriesAreReadInTheCodePageOfTheTablesLanguage) {
  struct CodePageCase {
    const char* name;
    std::uint16_t language;
    std::string bytes;
    std::string expected;  // UTF-8
  };
  const CodePageCase cases[] = {
      {"French, Windows-1252", 0x40C,
       "Acc\xE8s refus\xE9 \x9B"
       "31m",
       "Acc\xC3\xA8s refus\xC3\xA9 \xE2\x80\xBA"
       "31m"},
      {"Windows-1252 leaves 0x81 undefined: its C1 control, as on Windows", 0x407, "a\x81z",
       "a\xC2\x81z"},
      {"neutral reads as Windows-1252", 0x000, "\x80", "\xE2\x82\xAC"},
      {"Czech, Windows-1250", 0x405, "P\xD8\xCDSTUP", "P\xC5\x98\xC3\x8DSTUP"},
      {"Polish, Windows-1250", 0x415,
       "\xA3\xF3"
       "d\x9F",
       "\xC5\x81\xC3\xB3"
       "d\xC5\xBA"},
      {"Russian, Windows-1251", 0x419, "\xC4\xEE\xF1\xF2\xF3\xEF",
       "\xD0\x94\xD0\xBE\xD1\x81\xD1\x82\xD1\x83\xD0\xBF"},
      {"Serbian in Cyrillic, Windows-1251", 0x0C1A, "\x80\xFF", "\xD0\x82\xD1\x8F"},
      {"Croatian, Windows-1250", 0x041A, "\x8A", "\xC5\xA0"},
      {"Japanese is not read: U+FFFD for each byte from 0x80", 0x411, "a\x82\xA0",
       "a\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const CodePageCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string table = Table({{1, 1, Entry(0, c.bytes)}});
    EXPECT_EQ(c.expected, FindMessage(table, 1, c.language));
    const std::vector<TableMessage> all = AllMessages(table, ReadMessageBlocks(table), c.language);
    ASSERT_EQ(1u, all.size());
    EXPECT_EQ(c.expected, all[0].text);
  }
}

// Blocks that point at entries other blocks point at: a lookup finds what a walk finds, and a
// listing costs no more entries and text than the table's bytes can hold apart.
TEST(MessageTable, BlocksSharingEntriesCostNoMoreThanTheTablesBytes) {
  constexpr std::uint32_t kBlocks = 1000;
  constexpr std::uint32_t kEntries = 1000;
  struct Sharing {
    const char* name;
    std::uint16_t flags;
    std::string entry;
    std::uint32_t stride;  // between the ids of one block and the next
  };
  const std::string longUtf16 = Utf16(std::u16string(400, u'\u20AC'));
  const Sharing cases[] = {
      {"same ids, same entries", 0, Entry(0, "zz"), 0},
      {"other ids, same entries", 0, Entry(0, "zz"), kEntries},
      {"long UTF-16 entries", 1, Entry(1, longUtf16), kEntries},
  };
  for (const Sharing& c : cases) {
    SCOPED_TRACE(c.name);
    std::string entries;
    for (std::uint32_t i = 0; i < kEntries; ++i) {
      entries += c.entry;
    }
    std::string table = Le(kBlocks, 4);
    const std::uint32_t first = 4 + 12 * kBlocks;
    for (std::uint32_t b = 0; b < kBlocks; ++b) {
      table += Le(b * c.stride, 4) + Le(b * c.stride + kEntries - 1, 4) + Le(first, 4);
    }
    table += entries;
    EXPECT_EQ(FindMessage(table, 1, kEnglish),
              FindMessage(table, (kBlocks - 1) * c.stride + 1, kEnglish));
    const std::vector<TableMessage> all = AllMessages(table, ReadMessageBlocks(table), kEnglish);
    std::size_t text = 0;
    for (const TableMessage& message : all) {
      text += message.text.size();
    }
    EXPECT_LE(all.size(), table.size() / c.entry.size());
    EXPECT_LE(text, 3 * table.size());
    EXPECT_GE(all.size(), kEntries) << "the first block is listed whole";
  }
}

}  // namespace
}  // namespace quillon
