#include "lookup/file_message_source.h"

#include <array>

#include "base/code_bits.h"
#include "lookup/family_modules.h"

namespace quillon {

namespace {

constexpr std::array<MessageSourceId, 4> kSources{MessageSourceId::System, MessageSourceId::Wininet,
                                                  MessageSourceId::Ntdll,
                                                  MessageSourceId::Ntoskrnl};

std::size_t IndexOf(MessageSourceId source) {
  return static_cast<std::size_t>(source);
}

}  // namespace

const FileList& FilesOf(const MessageFiles& files, MessageSourceId source) {
  switch (source) {
    case MessageSourceId::Wininet:
      return files.wininet;
    case MessageSourceId::Ntdll:
      return files.ntdll;
    case MessageSourceId::Ntoskrnl:
      return files.ntoskrnl;
    case MessageSourceId::System:
      break;
  }
  return files.system;
}

bool HasNoFiles(const MessageFiles& files) {
  for (const MessageSourceId source : kSources) {
    if (!FilesOf(files, source).empty()) {
      return false;
    }
  }
  for (const FileList& family : files.families) {
    if (!family.empty()) {
      return false;
    }
  }
  return files.own.empty();
}

FileMessageSource::FileMessageSource(const MessageFiles& files, std::uint16_t language)
    : language_(language) {
  const auto add = [this](TableOrigin origin, const FileList& paths) {
    TableList& list = lists_.emplace_back(TableList{origin, {}});
    for (const std::filesystem::path& path : paths) {
      list.files.push_back(TableFile{path, false, {}, {}});
    }
  };
  for (const MessageSourceId source : kSources) {
    add({TableOrigin::Kind::Source, source, 0}, FilesOf(files, source));
  }
  for (std::size_t family = 0; family < FamilyModules().size(); ++family) {
    add({TableOrigin::Kind::Family, MessageSourceId::System, family},
        family < files.families.size() ? files.families[family] : FileList{});
  }
  add({TableOrigin::Kind::Own, MessageSourceId::System, 0}, files.own);
}

FileMessageSource::TableFile& FileMessageSource::Opened(TableFile& candidate) const {
  if (!candidate.opened) {
    candidate.opened = true;
    // Only the headers and the blocks of the tables asked for: a system DLL is mostly code and
    // other languages, and a code that a table lacks is told by its blocks alone.
    const auto parts = [this](const PartsView& bytes) {
      return MessageTableParts(bytes, language_, TableReach::Blocks);
    };
    if (std::optional<FileBytes> file = ReadFileParts(candidate.path, kPeHeadSize, parts)) {
      for (const MessageTablePart& table : FindMessageTables(file->View(), language_)) {
        MessageBlocks blocks = ReadMessageBlocks(table.bytes);
        std::vector<bool> blocksRead(blocks.blocks.size(), false);
        candidate.tables.push_back(
            {table.bytes, std::move(blocks), table.language, std::move(blocksRead), false});
      }
      candidate.file = std::move(*file);
    }
  }
  return candidate;
}

void FileMessageSource::ReadEntries(const TableFile& file, const Table& table, ByteRange part) {
  // A part that cannot be read stays zeros: its codes are then found in no table.
  ReadFilePart(file.file, {table.bytes.offset + part.offset, part.size});
}

std::optional<std::string> FileMessageSource::FirstText(TableList& list, std::uint32_t code) const {
  for (TableFile& candidate : list.files) {
    TableFile& file = Opened(candidate);
    for (Table& table : file.tables) {
      const std::optional<BlockEntries> entries =
          MessageEntries(table.blocks, code, table.bytes.size());
      if (!entries) {
        continue;
      }
      if (!table.wholeRead && !table.blocksRead[entries->block]) {
        table.blocksRead[entries->block] = true;
        ReadEntries(file, table, entries->range);
      }
      if (std::optional<std::string> text =
              FindMessage(table.bytes, table.blocks, code, table.language)) {
        return text;
      }
    }
  }
  return std::nullopt;
}

std::optional<std::string> FileMessageSource::Message(MessageSourceId source, std::uint32_t code) {
  if (IndexOf(source) >= kSources.size()) {
    return std::nullopt;
  }
  if (std::optional<std::string> text = FirstText(lists_[IndexOf(source)], code)) {
    return text;
  }
  // A table entry for the whole HRESULT, had one been found above, is the more specific text.
  if (source == MessageSourceId::System && SystemTableReadsAsWin32(code)) {
    return Message(source, CodeLowWord(code));
  }
  return std::nullopt;
}

std::optional<std::string> FileMessageSource::FurtherMessage(ErrorType type, std::uint32_t code) {
  for (TableList& list : lists_) {
    const bool asked = (list.origin.kind == TableOrigin::Kind::Family &&
                        ServesCode(FamilyModules()[list.origin.family], type, code)) ||
                       (list.origin.kind == TableOrigin::Kind::Own && OwnModuleAnswers(type, code));
    if (asked) {
      if (std::optional<std::string> text = FirstText(list, code)) {
        return text;
      }
    }
  }
  return std::nullopt;
}

std::vector<OriginMessage> FileMessageSource::AllMessages() {
  std::vector<OriginMessage> all;
  for (TableList& list : lists_) {
    for (TableFile& candidate : list.files) {
      TableFile& file = Opened(candidate);
      for (Table& table : file.tables) {
        if (!table.wholeRead) {
          table.wholeRead = true;
          ReadEntries(file, table, {0, table.bytes.size()});
        }
        // Read as one part: the whole table is at hand as one view.
        const std::optional<std::string_view> whole =
            SliceBytes(table.bytes, 0, table.bytes.size());
        if (!whole) {
          continue;
        }
        for (TableMessage& message : quillon::AllMessages(*whole, table.blocks, table.language)) {
          all.push_back({list.origin, std::move(message)});
        }
      }
    }
  }
  return all;
}

std::vector<std::pair<std::uint32_t, std::uint32_t>> FileMessageSource::AllIdBlocks() {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> blocks;
  for (TableList& list : lists_) {
    for (TableFile& candidate : list.files) {
      for (const Table& table : Opened(candidate).tables) {
        for (const MessageBlocks::Block& block : table.blocks.blocks) {
          blocks.emplace_back(block.lowId, block.highId);
        }
      }
    }
  }
  return blocks;
}

}  // namespace quillon
