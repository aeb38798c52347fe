#include "display/type_views.h"

#include <gtest/gtest.h>

#include "tests/unit/fake_message_source.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quillon {

void PrintTo(const FieldWrite& w, std::ostream* os) {
  constexpr const char* kNames[] = {"Type",     "Status",    "Code",
                                    "Facility", "DefineBox", "Description"};
  *os << kNames[static_cast<int>(w.field)] << "=\"" << w.text << "\"";
}

namespace {

using Ask = MessageAsk;

// Names every code "<table>:<number>" and records what it was asked.
class FakeDefineNames : public DefineNames {
 public:
  std::string ShowDefineName(std::string_view table, std::string_view numberText) override {
    asks.emplace_back(std::string(table), std::string(numberText));
    return std::string(table) + ":" + std::string(numberText);
  }
  std::vector<std::pair<std::string, std::string>> asks;
};

using F = ResultField;

constexpr int kNumberSearch = 0;
constexpr int kDefineSearch = 1;

struct ViewCase {
  const char* name;
  ErrorType type;
  std::uint32_t code;
  int queryMode;
  std::vector<FieldWrite> expected;
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
  }

  void ExpectViews(const std::vector<ViewCase>& cases) {
    for (const ViewCase& c : cases) {
      SCOPED_TRACE(c.name);
      FakeDefineNames defines;
      EXPECT_EQ(c.expected, PlanTypeView(c.type, c.code, c.queryMode, messages_, defines));
    }
  }

  FakeMessageSource messages_;
};

TEST_F(TypeViewTest, EachKindWritesItsFieldsInItsOwnOrder) {
  ExpectViews({
      {"Win32: view first, Type last",
       ErrorType::Win32,
       5,
       kNumberSearch,
       {{F::Code, "5"},
        {F::Status, "Failure"},
        {F::Facility, "Windows (Non COM)"},
        {F::Description, "Access is denied.\r\n"},
        {F::DefineBox, "Win32:5"},
        {F::Type, "Win32"}}},
      {"HRESULT: Type first, then steps 1 to 5",
       ErrorType::Hresult,
       0x80070005,
       kNumberSearch,
       {{F::Type, "HRESULT"},
        {F::Code, "5"},
        {F::Status, "Failure"},
        {F::Facility, "Windows (Non COM)"},
        {F::Description, "Access is denied.\r\n"},
        {F::DefineBox, "HRESULT:-2147024891"}}},
      {"NTSTATUS: Facility last",
       ErrorType::NtStatus,
       0xC0000005,
       kNumberSearch,
       {{F::Type, "NTSTATUS"},
        {F::Code, "5"},
        {F::Status, "Error"},
        {F::Description, "The instruction at 0x%p referenced memory at 0x%p."},
        {F::DefineBox, "NTSTATUS:-1073741819"},
        {F::Facility, "Default facility code"}}},
      {"STOP: Type twice, its own Status, no Facility",
       ErrorType::Stop,
       0xA,
       kNumberSearch,
       {{F::Type, "STOP"},
        {F::Type, "STOP"},
        {F::Status, "Your Screwed"},
        {F::Code, "10"},
        {F::Description, "IRQL_NOT_LESS_OR_EQUAL"},
        {F::DefineBox, "STOP:10"}}},
  });
}

TEST_F(TypeViewTest, DefineSearchShowsTheCodeAsSignedDecimalAndEightHexDigits) {
  ExpectViews({
      {"HRESULT 0x80070005",
       ErrorType::Hresult,
       0x80070005,
       kDefineSearch,
       {{F::Type, "HRESULT"},
        {F::Code, "5"},
        {F::Status, "Failure"},
        {F::Facility, "Windows (Non COM)"},
        {F::Description, "Access is denied.\r\n"},
        {F::DefineBox, "-2147024891\r\n0x80070005"}}},
      {"all bits set: Code 65535, facility past the table, no text",
       ErrorType::Hresult,
       0xFFFFFFFF,
       kDefineSearch,
       {{F::Type, "HRESULT"},
        {F::Code, "65535"},
        {F::Status, "Failure"},
        {F::Facility, "*** Unknown ***"},
        {F::Description, ""},
        {F::DefineBox, "-1\r\n0xFFFFFFFF"}}},
      {"STOP zero padded",
       ErrorType::Stop,
       0xA,
       kDefineSearch,
       {{F::Type, "STOP"},
        {F::Type, "STOP"},
        {F::Status, "Your Screwed"},
        {F::Code, "10"},
        {F::Description, "IRQL_NOT_LESS_OR_EQUAL"},
        {F::DefineBox, "10\r\n0x0000000A"}}},
      {"smallest signed value",
       ErrorType::NtStatus,
       0x80000000,
       kDefineSearch,
       {{F::Type, "NTSTATUS"},
        {F::Code, "0"},
        {F::Status, "Warning"},
        {F::Description, ""},
        {F::DefineBox, "-2147483648\r\n0x80000000"},
        {F::Facility, "Default facility code"}}},
  });
}

TEST_F(TypeViewTest, Win32ViewOfACodeThatIsNoWin32CodeLeavesDescriptionAlone) {
  // Only the database can store such a code in the Win32 label.
  FakeDefineNames defines;
  EXPECT_EQ((std::vector<FieldWrite>{{F::Code, "5"},
                                     {F::Status, "Failure"},
                                     {F::Facility, "Windows (Non COM)"},
                                     {F::DefineBox, "-1073741819\r\n0xC0000005"},
                                     {F::Type, "Win32"}}),
            PlanTypeView(ErrorType::Win32, 0xC0000005, kDefineSearch, messages_, defines));
  EXPECT_TRUE(messages_.asks.empty());
}

TEST_F(TypeViewTest, Win32ViewAsksTheReducedCodeButShowsTheStoredOne) {
  FakeDefineNames defines;
  const auto writes = PlanTypeView(ErrorType::Win32, 0x80072EE2, kNumberSearch, messages_, defines);
  EXPECT_EQ((std::vector<Ask>{{MessageSourceId::Wininet, 12002}}), messages_.asks);
  EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{{"Win32", "-2147012894"}}),
            defines.asks);
  ASSERT_FALSE(writes.empty());
  EXPECT_EQ((FieldWrite{F::Code, "12002"}), writes.front());
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
    FakeDefineNames defines;
    const auto writes = PlanTypeView(c.type, c.code, kNumberSearch, messages_, defines);
    std::vector<std::string> statuses;
    for (const FieldWrite& w : writes) {
      if (w.field == F::Status) {
        statuses.push_back(w.text);
      }
    }
    EXPECT_EQ(std::vector<std::string>{c.status}, statuses);
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
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeDefineNames defines;
    const auto writes = PlanTypeView(c.type, c.code, kNumberSearch, messages_, defines);
    std::vector<std::string> facilities;
    for (const FieldWrite& w : writes) {
      if (w.field == F::Facility) {
        facilities.push_back(w.text);
      }
    }
    EXPECT_EQ(std::vector<std::string>{c.facility}, facilities);
  }
}

TEST_F(TypeViewTest, OnlyQueryModeZeroAsksTheDatabaseWithTheKindsTableAndSignedText) {
  struct Case {
    const char* name;
    ErrorType type;
    std::uint32_t code;
    int queryMode;
    std::vector<std::pair<std::string, std::string>> asks;
  };
  const Case cases[] = {
      {"E_FAIL", ErrorType::Hresult, 0x80004005, 0, {{"HRESULT", "-2147467259"}}},
      {"Win32", ErrorType::Win32, 5, 0, {{"Win32", "5"}}},
      {"NTSTATUS", ErrorType::NtStatus, 0xC0000005, 0, {{"NTSTATUS", "-1073741819"}}},
      {"STOP", ErrorType::Stop, 0xA, 0, {{"STOP", "10"}}},
      {"define search", ErrorType::Hresult, 0x80004005, 1, {}},
      {"other mode word 2", ErrorType::Hresult, 0x80004005, 2, {}},
      {"other mode word -1", ErrorType::Hresult, 0x80004005, -1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeDefineNames defines;
    PlanTypeView(c.type, c.code, c.queryMode, messages_, defines);
    EXPECT_EQ(c.asks, defines.asks);
  }
}

TEST_F(TypeViewTest, DatabaseAnswerGoesIntoTheBoxAsItIs) {
  // "*** Unknown ***" and an empty name (NULL Define) pass through unchanged.
  class Answer : public DefineNames {
   public:
    explicit Answer(std::string text) : text_(std::move(text)) {}
    std::string ShowDefineName(std::string_view, std::string_view) override { return text_; }

   private:
    std::string text_;
  };
  for (const char* text : {"*** Unknown ***", "", "ERROR_ACCESS_DENIED"}) {
    SCOPED_TRACE(text);
    Answer defines(text);
    const auto writes = PlanTypeView(ErrorType::Win32, 5, kNumberSearch, messages_, defines);
    ASSERT_EQ(6u, writes.size());
    EXPECT_EQ((FieldWrite{F::DefineBox, text}), writes[4]);
  }
}

}  // namespace
}  // namespace quillon
