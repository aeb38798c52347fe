#include <gtest/gtest.h>

#include "lookup/wrapped_code.h"

namespace quillon {
namespace {

TEST(UnwrapCode, FindsTheCodeEachSdkMacroWraps) {
  struct Case {
    ErrorType type;
    std::uint32_t value;
    std::optional<ErrorType> wrappedType;  // nothing: wraps no code
    std::uint32_t wrapped;
  };
  const Case cases[] = {
      {ErrorType::Hresult, 0x80070005, ErrorType::Win32, 5},
      {ErrorType::Hresult, 0x8007FFFF, ErrorType::Win32, 0xFFFF},
      {ErrorType::Hresult, 0xD0000005, ErrorType::NtStatus, 0xC0000005},
      {ErrorType::Hresult, 0x10000001, ErrorType::NtStatus, 1},
      {ErrorType::Hresult, 0x80004005, std::nullopt, 0},
      {ErrorType::Hresult, 0xC0070005, std::nullopt, 0},  // not HRESULT_FROM_WIN32's form
      {ErrorType::Hresult, 0x80070000, std::nullopt, 0},  // the macros keep Win32 0 as 0
      {ErrorType::NtStatus, 0xC0070000, std::nullopt, 0},
      {ErrorType::Hresult, 0x80070001, ErrorType::Win32, 1},
      {ErrorType::NtStatus, 0xC0070005, ErrorType::Win32, 5},
      {ErrorType::NtStatus, 0x80070005, std::nullopt, 0},
      {ErrorType::NtStatus, 0xD0000005, std::nullopt, 0},
      {ErrorType::Stop, 0x1000007E, ErrorType::Stop, 0x7E},
      {ErrorType::Stop, 0x0000007E, std::nullopt, 0},
      {ErrorType::Win32, 0x80070005, std::nullopt, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << ErrorTypeName(c.type) << " " << std::hex << c.value);
    const std::optional<WrappedCode> wrapped = UnwrapCode(c.type, c.value);
    ASSERT_EQ(c.wrappedType.has_value(), wrapped.has_value());
    if (wrapped) {
      EXPECT_EQ(*c.wrappedType, wrapped->type);
      EXPECT_EQ(c.wrapped, wrapped->value);
      EXPECT_FALSE(wrapped->wrapper.empty());
    }
  }
}

}  // namespace
}  // namespace quillon
