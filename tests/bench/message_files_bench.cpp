// The cost of the file-backed message source on Wine's own DLLs (warm file cache): finding
// the files, opening a source and its first lookup (what one whole quillon-cli run pays), and
// warm lookups over a dense run of codes (what many queries in one process pay). The command's
// targets: a whole-process lookup under 5 ms, at least 100,000 lookups a second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <optional>

#include "lookup/file_message_source.h"
#include "lookup/message_file_locator.h"

namespace {

using quillon::FileMessageSource;
using quillon::MessageFiles;
using quillon::MessageSourceId;

// Win32 codes 0 to 15999: about one in twenty is in Wine's system table.
constexpr std::uint32_t kDenseCodes = 16000;

std::optional<MessageFiles> WineFiles(benchmark::State& state) {
  std::optional<MessageFiles> files = quillon::LocateWineFiles();
  if (!files) {
    state.SkipWithError("Wine's DLLs are not installed (scripts/setup)");
  }
  return files;
}

void BM_LocateWineFiles(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(quillon::LocateWineFiles());
  }
}
BENCHMARK(BM_LocateWineFiles)->Unit(benchmark::kMicrosecond);

// Open a source and ask it once: 0xC0000005 asks all four sources as a number search does.
void BM_OpenAndFirstLookup(benchmark::State& state) {
  const std::optional<MessageFiles> files = WineFiles(state);
  for (auto _ : state) {
    if (!files)
      break;
    FileMessageSource source(*files);
    for (const MessageSourceId id :
         {MessageSourceId::System, MessageSourceId::Ntdll, MessageSourceId::Ntoskrnl}) {
      benchmark::DoNotOptimize(source.Message(id, 0xC0000005));
    }
    benchmark::DoNotOptimize(source.Message(MessageSourceId::System, 5));
  }
}
BENCHMARK(BM_OpenAndFirstLookup)->Unit(benchmark::kMicrosecond);

void BM_WarmLookup(benchmark::State& state) {
  const std::optional<MessageFiles> files = WineFiles(state);
  if (!files)
    return;
  FileMessageSource source(*files);
  const auto code = static_cast<std::uint32_t>(state.range(0));
  for (auto _ : state) {
    benchmark::DoNotOptimize(source.Message(MessageSourceId::System, code));
  }
}
// Found at the start of a block, found at the end of the longest block (62 ids), and not found (every block looked at).
BENCHMARK(BM_WarmLookup)->Arg(5)->Arg(1461)->Arg(0x7FFFFFFF);

void BM_WarmDenseLookups(benchmark::State& state) {
  const std::optional<MessageFiles> files = WineFiles(state);
  if (!files)
    return;
  FileMessageSource source(*files);
  std::int64_t found = 0;
  for (auto _ : state) {
    for (std::uint32_t code = 0; code < kDenseCodes; ++code) {
      found += source.Message(MessageSourceId::System, code).has_value();
    }
  }
  state.SetItemsProcessed(state.iterations() * kDenseCodes);
  state.counters["found"] =
      benchmark::Counter(static_cast<double>(found), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_WarmDenseLookups)->Unit(benchmark::kMillisecond);

}  // namespace
