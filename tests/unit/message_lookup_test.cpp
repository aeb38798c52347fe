#include "lookup/message_lookup.h"

#include <gtest/gtest.h>

#include "tests/unit/fake_message_source.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quillon {
namespace {

using Ask = MessageAsk;

constexpr LookupMode kProbe = LookupMode::Probe;
constexpr LookupMode kShow = LookupMode::Show;

struct PlanCase {
  const char* name;
  ErrorType type;
  std::uint32_t input;
  bool applicable;
  std::uint32_t code;
  MessageSourceId source;
};

void ExpectPlan(const PlanCase& c) {
  SCOPED_TRACE(c.name);
  const LookupPlan plan = PlanLookup(c.type, c.input);
  EXPECT_EQ(c.applicable, plan.applicable);
  if (!c.applicable) {
    return;
  }
  EXPECT_EQ(c.code, plan.code);
  EXPECT_EQ(c.source, plan.source);
}

constexpr auto kSystem = MessageSourceId::System;
constexpr auto kWininet = MessageSourceId::Wininet;

TEST(MessageLookupPlan, Win32CodesAreLowValuesOrFacilitySevenReducedToTheLowWord) {
  const PlanCase cases[] = {
      {"zero", ErrorType::Win32, 0, true, 0, kSystem},
      {"largest plain code", ErrorType::Win32, 65535, true, 65535, kSystem},
      {"65536 has facility 1", ErrorType::Win32, 65536, false, 0, kSystem},
      {"0x80070005", ErrorType::Win32, 0x80070005, true, 5, kSystem},
      {"0xA0070005 top bits ignored", ErrorType::Win32, 0xA0070005, true, 5, kSystem},
      {"0x00070005 severity clear", ErrorType::Win32, 0x00070005, true, 5, kSystem},
      {"0xE0070005", ErrorType::Win32, 0xE0070005, true, 5, kSystem},
      {"0x20070005 bit 29 ignored", ErrorType::Win32, 0x20070005, true, 5, kSystem},
      {"0x80070000 reduces to 0", ErrorType::Win32, 0x80070000, true, 0, kSystem},
      {"-1 has facility 0x1FFF", ErrorType::Win32, 0xFFFFFFFF, false, 0, kSystem},
      {"0x80004005 has facility 0", ErrorType::Win32, 0x80004005, false, 0, kSystem},
      {"0xC0000005", ErrorType::Win32, 0xC0000005, false, 0, kSystem},
      {"facility 0x1007 is not 7", ErrorType::Win32, 0x90070005, false, 0, kSystem},
      {"facility 0x17 is not 7", ErrorType::Win32, 0x00170005, false, 0, kSystem},
  };
  for (const PlanCase& c : cases) {
    ExpectPlan(c);
  }
}

TEST(MessageLookupPlan, Win32CodesFrom12000To12174AskWininet) {
  const PlanCase cases[] = {
      {"11999", ErrorType::Win32, 11999, true, 11999, kSystem},
      {"12000", ErrorType::Win32, 12000, true, 12000, kWininet},
      {"12002", ErrorType::Win32, 12002, true, 12002, kWininet},
      {"12174", ErrorType::Win32, 12174, true, 12174, kWininet},
      {"12175", ErrorType::Win32, 12175, true, 12175, kSystem},
      {"0x80072EE2 reduces to 12002", ErrorType::Win32, 0x80072EE2, true, 12002, kWininet},
      {"0x80072F8F reduces to 12175", ErrorType::Win32, 0x80072F8F, true, 12175, kSystem},
      {"12000 plus 0x10000 is not Win32", ErrorType::Win32, 0x12EE0, false, 0, kSystem},
  };
  for (const PlanCase& c : cases) {
    ExpectPlan(c);
  }
}

TEST(MessageLookupPlan, OtherKindsAskTheirOwnSourceWithTheFullValue) {
  const PlanCase cases[] = {
      {"HRESULT", ErrorType::Hresult, 0x80004005, true, 0x80004005, kSystem},
      {"HRESULT zero", ErrorType::Hresult, 0, true, 0, kSystem},
      {"HRESULT in wininet range stays system", ErrorType::Hresult, 12002, true, 12002, kSystem},
      {"NTSTATUS", ErrorType::NtStatus, 0xC0000005, true, 0xC0000005, MessageSourceId::Ntdll},
      {"NTSTATUS facility 7 not reduced", ErrorType::NtStatus, 0x80070005, true, 0x80070005,
       MessageSourceId::Ntdll},
      {"STOP", ErrorType::Stop, 0x0000000A, true, 0x0000000A, MessageSourceId::Ntoskrnl},
      {"STOP all bits", ErrorType::Stop, 0xFFFFFFFF, true, 0xFFFFFFFF, MessageSourceId::Ntoskrnl},
  };
  for (const PlanCase& c : cases) {
    ExpectPlan(c);
  }
}

TEST(MessageLookup, ProbeStoresTheCodeAskedOnlyWhenTheSourceHasAMessage) {
  struct Case {
    const char* name;
    ErrorType type;
    std::uint32_t code;
    Ask expectedAsk;
    bool known;
    std::optional<std::uint32_t> stored;
  };
  const Case cases[] = {
      {"Win32 reduced code is stored", ErrorType::Win32, 0x80070005, {kSystem, 5}, true, 5u},
      {"Win32 unknown", ErrorType::Win32, 0x80070005, {kSystem, 5}, false, std::nullopt},
      {"wininet", ErrorType::Win32, 0x80072EE2, {kWininet, 12002}, true, 12002u},
      {"HRESULT full value",
       ErrorType::Hresult,
       0x80004005,
       {kSystem, 0x80004005},
       true,
       0x80004005u},
      {"NTSTATUS",
       ErrorType::NtStatus,
       0xC0000005,
       {MessageSourceId::Ntdll, 0xC0000005},
       true,
       0xC0000005u},
      {"NTSTATUS unknown",
       ErrorType::NtStatus,
       0xC0000005,
       {MessageSourceId::Ntdll, 0xC0000005},
       false,
       std::nullopt},
      {"STOP", ErrorType::Stop, 0xA, {MessageSourceId::Ntoskrnl, 0xA}, true, 0xAu},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeMessageSource source;
    if (c.known) {
      source.Add(c.expectedAsk.first, c.expectedAsk.second, "text");
    }
    const LookupOutcome outcome = Lookup(c.type, c.code, kProbe, source);
    EXPECT_TRUE(outcome.applicable);
    EXPECT_EQ(std::vector<Ask>{c.expectedAsk}, source.asks);
    EXPECT_EQ(c.stored, outcome.found);
    EXPECT_FALSE(outcome.description.has_value());
  }
}

TEST(MessageLookup, ShowWritesTheTextOrEmptiesTheDescription) {
  FakeMessageSource source;
  source.Add(kSystem, 5, "Access is denied.\r\n");
  source.Add(MessageSourceId::Ntdll, 0xC0000005, "The instruction at 0x%08lx referenced %1.");

  struct Case {
    const char* name;
    ErrorType type;
    std::uint32_t code;
    std::string description;
  };
  const Case cases[] = {
      {"found, kept verbatim", ErrorType::Win32, 5, "Access is denied.\r\n"},
      {"found through reduction", ErrorType::Win32, 0x80070005, "Access is denied.\r\n"},
      {"insert sequences left as they are", ErrorType::NtStatus, 0xC0000005,
       "The instruction at 0x%08lx referenced %1."},
      {"none: field emptied", ErrorType::Hresult, 0x80004005, ""},
      {"module without a table", ErrorType::Stop, 5, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const LookupOutcome outcome = Lookup(c.type, c.code, kShow, source);
    EXPECT_TRUE(outcome.applicable);
    EXPECT_EQ(std::optional<std::string>(c.description), outcome.description);
    EXPECT_FALSE(outcome.found.has_value());
  }
}

TEST(MessageLookup, NotApplicableWin32CodeAsksNothingAndChangesNothingInEitherMode) {
  for (const LookupMode mode : {kProbe, kShow}) {
    for (const std::uint32_t code : {0x10000u, 0x80004005u, 0xFFFFFFFFu, 0xC0000005u}) {
      SCOPED_TRACE(testing::Message() << "mode " << static_cast<int>(mode) << " code " << code);
      FakeMessageSource source;
      const LookupOutcome outcome = Lookup(ErrorType::Win32, code, mode, source);
      EXPECT_FALSE(outcome.applicable);
      EXPECT_TRUE(source.asks.empty());
      EXPECT_FALSE(outcome.found.has_value());
      EXPECT_FALSE(outcome.description.has_value());
    }
  }
}

TEST(MessageLookup, ProbeOnlyStoresAndShowOnlyDescribes) {
  for (const LookupMode mode : {kProbe, kShow}) {
    SCOPED_TRACE(static_cast<int>(mode));
    FakeMessageSource source;
    source.Add(kSystem, 5, "Access is denied.");
    const LookupOutcome outcome = Lookup(ErrorType::Win32, 5, mode, source);
    EXPECT_EQ(mode == kShow, outcome.description.has_value());
    EXPECT_EQ(mode == kProbe, outcome.found.has_value());
  }
}

TEST(MessageSources, EachModuleTableNamesItsModuleAndTheSystemTableNone) {
  EXPECT_EQ(nullptr, ModuleName(MessageSourceId::System));
  EXPECT_STREQ("wininet", ModuleName(MessageSourceId::Wininet));
  EXPECT_STREQ("ntdll", ModuleName(MessageSourceId::Ntdll));
  EXPECT_STREQ("ntoskrnl.exe", ModuleName(MessageSourceId::Ntoskrnl));
}

TEST(MessageLookup, AnEmptyAnswerCountsAsNoMessage) {
  FakeMessageSource source;
  source.Add(kSystem, 0x80004005, "");
  EXPECT_FALSE(Lookup(ErrorType::Hresult, 0x80004005, kProbe, source).found.has_value());
  EXPECT_EQ(std::optional<std::string>(""),
            Lookup(ErrorType::Hresult, 0x80004005, kShow, source).description);
}

}  // namespace
}  // namespace quillon
