// quillon-cli: what a Windows error code means, on the command line.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/file_output.h"
#include "cli/options.h"
#include "cli/platform.h"

int main(int argc, char** argv) {
  quillon::FileOutputBuffer outputBuffer(stdout);
  std::ostream out(&outputBuffer);
  try {
    std::ios::sync_with_stdio(false);
    // The first failed write ends the run: a full disk must not take the rest of a long scan.
    out.exceptions(std::ios::badbit);
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const quillon::ParsedOptions parsed = quillon::ParseOptions(args);
    if (!parsed.options) {
      out << parsed.output << std::flush;
      if (!parsed.error.empty()) {
        std::cerr << parsed.error << '\n';
      }
      return parsed.exitCode;
    }
    const int status =
        quillon::RunCommand(*parsed.options, quillon::CurrentPlatform(), std::cin, out, std::cerr);
    out.flush();
    return status;
  } catch (const std::exception& error) {
    if (outputBuffer.Error()) {
      std::cerr << "quillon-cli: cannot write standard output: " << outputBuffer.Error().message()
                << '\n';
    } else {
      std::cerr << "quillon-cli: " << error.what() << '\n';
    }
    return 2;
  }
}
