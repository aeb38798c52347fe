// Opening a file named on the command line as a byte source, as each platform can.
#pragma once

#include <memory>
#include <string>

#include "cli/file_pieces.h"
#include "core/byte_source.h"

namespace quillon {

// A file named on the command line: a regular file read in whole pieces, anything else (a FIFO,
// /dev/stdin, a process substitution, a terminal) as its bytes arrive, so that a writer that
// stays open is followed as standard input is. Null when it cannot be opened, with errno's value
// for why in error. Each platform has its own.
std::unique_ptr<ByteSource> OpenFileSource(const std::string& path, int& error);

// A regular file, to be read at any offset by one of the workers that scan its pieces. Null
// when it cannot be opened (error: errno's value) or is no regular file (error: 0). Only where
// the platform has threads to scan pieces at once.
std::unique_ptr<PositionalFile> OpenPositionalFile(const std::string& path, int& error);

}  // namespace quillon
