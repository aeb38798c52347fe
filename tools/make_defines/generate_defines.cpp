#include "tools/make_defines/generate_defines.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

#include "lookup/error_type.h"
#include "tools/make_defines/database_writer.h"
#include "tools/make_defines/define_scanner.h"

namespace quillon::make_defines {
namespace {

std::optional<std::string> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad())
    return std::nullopt;
  return std::move(text).str();
}

std::string EscapeForDepfile(const std::string& path) {
  std::string escaped;
  for (const char c : path) {
    if (c == ' ' || c == '#')
      escaped += '\\';
    if (c == '$')
      escaped += '$';
    escaped += c;
  }
  return escaped;
}

}  // namespace

Generation GenerateDefines(const std::filesystem::path& includeDirectory,
                           const std::vector<HeaderRule>& rules,
                           const std::filesystem::path& output) {
  Generation generation;
  std::vector<ParsedHeader> headers;
  for (const HeaderRule& rule : rules) {
    const std::filesystem::path path = includeDirectory / rule.file;
    const std::optional<std::string> text = ReadFile(path);
    if (!text) {
      generation.error = "cannot read " + path.string();
      return generation;
    }
    generation.headersRead.push_back(path);
    headers.push_back({rule, ScanDefines(*text)});
  }
  generation.catalog = BuildCatalog(headers);

  const std::array<std::size_t, 4> counts = CountRows(generation.catalog.rows);
  for (const ErrorType type : kErrorTypes) {
    if (counts[static_cast<std::size_t>(type)] == 0) {
      generation.error = "no " + std::string(ErrorTypeName(type)) +
                         " codes found in the headers of " + includeDirectory.string();
      return generation;
    }
  }
  generation.error = WriteDefinesDatabase(generation.catalog.rows, output);
  return generation;
}

std::array<std::size_t, 4> CountRows(const std::vector<DefineRow>& rows) {
  std::array<std::size_t, 4> counts{};
  for (const DefineRow& row : rows) ++counts[static_cast<std::size_t>(row.table)];
  return counts;
}

std::string DepfileText(const std::filesystem::path& output,
                        const std::vector<std::filesystem::path>& inputs) {
  std::string text = EscapeForDepfile(output.string()) + ":";
  for (const std::filesystem::path& input : inputs) {
    text += " \\\n  " + EscapeForDepfile(input.string());
  }
  return text + "\n";
}

}  // namespace quillon::make_defines
