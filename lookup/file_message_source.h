// A message source over message-table files on disk, for builds and hosts where the platform
// has no FormatMessage of its own (or its tables are not the ones wanted).
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lookup/file_bytes.h"
#include "lookup/message_table.h"
#include "lookup/message_source.h"

namespace quillon {

using FileList = std::vector<std::filesystem::path>;

// For each source, the files that may hold its texts, in the order they are asked.
struct MessageFiles {
  FileList system;
  FileList wininet;
  FileList ntdll;
  FileList ntoskrnl;
};

const FileList& FilesOf(const MessageFiles& files, MessageSourceId source);
bool HasNoFiles(const MessageFiles& files);

// Answers from the first file of the source's list whose message table holds the code, so a
// language file listed before its module wins, and a code missing there is still found in the
// module. The system table, like FormatMessage's, also answers an HRESULT that wraps a Win32
// code (0x80070005) with that code's text. Each file is opened and its table located once, the
// first time it is needed; a missing or damaged file counts as a file without messages. Not for use
// by several threads.
class FileMessageSource final : public MessageSource {
 public:
  explicit FileMessageSource(const MessageFiles& files);
  std::optional<std::string> Message(MessageSourceId source, std::uint32_t code) override;

 private:
  struct TableFile {
    std::filesystem::path path;
    bool opened = false;
    FileBytes file;
    std::string_view table;  // inside file; empty when the file has no usable table
    MessageBlocks blocks;
  };
  static const TableFile& Opened(TableFile& candidate);

  std::array<std::vector<TableFile>, 4> sources_;
};

}  // namespace quillon
