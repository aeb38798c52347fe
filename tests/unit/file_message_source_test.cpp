// The file-backed message source over the generated DLLs, laid out as a Windows directory
// spelt in other letter cases and as Wine's DLL folders.
#include "lookup/file_message_source.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "lookup/message_file_locator.h"
#include "message_files_test_data.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using Id = MessageSourceId;

// A scratch folder of its own per test, removed afterwards.
class MessageFilesTest : public testing::Test {
 protected:
  void SetUp() override {
    const auto* test = testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::temp_directory_path() / (std::string("quillon-") + test->name());
    fs::remove_all(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path Put(const fs::path& relative, const std::string& bytes) {
    const fs::path path = root_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  fs::path PutTestFile(const fs::path& relative, const std::string& name) {
    return Put(relative, ReadTestMessageFile(name));
  }

  fs::path root_;
};

TEST_F(MessageFilesTest, ReadsPe32EightBitAndPe32PlusUtf16Tables) {
  struct Case {
    std::uint32_t code;
    std::optional<std::string> pe32;
    std::optional<std::string> pe32plus;
  };
  const Case cases[] = {
      {5, "Access is denied.", "Access is denied."},
      {6, "The handle is invalid.", "The handle is invalid."},
      {7, "Caf\xE9 for %1.", "Caf\xC3\xA9 for %1."},
      {8, std::nullopt, std::nullopt},  // German only
      {100, "Line one.\nLine two.", "Line one.\nLine two."},
      {0x80070057, "The parameter %1 is incorrect in %hs.",
       "The parameter %1 is incorrect in %hs."},
      {0xC0000005, "The instruction referenced memory it could not read.",
       "The instruction referenced memory it could not read."},
      {0x57, std::nullopt, std::nullopt},
      // The system table answers an HRESULT that wraps a Win32 code; a module's does not.
      {0x80070006, "The handle is invalid.", std::nullopt},
      {0xC0070005, "Access is denied.", std::nullopt},
      {0x90070005, std::nullopt, std::nullopt},
  };
  MessageFiles files;
  files.system = {TestMessageFile("messages_pe32.dll")};
  files.ntdll = {TestMessageFile("messages_pe32plus.dll")};
  FileMessageSource source(files);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(c.pe32, source.Message(Id::System, c.code));
    EXPECT_EQ(c.pe32plus, source.Message(Id::Ntdll, c.code));
    EXPECT_EQ(std::nullopt, source.Message(Id::Wininet, c.code)) << "a source without files";
  }
}

TEST_F(MessageFilesTest, WindowsDirectoryInOtherCasesLanguageFileFirst) {
  const fs::path mui =
      PutTestFile("WINDOWS/sYSTEM32/EN-us/KERNELBASE.DLL.MUI", "language_file.dll.mui");
  const fs::path module = PutTestFile("WINDOWS/sYSTEM32/kernelbase.DLL", "messages_pe32plus.dll");
  const fs::path kernel32 = PutTestFile("WINDOWS/sYSTEM32/Kernel32.dll", "messages_pe32.dll");
  const fs::path ntdll = PutTestFile("WINDOWS/sYSTEM32/NTDLL.dll", "messages_pe32.dll");
  const fs::path wininet = Put("WINDOWS/sYSTEM32/WinInet.dll", "MZ damaged");
  Put("WINDOWS/sYSTEM32/de-DE/kernelbase.dll.mui", "not asked for en-US");

  const MessageFiles files = LocateWindowsFiles(root_ / "WINDOWS", kDefaultMessageLanguage);
  EXPECT_EQ((FileList{mui, module, kernel32}), files.system);
  EXPECT_EQ(FileList{wininet}, files.wininet);
  EXPECT_EQ(FileList{ntdll}, files.ntdll);
  EXPECT_EQ(FileList{}, files.ntoskrnl);

  FileMessageSource source(files);
  EXPECT_EQ("Access is denied (language file).", source.Message(Id::System, 5)) << "the .mui first";
  EXPECT_EQ("The handle is invalid.", source.Message(Id::System, 6)) << "then the module";
  EXPECT_EQ("The parameter %1 is incorrect (language file).",
            source.Message(Id::System, 0x80070057));
  EXPECT_EQ(std::nullopt, source.Message(Id::System, 9));
  EXPECT_EQ("Access is denied.", source.Message(Id::Ntdll, 5));
  EXPECT_EQ(std::nullopt, source.Message(Id::Wininet, 5)) << "a damaged file has no messages";
  EXPECT_EQ(std::nullopt, source.Message(Id::Ntoskrnl, 5));

  EXPECT_EQ((FileList{module, kernel32}), LocateWindowsFiles(root_ / "WINDOWS", "fr-FR").system)
      << "no folder for the language: the modules alone";
  EXPECT_TRUE(HasNoFiles(LocateWindowsFiles(root_ / "elsewhere", kDefaultMessageLanguage)));
}

TEST_F(MessageFilesTest, EachFileIsOpenedOnceWhenFirstNeeded) {
  const fs::path first = PutTestFile("first.dll", "language_file.dll.mui");
  const fs::path second = PutTestFile("second.dll", "messages_pe32.dll");
  MessageFiles files;
  files.system = {first, second};
  FileMessageSource source(files);
  fs::remove(second);  // not yet opened: counts as missing
  EXPECT_EQ("Access is denied (language file).", source.Message(Id::System, 5));
  EXPECT_EQ(std::nullopt, source.Message(Id::System, 6));
  fs::remove(first);  // already read: still answers
  EXPECT_EQ("Access is denied (language file).", source.Message(Id::System, 5));
}

TEST_F(MessageFilesTest, FirstWineFolderThatHoldsAModuleAndNothingWhenNone) {
  const fs::path kernelbase = PutTestFile("i386-windows/kernelbase.dll", "messages_pe32.dll");
  const fs::path ntoskrnl = PutTestFile("i386-windows/NTOSKRNL.EXE", "messages_pe32.dll");
  PutTestFile("x86_64-windows/wininet.dll", "messages_pe32plus.dll");
  const fs::path folders[] = {root_ / "missing", root_ / "i386-windows", root_ / "x86_64-windows"};
  const std::optional<MessageFiles> files = LocateWineFiles(folders);
  ASSERT_TRUE(files.has_value());
  EXPECT_EQ(FileList{kernelbase}, files->system);
  EXPECT_EQ(FileList{}, files->wininet) << "the next folder is not asked";
  EXPECT_EQ(FileList{}, files->ntdll);
  EXPECT_EQ(FileList{ntoskrnl}, files->ntoskrnl);

  const fs::path empty[] = {root_ / "missing", root_};
  EXPECT_FALSE(LocateWineFiles(empty).has_value());
}

}  // namespace
}  // namespace quillon
