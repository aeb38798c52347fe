// What the command line needs of the platform it runs on.
#pragma once

#include <memory>
#include <optional>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/command.h"

namespace quillon {

#if !defined(_WIN32)
// Makes present at once, where the platform can, the memory nearly every run touches (the
// program's code, the heap's first pages): each page first touched costs a fault of its own,
// and a lookup's whole run is a few hundred of them. Called before anything else runs (on
// Linux, from the program's pre-initialisation array).
void PrepareMemory();
#endif

// The running program's path, the user's language and, on Windows, the platform's own message
// tables in language (--lang; nothing: the platform's own choice).
CommandPlatform CurrentPlatform(const std::optional<std::string>& language);

// The arguments after the program's name, in UTF-8 (Windows hands them over in its ANSI code
// page, which cannot hold every character).
std::vector<std::string> CommandArguments(int argc, char** argv);

// Where standard output goes when it needs more than its bytes: a Windows console takes wide
// characters, whatever its code page. Null when the bytes go as they are (files, pipes, POSIX);
// on Windows standard output is then given whole buffers, as the C runtime would not give a
// device such as NUL.
std::unique_ptr<std::streambuf> ConsoleOutputBuffer();

}  // namespace quillon
