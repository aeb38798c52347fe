#include "display/type_views.h"

#include "display/window_text.h"

#include <gtest/gtest.h>

#include "tests/unit/fake_define_source.h"
#include "tests/unit/fake_message_source.h"

#include <string>
#include <utility>
#include <vector>

namespace quillon {

void PrintTo(const ViewFields& f, std::ostream* os) {
  *os << "{" << f.type << " | " << f.status << " | " << f.code << " | " << f.facility << " | "
      << f.defineBox << " | " << f.description << "}";
}

namespace {

using Ask = MessageAsk;
constexpr QueryMode kNumberSearch = QueryMode::Number;
constexpr QueryMode kDefineSearch = QueryMode::Define;

struct ViewCase {
  const char* name;
  ErrorType type;
  std::uint32_t code;
  QueryMode mode;
  ViewFields expected;
};

class TypeViewTest : public testing::Test {
 protected:
  TypeViewTest() {
    messages_.Add(MessageSourceId::System, 0, "The operation completed successfully.\r\n");
    messages_.Add(MessageSourceId::System, 5, "Access is denied.\r\n");
    messages_.Add(MessageSourceId::System, 0x80070005, "Access is denied.\r\n");
    messages_.Add(MessageSourceId::Ntdll, 0xC0000005,
                  "The instruction at 0x%p referenced memory at 0x%p.");
    messages_.Add(MessageSourceId::Ntoskrnl, 0xA, "IRQL_NOT_LESS_OR_EQUAL");
    defines_.Add(ErrorType::Win32, 5, "ERROR_ACCESS_DENIED");
    defines_.Add(ErrorType::Hresult, static_cast<std::int32_t>(0x80070005), "E_ACCESSDENIED");
    defines_.Add(ErrorType::NtStatus, static_cast<std::int32_t>(0xC0000005),
                 "STATUS_ACCESS_VIOLATION");
    defines_.Add(ErrorType::Stop, 0xA, "IRQL_NOT_LESS_OR_EQUAL");
  }

  ViewFields View(ErrorType type, std::uint32_t code, QueryMode mode) {
    return TypeView(type, code, mode, messages_, defines_);
  }

  void ExpectViews(const std::vector<ViewCase>& cases) {
    for (const ViewCase& c : cases) {
      SCOPED_TRACE(c.name);
      EXPECT_EQ(c.expected, View(c.type, c.code, c.mode));
    }
  }

  FakeMessageSource messages_;
  FakeDefineSource defines_;
};

TEST_F(TypeViewTest, EachKindShowsItsSixFields) {
  ExpectViews({
      {"Win32",
       ErrorType::Win32,
       5,
       kNumberSearch,
       {"Win32", "Failure", "5", "Windows (Non COM)", "ERROR_ACCESS_DENIED",
        "Access is denied.\r\n"}},
      {"HRESULT",
       ErrorType::Hresult,
       0x80070005,
       kNumberSearch,
       {"HRESULT", "Failure", "5", "Windows (Non COM)", "E_ACCESSDENIED", "Access is denied.\r\n"}},
      {"NTSTATUS",
       ErrorType::NtStatus,
       0xC0000005,
       kNumberSearch,
       {"NTSTATUS", "Error", "5", "Default facility code", "STATUS_ACCESS_VIOLATION",
        "The instruction at 0x%p referenced memory at 0x%p."}},
      {"STOP: its own Status, no Facility",
       ErrorType::Stop,
       0xA,
       kNumberSearch,
       {"STOP", "Your Screwed", "10", "", "IRQL_NOT_LESS_OR_EQUAL", "IRQL_NOT_LESS_OR_EQUAL"}},
      {"no row names the code",
       ErrorType::Win32,
       0,
       kNumberSearch,
       {"Win32", "Success", "0", "Windows (Non COM)", "*** Unknown ***",
        "The operation completed successfully.\r\n"}},
  });
}

TEST_F(TypeViewTest, DefineSearchShowsTheCodeAsSignedDecimalAndEightHexDigits) {
  ExpectViews({
      {"HRESULT 0x80070005",
       ErrorType::Hresult,
       0x80070005,
       kDefineSearch,
       {"HRESULT", "Failure", "5", "Windows (Non COM)", "-2147024891\n0x80070005",
        "Access is denied.\r\n"}},
      {"all bits set: Code 65535, facility past the table, no text",
       ErrorType::Hresult,
       0xFFFFFFFF,
       kDefineSearch,
       {"HRESULT", "Failure", "65535", "*** Unknown ***", "-1\n0xFFFFFFFF", ""}},
      {"STOP zero padded",
       ErrorType::Stop,
       0xA,
       kDefineSearch,
       {"STOP", "Your Screwed", "10", "", "10\n0x0000000A", "IRQL_NOT_LESS_OR_EQUAL"}},
      {"smallest signed value",
       ErrorType::NtStatus,
       0x80000000,
       kDefineSearch,
       {"NTSTATUS", "Warning", "0", "Default facility code", "-2147483648\n0x80000000", ""}},
  });
  EXPECT_TRUE(defines_.valueAsks.empty());
}

TEST_F(TypeViewTest, Win32ViewOfACodeThatIsNoWin32CodeShowsNoDescription) {
  // Only the database can store such a code in the Win32 label.
  EXPECT_EQ(
      (ViewFields{"Win32", "Failure", "5", "Windows (Non COM)", "-1073741819\n0xC0000005", ""}),
      View(ErrorType::Win32, 0xC0000005, kDefineSearch));
  EXPECT_TRUE(messages_.asks.empty());
}

TEST_F(TypeViewTest, Win32ViewAsksTheReducedCodeButNamesTheStoredOne) {
  const ViewFields fields = View(ErrorType::Win32, 0x80072EE2, kNumberSearch);
  EXPECT_EQ((std::vector<Ask>{{MessageSourceId::Wininet, 12002}}), messages_.asks);
  EXPECT_EQ((std::vector<std::pair<ErrorType, std::uint32_t>>{{ErrorType::Win32, 0x80072EE2}}),
            defines_.valueAsks);
  EXPECT_EQ("12002", fields.code);
}

TEST_F(TypeViewTest, StatusFollowsEachKindsRule) {
  struct Case {
    const char* name;
    ErrorType type;
    std::uint32_t code;
    const char* status;
  };
  const Case cases[] = {
      {"Win32 0", ErrorType::Win32, 0, "Success"},
      {"Win32 1", ErrorType::Win32, 1, "Failure"},
      {"Win32 65535", ErrorType::Win32, 65535, "Failure"},
      {"Win32 by low word only", ErrorType::Win32, 0x80070000, "Success"},
      {"HRESULT top bit clear", ErrorType::Hresult, 0x7FFFFFFF, "Success"},
      {"HRESULT S_FALSE", ErrorType::Hresult, 1, "Success"},
      {"HRESULT top bit set", ErrorType::Hresult, 0x80000000, "Failure"},
      {"NTSTATUS severity 0", ErrorType::NtStatus, 0x3FFFFFFF, "Success"},
      {"NTSTATUS severity 1", ErrorType::NtStatus, 0x40000000, "Information"},
      {"NTSTATUS severity 2", ErrorType::NtStatus, 0x80000005, "Warning"},
      {"NTSTATUS severity 3", ErrorType::NtStatus, 0xC0000005, "Error"},
      {"STOP zero", ErrorType::Stop, 0, "Your Screwed"},
      {"STOP any", ErrorType::Stop, 0xFFFFFFFF, "Your Screwed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.status, View(c.type, c.code, kNumberSearch).status);
  }
}

TEST_F(TypeViewTest, FacilityComesFromTheKindsTableWithTheUnknownFallback) {
  struct Case {
    const char* name;
    ErrorType type;
    std::uint32_t code;
    const char* facility;
  };
  const Case cases[] = {
      {"Win32 always", ErrorType::Win32, 0, "Windows (Non COM)"},
      {"Win32 even with another facility", ErrorType::Win32, 0x80070005, "Windows (Non COM)"},
      {"HRESULT 81", ErrorType::Hresult, 0x80510000, "Open Connectivity service"},
      {"HRESULT 82", ErrorType::Hresult, 0x80520000, "*** Unknown ***"},
      {"HRESULT 5 empty", ErrorType::Hresult, 0x80050000, "*** Unknown ***"},
      {"HRESULT 17", ErrorType::Hresult, 0x80110000, "COM+"},
      {"HRESULT top bits ignored", ErrorType::Hresult, 0xE0070000, "Windows (Non COM)"},
      {"NTSTATUS 55", ErrorType::NtStatus, 0xC0370000, "MAX_VALUE"},
      {"NTSTATUS 59", ErrorType::NtStatus, 0xC03B0000, "*** Unknown ***"},
      {"NTSTATUS 60", ErrorType::NtStatus, 0xC03C0000, "*** Unknown ***"},
      {"NTSTATUS 8191", ErrorType::NtStatus, 0xFFFFFFFF, "*** Unknown ***"},
      {"STOP none", ErrorType::Stop, 0xC0000005, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.facility, View(c.type, c.code, kNumberSearch).facility);
  }
}

TEST_F(TypeViewTest, DatabaseAnswerGoesIntoTheBoxAsItIs) {
  // An empty name (NULL Define) is shown as the empty text it is.
  defines_.Add(ErrorType::Win32, 7, "");
  EXPECT_EQ("", View(ErrorType::Win32, 7, kNumberSearch).defineBox);
}

TEST(ResultFields, EachFieldReadsItsOwnText) {
  const ViewFields fields{"t", "s", "c", "f", "d", "x"};
  std::string read;
  for (const ResultField field : kResultFields) {
    read += FieldText(fields, field);
  }
  EXPECT_EQ("tscfdx", read);
}

TEST(WindowText, EveryLineBreakBecomesCrLf) {
  EXPECT_EQ("\r\n\r\nError number not found", WithCrLf("\n\nError number not found"));
  EXPECT_EQ("-1\r\n0xFFFFFFFF", WithCrLf("-1\n0xFFFFFFFF"));
  EXPECT_EQ("", WithCrLf(""));
}

TEST(WindowText, ViewTextsBreakLinesForTheFieldsButTheDescriptionStaysAsItCame) {
  const ViewFields view{"STOP", "Your Screwed", "10", "", "10\n0x0000000A", "line\nnext\r\n"};
  const ViewFields expected{"STOP", "Your Screwed", "10", "", "10\r\n0x0000000A", "line\nnext\r\n"};
  EXPECT_EQ(expected, WindowTexts(view));
}

}  // namespace
}  // namespace quillon
