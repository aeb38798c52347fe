#include "lookup/search.h"

#include <gtest/gtest.h>

#include "query/classify_query.h"
#include "tests/unit/fake_define_source.h"
#include "tests/unit/fake_message_source.h"

#include <optional>
#include <string>

namespace quillon {
namespace {

constexpr auto kSystem = MessageSourceId::System;
constexpr auto kNtdll = MessageSourceId::Ntdll;
constexpr auto kNtoskrnl = MessageSourceId::Ntoskrnl;
using Matches = std::array<std::optional<std::uint32_t>, 4>;

class SearchTest : public testing::Test {
 protected:
  SearchTest() {
    messages_.Add(kSystem, 5, "Access denied.");
    messages_.Add(kSystem, 0x80004005, "Unspecified error");
    messages_.Add(kSystem, 0x80070005, "wrapped: never asked");
    messages_.Add(kNtdll, 0xC0000005, "Access violation");
    messages_.Add(kNtoskrnl, 0xC0000005, "also a bug check");
    messages_.Add(kNtdll, 5, "an NTSTATUS 5");
    defines_.Add(ErrorType::Win32, 7, "SHARED_NAME");
    defines_.Add(ErrorType::Hresult, static_cast<std::int32_t>(0x80070005), "SHARED_NAME");
    defines_.Add(ErrorType::Stop, 10, "ONLY_IN_STOP");
    // Named, but no message table has a text for them.
    defines_.Add(ErrorType::Win32, 6, "ERROR_INVALID_HANDLE");
    defines_.Add(ErrorType::Hresult, 6, "NEVER_PROBED_AS_HRESULT");
    defines_.Add(ErrorType::NtStatus, static_cast<std::int32_t>(0xC0000008),
                 "STATUS_INVALID_HANDLE");
  }

  SearchResult Run(std::string_view query) { return Search(query, messages_, defines_); }

  FakeMessageSource messages_;
  FakeDefineSource defines_;
};

TEST_F(SearchTest, NumbersMatchEveryKindWhoseSourceKnowsThem) {
  struct Case {
    const char* query;
    Matches matches;
    std::optional<ErrorType> selected;
  };
  const Case cases[] = {
      // Win32 applies, so HRESULT is never probed, even though the system table knows it.
      {"0x80070005", {5u, std::nullopt, std::nullopt, std::nullopt}, ErrorType::Win32},
      {"5", {5u, std::nullopt, 5u, std::nullopt}, ErrorType::Win32},
      {"-2147467259", {std::nullopt, 0x80004005u, std::nullopt, std::nullopt}, ErrorType::Hresult},
      // Above 0xFFFF with facility 0: HRESULT, NTSTATUS and STOP probed; the first match wins.
      {"0xC0000005", {std::nullopt, std::nullopt, 0xC0000005u, 0xC0000005u}, ErrorType::NtStatus},
      // Known by name only; a small value is still never an HRESULT, whatever its table holds.
      {"6", {6u, std::nullopt, std::nullopt, std::nullopt}, ErrorType::Win32},
      {"0x80070006", {6u, std::nullopt, std::nullopt, std::nullopt}, ErrorType::Win32},
      {"0xC0000008", {std::nullopt, std::nullopt, 0xC0000008u, std::nullopt}, ErrorType::NtStatus},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.query);
    const SearchResult result = Run(c.query);
    EXPECT_EQ(SearchVerdict::Found, result.verdict);
    EXPECT_EQ(QueryMode::Number, result.mode);
    EXPECT_EQ(c.matches, result.matches);
    EXPECT_EQ(c.selected, result.selected);
    EXPECT_EQ("", result.description);
    EXPECT_TRUE(result.expandsWindow);
  }
}

TEST_F(SearchTest, HresultIsProbedOnlyWhenWin32DoesNotApply) {
  Run("0x80070005");
  EXPECT_EQ((std::vector<MessageAsk>{{kSystem, 5}, {kNtdll, 0x80070005}, {kNtoskrnl, 0x80070005}}),
            messages_.asks);
  messages_.asks.clear();
  Run("0x80004005");
  EXPECT_EQ((std::vector<MessageAsk>{
                {kSystem, 0x80004005}, {kNtdll, 0x80004005}, {kNtoskrnl, 0x80004005}}),
            messages_.asks);
}

TEST_F(SearchTest, NamesMatchEveryTableThatHoldsThemWithTheCodeItHolds) {
  const SearchResult shared = Run("shared_name");
  EXPECT_EQ(SearchVerdict::Found, shared.verdict);
  EXPECT_EQ(QueryMode::Define, shared.mode);
  EXPECT_EQ((Matches{7u, 0x80070005u, std::nullopt, std::nullopt}), shared.matches);
  EXPECT_EQ(ErrorType::Win32, shared.selected);
  EXPECT_TRUE(shared.expandsWindow);

  const SearchResult stop = Run("ONLY_IN_STOP");
  EXPECT_EQ((Matches{std::nullopt, std::nullopt, std::nullopt, 10u}), stop.matches);
  EXPECT_EQ(ErrorType::Stop, stop.selected);
  EXPECT_TRUE(messages_.asks.empty());
}

TEST_F(SearchTest, NothingFoundIsNoErrorAndOnlyANumberSearchExpands) {
  struct Case {
    const char* query;
    SearchVerdict verdict;
    QueryMode mode;
    std::string_view description;
    bool expands;
  };
  const Case cases[] = {
      {"123456789", SearchVerdict::NumberNotFound, QueryMode::Number, "\n\nError number not found",
       true},
      {"NO_SUCH_DEFINE", SearchVerdict::DefineNotFound, QueryMode::Define, "\n\nDefine Not Found",
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.query);
    const SearchResult result = Run(c.query);
    EXPECT_EQ(c.verdict, result.verdict);
    EXPECT_EQ(c.mode, result.mode);
    EXPECT_EQ(Matches{}, result.matches);
    EXPECT_EQ(std::nullopt, result.selected);
    EXPECT_EQ(c.description, result.description);
    EXPECT_EQ(c.expands, result.expandsWindow);
  }
}

TEST_F(SearchTest, RejectionsShowTheirMessageAndOnlyTheDefineShapedOneEntersDefineMode) {
  struct Case {
    const char* query;
    std::string_view message;
    std::optional<QueryMode> mode;
  };
  const Case cases[] = {
      {"", kNothingToSearchMessage, std::nullopt},
      {"_ABC", kInvalidDefineMessage, std::nullopt},
      {"A_B-C", kInvalidDefineMessage, QueryMode::Define},
      {"0x0x5", kMoreThanOneHexPrefixMessage, std::nullopt},
      {"12-3", kDashNotFirstMessage, std::nullopt},
      {"0xFFFFFFFFF", kHexTooBigMessage, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.query);
    const SearchResult result = Run(c.query);
    EXPECT_EQ(SearchVerdict::Rejected, result.verdict);
    EXPECT_EQ(c.mode, result.mode);
    EXPECT_EQ(c.message, result.description);
    EXPECT_EQ(Matches{}, result.matches);
    EXPECT_FALSE(result.expandsWindow);
  }
  EXPECT_TRUE(messages_.asks.empty());
}

TEST(DefineBoxCaption, NamesWhatTheBoxShows) {
  EXPECT_EQ("#Define", DefineBoxCaption(QueryMode::Number));
  EXPECT_EQ("Error Code", DefineBoxCaption(QueryMode::Define));
}

}  // namespace
}  // namespace quillon
