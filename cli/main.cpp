// quillon-cli: what a Windows error code means, on the command line.
#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/options.h"
#include "cli/platform.h"

int main(int argc, char** argv) {
  try {
    std::ios::sync_with_stdio(false);
    const std::unique_ptr<std::streambuf> console = quillon::ConsoleOutputBuffer();
    std::ostream consoleOut(console.get());
    std::ostream& out = console ? consoleOut : std::cout;
    const quillon::ParsedOptions parsed =
        quillon::ParseOptions(quillon::CommandArguments(argc, argv));
    if (!parsed.options) {
      out << parsed.output;
      out.flush();
      if (!parsed.error.empty()) {
        std::cerr << parsed.error << '\n';
      }
      return parsed.exitCode;
    }
    const int status =
        quillon::RunCommand(*parsed.options, quillon::CurrentPlatform(parsed.options->language),
                            std::cin, out, std::cerr);
    out.flush();
    return out ? status : 2;
  } catch (const std::exception& error) {
    std::cerr << "quillon-cli: " << error.what() << '\n';
    return 2;
  }
}
