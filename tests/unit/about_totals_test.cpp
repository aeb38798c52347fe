#include "about/about_totals.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(AboutTotals, CountedRowsWithThousandsOrTheFixedFigures) {
  struct Case {
    ErrorType type;
    std::optional<std::int64_t> rows;
    const char* text;
  };
  const Case cases[] = {
      {ErrorType::Win32, 12345, "Win32: 12,345"},
      {ErrorType::Hresult, 1234567, "HRESULT: 1,234,567"},
      {ErrorType::NtStatus, 999, "NTSTATUS: 999"},
      {ErrorType::Stop, 1000, "STOP: 1,000"},
      {ErrorType::Stop, 0, "STOP: 0"},
      {ErrorType::Win32, std::nullopt, "Win32: 2,527"},
      {ErrorType::Hresult, std::nullopt, "HRESULT: 1,767"},
      {ErrorType::NtStatus, std::nullopt, "NTSTATUS: 1,730"},
      {ErrorType::Stop, std::nullopt, "STOP: 318"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.text, DefineTotalText(c.type, c.rows));
  }
}

}  // namespace
}  // namespace quillon
