// quillon-cli: what a Windows error code means, on the command line.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/file_output.h"
#include "cli/options.h"
#include "cli/platform.h"
#include "core/terminal_text.h"
#include "lookup/define_rows.h"

namespace {

constexpr std::int64_t kDatabaseMemoryLimit = std::int64_t{64} << 20;

}  // namespace

#if defined(__linux__)
// Before the libraries' own start (the standard streams', the locales'), whose code would
// otherwise come in a fault a page.
[[gnu::used,
  gnu::section(".preinit_array")]] static void (*prepareMemory)() = quillon::PrepareMemory;
#endif

int main(int argc, char** argv) {
  quillon::FileOutputBuffer outputBuffer(stdout);
  std::ostream fileOut(&outputBuffer);
  try {
    std::ios::sync_with_stdio(false);
    // A Windows console takes wide characters; anything else takes UTF-8 bytes.
    const std::unique_ptr<std::streambuf> console = quillon::ConsoleOutputBuffer();
    std::ostream consoleOut(console.get());
    std::ostream& out = console ? consoleOut : fileOut;
    // The first failed write ends the run: a full disk must not take the rest of a long scan.
    out.exceptions(std::ios::badbit);
    // Far above what the definitions database needs; a hostile one's sorts fail at it.
    quillon::LimitDatabaseMemory(kDatabaseMemoryLimit);
    const quillon::ParsedOptions parsed =
        quillon::ParseOptions(quillon::CommandArguments(argc, argv));
    if (!parsed.options) {
      out << parsed.output << std::flush;
      if (!parsed.error.empty()) {
        std::cerr << parsed.error << '\n';
      }
      return parsed.exitCode;
    }
    quillon::CommandPlatform platform = quillon::CurrentPlatform(parsed.options->language);
    // Closing the database, finalising its statements and freeing the message files' copies
    // would take a twentieth of a lookup's run, for what the process's end releases anyway.
    // A failed write still throws from the flush, and is told below.
    platform.finished = [&out](int status) {
      out.flush();
      std::cerr.flush();
      std::_Exit(status);
    };
    const int status =
        quillon::RunCommand(*parsed.options, std::move(platform), std::cin, out, std::cerr);
    out.flush();
    return status;
  } catch (const std::exception& error) {
    if (outputBuffer.Error()) {
      std::cerr << "quillon-cli: cannot write standard output: " << outputBuffer.Error().message()
                << '\n';
    } else {
      // A file system error quotes the path it was given.
      std::cerr << "quillon-cli: " << quillon::TerminalText(error.what()) << '\n';
    }
    return 2;
  }
}
