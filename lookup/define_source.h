// Define names and the codes they stand for, one table per kind, with the NTSTATUS-to-Win32
// map and the headers' facility names: what the window's search and the command line's
// answers ask of the definitions database.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error_type.h"

namespace quillon {

struct NamedDefine {
  std::string name;
  std::string header;  // empty when the database does not record it

  bool operator==(const NamedDefine&) const = default;
};

class DefineSource {
 public:
  virtual ~DefineSource() = default;
  // The code that type's table holds for name (digits, upper-case letters and '_'), as the
  // table holds it; nothing when no row has the name.
  virtual std::optional<std::int32_t> ValueOfName(ErrorType type, std::string_view name) const = 0;
  // The name that type's table holds for value: the first row's, "" when that row's name is
  // NULL, nothing when no row has the value.
  virtual std::optional<std::string> NameOfValue(ErrorType type, std::uint32_t value) const = 0;

  // Every value type's table holds for name, in the table's order, each once: a few names
  // stand for two codes of one kind (the command line answers both, the window the first).
  virtual std::vector<std::int32_t> ValuesOfName(ErrorType type, std::string_view name) const = 0;
  // Every name type's table holds for value, in the table's order (the well-known one first).
  virtual std::vector<NamedDefine> NamesOfValue(ErrorType type, std::uint32_t value) const = 0;
  // The Win32 code the NTSTATUS value becomes on the platform; nothing when it becomes none
  // (or the database predates the mapping).
  virtual std::optional<std::uint32_t> Win32OfStatus(std::uint32_t status) const = 0;
  // Every NTSTATUS value that becomes the Win32 code, ordered as unsigned numbers.
  virtual std::vector<std::uint32_t> StatusesOfWin32(std::uint32_t code) const = 0;
  // The name a header gives facility number of kind (HRESULT or NTSTATUS); nothing when none.
  virtual std::optional<std::string> FacilityName(ErrorType kind, std::uint32_t facility) const = 0;

  // The first error a read met (a damaged or cut file, a read error, memory beyond a limit),
  // in the reader's words; nothing while every read worked. Once set, what the calls answered
  // may be incomplete: a front end reports it, not them.
  virtual std::optional<std::string> Failure() const = 0;
};

struct DefineMatch {
  ErrorType type;
  std::int32_t code;  // as the table holds it, unreduced

  bool operator==(const DefineMatch&) const = default;
};

// For each kind in ErrorType order whose table holds name: its code.
std::vector<DefineMatch> SearchDefine(const DefineSource& defines, std::string_view name);

}  // namespace quillon
