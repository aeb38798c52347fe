#include "cli/scan_inputs.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "cli/system_reason.h"

namespace quillon {

namespace {

namespace fs = std::filesystem;

// The one of ancestors that folder is (the same folder, whatever the path to it); null if none.
const fs::path* SameAncestor(const fs::path& folder, const std::vector<fs::path>& ancestors) {
  std::error_code ignored;
  const auto it = std::find_if(ancestors.begin(), ancestors.end(), [&](const fs::path& ancestor) {
    return fs::equivalent(folder, ancestor, ignored);
  });
  return it == ancestors.end() ? nullptr : &*it;
}

void ListFolder(const fs::path& folder, std::vector<fs::path>& ancestors,
                std::vector<ScanInput>& inputs) {
  using Kind = ScanInput::Kind;
  std::error_code error;
  std::vector<fs::directory_entry> entries;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    entries.push_back(*it);
  }
  if (error) {
    // What was listed before the failure is still read.
    inputs.push_back({Kind::Unreadable, PathText(folder), error.message(), true});
  }
  // Byte order of the names: the same on every machine, whatever its locale.
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
    return a.path().filename().native() < b.path().filename().native();
  });
  for (const fs::directory_entry& entry : entries) {
    const fs::path& path = entry.path();
    const fs::file_status status = entry.status(error);  // through links
    if (error) {
      inputs.push_back({Kind::Unreadable, PathText(path), error.message(), true});
    } else if (fs::is_directory(status)) {
      if (const fs::path* ancestor = SameAncestor(path, ancestors)) {
        inputs.push_back({Kind::LinkLoop, PathText(path), PathText(*ancestor), true});
        continue;
      }
      ancestors.push_back(path);
      ListFolder(path, ancestors, inputs);
      ancestors.pop_back();
    } else if (fs::is_regular_file(status)) {
      inputs.push_back({Kind::File, PathText(path), {}, true});
    }
  }
}

}  // namespace

std::filesystem::path SystemPath(const std::string& text) {
#ifdef _WIN32
  return fs::path(std::u8string(text.begin(), text.end()));
#else
  return text;  // bytes as they are: a name need not be UTF-8
#endif
}

std::string PathText(const std::filesystem::path& path) {
#ifdef _WIN32
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
#else
  return path.native();
#endif
}

ScanInputs ListScanInputs(const std::vector<std::string>& arguments) {
  ScanInputs listed;
  for (const std::string& argument : arguments) {
    std::error_code ignored;
    if (argument == "-") {
      listed.inputs.push_back({ScanInput::Kind::StandardInput, argument, {}, false});
    } else if (const fs::path folder = SystemPath(argument); fs::is_directory(folder, ignored)) {
      listed.anyFolder = true;
      std::vector<fs::path> ancestors = {folder};
      ListFolder(folder, ancestors, listed.inputs);
    } else {
      // Opened when its turn comes; one that cannot be is named then.
      listed.inputs.push_back({ScanInput::Kind::File, argument, {}, false});
    }
  }
  return listed;
}

bool IsStandardOutput(const std::string& path) {
#ifdef _WIN32
  (void)path;
  return false;
#else
  std::error_code ignored;
  return fs::equivalent(SystemPath(path), "/dev/stdout", ignored);
#endif
}

void ScanInputSource::Sniff() {
  sniffed_ = true;
  // Two bytes tell gzip data; a pipe may hand them over one at a time.
  char bytes[2];
  std::size_t count = 0;
  while (count < 2) {
    const std::size_t read = raw_.Read({bytes + count, 2 - count});
    if (read == 0) {
      break;
    }
    count += read;
    if (bytes[0] != '\x1f') {
      break;  // no gzip data: no need to wait for more
    }
  }
  const std::string_view ahead(bytes, count);
  if (StartsGzip(ahead)) {
    gzip_ = std::make_unique<GzipSource>(ahead, raw_);
  } else {
    rawAhead_ = ahead;
  }
}

std::size_t ScanInputSource::ReadText(std::span<char> space) {
  if (gzip_) {
    return gzip_->Read(space);
  }
  if (rawAheadAt_ < rawAhead_.size()) {
    const std::size_t count = std::min(space.size(), rawAhead_.size() - rawAheadAt_);
    std::memcpy(space.data(), rawAhead_.data() + rawAheadAt_, count);
    rawAheadAt_ += count;
    return count;
  }
  return raw_.Read(space);
}

bool ScanInputSource::LooksBinary() {
  if (!sniffed_) {
    Sniff();
  }
  textAhead_.resize(kBinaryProbeSize);
  std::size_t count = 0;
  while (count < textAhead_.size()) {
    const std::size_t read = ReadText({textAhead_.data() + count, textAhead_.size() - count});
    if (read == 0) {
      break;
    }
    count += read;
  }
  textAhead_.resize(count);
  return LooksBinaryText(textAhead_);
}

bool StartsUtf16(std::string_view text) {
  return text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF");
}

bool LooksBinaryText(std::string_view firstBlock) {
  // UTF-16 text, which the scan reads, holds NULs.
  return !StartsUtf16(firstBlock) && firstBlock.find('\0') != std::string_view::npos;
}

std::size_t ScanInputSource::Read(std::span<char> space) {
  if (!sniffed_) {
    Sniff();
  }
  if (textAheadAt_ < textAhead_.size()) {
    const std::size_t count = std::min(space.size(), textAhead_.size() - textAheadAt_);
    std::memcpy(space.data(), textAhead_.data() + textAheadAt_, count);
    textAheadAt_ += count;
    return count;
  }
  return ReadText(space);
}

std::string ScanInputSource::FailureReason() const {
  if (gzip_ && !gzip_->Problem().empty()) {
    return gzip_->Problem();
  }
  return SystemReason(raw_.ErrorNumber());
}

}  // namespace quillon
