// quillon-cli: what a Windows error code means, on the command line.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/options.h"
#include "cli/platform.h"

int main(int argc, char** argv) {
  try {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const quillon::ParsedOptions parsed = quillon::ParseOptions(args);
    if (!parsed.options) {
      std::cout << parsed.output;
      if (!parsed.error.empty()) {
        std::cerr << parsed.error << '\n';
      }
      return parsed.exitCode;
    }
    const int status = quillon::RunCommand(*parsed.options,
                                           quillon::CurrentPlatform(parsed.options->language), std::cin,
                                           std::cout, std::cerr);
    std::cout.flush();
    return std::cout ? status : 2;
  } catch (const std::exception& error) {
    std::cerr << "quillon-cli: " << error.what() << '\n';
    return 2;
  }
}
