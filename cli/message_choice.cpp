#include "cli/message_choice.h"

#include <system_error>

#include "core/terminal_text.h"
#include "lookup/message_file_locator.h"
#include "lookup/pe_resources.h"

namespace quillon {

namespace {

// Why --windows DIR cannot be read (it is no folder, or cannot be listed); nothing when it can.
// A typing error must not pass as a Windows without message tables.
std::optional<std::string> WindowsFolderProblem(const Options& options) {
  if (options.messages != MessageChoice::Windows) {
    return std::nullopt;
  }
  std::error_code error;
  if (!std::filesystem::is_directory(options.windowsDirectory, error)) {
    return (error ? error : std::make_error_code(std::errc::not_a_directory)).message();
  }
  std::filesystem::directory_iterator(options.windowsDirectory, error);
  if (error) {
    return error.message();
  }
  return std::nullopt;
}

// Every --module must be a file with a message table: a typing error would otherwise go unseen.
bool CheckModules(const std::vector<std::string>& modules, std::ostream& err) {
  for (const std::string& module : modules) {
    const std::optional<FileBytes> file = ReadFileParts(
        module, kPeHeadSize, [](const PartsView& bytes) { return MessageTableParts(bytes); });
    if (!file) {
      err << "quillon-cli: --module " << TerminalText(module) << ": cannot be read\n";
      return false;
    }
    if (!FindMessageTableResource(file->View())) {
      err << "quillon-cli: --module " << TerminalText(module) << ": holds no message table\n";
      return false;
    }
  }
  return true;
}

// The platform's own tables first, then the user's modules read from their files.
class PlatformAndModules final : public MessageSource {
 public:
  PlatformAndModules(std::unique_ptr<MessageSource> platform, const MessageFiles& modules,
                     std::uint16_t language)
      : platform_(std::move(platform)), modules_(modules, language) {}
  std::optional<std::string> Message(MessageSourceId source, std::uint32_t code) override {
    return platform_->Message(source, code);
  }
  std::optional<std::string> FurtherMessage(ErrorType type, std::uint32_t code) override {
    if (std::optional<std::string> text = platform_->FurtherMessage(type, code)) {
      return text;
    }
    return modules_.FurtherMessage(type, code);
  }

 private:
  std::unique_ptr<MessageSource> platform_;
  FileMessageSource modules_;
};

}  // namespace

ChosenMessages ChooseMessages(const Options& options, PlatformMessages platform,
                              const Language& language, std::ostream& err) {
  if (options.messages == MessageChoice::None) {
    return {std::make_unique<NoMessages>(), nullptr};
  }
  MessageFiles files;
  const FileList modules(options.modules.begin(), options.modules.end());
  const bool platformOwn =
      options.messages == MessageChoice::Default && platform.ownMessages != nullptr;
  // A search reads whole tables, which the platform's own lookups cannot list: it reads the
  // running system's files instead.
  if (platformOwn && !options.searchText) {
    if (modules.empty()) {
      return {std::move(platform.ownMessages), nullptr, true};
    }
    files.own = modules;
    return {
        std::make_unique<PlatformAndModules>(std::move(platform.ownMessages), files, language.id),
        nullptr, true};
  }
  std::string where;
  if (options.messages == MessageChoice::Windows || platformOwn) {
    where = options.messages == MessageChoice::Windows ? options.windowsDirectory
                                                       : platform.windowsDirectory.string();
    files = LocateWindowsFiles(where, language.name);
  } else if (options.messages == MessageChoice::Wine) {
    where = "Wine's DLL folders";
    files = LocateWineFiles().value_or(MessageFiles{});
  } else {
    where = "a Windows directory (/mnt/c/Windows) or Wine's DLL folders";
    files = DefaultLinuxFiles(language.name).files;
  }
  if (HasNoFiles(files)) {
    err << "quillon-cli: no message tables in " << TerminalText(where) << "; no descriptions"
        << (!modules.empty()        ? " but from --module"
            : options.documentation ? " but the documentation's"
                                    : ", names only")
        << '\n';
  }
  files.own = modules;
  if (HasNoFiles(files)) {
    return {std::make_unique<NoMessages>(), nullptr};
  }
  auto source = std::make_unique<FileMessageSource>(files, language.id);
  FileMessageSource* const reader = source.get();
  return {std::move(source), reader};
}

bool CheckMessageOptions(const Options& options, std::ostream& err) {
  if (!CheckModules(options.modules, err)) {
    return false;
  }
  if (const std::optional<std::string> unreadable = WindowsFolderProblem(options)) {
    err << "quillon-cli: cannot read " << TerminalText(options.windowsDirectory) << ": "
        << *unreadable << '\n';
    return false;
  }
  return true;
}

}  // namespace quillon
