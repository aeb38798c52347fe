#include "lookup/probe_kind.h"

#include <gtest/gtest.h>

#include "tests/unit/fake_define_source.h"
#include "tests/unit/fake_message_source.h"

#include <optional>
#include <utility>
#include <vector>

namespace quillon {
namespace {

using ValueAsk = std::pair<ErrorType, std::uint32_t>;

class ProbeKindTest : public testing::Test {
 protected:
  ProbeKindTest() {
    messages_.Add(MessageSourceId::System, 5, "Access denied.");
    messages_.Add(MessageSourceId::System, 8, "");  // an empty text is no text
    defines_.Add(ErrorType::Win32, 5, "ERROR_ACCESS_DENIED");
    defines_.Add(ErrorType::Win32, 6, "ERROR_INVALID_HANDLE");
    defines_.Add(ErrorType::Win32, 8, "ERROR_NOT_ENOUGH_MEMORY");
    defines_.Add(ErrorType::Win32, 12002, "ERROR_INTERNET_TIMEOUT");
    defines_.Add(ErrorType::Hresult, static_cast<std::int32_t>(0x887A0001),
                 "DXGI_ERROR_INVALID_CALL");
    defines_.Add(ErrorType::NtStatus, static_cast<std::int32_t>(0xC0000005),
                 "STATUS_ACCESS_VIOLATION");
    defines_.Add(ErrorType::Stop, 10, "");  // a row whose name is NULL still holds the code
  }

  FakeMessageSource messages_;
  FakeDefineSource defines_;
};

TEST_F(ProbeKindTest, FindsACodeByItsTextOrElseByItsName) {
  struct Case {
    const char* name;
    ErrorType type;
    std::uint32_t value;
    bool applicable;
    std::optional<std::uint32_t> found;
    std::vector<ValueAsk> databaseAsks;
  };
  const std::vector<Case> cases = {
      {"a text: the database is not asked", ErrorType::Win32, 5, true, 5u, {}},
      {"a wrapped Win32 text stores the reduced code", ErrorType::Win32, 0x80070005, true, 5u, {}},
      {"no text, a name", ErrorType::Win32, 6, true, 6u, {{ErrorType::Win32, 6}}},
      {"a wrapped code is asked of the database reduced",
       ErrorType::Win32,
       0x80070006,
       true,
       6u,
       {{ErrorType::Win32, 6}}},
      {"an empty text, a name", ErrorType::Win32, 8, true, 8u, {{ErrorType::Win32, 8}}},
      {"wininet's range, no text, a name",
       ErrorType::Win32,
       12002,
       true,
       12002u,
       {{ErrorType::Win32, 12002}}},
      {"not a Win32 code: nothing is asked", ErrorType::Win32, 0xC0000005, false, std::nullopt, {}},
      {"an HRESULT family without system texts",
       ErrorType::Hresult,
       0x887A0001,
       true,
       0x887A0001u,
       {{ErrorType::Hresult, 0x887A0001}}},
      {"an NTSTATUS without a text",
       ErrorType::NtStatus,
       0xC0000005,
       true,
       0xC0000005u,
       {{ErrorType::NtStatus, 0xC0000005}}},
      {"a STOP row with a NULL name", ErrorType::Stop, 10, true, 10u, {{ErrorType::Stop, 10}}},
      {"each kind asks only its own table",
       ErrorType::Stop,
       0xC0000005,
       true,
       std::nullopt,
       {{ErrorType::Stop, 0xC0000005}}},
      {"known to nothing",
       ErrorType::Hresult,
       0x80004005,
       true,
       std::nullopt,
       {{ErrorType::Hresult, 0x80004005}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    defines_.valueAsks.clear();
    const ProbeOutcome outcome = ProbeKind(c.type, c.value, messages_, defines_);
    EXPECT_EQ(c.applicable, outcome.applicable);
    EXPECT_EQ(c.found, outcome.found);
    EXPECT_EQ(c.databaseAsks, defines_.valueAsks);
  }
}

TEST_F(ProbeKindTest, AnEmptyDatabaseLeavesOnlyTheTexts) {
  const FakeDefineSource none;
  EXPECT_EQ(5u, ProbeKind(ErrorType::Win32, 5, messages_, none).found);
  EXPECT_EQ(std::nullopt, ProbeKind(ErrorType::Win32, 6, messages_, none).found);
  EXPECT_EQ(std::nullopt, ProbeKind(ErrorType::NtStatus, 0xC0000005, messages_, none).found);
}

}  // namespace
}  // namespace quillon
