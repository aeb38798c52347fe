// The file-backed message source over the generated DLLs, laid out as a Windows directory
// spelt in other letter cases and as Wine's DLL folders.
#include "lookup/file_message_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "lookup/family_modules.h"
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
      {7, "Caf\xC3\xA9 for %1.", "Caf\xC3\xA9 for %1."},
      {8, "Nur auf Deutsch.", "Nur auf Deutsch."},  // German only: the last resort
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

  EXPECT_EQ((FileList{mui, module, kernel32}),
            LocateWindowsFiles(root_ / "WINDOWS", "fr-FR").system)
      << "no folder for the language: US English's, then the modules";
  EXPECT_TRUE(HasNoFiles(LocateWindowsFiles(root_ / "elsewhere", kDefaultMessageLanguage)));
}

TEST_F(MessageFilesTest, TheLanguageFolderThenUsEnglishThenTheModuleEachMessageInTheLanguage) {
  const fs::path german =
      PutTestFile("Windows/System32/de-DE/KernelBase.dll.mui", "messages_pe32plus.dll");
  const fs::path english =
      PutTestFile("Windows/System32/en-US/KernelBase.dll.mui", "language_file.dll.mui");
  const fs::path module = PutTestFile("Windows/System32/KernelBase.dll", "messages_pe32.dll");
  const MessageFiles files = LocateWindowsFiles(root_ / "Windows", "de-DE");
  EXPECT_EQ((FileList{german, english, module}), files.system);

  FileMessageSource source(files, 0x407);
  struct Case {
    std::uint32_t code;
    std::optional<std::string> text;
  };
  const Case cases[] = {
      {5, "Zugriff verweigert."},
      {8, "Nur auf Deutsch."},
      {6, "The handle is invalid."},  // no German text: the file's US English one
      // The German folder's file in English comes before US English's file.
      {0x80070057, "The parameter %1 is incorrect in %hs."},
      {9, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(c.text, source.Message(Id::System, c.code));
  }
}

TEST_F(MessageFilesTest, AFamilysModuleAnswersOnlyItsCodesAndTheUsersModulesComeLast) {
  const fs::path own = TestMessageFile("own_module.dll");
  const fs::path system = TestMessageFile("messages_pe32.dll");
  const fs::path folder = root_ / "System32";
  PutTestFile("System32/netmsg.dll", "own_module.dll");
  PutTestFile("System32/mprmsg.dll", "own_module.dll");
  MessageFiles files = LocateWindowsFiles(root_, "en-US");
  ASSERT_EQ(3u, files.families.size());
  EXPECT_EQ((FileList{folder / "netmsg.dll"}), files.families[1]);
  files.system = {system};
  struct Case {
    const char* name;
    ErrorType type;
    std::uint32_t code;
    std::optional<std::string> text;
  };
  const Case cases[] = {
      {"network management", ErrorType::Win32, 2102,
       "The workstation driver is not installed (test)."},
      {"remote access", ErrorType::Win32, 600, "Remote access request pending (test)."},
      {"routing", ErrorType::Win32, 900, "The router is stopped (test)."},
      {"a code of no family", ErrorType::Win32, 5, std::nullopt},
      {"a family's code of another kind", ErrorType::Hresult, 2102, std::nullopt},
      {"no user's module yet", ErrorType::Hresult, 0xC0041001, std::nullopt},
  };
  FileMessageSource families(files);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.text, families.FurtherMessage(c.type, c.code));
  }
  EXPECT_EQ("Access is denied.", families.Message(Id::System, 5)) << "the sources keep theirs";

  files.own = {own};
  FileMessageSource withOwn(files, 0x407);
  EXPECT_EQ("Fehler unseres Produkts.", withOwn.FurtherMessage(ErrorType::Hresult, 0xC0041001));
  EXPECT_EQ("Fehler unseres Produkts.", withOwn.FurtherMessage(ErrorType::NtStatus, 0xC0041001));
  EXPECT_EQ(std::nullopt, withOwn.FurtherMessage(ErrorType::Stop, 0xC0041001));
  EXPECT_EQ(std::nullopt, withOwn.FurtherMessage(ErrorType::Hresult, 5))
      << "a low value is a Win32 code, which a user's module does not answer";
  EXPECT_EQ("Der Arbeitsstationstreiber ist nicht installiert (Test).",
            withOwn.FurtherMessage(ErrorType::Win32, 2102));

  std::vector<std::pair<TableOrigin::Kind, std::uint32_t>> listed;
  for (const OriginMessage& message : withOwn.AllMessages()) {
    listed.emplace_back(message.origin.kind, message.message.id);
  }
  using Kind = TableOrigin::Kind;
  EXPECT_NE(listed.end(), std::find(listed.begin(), listed.end(), std::pair{Kind::Source, 5u}));
  EXPECT_NE(listed.end(), std::find(listed.begin(), listed.end(), std::pair{Kind::Family, 600u}));
  EXPECT_NE(listed.end(),
            std::find(listed.begin(), listed.end(), std::pair{Kind::Own, 0xC0041001u}));
}

TEST_F(MessageFilesTest, AFileCutAfterItWasReadStillAnswers) {
  const fs::path path = PutTestFile("cut.dll", "messages_pe32.dll");
  MessageFiles files;
  files.system = {path};
  FileMessageSource source(files);
  ASSERT_EQ("Access is denied.", source.Message(Id::System, 5));
  fs::resize_file(path, 64);  // a mapping of it would now fault on the lost pages
  EXPECT_EQ("The handle is invalid.", source.Message(Id::System, 6));
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
