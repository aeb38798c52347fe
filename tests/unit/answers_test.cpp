#include "core/answers.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "display/facility_names.h"
#include "query/text_routines.h"
#include "tests/unit/fake_define_source.h"
#include "tests/unit/fake_message_source.h"

namespace quillon {
namespace {

constexpr auto kSystem = MessageSourceId::System;

std::string Label(ErrorType type, std::uint32_t value) {
  return std::string(ErrorTypeName(type)) + " 0x" + FormatHex8(value);
}

// A small world of names, texts, maps and facilities, each row there for a rule below.
class AnswerTest : public testing::Test {
 protected:
  AnswerTest() {
    defines_.Add(ErrorType::Win32, 1, "ERROR_INVALID_FUNCTION");
    defines_.Add(ErrorType::Win32, 5, "ERROR_ACCESS_DENIED", "winerror.h");
    defines_.Add(ErrorType::Win32, 998, "ERROR_NOACCESS");
    defines_.Add(ErrorType::Win32, 0x12345, "BIG_WIN32");  // no Win32 code can be this
    defines_.Add(ErrorType::Hresult, 1, "S_FALSE");
    defines_.Add(ErrorType::Hresult, 0xFFFF, "HRESULT_AT_THE_WIN32_LIMIT");
    defines_.Add(ErrorType::Hresult, Signed(0x80070005), "E_ACCESSDENIED", "winerror.h");
    defines_.Add(ErrorType::Hresult, Signed(0x80070005), "DIERR_HANDLEEXISTS", "dinput.h");
    defines_.Add(ErrorType::Hresult, Signed(0x80040207), "CO_E_TWICE", "winerror.h");
    defines_.Add(ErrorType::Hresult, Signed(0x80004006), "CO_E_TWICE", "objbase.h");
    defines_.Add(ErrorType::Hresult, Signed(0x80040207), "CO_E_TWICE", "objerror.h");
    defines_.Add(ErrorType::Hresult, Signed(0x887A0005), "DXGI_ERROR_DEVICE_REMOVED");
    defines_.Add(ErrorType::Hresult, Signed(0x80AB0001), "E_OF_NO_NAMED_FACILITY");
    defines_.Add(ErrorType::NtStatus, Signed(0xC0000005), "STATUS_ACCESS_VIOLATION");
    defines_.Add(ErrorType::NtStatus, Signed(0xC0000022), "STATUS_ACCESS_DENIED");
    defines_.Add(ErrorType::NtStatus, Signed(0xC0000099), "STATUS_OF_UNNAMED_WIN32");
    defines_.Add(ErrorType::NtStatus, Signed(0xC0EE0001), "STATUS_OF_HEADER_FACILITY");
    defines_.Add(ErrorType::Stop, 0x0A, "IRQL_NOT_LESS_OR_EQUAL");
    defines_.MapStatus(0xC0000005, 998);
    defines_.MapStatus(0xC0000080, 5);
    defines_.MapStatus(0xC0000022, 5);
    defines_.MapStatus(0xC0000099, 0x1234);
    defines_.AddFacility(ErrorType::Hresult, 0x87A, "FACILITY_DXGI");
    defines_.AddFacility(ErrorType::Hresult, 7, "FACILITY_WIN32");
    defines_.AddFacility(ErrorType::NtStatus, 0xEE, "FACILITY_HEADER_ONLY");
    messages_.Add(kSystem, 1, "Incorrect function.\r\n");
    messages_.Add(kSystem, 5, "Access is denied.\r\n");
    messages_.Add(kSystem, 998, "Invalid access to memory location. \r\n");
    messages_.Add(kSystem, 0x1234, "Text of an unnamed code.");
    messages_.Add(kSystem, 0xFFFF, "Text of 0xFFFF.");
    messages_.Add(kSystem, 0x10000, "Text of 0x10000.");
    messages_.Add(MessageSourceId::Ntdll, 0xC0000022, "{Access Denied}\r\n");
    messages_.Add(MessageSourceId::Ntoskrnl, 0x0A, "IRQL_NOT_LESS_OR_EQUAL text");
    messages_.AddFurther(ErrorType::Hresult, 0x887A0005, "The GPU device was removed.\r\n");
  }

  static std::int32_t Signed(std::uint32_t value) { return static_cast<std::int32_t>(value); }

  ReadingAnswer Number(std::uint32_t value) {
    return Answer({ReadingKind::Hex, value, {}}, messages_, defines_);
  }
  ReadingAnswer Name(const std::string& name) {
    return Answer({ReadingKind::Name, 0, name}, messages_, defines_);
  }
  // The match of type for the number value; fails the test when there is none.
  KindAnswer Match(ErrorType type, std::uint32_t value) {
    for (KindAnswer& match : Number(value).matches) {
      if (match.type == type) {
        return match;
      }
    }
    ADD_FAILURE() << "no " << ErrorTypeName(type) << " match";
    return {};
  }

  FakeDefineSource defines_;
  FakeMessageSource messages_;
};

std::vector<std::string> Labels(const ReadingAnswer& answer) {
  std::vector<std::string> labels;
  for (const KindAnswer& match : answer.matches) {
    labels.push_back(Label(match.type, match.value));
  }
  return labels;
}

TEST_F(AnswerTest, ANumberIsAnsweredByEveryKindThatKnowsIt) {
  struct Case {
    std::uint32_t value;
    std::vector<std::string> kinds;
  };
  const Case cases[] = {
      // An HRESULT up to 0xFFFF only by name: S_FALSE is 1, nothing holds HRESULT 5.
      {1, {"Win32 0x00000001", "HRESULT 0x00000001"}},
      {5, {"Win32 0x00000005"}},
      // The largest Win32 code, and the first number above it that only an HRESULT can be.
      {0xFFFF, {"Win32 0x0000FFFF", "HRESULT 0x0000FFFF"}},
      {0x10000, {"HRESULT 0x00010000"}},
      // HRESULT_FROM_WIN32: the Win32 code it carries, reduced, and the HRESULT itself.
      {0x80070005, {"Win32 0x00000005", "HRESULT 0x80070005"}},
      // Win32 0 is wrapped by nothing; facility 7 without 0x8007 is no Win32 code.
      {0x80070000, {}},
      {0x00070005, {}},
      {0xC0070005, {"NTSTATUS 0xC0070005"}},
      {0xD0000005, {"HRESULT 0xD0000005"}},
      {0x1000000A, {"STOP 0x1000000A"}},
      {0x0A, {"STOP 0x0000000A"}},
      {0xC0000005, {"NTSTATUS 0xC0000005"}},
      {0x887A0005, {"HRESULT 0x887A0005"}},
      // Held by Win32's table, but a number above 0xFFFF outside facility 7 is no Win32 code.
      {0x12345, {}},
      {0xFFFFFFFF, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Label(ErrorType::Hresult, c.value));
    EXPECT_EQ(c.kinds, Labels(Number(c.value)));
  }
}

TEST_F(AnswerTest, ANameIsAnsweredWithEveryValueItsTablesHold) {
  struct Case {
    const char* name;
    std::vector<std::string> kinds;
  };
  const Case cases[] = {
      {"E_ACCESSDENIED", {"HRESULT 0x80070005"}},
      // Two values, in the table's order; the third row repeats the first value.
      {"CO_E_TWICE", {"HRESULT 0x80040207", "HRESULT 0x80004006"}},
      {"S_FALSE", {"HRESULT 0x00000001"}},
      // Known by its name alone, unreduced and without a description.
      {"BIG_WIN32", {"Win32 0x00012345"}},
      {"NO_SUCH_NAME", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.kinds, Labels(Name(c.name)));
  }
  EXPECT_FALSE(Name("BIG_WIN32").matches.at(0).description.has_value());
  EXPECT_EQ((std::vector<NamedDefine>{{"E_ACCESSDENIED", "winerror.h"},
                                      {"DIERR_HANDLEEXISTS", "dinput.h"}}),
            Name("E_ACCESSDENIED").matches.at(0).names);
}

TEST_F(AnswerTest, DescriptionsComeFromTheKindsTableElseAFurtherOneTrimmed) {
  struct Case {
    ErrorType type;
    std::uint32_t value;
    std::optional<std::string> description;
  };
  const Case cases[] = {
      {ErrorType::Win32, 1, "Incorrect function."},
      {ErrorType::Win32, 0x80070005, "Access is denied."},
      // The system table's text for HRESULT 1 is Win32 1's: not shown as the HRESULT's.
      {ErrorType::Hresult, 1, std::nullopt},
      {ErrorType::Hresult, 0xFFFF, std::nullopt},
      {ErrorType::Hresult, 0x10000, "Text of 0x10000."},
      {ErrorType::Hresult, 0x887A0005, "The GPU device was removed."},
      {ErrorType::NtStatus, 0xC0000005, std::nullopt},
      {ErrorType::Stop, 0x0A, "IRQL_NOT_LESS_OR_EQUAL text"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Label(c.type, c.value));
    EXPECT_EQ(c.description, Match(c.type, c.value).description);
  }
}

TEST_F(AnswerTest, AWrapperSaysWhichKnownCodeItCarries) {
  struct Case {
    ErrorType type;
    std::uint32_t value;
    std::optional<std::string> wraps;
    const char* wrapper;
  };
  const Case cases[] = {
      {ErrorType::Hresult, 0x80070005, "Win32 0x00000005", "HRESULT_FROM_WIN32"},
      {ErrorType::Hresult, 0xD0000005, "NTSTATUS 0xC0000005", "HRESULT_FROM_NT"},
      {ErrorType::NtStatus, 0xC0070005, "Win32 0x00000005", "NTSTATUS_FROM_WIN32"},
      {ErrorType::Stop, 0x1000000A, "STOP 0x0000000A", "the _M form"},
      // A code that wraps nothing anyone knows says nothing of it.
      {ErrorType::Hresult, 0x887A0005, std::nullopt, ""},
      {ErrorType::Win32, 5, std::nullopt, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Label(c.type, c.value));
    const KindAnswer match = Match(c.type, c.value);
    EXPECT_EQ(c.wraps,
              match.wraps ? std::optional<std::string>(Label(match.wraps->type, match.wraps->value))
                          : std::nullopt);
    EXPECT_EQ(c.wrapper, match.wrapper);
  }
}

TEST_F(AnswerTest, RelativesAreTheMappedCodesAndTheHresultForm) {
  struct Case {
    ErrorType type;
    std::uint32_t value;
    std::vector<std::string> related;  // relation, then the code
  };
  const Case cases[] = {
      {ErrorType::NtStatus, 0xC0000005, {"win32 Win32 0x000003E6"}},
      // The HRESULT form first, then every NTSTATUS that becomes it, as unsigned numbers.
      {ErrorType::Win32,
       5,
       {"hresult HRESULT 0x80070005", "ntstatus NTSTATUS 0xC0000022",
        "ntstatus NTSTATUS 0xC0000080"}},
      // Reduced from its HRESULT form, the Win32 code has the same relatives.
      {ErrorType::Win32,
       0x80070005,
       {"hresult HRESULT 0x80070005", "ntstatus NTSTATUS 0xC0000022",
        "ntstatus NTSTATUS 0xC0000080"}},
      {ErrorType::Hresult, 0x80070005, {}},
      {ErrorType::Stop, 0x0A, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Label(c.type, c.value));
    std::vector<std::string> related;
    for (const RelatedAnswer& relative : Match(c.type, c.value).related) {
      related.push_back(std::string(RelationName(relative.relation)) + " " +
                        Label(relative.code.type, relative.code.value));
    }
    EXPECT_EQ(c.related, related);
  }
  // A Win32 value above 0xFFFF, known by its name alone, has no HRESULT form.
  EXPECT_TRUE(Name("BIG_WIN32").matches.at(0).related.empty());
}

TEST_F(AnswerTest, TheFirstDescriptionIsTheMatchsElseWhatItWrapsElseARelativesWithItsOwner) {
  struct Case {
    ErrorType type;
    std::uint32_t value;
    std::optional<std::string> text;
    const char* owner;
  };
  const Case cases[] = {
      {ErrorType::Win32, 5, "Access is denied.", ""},
      {ErrorType::NtStatus, 0xC0070005, "Access is denied.", "Win32 ERROR_ACCESS_DENIED"},
      {ErrorType::NtStatus, 0xC0000005, "Invalid access to memory location.",
       "Win32 ERROR_NOACCESS"},
      // A relative without a name is called by its number.
      {ErrorType::NtStatus, 0xC0000099, "Text of an unnamed code.", "Win32 0x00001234"},
      // What it wraps has no text, and an HRESULT has no relatives.
      {ErrorType::Hresult, 0xD0000005, std::nullopt, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Label(c.type, c.value));
    const KindAnswer match = Match(c.type, c.value);
    const DescriptionOf first = FirstDescription(match);
    EXPECT_EQ(c.text,
              first.text != nullptr ? std::optional<std::string>(*first.text) : std::nullopt);
    EXPECT_EQ(c.owner, first.owner);
  }
}

TEST_F(AnswerTest, AFacilityTheWindowCannotNameIsNamedAsAHeaderDefinesIt) {
  struct Case {
    ErrorType type;
    std::uint32_t value;
    std::string facility;
  };
  const Case cases[] = {
      {ErrorType::Hresult, 0x887A0005, "FACILITY_DXGI"},
      {ErrorType::NtStatus, 0xC0EE0001, "FACILITY_HEADER_ONLY"},
      // The window's own name wins over a header's.
      {ErrorType::Hresult, 0x80070005, std::string(kWin32FacilityText)},
      {ErrorType::Hresult, 0x80AB0001, std::string(kUnknownText)},
      {ErrorType::Win32, 5, std::string(kWin32FacilityText)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Label(c.type, c.value));
    EXPECT_EQ(c.facility, Match(c.type, c.value).facility);
  }
}

}  // namespace
}  // namespace quillon
