// A message source over message-table files on disk, for builds and hosts where the platform
// has no FormatMessage of its own (or its tables are not the ones wanted).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lookup/file_bytes.h"
#include "lookup/message_source.h"
#include "lookup/message_table.h"
#include "lookup/pe_resources.h"

namespace quillon {

using FileList = std::vector<std::filesystem::path>;

// For each source, the files that may hold its texts, in the order they are asked.
struct MessageFiles {
  FileList system;
  FileList wininet;
  FileList ntdll;
  FileList ntoskrnl;
  std::vector<FileList> families;  // by the index of FamilyModules(); may be shorter
  FileList own;                    // the user's modules, asked last
};

const FileList& FilesOf(const MessageFiles& files, MessageSourceId source);
bool HasNoFiles(const MessageFiles& files);

// Which tables a text was read from.
struct TableOrigin {
  enum class Kind { Source, Family, Own };
  Kind kind = Kind::Source;
  MessageSourceId source = MessageSourceId::System;  // of Kind::Source
  std::size_t family = 0;                            // of Kind::Family: in FamilyModules()
};

struct OriginMessage {
  TableOrigin origin;
  TableMessage message;
};

// Answers from the first file of the source's list whose message table holds the code, so a
// language file listed before its module wins, and a code missing there is still found in the
// module. A file's tables are asked in the order LanguageOrder gives for the language asked for.
// The system table, like FormatMessage's, also answers an HRESULT that wraps a Win32 code
// (0x80070005) with that code's text. Each file is read and its table located once, the first
// time it is needed; a missing or damaged file counts as a file without messages. Not for use
// by several threads.
class FileMessageSource final : public MessageSource {
 public:
  explicit FileMessageSource(const MessageFiles& files,
                             std::uint16_t language = kUsEnglishLanguage);
  std::optional<std::string> Message(MessageSourceId source, std::uint32_t code) override;
  std::optional<std::string> FurtherMessage(ErrorType type, std::uint32_t code) override;

  // Every text of every file, each file read once, in the order of the lists.
  std::vector<OriginMessage> AllMessages();
  // The blocks of ids of every table of every file (each read once): no code outside them
  // has a text here.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> AllIdBlocks();

 private:
  struct Table {
    PartsView bytes;  // of the file's; of the entries only those read
    MessageBlocks blocks;
    std::uint16_t language = 0;    // gives the code page of its 8-bit entries
    std::vector<bool> blocksRead;  // whose entries are read, by the index of blocks
    bool wholeRead = false;
  };
  struct TableFile {
    std::filesystem::path path;
    bool opened = false;
    FileBytes file;
    std::vector<Table> tables;  // in the order of the languages; none when the file has none
  };
  struct TableList {
    TableOrigin origin;
    std::vector<TableFile> files;
  };
  TableFile& Opened(TableFile& candidate) const;
  // Reads the part of table's entries (in the table) unless read before.
  static void ReadEntries(const TableFile& file, const Table& table, ByteRange part);
  std::optional<std::string> FirstText(TableList& list, std::uint32_t code) const;

  std::uint16_t language_;
  // The four sources in MessageSourceId's order, then the families, then the user's modules.
  std::vector<TableList> lists_;
};

}  // namespace quillon
