// The documentation pages' readers and their merge into the catalog, on small pages of our own.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tools/make_defines/bug_check_page.h"
#include "tools/make_defines/code_page_reader.h"
#include "tools/make_defines/doc_markup.h"
#include "tools/make_defines/documentation_merge.h"

namespace quillon::make_defines {
namespace {

TEST(DocValue, ReadsEverySpellingThePagesUse) {
  struct Case {
    const char* text;
    std::optional<std::uint32_t> expected;
  };
  const Case cases[] = {
      {"5", 5u},
      {"0x5", 5u},
      {"0xC00D2711L", 0xC00D2711u},
      {"0X800B010F", 0x800B010Fu},
      {"-2147213311", 0x80042001u},
      {"(HRESULT)0xC0AA0007L", 0xC0AA0007u},
      {"((HRESULT)0x80040001L)", 0x80040001u},
      {"_HRESULT\\_TYPEDEF\\_(0x80270001L)", 0x80270001u},
      {"2147749890 (0x80041002)", 0x80041002u},
      {"5 (0x5)", 5u},
      {"4294967296", std::nullopt},               // more than 32 bits
      {"0x80280010B", std::nullopt},              // a page's nine digits
      {"2147749890 (0x80041003)", std::nullopt},  // two spellings that disagree
      {"-2147483649", std::nullopt},
      {"0x", std::nullopt},
      {"Access denied", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.expected, ParseDocValue(c.text));
  }
}

struct MarkupCase {
  const char* name;
  const char* page;
  const char* codeName;
  std::optional<std::uint32_t> value;
  const char* text;
};

TEST(CodePage, ReadsEachMarkup) {
  const MarkupCase cases[] = {
      {"bold name, value, text as paragraphs",
       "# Codes\n\n<span id=\"ERROR_ACCESS_DENIED\"></span><span "
       "id=\"error_access_denied\"></span>**ERROR\\_ACCESS\\_DENIED**\n   \n\n5 (0x5)\n \n\n\n"
       "Access is denied.\n\n## Requirements\n\nWinError.h\n",
       "ERROR_ACCESS_DENIED", 5u, "Access is denied."},
      {"table with a definition list",
       "| Constant | Description |\n|---|---|\n| <span id=\"E_ACCESSDENIED\"></span><dl> "
       "<dt>**E\\_ACCESSDENIED**</dt> <dt>0x80070005</dt> </dl> | General access denied "
       "error<br/> |\n",
       "E_ACCESSDENIED", 0x80070005u, "General access denied error"},
      {"HTML definition list",
       "<dl> <dt>\n\n<span id=\"WBEM_E_NOT_FOUND\"></span><span "
       "id=\"wbem_e_not_found\"></span>**WBEM\\_E\\_NOT\\_FOUND**\n</dt> <dd> <dl> <dt>\n\n"
       "2147749890 (0x80041002)\n</dt> <dt>\n\n\n\nObject cannot be [found](x.md).\n\n\n"
       "</dt> </dl> </dd> <dt>\n",
       "WBEM_E_NOT_FOUND", 0x80041002u, "Object cannot be found."},
      {"plain table, value | text | name",
       "| Value | Meaning | Name |\n|---|---|---|\n| 2102 | The workstation driver is not "
       "installed. | NERR\\_NetNotStarted |\n",
       "NERR_NetNotStarted", 2102u, "The workstation driver is not installed."},
      {"plain table, value and name in one cell",
       "| Error code | Description |\n|---|---|\n| 0x800007D0 (PDH\\_CSTATUS\\_NO\\_MACHINE) | "
       "Unable to connect. |\n",
       "PDH_CSTATUS_NO_MACHINE", 0x800007D0u, "Unable to connect."},
      {"HTML table",
       "<table>\n<thead>\n<tr class=\"header\">\n<th>Value</th>\n<th>Meaning</th>\n</tr>\n"
       "</thead>\n<tbody>\n<tr class=\"odd\">\n<td><span id=\"ERROR_PORT_ALREADY_OPEN\"></span>"
       "<dl> <dt><strong>ERROR_PORT_ALREADY_OPEN</strong></dt> <dt>602</dt> </dl></td>\n"
       "<td>The specified port is already open.<br/></td>\n</tr>\n</tbody>\n</table>\n",
       "ERROR_PORT_ALREADY_OPEN", 602u, "The specified port is already open."},
      {"bold name alone, then the header's #define",
       "```cpp\n| not | a | row |\n```\n\n**SCHED_S_TASK_READY**\n\n The task is ready.\n\n"
       "`#define SCHED_S_TASK_READY _HRESULT_TYPEDEF_(0x00041300L)`\n\n",
       "SCHED_S_TASK_READY", 0x00041300u, "The task is ready."},
      {"value written into the anchor and after the name",
       "<span id=\"BG_E_HTTP_ERROR_505__0x801901F9_\"></span>BG\\_E\\_HTTP\\_ERROR\\_505 "
       "(0x801901F9)\n</dt> <dd>\n\nThe server does not support the HTTP version.\n\n</dd>\n",
       "BG_E_HTTP_ERROR_505", 0x801901F9u, "The server does not support the HTTP version."},
  };
  for (const MarkupCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string error;
    const CodePageReading reading =
        ReadCodePage(c.page, {"desktop-src/X/x.md", "en-US", "x"}, false, nullptr, error);
    EXPECT_EQ("", error);
    ASSERT_EQ(1u, reading.page.codes.size());
    const DocumentedCode& code = reading.page.codes[0];
    EXPECT_EQ(c.codeName, code.name);
    EXPECT_EQ(c.value, code.value);
    EXPECT_EQ(c.text, code.text);
  }
}

TEST(CodePage, KindOfSmallValuesAndPagesWithoutCodes) {
  const char* const page =
      "| Value | Meaning | Name |\n|---|---|---|\n| 2102 | Text. | NERR_A |\n"
      "| 0x80040001 | Other. | E_B |\n";
  std::string error;
  const CodePageReading win32 =
      ReadCodePage(page, {"desktop-src/NetMgmt/n.md", "en-US", "n"}, true, nullptr, error);
  ASSERT_EQ(2u, win32.page.codes.size());
  EXPECT_EQ(ErrorType::Win32, win32.page.codes[0].kind);
  EXPECT_EQ(std::nullopt, win32.page.codes[1].kind);  // the merge makes it an HRESULT
  const CodePageReading other =
      ReadCodePage(page, {"desktop-src/X/x.md", "en-US", "x"}, false, nullptr, error);
  EXPECT_EQ(std::nullopt, other.page.codes[0].kind);

  const CodePageReading none = ReadCodePage("# Nothing\n\n| a | b |\n|---|---|\n| c | d |\n",
                                            {"x.md", "en-US", "x"}, false, nullptr, error);
  EXPECT_TRUE(none.page.codes.empty());
  EXPECT_EQ(1u, none.page.rowsRead);
  EXPECT_NE("", error);
}

TEST(CodePage, TranslatedPageNamesFromAnchorsAndFromTheEnglishRowsNeverItsOwnText) {
  std::string error;
  // Anchored entries: the anchor survives, the bold name is mangled.
  const CodePageReading anchored = ReadCodePage(
      "<span id=\"ERROR_ACCESS_DENIED\"></span>**FEHLERZUGRIFF \\_ \\_ VERWEIGERT**\n</dt> <dd> "
      "<dl> <dt>\n\n5 (0x5)\n</dt> <dt>\n\nZugriff verweigert.\n\n</dt> </dl>\n",
      {"d.md", "de-DE", "x"}, true, nullptr, error);
  ASSERT_EQ(1u, anchored.page.codes.size());
  EXPECT_EQ("ERROR_ACCESS_DENIED", anchored.page.codes[0].name);
  EXPECT_EQ(5u, anchored.page.codes[0].value);
  EXPECT_EQ("Zugriff verweigert.", anchored.page.codes[0].text);

  // A table of names and texts only: each row's name from the English page's same row.
  const CodePageReading english = ReadCodePage(
      "| Name | Text |\n|---|---|\n| COMADMIN\\_E\\_OBJECTERRORS | Errors occurred. |\n"
      "| COMADMIN\\_E\\_APP\\_FILE\\_VERSION | Invalid version. |\n",
      {"c.md", "en-US", "c"}, false, nullptr, error);
  const CodePageReading german = ReadCodePage(
      "| Name | Text |\n|---|---|\n| COMAdmin \\_ E \\_ Objekt Fehler | Fehler sind aufgetreten. "
      "|\n"
      "| COMAdmin \\_ E \\_ App- \\_ Datei \\_ Version | Ungültige Version. |\n",
      {"c.md", "de-DE", "c"}, false, &english, error);
  ASSERT_EQ(2u, german.page.codes.size());
  EXPECT_EQ("COMADMIN_E_APP_FILE_VERSION", german.page.codes[1].name);
  EXPECT_EQ("Ungültige Version.", german.page.codes[1].text);

  // Without an English page of that shape, a mangled name is neither a name nor the text.
  const CodePageReading alone = ReadCodePage(
      "| Code | Text |\n|---|---|\n| SMON \\_ STATUS \\_ DUPL COUNTER PATH \\_ \\_ (0XC0001388) | "
      "Der Zähler ist schon da. |\n",
      {"s.md", "de-DE", "s"}, false, nullptr, error);
  ASSERT_EQ(1u, alone.page.codes.size());
  EXPECT_EQ("", alone.page.codes[0].name);
  EXPECT_EQ(0xC0001388u, alone.page.codes[0].value);
  EXPECT_EQ("Der Zähler ist schon da.", alone.page.codes[0].text);
}

TEST(BugCheckPage, ReadsDescriptionParametersAndCasesKeyedByAParameter) {
  const char* const page =
      "---\ntitle: Bug Check 0x133 DPC_WATCHDOG_VIOLATION\napi_name:\n- DPC_WATCHDOG_VIOLATION\n"
      "---\n\n# Bug Check 0x133: DPC\\_WATCHDOG\\_VIOLATION\n\nThe DPC\\_WATCHDOG\\_VIOLATION "
      "bug check has a value of 0x00000133.\nThe DPC watchdog executed.\n\n> [!IMPORTANT]\n"
      "> For programmers.\n\n## DPC\\_WATCHDOG\\_VIOLATION Parameters\n\n"
      "|Parameter 1|Parameter 2|Parameter 3|Parameter 4|Cause of Error|\n|---|---|---|---|---|\n"
      "|0|The DPC time count|The DPC time allotment|Triage block|A single DPC exceeded its time.|\n"
      "|1|The watchdog period|Triage block|Reserved|The system spent too long.|\n\n"
      "## Cause\n\n| Parameter | Description |\n|---|---|\n| 1 | Not a parameter table. |\n";
  std::string error;
  const DocumentedBugCheck bugCheck = ReadBugCheckPage(
      page, {"debugger/bug-check-0x133-dpc-watchdog-violation.md", "en-US", "b"}, error);
  EXPECT_EQ("", error);
  EXPECT_EQ(0x133u, bugCheck.code);
  EXPECT_EQ("DPC_WATCHDOG_VIOLATION", bugCheck.name);
  EXPECT_EQ(
      "The DPC_WATCHDOG_VIOLATION bug check has a value of 0x00000133. The DPC watchdog executed.",
      bugCheck.description);
  EXPECT_TRUE(bugCheck.parameters.empty());  // the Cause section's table is not read
  ASSERT_EQ(2u, bugCheck.cases.size());
  const BugCheckCase& first = bugCheck.cases[0];
  EXPECT_EQ(1, first.parameter);
  EXPECT_EQ(0u, first.value);
  EXPECT_EQ("A single DPC exceeded its time.", first.cause);
  const std::vector<BugCheckParameter> meanings = {
      {2, "The DPC time count"}, {3, "The DPC time allotment"}, {4, "Triage block"}};
  EXPECT_EQ(meanings, first.parameters);

  // An HTML parameter table, and a case table keyed on a later parameter's numbers.
  const DocumentedBugCheck html = ReadBugCheckPage(
      "# Bug Check 0x93: X\n\nText.\n\n## X parameters\n\n<table>\n<thead>\n<tr "
      "class=\"header\">\n<th>Parameter</th>\n<th>Description</th>\n</tr>\n</thead>\n<tbody>\n"
      "<tr>\n<td><p>1</p></td>\n<td><p>The handle.</p></td>\n</tr>\n</tbody>\n</table>\n\n"
      "|Parameter 1|Parameter 2|Cause|\n|---|---|---|\n|The handle|0x1|A protected handle.|\n",
      {"debugger/bug-check-0x93--invalid-kernel-handle.md", "en-US", "b"}, error);
  ASSERT_EQ(1u, html.parameters.size());
  EXPECT_EQ((BugCheckParameter{1, "The handle."}), html.parameters[0]);
  ASSERT_EQ(1u, html.cases.size());
  EXPECT_EQ(2, html.cases[0].parameter);
  EXPECT_EQ(1u, html.cases[0].value);

  // A Markdown table whose rows do not start with a pipe; a number cell that says more.
  const DocumentedBugCheck pipeless = ReadBugCheckPage(
      "# Bug Check 0x1D2: X\n\nText.\n\n## X Parameters\n\nParameter | Description\n"
      "|---|---|\n1 | Type of failure\n2 - Depends on the type | The thread\n\nNot a row.\n",
      {"debugger/bug-check-0x1d2--x.md", "en-US", "b"}, error);
  const std::vector<BugCheckParameter> both = {{1, "Type of failure"},
                                               {2, "Depends on the type The thread"}};
  EXPECT_EQ(both, pipeless.parameters);

  ReadBugCheckPage("# Bug Check\n", {"debugger/bug-check-code-reference2.md", "en-US", "b"}, error);
  EXPECT_NE("", error);
}

DocumentedCode Code(std::optional<std::uint32_t> value, std::string name, std::string text) {
  DocumentedCode code;
  code.value = value;
  code.name = std::move(name);
  code.text = std::move(text);
  return code;
}

TEST(MergeDocumentation, JoinsByNameAddsUnknownNamesAndLetsTheHeadersAndPrincipalPagesWin) {
  Catalog catalog;
  catalog.rows = {{ErrorType::Win32, 5, "ERROR_ACCESS_DENIED", NameRank::Own, "winerror.h", 0},
                  {ErrorType::Hresult, -2147217407, "WBEM_E_FAILED", NameRank::Own, "wbem.h", 1},
                  {ErrorType::Hresult, 1, "S_FALSE", NameRank::Own, "winerror.h", 0}};
  DocumentedPage other{{"desktop-src/WmiSdk/wmi-error-constants.md", "en-US", "wmi"}, {}, 4};
  other.codes = {
      Code(0x80041005u, "WBEM_E_TYPE_MISMATCH", "A type mismatch has occurred."),  // added
      Code(std::nullopt, "WBEM_E_FAILED", "Call failed."),                         // joined by name
      Code(0x80041099u, "ERROR_ACCESS_DENIED", "Denied twice."),                   // another value
      Code(std::nullopt, "WBEM_E_UNHEARD_OF", "No value."),  // nothing to join
      Code(1u, "S_FALSE", "False."),                         // small value, kind by name
      Code(7u, "", "A small value of no kind."),
  };
  other.codes[0].remedies = {"Check the types.", "Try again."};
  DocumentedPage principal{{"desktop-src/Debug/system-error-codes--0-499-.md", "en-US", "d"},
                           {Code(5u, "ERROR_ACCESS_DENIED", "Access is denied.")},
                           1};
  DocumentedPage quoting{{"desktop-src/Y/y.md", "en-US", "y"},
                         {Code(0x80070005u, "ERROR_ACCESS_DENIED", "As an HRESULT."),
                          Code(5u, "ERROR_ACCESS_DENIED", "Loses to the principal page.")},
                         2};
  quoting.codes[1].kind = ErrorType::Win32;

  const Documentation docs = MergeDocumentation(catalog, {other, quoting, principal}, {});
  const auto text = [&docs](ErrorType kind, std::int32_t code) {
    for (const DescriptionRow& row : docs.descriptions) {
      if (row.kind == kind && row.code == code)
        return row.text;
    }
    return std::string("-");
  };
  EXPECT_EQ("Access is denied.", text(ErrorType::Win32, 5));
  EXPECT_EQ("As an HRESULT.", text(ErrorType::Hresult, -2147024891));
  EXPECT_EQ("Call failed.", text(ErrorType::Hresult, -2147217407));
  EXPECT_EQ("A type mismatch has occurred.", text(ErrorType::Hresult, -2147217403));
  EXPECT_EQ("False.", text(ErrorType::Hresult, 1));
  EXPECT_EQ("-", text(ErrorType::Win32, 7));
  EXPECT_EQ(1u, docs.valuesOfNoKind);

  const auto added = std::find_if(catalog.rows.begin(), catalog.rows.end(), [](const auto& row) {
    return row.name == "WBEM_E_TYPE_MISMATCH";
  });
  ASSERT_NE(catalog.rows.end(), added);
  EXPECT_EQ(ErrorType::Hresult, added->table);
  EXPECT_EQ("documentation: wmi", added->header);
  EXPECT_EQ(4u, catalog.rows.size());  // the name with another value adds no row

  ASSERT_EQ(1u, docs.nameDisagreements.size());
  EXPECT_NE(std::string::npos, docs.nameDisagreements[0].find("ERROR_ACCESS_DENIED"));
  ASSERT_EQ(1u, docs.unjoinedNames.size());
  EXPECT_NE(std::string::npos, docs.unjoinedNames[0].find("WBEM_E_UNHEARD_OF"));
  EXPECT_FALSE(docs.textDisagreements.empty());

  ASSERT_EQ(2u, docs.remedies.size());
  EXPECT_EQ(2, docs.remedies[1].seq);
  EXPECT_EQ("Try again.", docs.remedies[1].text);
  EXPECT_EQ(-2147217403, docs.remedies[1].code);
}

TEST(MergeDocumentation, KeepsABugChecksParametersAndCasesPerLanguage) {
  Catalog catalog;
  catalog.rows = {{ErrorType::Stop, 0x133, "DPC_WATCHDOG_VIOLATION", NameRank::Own, "b.h", 0}};
  DocumentedBugCheck bugCheck;
  bugCheck.page = {"debugger/bug-check-0x133-x.md", "en-US", "bug checks"};
  bugCheck.code = 0x133;
  bugCheck.name = "DPC_WATCHDOG_VIOLATION";
  bugCheck.description = "The DPC watchdog executed.";
  bugCheck.parameters = {{1, "The type."}, {1, "Repeated by a second table."}};
  bugCheck.cases = {{1, 0u, "0", "A single DPC.", {{2, "The DPC time count"}}}};
  DocumentedBugCheck japanese = bugCheck;
  japanese.page.language = "ja-JP";
  const Documentation docs = MergeDocumentation(catalog, {}, {bugCheck, japanese});
  ASSERT_EQ(2u, docs.descriptions.size());
  EXPECT_EQ(ErrorType::Stop, docs.descriptions[0].kind);
  ASSERT_EQ(2u, docs.parameters.size());  // one per language
  EXPECT_EQ("The type.", docs.parameters[0].meaning);
  ASSERT_EQ(2u, docs.cases.size());
  EXPECT_EQ(1, docs.cases[0].seq);
  EXPECT_EQ("The DPC time count", docs.cases[0].meanings[1]);
  EXPECT_EQ("", docs.cases[0].meanings[0]);
  EXPECT_EQ(1u, catalog.rows.size());
}

}  // namespace
}  // namespace quillon::make_defines
