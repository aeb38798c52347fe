// Setup's extend codes as the upgrade pages document them: the names of its phases and
// operations, and the result and extend code pairs with their cause and mitigation.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::make_defines {

struct SetupName {
  unsigned number = 0;
  std::string name;
  std::string page;
};

struct SetupRemedy {
  std::string text;
  std::string page;
};

struct DocumentedPair {
  std::uint32_t result = 0;
  std::uint32_t extend = 0;
  std::string cause;  // empty when no page says
  std::string page;   // where the cause is from
  std::vector<SetupRemedy> remedies;
};

struct SetupCodes {
  std::string error;  // a page that could not be read, named
  std::vector<SetupName> phases;
  std::vector<SetupName> operations;
  std::vector<DocumentedPair> pairs;
  std::vector<std::string> disagreements;  // a number two pages name differently
};

// Adds what one page says. The first page to name a phase or operation keeps its name; the
// first to explain a pair keeps its cause and mitigation, and a page about that pair alone
// adds its resolution.
void AddSetupPage(SetupCodes& codes, const std::string& page, std::string_view text);

// Every page of the unpacked support archive at root, in ListSupportPages' order.
SetupCodes ReadSetupCodes(const std::filesystem::path& root);

std::string SetupReportText(const SetupCodes& codes);

}  // namespace quillon::make_defines
