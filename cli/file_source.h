// Opening a file named on the command line as a byte source, as each platform can.
#pragma once

#include <memory>
#include <string>

#include "core/byte_source.h"

namespace quillon {

// A file named on the command line: a regular file read in whole pieces, anything else (a FIFO,
// /dev/stdin, a process substitution, a terminal) as its bytes arrive, so that a writer that
// stays open is followed as standard input is. Null when it cannot be opened, with errno's value
// for why in error. Each platform has its own.
std::unique_ptr<ByteSource> OpenFileSource(const std::string& path, int& error);

}  // namespace quillon
