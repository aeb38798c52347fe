// Reading a scan's inputs: gzip data inflated in any pieces, binary files told apart, folders
// listed in path order.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/gzip_source.h"
#include "cli/scan_inputs.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

std::string Gzip(const std::string& text) {
  z_stream z{};
  EXPECT_EQ(Z_OK, deflateInit2(&z, 6, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY));
  std::string out(deflateBound(&z, text.size()) + 32, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  z.avail_in = static_cast<uInt>(text.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(Z_STREAM_END, deflate(&z, Z_FINISH));
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// Hands its bytes over at most piece bytes at a time, as a pipe may.
class PieceSource final : public ByteSource {
 public:
  PieceSource(std::string bytes, std::size_t piece) : bytes_(std::move(bytes)), piece_(piece) {}
  std::size_t Read(std::span<char> space) override {
    const std::size_t count = std::min({space.size(), piece_, bytes_.size() - at_});
    std::copy_n(bytes_.data() + at_, count, space.data());
    at_ += count;
    return count;
  }
  bool Failed() const override { return false; }

 private:
  std::string bytes_;
  std::size_t piece_;
  std::size_t at_ = 0;
};

// Everything source gives, read into spaces of space bytes.
std::string ReadAll(ByteSource& source, std::size_t space) {
  std::string text;
  std::string buffer(space, '\0');
  while (const std::size_t count = source.Read(buffer)) {
    text.append(buffer, 0, count);
  }
  return text;
}

std::string LogText() {
  std::string text;
  for (int i = 0; i < 20000; ++i) {
    text += "line " + std::to_string(i) + ": CreateFile failed with 0x80070005\n";
  }
  return text;
}

TEST(ScanInputSource, InflatesGzipDataInPiecesOfAnySizeAndPassesOtherBytes) {
  const std::string text = LogText();
  const std::string twoMembers = Gzip(text) + Gzip("error 5\n");
  struct Case {
    std::size_t piece;  // bytes the input hands over at a time
    std::size_t space;  // bytes asked for at a time
  };
  for (const Case c : {Case{1, 1 << 16}, Case{2, 3}, Case{3, 1}, Case{7, 4096}, Case{64, 1 << 16},
                       Case{4095, 100}, Case{1 << 16, 1 << 16}, Case{1 << 22, 1 << 20}}) {
    SCOPED_TRACE("piece " + std::to_string(c.piece) + ", space " + std::to_string(c.space));
    PieceSource compressed(twoMembers, c.piece);
    ScanInputSource inflated(compressed);
    EXPECT_EQ(text + "error 5\n", ReadAll(inflated, c.space));
    EXPECT_FALSE(inflated.Failed()) << inflated.FailureReason();
    // Text, one magic byte alone, and nothing at all pass as they are.
    for (const std::string& plain : {std::string("plain 0x80070005\n"), std::string("\x1f"),
                                     std::string("\x1f\x8a rest"), std::string()}) {
      PieceSource raw(plain, c.piece);
      ScanInputSource passed(raw);
      EXPECT_EQ(plain, ReadAll(passed, c.space));
      EXPECT_FALSE(passed.Failed());
    }
  }
}

TEST(ScanInputSource, DamagedGzipDataKeepsWhatWasInflatedAndSaysWhy) {
  const std::string text = LogText();
  const std::string whole = Gzip(text);
  struct Case {
    const char* name;
    std::string bytes;
    const char* reason;
    bool keepsStart;  // corrupt data may inflate to other bytes before zlib sees the damage
  };
  std::string corrupt = whole;
  corrupt[corrupt.size() / 2] ^= 0x55;
  const Case cases[] = {
      {"cut short", whole.substr(0, whole.size() / 2), "compressed data cut short", true},
      {"header only", whole.substr(0, 10), "compressed data cut short", true},
      {"garbage after a member", whole + "garbage", "compressed data is corrupt", true},
      {"corrupt", corrupt, "compressed data is corrupt", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PieceSource raw(c.bytes, 4096);
    ScanInputSource source(raw);
    const std::string read = ReadAll(source, 1 << 16);
    EXPECT_TRUE(source.Failed());
    EXPECT_EQ(0u, source.FailureReason().rfind(c.reason, 0)) << source.FailureReason();
    if (c.keepsStart) {
      EXPECT_EQ(0u, text.rfind(read, 0)) << "what was inflated is the text's start";
    }
  }
}

TEST(ScanInputSource, BinaryIsANulInTheFirstBlockOfTheTextUnlessItIsUtf16) {
  const std::string late = std::string(1 << 16, 'a') + '\0';
  struct Case {
    const char* name;
    std::string bytes;
    bool binary;
  };
  const Case cases[] = {
      {"text", "error 5\n", false},
      {"empty", "", false},
      {"a NUL", std::string("MZ\x90\0\x03", 5), true},
      {"a NUL after the first block", late, false},
      {"UTF-16 with its mark",
       std::string("\xFF\xFE"
                   "e\0r\0",
                   6),
       false},
      {"gzip of binary",
       Gzip(std::string("\x7f"
                        "ELF\0\0",
                        6)),
       true},
      {"gzip of text", Gzip("error 5\n"), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PieceSource raw(c.bytes, 1000);
    ScanInputSource source(raw);
    EXPECT_EQ(c.binary, source.LooksBinary());
    // What was read to tell is still read as text.
    if (!c.binary && !c.bytes.starts_with("\x1f\x8b")) {
      EXPECT_EQ(c.bytes, ReadAll(source, 333));
    }
  }
}

TEST(ListScanInputs, AFolderIsItsFilesInPathOrderWithoutLoopsOrPipes) {
  const fs::path root = fs::temp_directory_path() / ("quillon-inputs-" + std::to_string(getpid()));
  fs::remove_all(root);
  for (const char* folder : {"b", "a/deep", "c"}) {
    fs::create_directories(root / folder);
  }
  for (const char* file : {"z.log", "b/2.log", "b/10.log", "a/deep/x.log", "a-b.log", "a.log"}) {
    std::ofstream(root / file) << "error 5\n";
  }
  fs::create_directory_symlink("..", root / "c" / "up");
  fs::create_symlink(root / "z.log", root / "c" / "z-link.log");
  fs::create_symlink(root / "missing", root / "c" / "dangling.log");
  ASSERT_EQ(0, mkfifo((root / "c" / "pipe").c_str(), 0600));

  const std::string r = root.string();
  const ScanInputs listed = ListScanInputs({r, "-", "named.log"});
  EXPECT_TRUE(listed.anyFolder);
  using Kind = ScanInput::Kind;
  const std::vector<std::pair<Kind, std::string>> expected = {
      // "a" sorts before "a-b.log": each folder's names are compared, not whole paths.
      {Kind::File, r + "/a/deep/x.log"}, {Kind::File, r + "/a-b.log"},
      {Kind::File, r + "/a.log"},        {Kind::File, r + "/b/10.log"},
      {Kind::File, r + "/b/2.log"},      {Kind::Unreadable, r + "/c/dangling.log"},
      {Kind::LinkLoop, r + "/c/up"},     {Kind::File, r + "/c/z-link.log"},
      {Kind::File, r + "/z.log"},        {Kind::StandardInput, "-"},
      {Kind::File, "named.log"},
  };
  std::vector<std::pair<Kind, std::string>> actual;
  for (const ScanInput& input : listed.inputs) {
    actual.emplace_back(input.kind, input.path);
  }
  EXPECT_EQ(expected, actual);
  EXPECT_EQ(r, listed.inputs[6].reason);  // the folder the loop leads back to
  EXPECT_TRUE(listed.inputs[0].inFolder);
  EXPECT_FALSE(listed.inputs.back().inFolder);
  fs::remove_all(root);
}

}  // namespace
}  // namespace quillon
