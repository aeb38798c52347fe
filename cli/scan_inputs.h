// What a scan reads: the files named, standard input, and every file under a folder named,
// in path order; and how each is read (gzip data inflated, binary files told apart).
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/gzip_source.h"
#include "core/byte_source.h"

namespace quillon {

struct ScanInput {
  enum class Kind {
    StandardInput,  // "-"
    File,           // a file named, or a regular file found under a folder
    Unreadable,     // a folder (or a link under one) that cannot be read; reason says why
    LinkLoop,       // a link under a folder to a folder it is in; reason names that folder
  };
  Kind kind = Kind::File;
  std::string path;  // as named, or a folder's path joined with the names under it
  std::string reason;
  bool inFolder = false;  // found under a folder: skipped when binary
};

struct ScanInputs {
  std::vector<ScanInput> inputs;
  bool anyFolder = false;
};

// The inputs that arguments name, in their order; a folder stands for the files under it at any
// depth, each folder's entries in byte order of their names, links followed but never into a
// folder they are in. Under a folder, entries that are neither files nor folders (pipes,
// sockets, devices) are left out: reading them could wait forever.
ScanInputs ListScanInputs(const std::vector<std::string>& arguments);

// A path of the scan's (UTF-8 text, as the arguments are) as the system names it, and back:
// Windows' own paths are wide, and a name that its code page cannot hold must not be lost.
std::filesystem::path SystemPath(const std::string& text);
std::string PathText(const std::filesystem::path& path);

// True when path is the file that standard output writes to (never read: a scan would read its
// own findings). Always false where the system does not say.
bool IsStandardOutput(const std::string& path);

// The first block of a text in which a binary file is told (as ripgrep tells it).
inline constexpr std::size_t kBinaryProbeSize = 1 << 16;
// Whether firstBlock, a text's first kBinaryProbeSize bytes (or all of a shorter one), is a
// binary file's: a NUL byte and no UTF-16 byte-order mark.
bool LooksBinaryText(std::string_view firstBlock);
// Whether text begins with a UTF-16 byte-order mark, the scan's sign of UTF-16 text.
bool StartsUtf16(std::string_view text);

// An input's text: its bytes, inflated when they begin with gzip's magic.
class ScanInputSource final : public ByteSource {
 public:
  explicit ScanInputSource(ByteSource& raw) : raw_(raw) {}

  // Reads ahead the first block of text (64 KiB): true when it holds a NUL byte and no UTF-16
  // byte-order mark, as ripgrep tells a binary file.
  bool LooksBinary();

  std::size_t Read(std::span<char> space) override;
  bool Failed() const override { return raw_.Failed() || (gzip_ && gzip_->Failed()); }
  int ErrorNumber() const override { return raw_.ErrorNumber(); }
  // Why reading failed: the system's reason, or what was wrong with the compressed data.
  std::string FailureReason() const;

 private:
  void Sniff();
  std::size_t ReadText(std::span<char> space);

  ByteSource& raw_;
  bool sniffed_ = false;
  std::string rawAhead_;  // bytes of raw read to see whether they are gzip data
  std::size_t rawAheadAt_ = 0;
  std::unique_ptr<GzipSource> gzip_;
  std::string textAhead_;  // text read to see whether it is binary
  std::size_t textAheadAt_ = 0;
};

}  // namespace quillon
