// Classification runs on every Enter and every accepted paste; it must feel instant.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "query/classify_query.h"

namespace {

// What users type: decimal and negative codes, HRESULTs and NTSTATUS values in hex, define
// names short and long, and a share of mistakes that end in each kind of rejection.
const std::vector<std::string>& QueryMix() {
  static const std::vector<std::string> mix = {
      "5",
      "1223",
      "2147483647",
      "-2147024891",
      "-1",
      "0x80070005",
      "0xC0000005",
      "0x8007000e",
      "0X1F",
      "0x00000000001",
      "ERROR_ACCESS_DENIED",
      "E_OUTOFMEMORY",
      "status_access_violation",
      "ERROR_INSTALL_PACKAGE_DOWNGRADE_WITH_A_RATHER_LONG_NAME_FOR_GOOD_MEASURE",
      "",
      "_ABC",
      "AB_C-D",
      "0x0x1",
      "10x5",
      "0x",
      "0x1G",
      "0x123456789",
      "--5",
      "5-",
      "-",
      "ABC",
      "4294967295",
      "00012",
  };
  return mix;
}

void BM_ClassifyQueryMix(benchmark::State& state) {
  const std::vector<std::string>& mix = QueryMix();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(quillon::ClassifyQuery(mix[i]));
    i = i + 1 == mix.size() ? 0 : i + 1;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ClassifyQueryMix);

// The longest text the edit holds, judged as a number all the way through.
void BM_ClassifyQueryLongest(benchmark::State& state) {
  const std::string text(quillon::kQueryMaxLength, '9');
  for (auto _ : state) benchmark::DoNotOptimize(quillon::ClassifyQuery(text));
}
BENCHMARK(BM_ClassifyQueryLongest);

}  // namespace
