// The support pages' readers: each markup from a small page of our own, then the published
// archive as the build unpacks it.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/make_defines/database_writer.h"
#include "tools/make_defines/setup_codes.h"
#include "tools/make_defines/support_markup.h"
#include "tools/make_defines/support_pages.h"

namespace quillon::make_defines {
namespace {

namespace fs = std::filesystem;

const DocumentedCode* Find(const DocumentedPage& page, std::uint32_t value) {
  const auto found = std::find_if(page.codes.begin(), page.codes.end(),
                                  [&](const DocumentedCode& code) { return code.value == value; });
  return found == page.codes.end() ? nullptr : &*found;
}

DocumentedPage Read(std::string_view text, std::vector<std::string>& unused) {
  return ReadSupportPage({"test/page.md", "en-US", "servicing"}, text, unused);
}

const DocumentedPair* FindPair(const SetupCodes& codes, std::uint32_t result,
                               std::uint32_t extend) {
  const auto found = std::find_if(
      codes.pairs.begin(), codes.pairs.end(),
      [&](const DocumentedPair& pair) { return pair.result == result && pair.extend == extend; });
  return found == codes.pairs.end() ? nullptr : &*found;
}

TEST(SupportMarkup, CellsBecomePlainTextAndLines) {
  struct Row {
    std::string_view name;
    std::string_view markup;
    std::vector<std::string> lines;
  };
  const std::vector<Row> rows = {
      {"escapes, code and emphasis",
       R"(`WU_E\_AU` **bold** *it* &quot;x&quot;)",
       {"WU_E_AU bold it \"x\""}},
      {"links keep their text, pictures go",
       "See [KB920659](../kb.md) ![x](a.png)now",
       {"See KB920659 now"}},
      {"breaks and items",
       "One.<br/>Two.<br>\n<ol><li>Three</li><li>Four</li></ol>",
       {"One.", "Two.", "Three", "Four"}},
      {"an escaped angle bracket is no tag",
       R"(Take a trace. \<Refer to it>)",
       {"Take a trace. <Refer to it>"}},
      {"a backslash before a code mark stays", R"(`Windows Update\`.)", {R"(Windows Update\.)"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.lines, PlainLines(row.markup));
  }
}

TEST(SupportMarkup, CodesAreEightDigitWholeWords) {
  EXPECT_EQ((std::vector<std::uint32_t>{0x800F081F, 0xC1900101, 0x80040005, 0xC00D2711}),
            FindCodes("0x800f081f, 0XC1900101 and 80040005 or 0xC00D2711L"));
  EXPECT_TRUE(FindCodes("0x8007002 0x800xxxxx 800704B8A 0x1234567890 x80040005").empty());
  EXPECT_EQ(std::vector<std::string>{"0x8007002"}, FindMalformedCodes("0x8007002 - 0x20009"));
}

TEST(SupportPages, MarkdownRowsGiveNameValueAndText) {
  const std::string page =
      "# Common corruption errors\n\n|Code|Error|Description|\n|---|---|---|\n"
      "|0x800F081F|CBS\\_E\\_SOURCE\\_MISSING|The source for the package or file not found.|\n"
      "|0x8007002|ERROR_X|A code of seven digits.|\n"
      "|0x80070002|ERROR_FILE_NOT_FOUND|The system cannot find the file specified.|\n";
  std::vector<std::string> unused;
  const DocumentedPage read = Read(page, unused);
  ASSERT_EQ(2u, read.codes.size());
  EXPECT_EQ(3u, read.rowsRead);
  EXPECT_EQ("CBS_E_SOURCE_MISSING", read.codes[0].name);
  EXPECT_EQ(ErrorType::Hresult, read.codes[0].kind);
  EXPECT_EQ("The source for the package or file not found.", read.codes[0].text);
  EXPECT_TRUE(read.codes[0].remedies.empty());
  ASSERT_EQ(3u, unused.size());
  EXPECT_EQ("test/page.md: a code of other than eight digits: 0x8007002", unused[0]);
  // The HRESULT form of a Win32 code is not named by the Win32 code's name.
  EXPECT_EQ("", Find(read, 0x80070002)->name);
  EXPECT_EQ("The system cannot find the file specified.", Find(read, 0x80070002)->text);

  // The same page with CR LF line ends reads the same.
  std::string crlf;
  for (const char c : page) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  std::vector<std::string> unusedCrlf;
  const DocumentedPage again = Read(crlf, unusedCrlf);
  ASSERT_EQ(2u, again.codes.size());
  EXPECT_EQ(read.codes[0].text, again.codes[0].text);
  EXPECT_EQ(unused, unusedCrlf);
}

TEST(SupportPages, HeadingPerCodeWithMitigationAndSharedHeadings) {
  const std::string page = R"(---
title: Common errors
---
## 0x800f081f

| Message | Description | Mitigation |
|---------|-------------|------------|
| CBS_E_SOURCE_MISSING; source for package or file not found | Component Store corruption | Repair the component store:<br>`Dism /RestoreHealth`<br>Restart the device. |

## 0x80072EFD or 0x80072EFE or 0x80D02002

| Message | Description | Mitigation |
|---------|-------------|------------|
| TIME_OUT_ERRORS | The operation timed out | Make sure that no firewall blocks the URLs. |

## 0x80072EFE

| Message | Description | Mitigation |
|---------|-------------|------------|
| WININET_E_CONNECTION_ABORTED; The connection was closed abnormally | BITS can't transfer the file. | Check BITS. |

## 0x80200053

| Message | Description | Mitigation |
|---------|-------------|------------|
| BG_E_VALIDATION_FAILED | NA | Check the firewalls. |
)";
  std::vector<std::string> unused;
  const DocumentedPage read = Read(page, unused);
  const DocumentedCode* missing = Find(read, 0x800F081F);
  ASSERT_NE(nullptr, missing);
  EXPECT_EQ("CBS_E_SOURCE_MISSING", missing->name);
  EXPECT_EQ("source for package or file not found", missing->text);
  EXPECT_EQ((std::vector<std::string>{"Cause: Component Store corruption",
                                      "Repair the component store:", "Dism /RestoreHealth",
                                      "Restart the device."}),
            missing->remedies);

  // Each of the three codes gets the row, none the name of the group.
  for (const std::uint32_t value : {0x80072EFDu, 0x80D02002u}) {
    const DocumentedCode* code = Find(read, value);
    ASSERT_NE(nullptr, code);
    EXPECT_EQ("", code->name);
    EXPECT_EQ("The operation timed out", code->text);
    EXPECT_EQ(std::vector<std::string>{"Make sure that no firewall blocks the URLs."},
              code->remedies);
  }
  // A code's own row, later on the page, gives its name and text; remedies gather, causes first.
  const DocumentedCode* aborted = Find(read, 0x80072EFE);
  ASSERT_NE(nullptr, aborted);
  EXPECT_EQ("WININET_E_CONNECTION_ABORTED", aborted->name);
  EXPECT_EQ("The connection was closed abnormally", aborted->text);
  EXPECT_EQ(
      (std::vector<std::string>{"Cause: BITS can't transfer the file.",
                                "Make sure that no firewall blocks the URLs.", "Check BITS."}),
      aborted->remedies);
  EXPECT_EQ("", Find(read, 0x80200053)->text);  // "NA" is no text
  EXPECT_NE(unused.end(), std::find(unused.begin(), unused.end(),
                                    "test/page.md: a name under a heading of several codes: "
                                    "TIME_OUT_ERRORS"));
}

TEST(SupportPages, HtmlRowsWithCauseAndMitigation) {
  const std::string page = R"(## Other result codes
<table>
<tr>
<td BGCOLOR="#a0e4fa"><B>Error code</th>
<td BGCOLOR="#a0e4fa"><B>Cause</th>
<td BGCOLOR="#a0e4fa"><B>Mitigation</th>
<tr>
<td>0xC1900201</td>
<td>The system did not pass the minimum requirements.</td>
<td>Contact the hardware vendor.<br>Ensure that &quot;Download and install updates&quot; is accepted.</td>
<tr>
<td>0x80240FFF </td>
<td>Update synchronization fails.
<td> Do the following:
<ol>
<li>Disable the Upgrades classification.</li>
<li>Install <a href="x">hotfix 3095113</a>.</li>
</ol>
</td>
</tr>
</table>
)";
  std::vector<std::string> unused;
  const DocumentedPage read = Read(page, unused);
  ASSERT_EQ(2u, read.codes.size());
  EXPECT_EQ((std::vector<std::string>{"Cause: The system did not pass the minimum requirements.",
                                      "Contact the hardware vendor.",
                                      "Ensure that \"Download and install updates\" is accepted."}),
            Find(read, 0xC1900201)->remedies);
  EXPECT_EQ("", Find(read, 0xC1900201)->text);  // a cause is never the code's text
  EXPECT_EQ((std::vector<std::string>{"Cause: Update synchronization fails.",
                                      "Do the following:", "Disable the Upgrades classification.",
                                      "Install hotfix 3095113 ."}),
            Find(read, 0x80240FFF)->remedies);
}

TEST(SupportPages, ActivationHeadingsWithCauseAndSolution) {
  const std::string page = R"(# Activation error codes

|Error code |Error message |Activation type|
|-----------|--------------|----------------|
|[0xC004F074](#0xc004f074) |0xC004F074 No Key Management Service (KMS) could be contacted. |KMS client |

### 0xC004F074 No KMS could be contacted

> The Software Protection Service reported that the computer couldn't be activated.

**Causes:**

This issue can occur for several reasons:

- All KMS hosts returned errors.
- DNS has no record.

**Solution:**

To resolve this issue:

1. Open the **Application Event Log**.

   > [!NOTE]
   > A note of the step.

2. Troubleshoot each error.

More text that is no step.
)";
  std::vector<std::string> unused;
  const DocumentedPage read = Read(page, unused);
  ASSERT_EQ(1u, read.codes.size());
  EXPECT_EQ("No Key Management Service (KMS) could be contacted.", read.codes[0].text);
  EXPECT_EQ(
      (std::vector<std::string>{
          "Cause: This issue can occur for several reasons: All KMS hosts returned errors. "
          "DNS has no record.",
          "To resolve this issue:", "Open the Application Event Log.", "Troubleshoot each error."}),
      read.codes[0].remedies);
}

TEST(SupportPages, PageAboutOneCodeGivesItsResolution) {
  const std::string steps = R"(# Troubleshoot Windows Update error 0x80070570

## Cause

Corrupted files.

## Resolution

> [!IMPORTANT]
> Back up the disk.

### Step 1: Clear the Windows Update cache

```console
# not a heading
```

### Step 2: Repair the component store
)";
  std::vector<std::string> unused;
  DocumentedPage read = Read(steps, unused);
  ASSERT_EQ(1u, read.codes.size());
  EXPECT_EQ((std::vector<std::string>{"Step 1: Clear the Windows Update cache",
                                      "Step 2: Repair the component store"}),
            read.codes[0].remedies);

  const std::string prose = R"(# Error 0x800f0922 caused by a corrupted task

## Delete staged packages

To fix this issue, follow these steps:

1. Find the staged packages:

	```powershell
	get-packages
	```

1. Delete them.
)";
  read = Read(prose, unused);
  ASSERT_EQ(1u, read.codes.size());
  EXPECT_EQ((std::vector<std::string>{"To fix this issue, follow these steps:",
                                      "Find the staged packages:", "Delete them."}),
            read.codes[0].remedies);

  read = Read("# DISM fails with 0x800f0906\n\n## Symptoms\n\nIt fails.\n", unused);
  EXPECT_TRUE(read.codes.empty());
  EXPECT_EQ("test/page.md: a page about DISM fails with 0x800f0906 without a Resolution section",
            unused.back());
}

TEST(SetupCodes, ExtendTablesAndPairsOfBothMarkups) {
  const std::string markdown = R"(### Extend code: phase

|Hex|Phase|
|--- |--- |
|4|SP_EXECUTION_OOBE_BOOT|

### Extend code: operation

|Hex|Operation|
|--- |--- |
|7|SP_EXECUTION_OP_INSTALL_DRIVERS|
|1A|SP_EXECUTION_OP_BEGIN_FIRST_BOOT|

| Code | Mitigation | Cause |
| :--- | :--- | :--- |
| 0xC1900101 - 0x4000D | Check the rollback logs.<br>Review the stop code. | A rollback occurred. |
| 0x80073BC3 - 0x20009<br>0x80070002 - 0x20009 | Disconnect the other system drive. | Multiple system partitions. |
)";
  const std::string html = R"(<table>
<tr><td><b>Hex</b><td><b>Operation</b>
<tr><td><span>7<td><span>SP_EXECUTION_OP_INSTALL_DRVIERS
</table>
<table border="1">
<tr><td>
<table><tr><td><B>Code</B>
<tr><td>0xC1900101 - 0x4000D</B>
</table>
<br><table><tr><td><b>Cause</b>
<tr><td>Another copy of the cause.
</table>
</td>
<td>
<table><tr><td><b>Mitigation</b>
<tr><td>Another copy of the mitigation.
</table>
</td></tr>
<tr><td>
<table><tr><td><B>Code</B>
<tr><td>0xC1900101 - 0x30018</B>
</table>
<br><table><tr><td><b>Cause</b>
<tr><td>A device driver has stopped responding.
</table>
</td>
<td>
<table><tr><td><b>Mitigation</b>
<tr><td>Disconnect all peripheral devices.
<br>Contact your hardware vendor.
</table>
</td></tr>
</table>
)";
  SetupCodes codes;
  AddSetupPage(codes, "support/procedures.md", markdown);
  AddSetupPage(codes, "itpro/procedures.md", html);
  ASSERT_EQ(1u, codes.phases.size());
  EXPECT_EQ(4u, codes.phases[0].number);
  EXPECT_EQ("SP_EXECUTION_OOBE_BOOT", codes.phases[0].name);
  ASSERT_EQ(2u, codes.operations.size());
  EXPECT_EQ("SP_EXECUTION_OP_INSTALL_DRIVERS", codes.operations[0].name);
  EXPECT_EQ(0x1Au, codes.operations[1].number);
  ASSERT_EQ(1u, codes.disagreements.size());  // the first page's name stays, the other is listed
  EXPECT_NE(std::string::npos, codes.disagreements[0].find("SP_EXECUTION_OP_INSTALL_DRVIERS"));

  ASSERT_EQ(4u, codes.pairs.size());
  const DocumentedPair* migrate = FindPair(codes, 0xC1900101, 0x4000D);
  ASSERT_NE(nullptr, migrate);
  EXPECT_EQ("A rollback occurred.", migrate->cause);
  EXPECT_EQ("support/procedures.md", migrate->page);
  ASSERT_EQ(2u, migrate->remedies.size());  // the second copy adds nothing
  EXPECT_EQ("Review the stop code.", migrate->remedies[1].text);
  EXPECT_EQ("support/procedures.md", migrate->remedies[1].page);
  ASSERT_NE(nullptr, FindPair(codes, 0x80070002, 0x20009));  // two pairs in one cell
  const DocumentedPair* sysprep = FindPair(codes, 0xC1900101, 0x30018);
  ASSERT_NE(nullptr, sysprep);
  EXPECT_EQ("A device driver has stopped responding.", sysprep->cause);
  EXPECT_EQ("itpro/procedures.md", sysprep->page);
  ASSERT_EQ(2u, sysprep->remedies.size());
  EXPECT_EQ("Contact your hardware vendor.", sysprep->remedies[1].text);

  // A page about one pair adds its resolution, named as its own.
  AddSetupPage(codes, "support/0x4000d.md",
               "# Upgrade fails with error 0xC1900101-0x4000D\n\n## Resolution\n\n"
               "Remove the driver.\n");
  EXPECT_EQ("Remove the driver.", migrate->remedies.back().text);
  EXPECT_EQ("support/0x4000d.md", migrate->remedies.back().page);
}

TEST(SetupCodes, WrittenAsTablesOfTheDatabase) {
  SetupCodes codes;
  codes.phases = {{4, "SP_EXECUTION_OOBE_BOOT", "a.md"}};
  codes.operations = {{0x0D, "SP_EXECUTION_OP_MIGRATE_DATA", "a.md"}};
  codes.pairs = {{0xC1900101,
                  0x4000D,
                  "A rollback occurred.",
                  "a.md",
                  {{"Check the logs.", "a.md"}, {"Remove the driver.", "b.md"}}},
                 {0x80070002, 0x20009, "", "", {}}};
  const fs::path path =
      fs::temp_directory_path() / ("quillon_setup_" + std::to_string(::getpid()) + ".db3");
  const std::vector<DefineRow> rows = {{ErrorType::Hresult, -1, "E_X", NameRank::Own, "h", 0}};
  ASSERT_EQ("", WriteDefinesDatabase({rows, {}, {}, &codes}, path));
  sqlite3* db = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr));
  const auto answer = [&](const char* sql) {
    std::string text;
    sqlite3_exec(
        db, sql,
        [](void* out, int columns, char** values, char**) {
          for (int i = 0; i < columns; ++i)
            *static_cast<std::string*>(out) += (values[i] ? values[i] : "NULL") + std::string("|");
          return 0;
        },
        &text, nullptr);
    return text;
  };
  EXPECT_EQ("4|SP_EXECUTION_OOBE_BOOT|NULL|", answer("SELECT * FROM SetupPhase"));
  EXPECT_EQ("SP_EXECUTION_OP_MIGRATE_DATA|",
            answer("SELECT Name FROM SetupOperation WHERE Number = 13"));
  EXPECT_EQ("NULL|NULL|A rollback occurred.|a.md|",  // signed, as ErrNum
            answer("SELECT Cause, Page FROM SetupPair ORDER BY Result"));
  EXPECT_EQ("2|Remove the driver.|b.md|",
            answer("SELECT Seq, Text, Page FROM SetupPairRemedy WHERE Result = -1047527167 "
                   "AND Extend = 262157 AND Seq = 2"));
  sqlite3_close(db);
  fs::remove(path);
}

class SupportArchive : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(fs::path(QUILLON_SUPPORT_DOCS_DIR) / "SOURCES.tsv"))
      GTEST_SKIP() << "the support pages are not unpacked in " << QUILLON_SUPPORT_DOCS_DIR;
  }
};

TEST_F(SupportArchive, PublishedPagesGiveTheCodesAdministratorsMeet) {
  const SupportReading reading = ReadSupportPages(QUILLON_SUPPORT_DOCS_DIR);
  ASSERT_EQ("", reading.error);
  EXPECT_EQ(27u, reading.pages.size());
  const auto documented = [&](std::uint32_t value) {
    for (const DocumentedPage& page : reading.pages) {
      if (const DocumentedCode* code = Find(page, value);
          code != nullptr && !code->remedies.empty())
        return std::make_pair(code, &page.page);
    }
    return std::make_pair(static_cast<const DocumentedCode*>(nullptr),
                          static_cast<const DocumentPage*>(nullptr));
  };
  const auto [missing, missingPage] = documented(0x800F081F);
  ASSERT_NE(nullptr, missing);
  EXPECT_EQ("CBS_E_SOURCE_MISSING", missing->name);
  EXPECT_NE(std::string::npos, missing->remedies[1].find("RestoreHealth"));
  EXPECT_EQ("servicing", SupportFamily("support/windows-server/installing-updates-features-roles/"
                                       "fix-windows-update-errors.md"));
  EXPECT_EQ("windows update", missingPage->family);
  const auto [kms, kmsPage] = documented(0xC004F074);
  ASSERT_NE(nullptr, kms);
  EXPECT_EQ("activation", kmsPage->family);
  EXPECT_NE(nullptr, documented(0x8024A10A).first);
  EXPECT_NE(nullptr, documented(0xC1900201).first);

  const SetupCodes setup = ReadSetupCodes(QUILLON_SUPPORT_DOCS_DIR);
  ASSERT_EQ("", setup.error);
  EXPECT_EQ(6u, setup.phases.size());
  EXPECT_EQ(33u, setup.operations.size());
  const DocumentedPair* pair = FindPair(setup, 0xC1900101, 0x4000D);
  ASSERT_NE(nullptr, pair);
  EXPECT_FALSE(pair->cause.empty());
  EXPECT_FALSE(pair->remedies.empty());
}

TEST(SupportPages, AnUnreadablePageIsAnErrorNamingIt) {
  const fs::path root =
      fs::temp_directory_path() / ("quillon_support_" + std::to_string(::getpid()));
  fs::create_directories(root / "repo");
  std::ofstream(root / "SOURCES.tsv") << "repo\tpath\tcommit\tcharacters\n"
                                      << "repo\tmissing.md\tabc\t10\n";
  const SupportReading reading = ReadSupportPages(root);
  EXPECT_NE(std::string::npos, reading.error.find("missing.md")) << reading.error;
  EXPECT_TRUE(reading.pages.empty());
  EXPECT_NE(std::string::npos, ReadSetupCodes(root).error.find("missing.md"));
  std::ofstream(root / "SOURCES.tsv") << "repo\tpath\tcommit\nrepo-only\n";
  EXPECT_NE(std::string::npos, ReadSupportPages(root).error.find("SOURCES.tsv line 2"));
  fs::remove_all(root);
}

}  // namespace
}  // namespace quillon::make_defines
