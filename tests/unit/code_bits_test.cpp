#include <gtest/gtest.h>

#include "base/code_bits.h"

namespace quillon {
namespace {

TEST(CodeBits, TheSdkMacrosKeepZeroAndMakeTheirFormsOfTheLowWord) {
  struct Case {
    std::uint32_t code;
    std::uint32_t hresult;  // HRESULT_FROM_WIN32
    std::uint32_t status;   // NTSTATUS_FROM_WIN32
  };
  const Case cases[] = {
      {0, 0, 0},
      {5, 0x80070005, 0xC0070005},
      {998, 0x800703E6, 0xC00703E6},
      {kLargestWin32Code, 0x8007FFFF, 0xC007FFFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(c.hresult, HresultFromWin32(c.code));
    EXPECT_EQ(c.status, NtStatusFromWin32(c.code));
  }
  EXPECT_EQ(0xD0000005u, HresultFromNt(0xC0000005));
  EXPECT_EQ(0xD0000005u, HresultFromNt(0xD0000005));
}

// The three questions differ at the edges: the window's Win32 kind reads every value of
// facility 7, the system table only failures of it, the macros' forms only their own high word
// and never 0.
TEST(CodeBits, WhichValuesCarryAWin32Code) {
  struct Case {
    const char* name;
    std::uint32_t value;
    std::optional<std::uint32_t> win32In;
    bool systemTable;
    bool hresultForm;
    bool statusForm;
  };
  const Case cases[] = {
      {"a Win32 code itself", 5, 5u, false, false, false},
      {"the largest Win32 code", 0xFFFF, 0xFFFFu, false, false, false},
      {"one past it, facility 1", 0x10000, std::nullopt, false, false, false},
      {"HRESULT_FROM_WIN32", 0x80070005, 5u, true, true, false},
      {"NTSTATUS_FROM_WIN32", 0xC0070005, 5u, true, false, true},
      {"facility 7 without severity", 0x00070005, 5u, false, false, false},
      {"facility 7 with the customer bit", 0xA0070005, 5u, true, false, false},
      {"the macros keep 0 as 0", 0x80070000, 0u, true, false, false},
      {"NTSTATUS of Win32 0", 0xC0070000, 0u, true, false, false},
      {"another facility", 0xC0000005, std::nullopt, false, false, false},
      {"every bit", 0xFFFFFFFF, std::nullopt, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.win32In, Win32CodeIn(c.value));
    EXPECT_EQ(c.systemTable, SystemTableReadsAsWin32(c.value));
    EXPECT_EQ(c.hresultForm, IsHresultFromWin32(c.value));
    EXPECT_EQ(c.statusForm, IsNtStatusFromWin32(c.value));
  }
}

TEST(CodeBits, FieldsIgnoreTheBitsAboveThem) {
  EXPECT_EQ(kFacilityMask, CodeFacility(0xFFFFFFFF));
  EXPECT_EQ(7u, CodeFacility(0xE0070000));
  EXPECT_EQ(3u, CodeSeverity(0xC0000005));
  EXPECT_TRUE(HasCustomerBit(0xA0070005));
  EXPECT_FALSE(HasCustomerBit(0xD0000005));
  EXPECT_TRUE(HasNtStatusBit(0xD0000005));
}

}  // namespace
}  // namespace quillon
