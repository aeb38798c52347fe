// Modules made from the generated DLLs by rewriting their bytes: where the fields of their
// headers lie, and a copy that carries a message table of the test's own.
#pragma once

#include <cstdint>
#include <string>

#include "lookup/le_bytes.h"

namespace quillon {

inline constexpr std::uint32_t kSubdirectory = 0x80000000u;

// File offsets of the fields a damaged copy overwrites, found by walking the headers the way
// the format lays them out (the generated DLLs hold one type, one name and three languages).
struct Layout {
  std::uint32_t pe = 0;
  std::uint32_t optional = 0;
  std::uint32_t directoryCount = 0;  // NumberOfRvaAndSizes
  std::uint32_t rsrcSection = 0;     // its section header
  std::uint32_t root = 0;
  std::uint32_t typeDirectory = 0;
  std::uint32_t languageDirectory = 0;
  std::uint32_t dataEntry = 0;  // of US English, the second language
  std::uint32_t table = 0;
};

inline Layout LayoutOf(const std::string& file) {
  const auto u16 = [&](std::uint32_t at) { return ReadU16(file, at).value(); };
  const auto u32 = [&](std::uint32_t at) { return ReadU32(file, at).value(); };
  Layout l;
  l.pe = u32(0x3C);
  l.optional = l.pe + 24;
  l.directoryCount = l.optional + (u16(l.optional) == 0x20B ? 108 : 92);
  const std::uint32_t sections = l.optional + u16(l.pe + 20);
  for (std::uint32_t i = 0; i < u16(l.pe + 6); ++i) {
    if (file.compare(sections + 40 * i, 5, ".rsrc") == 0) {
      l.rsrcSection = sections + 40 * i;
    }
  }
  const std::uint32_t rsrcAddress = u32(l.rsrcSection + 12);
  l.root = u32(l.rsrcSection + 20);
  l.typeDirectory = l.root + (u32(l.root + 20) & ~kSubdirectory);
  l.languageDirectory = l.root + (u32(l.typeDirectory + 20) & ~kSubdirectory);
  l.dataEntry = l.root + u32(l.languageDirectory + 28);
  l.table = l.root + (u32(l.dataEntry) - rsrcAddress);
  return l;
}

inline void Put32(std::string& file, std::uint32_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    file.at(at + i) = static_cast<char>((value >> (8 * i)) & 0xFF);
  }
}

// dll with table as its US English message table, put after the resources, which grow to
// hold it (the resource section is the file's last).
inline std::string WithUsEnglishTable(const std::string& dll, const std::string& table) {
  const Layout layout = LayoutOf(dll);
  const std::uint32_t rawOffset = ReadU32(dll, layout.rsrcSection + 20).value();
  const std::uint32_t address = ReadU32(dll, layout.rsrcSection + 12).value();
  std::string file = dll;
  file.resize((file.size() + 3) / 4 * 4, '\0');
  const auto at = static_cast<std::uint32_t>(file.size());
  file += table;
  Put32(file, layout.rsrcSection + 16, static_cast<std::uint32_t>(file.size()) - rawOffset);
  Put32(file, layout.dataEntry, address + (at - rawOffset));
  Put32(file, layout.dataEntry + 4, static_cast<std::uint32_t>(table.size()));
  return file;
}

}  // namespace quillon
