#include "lookup/file_message_source.h"

#include "lookup/message_table.h"
#include "lookup/pe_resources.h"

namespace quillon {

namespace {

constexpr std::array<MessageSourceId, 4> kSources{MessageSourceId::System, MessageSourceId::Wininet,
                                                  MessageSourceId::Ntdll,
                                                  MessageSourceId::Ntoskrnl};

std::size_t IndexOf(MessageSourceId source) {
  return static_cast<std::size_t>(source);
}

// FormatMessage's system table answers an HRESULT that wraps a Win32 code (severity bit set,
// facility 7; bits 29 and 30 take no part) with that code's text, on Windows and under Wine.
bool WrapsWin32Code(std::uint32_t code) {
  return (code & 0x9FFF0000u) == 0x80070000u;
}
constexpr std::uint32_t kWin32CodeMask = 0xFFFF;

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
  return true;
}

FileMessageSource::FileMessageSource(const MessageFiles& files) {
  for (const MessageSourceId source : kSources) {
    for (const std::filesystem::path& path : FilesOf(files, source)) {
      sources_[IndexOf(source)].push_back(TableFile{path, false, {}, {}, {}});
    }
  }
}

const FileMessageSource::TableFile& FileMessageSource::Opened(TableFile& candidate) {
  if (!candidate.opened) {
    candidate.opened = true;
    if (std::optional<FileBytes> file = ReadFileBytes(candidate.path)) {
      if (const auto resource = FindMessageTableResource(file->bytes)) {
        candidate.file = std::move(*file);
        candidate.table = resource->bytes;
        candidate.blocks = ReadMessageBlocks(candidate.table);
      }
    }
  }
  return candidate;
}

std::optional<std::string> FileMessageSource::Message(MessageSourceId source, std::uint32_t code) {
  if (IndexOf(source) >= sources_.size()) {
    return std::nullopt;
  }
  for (TableFile& candidate : sources_[IndexOf(source)]) {
    const TableFile& file = Opened(candidate);
    if (std::optional<std::string> text = FindMessage(file.table, file.blocks, code)) {
      return text;
    }
  }
  // A table entry for the whole HRESULT, had one been found above, is the more specific text.
  if (source == MessageSourceId::System && WrapsWin32Code(code)) {
    return Message(source, code & kWin32CodeMask);
  }
  return std::nullopt;
}

}  // namespace quillon
