// Description texts as the program must find them, asked in the driver's own process from the
// same message tables with the same options, so expectations hold on Wine and Windows alike.
#pragma once

#include <cstdint>
#include <string>

namespace e2e {

// The system table's text for code; empty when it has none.
std::string SystemMessage(std::uint32_t code);
// The text in the message table of a module ("wininet", "ntdll", "ntoskrnl.exe") opened as a
// data file; empty when it has none.
std::string ModuleMessage(const char* module, std::uint32_t code);

}  // namespace e2e
