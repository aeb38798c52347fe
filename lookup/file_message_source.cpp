#include "lookup/file_message_source.h"

#include "lookup/code_bits.h"
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
      sources_[IndexOf(source)].push_back(TableFile{path, false, {}, {}});
    }
  }
}

std::string_view FileMessageSource::Table(TableFile& candidate) {
  if (!candidate.opened) {
    candidate.opened = true;
    if (std::optional<FileBytes> file = ReadFileBytes(candidate.path)) {
      if (const auto resource = FindMessageTableResource(file->bytes)) {
        candidate.file = std::move(*file);
        candidate.table = resource->bytes;
      }
    }
  }
  return candidate.table;
}

std::optional<std::string> FileMessageSource::Message(MessageSourceId source, std::uint32_t code) {
  if (IndexOf(source) >= sources_.size()) {
    return std::nullopt;
  }
  for (TableFile& candidate : sources_[IndexOf(source)]) {
    const std::string_view table = Table(candidate);
    if (std::optional<std::string> text = FindMessage(table, code)) {
      return text;
    }
  }
  // The platform answers a failure HRESULT that wraps a Win32 code from the system table with
  // that code's text (0x80070005 as 5), so the files do too.
  if (source == MessageSourceId::System && CodeTopBit(code) == 1 && CodeFacility(code) == 7) {
    return Message(source, CodeLowWord(code));
  }
  return std::nullopt;
}

}  // namespace quillon
