// Generates the database from the real headers of mingw-w64 and Wine, as the build does. A
// generation is the slow part, so the tests share one, and the determinism check compares it
// with the build's.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>

#include "base/name_hash.h"
#include "tools/make_defines/generate_defines.h"
#include "tools/make_defines/header_rules.h"

namespace quillon::make_defines {
namespace {

namespace fs = std::filesystem;

// As the build makes it: the newer SDK headers, the older release, Wine's, and the lists.
Sources BuildSources() {
  Sources sources{{{QUILLON_SDK_INCLUDE_DIR, "", SdkHeaderRules()}},
                  QUILLON_BUG_CHECK_LIST,
                  QUILLON_STATUS_MAP,
                  QUILLON_SUPPORT_DOCS_DIR,
                  QUILLON_DOCS_DIR};
  if (!std::string_view(QUILLON_OLDER_SDK_INCLUDE_DIR).empty())
    sources.headerSets.push_back({QUILLON_OLDER_SDK_INCLUDE_DIR, "", SdkHeaderRules(), true});
  sources.headerSets.push_back({QUILLON_WINE_INCLUDE_DIR, "wine/", WineHeaderRules()});
  return sources;
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SdkDefinesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!fs::exists(fs::path(QUILLON_SDK_INCLUDE_DIR) / "winerror.h") ||
        !fs::exists(fs::path(QUILLON_WINE_INCLUDE_DIR) / "winerror.h")) {
      return;
    }
    directory_ = new fs::path(fs::temp_directory_path() /
                              ("make_defines_sdk_" + std::to_string(::getpid())));
    fs::create_directories(*directory_);
    generation_ = new Generation(GenerateDefines(BuildSources(), Database()));
  }
  static void TearDownTestSuite() {
    if (directory_ != nullptr)
      fs::remove_all(*directory_);
    delete generation_;
    delete directory_;
    generation_ = nullptr;
    directory_ = nullptr;
  }
  void SetUp() override {
    if (generation_ == nullptr) {
      GTEST_SKIP() << "no headers in " << QUILLON_SDK_INCLUDE_DIR << " and "
                   << QUILLON_WINE_INCLUDE_DIR;
    }
    ASSERT_EQ("", generation_->error);
  }

  static fs::path Database() { return *directory_ / "defines.db3"; }

  // A column of the first row as text; "-" when there is no row.
  static std::string Query(const std::string& sql, int column = 0) {
    sqlite3* connection = nullptr;
    sqlite3_open_v2(Database().c_str(), &connection, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(connection, sql.c_str(), -1, &statement, nullptr);
    std::string value = "-";
    if (sqlite3_step(statement) == SQLITE_ROW) {
      const auto* text = sqlite3_column_text(statement, column);
      value = text != nullptr ? reinterpret_cast<const char*>(text) : "NULL";
    }
    sqlite3_finalize(statement);
    sqlite3_close(connection);
    return value;
  }

  static fs::path* directory_;
  static Generation* generation_;
};

fs::path* SdkDefinesTest::directory_ = nullptr;
Generation* SdkDefinesTest::generation_ = nullptr;

TEST_F(SdkDefinesTest, HoldsOneCodeOfEveryFamilyWhereItsHeaderDeclaresIt) {
  struct Spot {
    const char* table;
    const char* name;
    long long code;  // as stored: signed 32-bit
    const char* header;
  };
  const Spot spots[] = {
      {"Win32", "ERROR_ACCESS_DENIED", 5, "winerror.h"},
      {"Win32", "ERROR_INTERNET_TIMEOUT", 12002, "wininet.h"},
      {"Win32", "WSAECONNRESET", 10054, "winerror.h"},
      {"Win32", "NERR_SUCCESS", 0, "lmerr.h"},
      {"Win32", "ERROR_WINHTTP_TIMEOUT", 12002, "winhttp.h"},
      {"Win32", "ERROR_NO_DIALTONE", 680, "raserror.h"},
      {"Win32", "ERROR_INTERFACE_NOT_CONNECTED", 906, "mprerror.h"},
      {"Win32", "IP_REQ_TIMED_OUT", 11010, "ipexport.h"},
      {"HRESULT", "E_ACCESSDENIED", -2147024891, "winerror.h"},
      {"HRESULT", "E_FAIL", -2147467259, "winerror.h"},
      {"HRESULT", "ERROR_NO_SUCH_DEVINST", -536870389, "setupapi.h"},  // 0xE000020B
      {"HRESULT", "DXGI_ERROR_DEVICE_REMOVED", -2005270523, "winerror.h"},
      {"HRESULT", "D3D11_ERROR_FILE_NOT_FOUND", -2005139454, "winerror.h"},
      {"HRESULT", "D3DERR_INVALIDCALL", -2005530516, "d3d8.h"},   // 0x8876086C
      {"HRESULT", "DDERR_SURFACELOST", -2005532222, "ddraw.h"},   // 0x887601C2
      {"HRESULT", "DSERR_BUFFERLOST", -2005401450, "dsound.h"},   // 0x88780096
      {"HRESULT", "DIERR_NOTACQUIRED", -2147024884, "dinput.h"},  // HRESULT_FROM_WIN32(12)
      {"HRESULT", "D2DERR_WRONG_STATE", -2003238911, "winerror.h"},
      {"HRESULT", "DWRITE_E_FILEFORMAT", -2003283968, "winerror.h"},
      {"HRESULT", "WINCODEC_ERR_WRONGSTATE", -2003292412, "winerror.h"},
      {"HRESULT", "MF_E_INVALIDTYPE", -1072875843, "mferror.h"},         // 0xC00D36BD
      {"HRESULT", "NS_E_FILE_NOT_FOUND", -1072889830, "nserror.h"},      // 0xC00D001A
      {"HRESULT", "CTL_E_OVERFLOW", -2146828282, "olectl.h"},            // 0x800A0006
      {"HRESULT", "MAPI_E_NOT_FOUND", -2147221233, "mapicode.h"},        // 0x8004010F
      {"HRESULT", "WU_E_NO_SERVICE", -2145124351, "wuerror.h"},          // 0x80240001
      {"HRESULT", "ASF_E_BUFFEROVERRUN", -1072887856, "wine/asferr.h"},  // only in Wine's
      {"HRESULT", "DVERR_OUTOFMEMORY", -2147024882, "wine/dvoice.h"},
      {"NTSTATUS", "STATUS_ACCESS_VIOLATION", -1073741819, "ntstatus.h"},
      {"NTSTATUS", "EXCEPTION_ACCESS_VIOLATION", -1073741819, "minwinbase.h"},
      {"NTSTATUS", "HIDP_STATUS_INVALID_REPORT_TYPE", -1072627710, "hidpi.h"},  // 0xC0110002
      {"NTSTATUS", "TDI_TIMED_OUT", -1073741643, "ddk/tdistat.h"},              // STATUS_IO_TIMEOUT
      {"STOP", "IRQL_NOT_LESS_OR_EQUAL", 10, "bugcodes.h"},
      // Bug checks newer than bugcodes.h, and the "_M" forms, from the published list.
      {"STOP", "KERNEL_SECURITY_CHECK_FAILURE", 0x139, "Bug Check Code Reference"},
      {"STOP", "SYSTEM_THREAD_EXCEPTION_NOT_HANDLED_M", 0x1000007E, "Bug Check Code Reference"},
      // Named by mingw-w64 12's headers, not by 10's.
      {"Win32", "ERROR_FAIL_REBOOT_REQUIRED", 3017, "winerror.h"},
  };
  for (const Spot& spot : spots) {
    SCOPED_TRACE(spot.name);
    const std::string where =
        std::string(" FROM ") + spot.table + " WHERE Define = '" + spot.name + "'";
    EXPECT_EQ(std::to_string(spot.code), Query("SELECT ErrNum" + where));
    EXPECT_EQ(spot.header, Query("SELECT Header" + where));
  }
  // What is not an error code stays out.
  const char* const absent[] = {
      "SELECT 1 FROM HRESULT WHERE Define = 'FACILITY_WIN32'",
      "SELECT 1 FROM Win32 WHERE Define = 'E_FAIL'",
      "SELECT 1 FROM Win32 WHERE Define IN ('IP_OPT_NOP', 'IP_STATUS_BASE', 'RASBASE')",
      "SELECT 1 FROM HRESULT WHERE Define = 'ERROR_SEVERITY_ERROR'",
      "SELECT 1 FROM NTSTATUS WHERE Define IN ('WAIT_OBJECT_0', 'STILL_ACTIVE')",
      "SELECT 1 FROM NTSTATUS WHERE Header LIKE '%ntiologc.h'",
  };
  for (const char* sql : absent) EXPECT_EQ("-", Query(sql)) << sql;
}

TEST_F(SdkDefinesTest, KeepsEveryRowInItsKindsRangeAndTheWellKnownNameFirst) {
  EXPECT_EQ("0", Query("SELECT count(*) FROM Win32 WHERE ErrNum < 0 OR ErrNum > 65535"));
  EXPECT_EQ("0", Query("SELECT count(*) FROM STOP WHERE Header NOT IN ('bugcodes.h', "
                       "'Bug Check Code Reference', 'documentation: bug checks')"));
  // The program's by-number statement yields the first row of a code.
  EXPECT_EQ("E_ACCESSDENIED", Query("SELECT HRESULT.Define FROM HRESULT WHERE "
                                    "(HRESULT.ErrNum = -2147024891)"));
  EXPECT_EQ("S_OK", Query("SELECT HRESULT.Define FROM HRESULT WHERE (HRESULT.ErrNum = 0)"));
  EXPECT_EQ("ERROR_SUCCESS", Query("SELECT Win32.Define FROM Win32 WHERE (Win32.ErrNum = 0)"));
  EXPECT_EQ("STATUS_ACCESS_VIOLATION",
            Query("SELECT NTSTATUS.Define FROM NTSTATUS WHERE (NTSTATUS.ErrNum = -1073741819)"));

  const std::array<std::size_t, 4> counts = CountRows(generation_->catalog.rows);
  EXPECT_GT(counts[0], 3000u);
  EXPECT_GT(counts[1], 8000u);
  EXPECT_GT(counts[2], 2000u);
  EXPECT_GT(counts[3], 150u);
  EXPECT_GT(generation_->catalog.rows.size(), 14000u);
  // A declaration form the parser lost would show as names it could not work out.
  EXPECT_LT(generation_->catalog.skipped.size(), 20u);
}

TEST_F(SdkDefinesTest, ListsWhereTheHeaderSetsDisagreeWithMingwFirst) {
  const std::vector<Disagreement>& disagreements = generation_->catalog.disagreements;
  std::array<std::size_t, 4> perTable{};
  for (const Disagreement& d : disagreements) {
    ++perTable[static_cast<std::size_t>(d.first.table)];
    EXPECT_EQ(std::string::npos, d.first.header.find("wine/")) << d.name;
    if (d.first.table != ErrorType::Stop) {
      EXPECT_EQ(0u, d.second.header.find("wine/")) << d.name;
    }
  }
  EXPECT_EQ(29u, perTable[1]);
  EXPECT_EQ(2u, perTable[2]);
  EXPECT_EQ(1u, perTable[3]);
  EXPECT_EQ(32u, disagreements.size());
  // mingw-w64's value is the one found first; Wine's follows as a row of its own.
  EXPECT_EQ("-2147417814",  // 0x8001012A
            Query("SELECT ErrNum FROM HRESULT WHERE Define = 'CO_E_ACCESSCHECKFAILED'"));
  EXPECT_EQ("2", Query("SELECT count(*) FROM HRESULT WHERE Define = 'CO_E_ACCESSCHECKFAILED'"));
  const std::string text = DisagreementsText(disagreements);
  EXPECT_EQ(32, std::count(text.begin(), text.end(), '\n'));
  EXPECT_NE(std::string::npos, text.find("CO_E_ACCESSCHECKFAILED")) << text;
  // The header's bug check and the published list's keep a row each, the header's first.
  EXPECT_EQ("250", Query("SELECT ErrNum FROM STOP WHERE Define = 'IMPERSONATING_WORKER_THREAD' "
                         "AND Header = 'bugcodes.h'"));
  EXPECT_EQ("223", Query("SELECT ErrNum FROM STOP WHERE Define = 'IMPERSONATING_WORKER_THREAD' "
                         "AND Header = 'Bug Check Code Reference'"));
  EXPECT_NE(std::string::npos, text.find("IMPERSONATING_WORKER_THREAD")) << text;
}

TEST_F(SdkDefinesTest, KeepsWhatTheOlderHeadersNameAndTheFacilitiesAndTheStatusMap) {
  if (std::string_view(QUILLON_OLDER_SDK_INCLUDE_DIR).empty())
    GTEST_SKIP() << "no older SDK headers";
  // mingw-w64 12 dropped these xaudio2.h names; the database keeps them.
  const std::vector<std::string>& dropped = generation_->droppedByNewer;
  EXPECT_NE(dropped.end(),
            std::find(dropped.begin(), dropped.end(), "XAUDIO20_E_DEVICE_INVALIDATED"));
  for (const std::string& name : dropped) {
    EXPECT_NE("-", Query("SELECT 1 FROM HRESULT WHERE Define = '" + name +
                         "' UNION ALL SELECT 1 "
                         "FROM Win32 WHERE Define = '" +
                         name + "'"))
        << name;
  }
  EXPECT_GT(generation_->addedByNewer.size(), 300u);

  EXPECT_EQ("FACILITY_DXGI", Query("SELECT Name FROM Facility WHERE Kind = 'HRESULT' AND "
                                   "Number = 2170 ORDER BY rowid"));
  EXPECT_EQ("FACILITY_USB_ERROR_CODE", Query("SELECT Name FROM Facility WHERE Kind = 'NTSTATUS' "
                                             "AND Number = 16 ORDER BY rowid"));
  EXPECT_EQ("-", Query("SELECT Name FROM Facility WHERE Number > 8191"));

  EXPECT_EQ("998", Query("SELECT Win32 FROM NtStatusWin32 WHERE NtStatus = -1073741819"));
  EXPECT_EQ(std::to_string(generation_->statusMap.size()),
            Query("SELECT count(*) FROM NtStatusWin32"));
  EXPECT_GT(generation_->statusMap.size(), 1000u);
}

TEST_F(SdkDefinesTest, AddsTheDocumentationsNamesTextsAndBugCheckParameters) {
  // Names only the pages give, in their family.
  EXPECT_EQ("documentation: wmi", Query("SELECT Header FROM HRESULT WHERE ErrNum = -2147217403 "
                                        "AND Define = 'WBEM_E_TYPE_MISMATCH'"));  // 0x80041005
  EXPECT_EQ("documentation: delivery optimization",
            Query("SELECT Header FROM HRESULT WHERE Define = 'DO_E_NO_SERVICE'"));
  // A lookup's text is one search of the primary key, in the language asked for.
  const std::string lookup =
      "SELECT Text FROM Description WHERE Kind = 'Win32' AND ErrNum = 5 AND Lang = 'de-DE'";
  EXPECT_EQ("Zugriff verweigert.", Query(lookup));
  EXPECT_EQ("SEARCH Description USING PRIMARY KEY (Kind=? AND ErrNum=? AND Lang=?)",
            Query("EXPLAIN QUERY PLAN " + lookup, 3));
  EXPECT_EQ(
      "The requested operation failed. A system reboot is required to roll back changes "
      "made.",
      Query("SELECT Text FROM Description WHERE Kind = 'Win32' AND ErrNum = 3017 AND "
            "Lang = 'en-US'"));
  // The system error code page's wording wins over other pages'.
  EXPECT_EQ("desktop-src/Debug/system-error-codes--0-499-.md",
            Query("SELECT Page FROM Description WHERE Kind = 'Win32' AND ErrNum = 5 AND "
                  "Lang = 'en-US'"));
  // DPC_WATCHDOG_VIOLATION: its description and the cause Parameter 1 = 0 selects.
  EXPECT_NE("-", Query("SELECT Text FROM Description WHERE Kind = 'STOP' AND ErrNum = 307 AND "
                       "Lang = 'en-US'"));
  EXPECT_EQ("The DPC time count (in ticks)",
            Query("SELECT Parameter2 FROM BugCheckCase WHERE ErrNum = 307 AND Lang = 'en-US' "
                  "AND Parameter = 1 AND Value = 0"));
  EXPECT_EQ("The exception code that wasn't handled.",
            Query("SELECT Meaning FROM BugCheckParameter WHERE ErrNum = 30 AND Lang = 'en-US' "
                  "AND Number = 1"));
  for (const char* language :
       {"en-US", "de-DE", "es-ES", "fr-FR", "it-IT", "pt-BR", "ru-RU", "zh-TW", "zh-CN", "ja-JP"}) {
    SCOPED_TRACE(language);
    EXPECT_LT(300, std::stoi(Query(std::string("SELECT count(*) FROM Description WHERE Lang = '") +
                                   language + "'")));
  }
  // Each code the texts describe, once, for a scan to read instead of the texts.
  EXPECT_EQ("0", Query("SELECT count(*) FROM (SELECT DISTINCT ErrNum FROM Description EXCEPT "
                       "SELECT ErrNum FROM DescribedCode)"));
  EXPECT_EQ(Query("SELECT count(DISTINCT ErrNum) FROM Description"),
            Query("SELECT count(*) FROM DescribedCode"));
  EXPECT_TRUE(generation_->pagesLeftOut.size() >= 10u);
}

// 4-byte little-endian values, as the scan's tables store them.
std::string LittleEndian(const std::set<std::uint32_t>& values) {
  std::string bytes;
  for (const std::uint32_t value : values) {
    for (int i = 0; i < 4; ++i) {
      bytes += static_cast<char>(value >> (8 * i));
    }
  }
  return bytes;
}

// What a scan reads at its start: every name's hash and each kind's codes, once each, in order,
// as the rows give them.
TEST_F(SdkDefinesTest, StoresTheNamesHashesAndEachKindsCodesAsItsRowsHoldThem) {
  sqlite3* connection = nullptr;
  sqlite3_open_v2(Database().c_str(), &connection, SQLITE_OPEN_READONLY, nullptr);
  // The first column of every row of sql, with text bound to ?1 when given.
  const auto column = [connection](const std::string& sql, const char* text, auto each) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(connection, sql.c_str(), -1, &statement, nullptr);
    if (text != nullptr) {
      sqlite3_bind_text(statement, 1, text, -1, SQLITE_STATIC);
    }
    while (sqlite3_step(statement) == SQLITE_ROW) {
      each(statement);
    }
    sqlite3_finalize(statement);
  };
  const auto blob = [&column](const std::string& sql, const char* text) {
    std::string bytes = "(none)";
    column(sql, text, [&bytes](sqlite3_stmt* s) {
      bytes.assign(static_cast<const char*>(sqlite3_column_blob(s, 0)),
                   static_cast<std::size_t>(sqlite3_column_bytes(s, 0)));
    });
    return bytes;
  };
  std::set<std::uint32_t> hashes;
  for (const char* kind : {"Win32", "HRESULT", "NTSTATUS", "STOP"}) {
    SCOPED_TRACE(kind);
    std::set<std::uint32_t> codes;
    column(std::string("SELECT ErrNum, Define FROM ") + kind, nullptr, [&](sqlite3_stmt* s) {
      codes.insert(static_cast<std::uint32_t>(sqlite3_column_int(s, 0)));
      hashes.insert(NameHash(reinterpret_cast<const char*>(sqlite3_column_text(s, 1))));
    });
    EXPECT_TRUE(LittleEndian(codes) ==
                blob("SELECT ErrNums FROM KindValues WHERE Kind = ?1", kind));
  }
  EXPECT_GT(hashes.size(), 15000u);
  EXPECT_TRUE(LittleEndian(hashes) == blob("SELECT Hashes FROM NameHash", nullptr));
  sqlite3_close(connection);
}

// The build made its database from the same sources with the command line's options: the
// two generations give the same bytes.
TEST_F(SdkDefinesTest, GivesByteIdenticalFilesFromTheSameHeaders) {
  const std::string first = ReadBytes(Database());
  EXPECT_GT(first.size(), 1000000u);
  EXPECT_TRUE(first == ReadBytes(QUILLON_BUILT_DEFINES)) << QUILLON_BUILT_DEFINES;
}

TEST(GenerateDefines, FailsClearlyAndKeepsTheOldFileWhenAHeaderIsMissing) {
  const fs::path directory =
      fs::temp_directory_path() / ("make_defines_missing_" + std::to_string(::getpid()));
  fs::create_directories(directory);
  const fs::path path = directory / "old.db3";
  std::ofstream(path) << "old";
  Sources sources = BuildSources();
  sources.headerSets[0].directory = directory / "nowhere";
  const Generation generation = GenerateDefines(sources, path);
  EXPECT_NE(std::string::npos, generation.error.find("cannot read")) << generation.error;
  EXPECT_NE(std::string::npos, generation.error.find("nowhere")) << generation.error;
  EXPECT_EQ(3u, fs::file_size(path));
  fs::remove_all(directory);
}

TEST(DepfileText, ListsInputsWithBlanksEscaped) {
  EXPECT_EQ("out\\ dir/d.db3: \\\n  /inc/a.h \\\n  /my\\ inc/b.h\n",
            DepfileText("out dir/d.db3", {"/inc/a.h", "/my inc/b.h"}));
}

}  // namespace
}  // namespace quillon::make_defines
