// The message-table reader against the platform: for every code in defines.db3, the reader
// on the DLLs that Wine loads gives the text that FormatMessageA gives in this process, after
// the same trimming. Both copies are checked: Wine's own folder (what quillon-cli --wine reads)
// and the prefix's C:\windows\system32.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "driver/message_tables_win.h"
#include "driver/program_copy_win.h"
#include "lookup/file_message_source.h"
#include "lookup/message_file_locator.h"
#include "lookup/message_table.h"

namespace e2e {
namespace {

using quillon::MessageSourceId;

constexpr char kWineDllFolder[] = "Z:\\usr\\lib\\i386-linux-gnu\\wine\\i386-windows";
constexpr char kPrefixWindows[] = "C:\\windows";
constexpr std::uint32_t kFirstWininetCode = 12000;
constexpr std::uint32_t kLastWininetCode = 12174;

struct Ask {
  MessageSourceId source;
  std::uint32_t code;
};

// Every code of the generated database with the source the lookups ask for it, from the
// list the build made beside the driver ("KIND CODE" per line, codes as signed 32-bit).
std::vector<Ask> AsksFromDatabase() {
  std::ifstream list(BesideDriver("oracle-codes.txt"));
  std::vector<Ask> asks;
  std::string kind;
  std::int64_t signedCode = 0;
  while (list >> kind >> signedCode) {
    const auto code = static_cast<std::uint32_t>(signedCode);
    if (kind == "Win32" && code <= 0xFFFF) {
      const bool wininet = code >= kFirstWininetCode && code <= kLastWininetCode;
      asks.push_back({wininet ? MessageSourceId::Wininet : MessageSourceId::System, code});
    } else if (kind == "HRESULT") {
      asks.push_back({MessageSourceId::System, code});
    } else if (kind == "NTSTATUS") {
      asks.push_back({MessageSourceId::Ntdll, code});
    } else if (kind == "STOP") {
      asks.push_back({MessageSourceId::Ntoskrnl, code});
    }
  }
  return asks;
}

// FormatMessageA answers in the ANSI code page; the reader gives UTF-8 for UTF-16 entries.
std::string AnsiToUtf8(const std::string& text) {
  if (text.empty()) {
    return text;
  }
  const int units =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), units);
  const int bytes =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}

std::string PlatformText(const Ask& ask) {
  switch (ask.source) {
    case MessageSourceId::Wininet:
      return ModuleMessage("wininet", ask.code);
    case MessageSourceId::Ntdll:
      return ModuleMessage("ntdll", ask.code);
    case MessageSourceId::Ntoskrnl:
      return ModuleMessage("ntoskrnl.exe", ask.code);
    case MessageSourceId::System:
      break;
  }
  return SystemMessage(ask.code);
}

void ExpectReaderMatchesPlatform(const char* name, const quillon::MessageFiles& files,
                                 const std::vector<Ask>& asks) {
  ASSERT_FALSE(files.system.empty()) << name << ": no system table file";
  ASSERT_FALSE(files.wininet.empty()) << name << ": no wininet.dll";
  quillon::FileMessageSource reader(files);
  int withText = 0;
  int mismatches = 0;
  for (const Ask& ask : asks) {
    const std::string expected(quillon::TrimMessageEnd(AnsiToUtf8(PlatformText(ask))));
    const std::string actual = reader.Message(ask.source, ask.code).value_or("");
    withText += !expected.empty();
    if (expected != actual && ++mismatches <= 20) {
      ADD_FAILURE() << "oracle-1.2 " << name << " source " << static_cast<int>(ask.source)
                    << " code 0x" << std::hex << ask.code << ": FormatMessageA \"" << expected
                    << "\", reader \"" << actual << "\"";
    }
  }
  std::printf("oracle: %s: %zu codes compared, %d with a text, %d mismatches\n", name, asks.size(),
              withText, mismatches);
  EXPECT_EQ(0, mismatches) << "oracle-1.3 " << name;
  EXPECT_GT(withText, 700) << "oracle-1.4 " << name << ": the tables answered";
}

TEST(MessageFilesOracle, ReaderOnWinesDllsGivesTheTextsOfFormatMessageA) {
  const std::vector<Ask> asks = AsksFromDatabase();
  ASSERT_GT(asks.size(), 6000u) << "oracle-1.1 the generated database's codes";
  const std::filesystem::path wineFolder[] = {kWineDllFolder};
  const std::optional<quillon::MessageFiles> wine = quillon::LocateWineFiles(wineFolder);
  ASSERT_TRUE(wine.has_value()) << "oracle-1.5 Wine's DLL folder";
  ExpectReaderMatchesPlatform("Wine's DLL folder", *wine, asks);
  ExpectReaderMatchesPlatform(
      "the prefix's system32",
      quillon::LocateWindowsFiles(kPrefixWindows, quillon::kDefaultMessageLanguage), asks);
}

}  // namespace
}  // namespace e2e
