// The core's JSON session bound for JavaScript: bytes and texts in, JSON Lines out (a scan's
// as bytes). The database handed over is a file of Emscripten's in-memory file system (the
// interface writes it there), where SQLite opens it as the command line opens its own.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "core/json_session.h"

namespace quillon {

namespace {

using emscripten::val;

// A Uint8Array's bytes, copied once into the module's memory.
std::string BytesOf(const val& array) {
  const auto size = array["length"].as<std::size_t>();
  std::string bytes(size, '\0');
  auto* data = reinterpret_cast<unsigned char*>(bytes.data());
  val(emscripten::typed_memory_view(size, data)).call<void>("set", array);
  return bytes;
}

// A text as a Uint8Array of JavaScript's own: a scan's findings, megabytes of JSON Lines, are
// saved as they are and decoded at once by the worker, where embind's string conversion reads
// them a byte at a time.
val BytesOfText(const std::string& text) {
  const auto* data = reinterpret_cast<const unsigned char*>(text.data());
  return val(emscripten::typed_memory_view(text.size(), data)).call<val>("slice");
}

constexpr const char* kNoDatabase = "no database is open";

class QuillonCore {
 public:
  // "" when the database at path serves, else why not; a database that cannot serve leaves
  // the one opened before in place. The file is the core's from now on: removed once no
  // longer open.
  std::string Open(const std::string& path, const std::string& language) {
    auto session = std::make_shared<JsonSession>(path, language);
    if (session->Problem()) {
      std::string problem = *session->Problem();
      session.reset();
      std::remove(path.c_str());
      return problem;
    }
    if (session_) {
      // SQLite keeps reading an unlinked file through the handle it holds.
      std::remove(path_.c_str());
    }
    session_ = std::move(session);
    path_ = path;
    return {};
  }

  std::string Answer(const std::string& input) {
    return session_ ? session_->Answer(input) : JsonErrorLine(kNoDatabase);
  }
  std::string SearchNames(const std::string& part) {
    return session_ ? session_->SearchNames(part) : JsonErrorLine(kNoDatabase);
  }
  std::string SearchText(const std::string& text) {
    return session_ ? session_->SearchText(text) : JsonErrorLine(kNoDatabase);
  }
  const std::shared_ptr<JsonSession>& Session() const { return session_; }

 private:
  std::shared_ptr<JsonSession> session_;
  std::string path_;
};

class QuillonScan {
 public:
  explicit QuillonScan(QuillonCore& core) {
    if (core.Session()) {
      scan_.emplace(core.Session());
    }
  }
  val Feed(const val& bytes) {
    return BytesOfText(scan_ ? scan_->Feed(BytesOf(bytes)) : JsonErrorLine(kNoDatabase));
  }
  val End() { return BytesOfText(scan_ ? scan_->End() : JsonErrorLine(kNoDatabase)); }

 private:
  std::optional<JsonScan> scan_;
};

}  // namespace

EMSCRIPTEN_BINDINGS(quillon_core) {
  emscripten::class_<QuillonCore>("QuillonCore")
      .constructor<>()
      .function("open", &QuillonCore::Open)
      .function("answer", &QuillonCore::Answer)
      .function("searchNames", &QuillonCore::SearchNames)
      .function("searchText", &QuillonCore::SearchText);
  emscripten::class_<QuillonScan>("QuillonScan")
      .constructor<QuillonCore&>()
      .function("feed", &QuillonScan::Feed)
      .function("end", &QuillonScan::End);
}

}  // namespace quillon
