// Any text as a query: ClassifyQuery never fails, and its verdict is always one of the three
// kinds with the parts that kind promises.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "query/classify_query.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const quillon::QueryVerdict verdict = quillon::ClassifyQuery(text);
  using Kind = quillon::QueryVerdict::Kind;
  const auto& messages = quillon::kRejectionMessages;
  const bool sound =
      (verdict.kind == Kind::Number) ||
      (verdict.kind == Kind::DefineName && !verdict.defineName.empty()) ||
      (verdict.kind == Kind::Rejection &&
       std::find(messages.begin(), messages.end(), verdict.message) != messages.end());
  if (!sound) {
    std::abort();
  }
  return 0;
}
