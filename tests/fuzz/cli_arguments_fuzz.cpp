// The command line's argument handling: any argument vector parses to options or to a usage
// error, and every query it carries reads to readings or to one of the window's messages.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/options.h"
#include "core/readings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // NUL bytes separate the arguments, as they do in the process's own argument block.
  std::vector<std::string> args(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.emplace_back();
    } else {
      args.back() += static_cast<char>(data[i]);
    }
  }
  const quillon::ParsedOptions parsed = quillon::ParseOptions(args);
  // Exactly one of: options, a usage error, or a text to print (--help, --version).
  const int outcomes =
      (parsed.options ? 1 : 0) + (parsed.error.empty() ? 0 : 1) + (parsed.output.empty() ? 0 : 1);
  if (outcomes != 1 || (!parsed.error.empty() && parsed.exitCode != 2)) {
    __builtin_trap();
  }
  if (parsed.options) {
    for (const std::string& query : parsed.options->queries) {
      const quillon::QueryReadings read = quillon::ReadQuery(query);
      if (read.readings.empty() == read.rejection.empty()) {
        __builtin_trap();  // a query is either read or rejected with a message
      }
    }
  }
  return 0;
}
