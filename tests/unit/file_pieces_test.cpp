#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/file_pieces.h"
#include "cli/scan.h"
#include "cli/scan_pool.h"
#include "core/output_writer.h"
#include "tests/unit/five_tables.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

class TextFile final : public PositionalFile {
 public:
  explicit TextFile(std::string text) : text_(std::move(text)) {}
  std::uint64_t Size() const override { return text_.size(); }
  std::size_t ReadAt(std::uint64_t offset, std::span<char> space) override {
    const std::string_view rest = std::string_view(text_).substr(std::min(offset, Size()));
    const std::size_t count = std::min(space.size(), rest.size());
    std::copy_n(rest.data(), count, space.data());
    return count;
  }
  int ErrorNumber() const override { return 0; }

 private:
  std::string text_;
};

std::string Lines(std::size_t count, std::size_t length) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    text += std::string(length - 1, static_cast<char>('a' + i % 26)) + '\n';
  }
  return text;
}

TEST(CutAtLineEnds, PiecesStartAfterLineFeedsAndOnlyTextLongEnoughIsCut) {
  constexpr std::size_t kPiece = 1000;
  const std::string lines = Lines(100, 77);  // 7700 bytes
  const struct {
    const char* what;
    std::string text;
    bool cut;
  } cases[] = {
      {"lines", lines, true},
      {"no line feed at the end", lines + "tail", true},
      {"shorter than two pieces", lines.substr(0, 2 * kPiece - 1), false},
      {"gzip", "\x1F\x8B" + lines, false},
      {"UTF-16", "\xFF\xFE" + lines, false},
      {"a NUL", lines + std::string(1, '\0'), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TextFile file(c.text);
    const std::vector<std::uint64_t> starts = CutAtLineEnds(file, kPiece);
    EXPECT_EQ(c.cut, !starts.empty());
    std::uint64_t begin = 0;
    for (const std::uint64_t start : starts) {
      EXPECT_EQ('\n', c.text[start - 1]);
      EXPECT_GE(start - begin, kPiece);
      EXPECT_LE(start - begin, kPiece + kLineEndSearch);
      begin = start;
    }
    EXPECT_GE(c.text.size() - begin, kPiece / 2);
  }
  // A line longer than the search for its end: the rest is one piece.
  const std::string longLine = lines + std::string(2 * kLineEndSearch, 'x') + '\n' + lines;
  TextFile file(longLine);
  const std::vector<std::uint64_t> starts = CutAtLineEnds(file, kPiece);
  ASSERT_FALSE(starts.empty());
  EXPECT_LE(starts.back(), lines.size());
}

TEST(CountLineFeeds, CountsEveryLineFeedAtAnyLengthAndAlignment) {
  std::string text;
  for (int i = 0; i < 9000; ++i) {
    text += i % 3 == 0 ? '\n' : static_cast<char>(i);  // bytes of every value, '\n' among them
  }
  for (const std::size_t from : {0, 1, 7, 15}) {
    for (const std::size_t length : {0, 1, 15, 16, 17, 4079, 4080, 4096, 8000}) {
      const std::string_view part = std::string_view(text).substr(from, length);
      EXPECT_EQ(static_cast<std::uint64_t>(std::count(part.begin(), part.end(), '\n')),
                CountLineFeeds(part))
          << from << " " << length;
    }
  }
}

class ScanInPiecesTest : public testing::Test {
 protected:
  ScanInPiecesTest() {
    dir_ = fs::temp_directory_path() / ("quillon-pieces-" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  ~ScanInPiecesTest() override { fs::remove_all(dir_); }

  // What the scan of inputs writes, and each input's outcome as reported.
  std::string Scan(const std::vector<ScanInput>& inputs, const ScanRequest& request,
                   std::vector<InputOutcome>& outcomes) {
    const std::unique_ptr<OutputWriter> writers = MakeOutputWriter(OutputFormat::Text, {});
    const std::unique_ptr<ScanWriter> writer = writers->Scan(request.layout);
    const AskAnswer ask = [](const Reading& reading) { return AnswerKnowingFive(reading); };
    std::ostringstream out;
    const auto report = [&](const ScanInput&, const InputOutcome& outcome) {
      outcomes.push_back(outcome);
    };
    const bool nameFiles = inputs.size() > 1;
    if (!ScanInParallel({inputs, nameFiles, request, *writers, names_, ask, nullptr, nullptr},
                        *writer, out, report)) {
      InputScanner scanner(names_, ask);
      for (const ScanInput& input : inputs) {
        writer->StartFile(nameFiles ? input.path : "");
        report(input, scanner.Scan(input, noInput_, *writer, out));
      }
    }
    writer->Finish();
    writer->Flush(EmitTo(out));
    return out.str();
  }

  const NameSet names_ = {"E_ACCESSDENIED"};
  std::istringstream empty_;
  StreamSource noInput_{empty_};  // standard input, never among the inputs
  fs::path dir_;
};

TEST_F(ScanInPiecesTest, AFileScannedInPiecesIsScannedAsWhole) {
  // Every line but the first starts with bytes that would be a UTF-16 mark at a file's start;
  // the first with UTF-8's, which is dropped. Lines end in CR LF or LF; some are long.
  std::string text =
      "\xEF\xBB\xBF"
      "first error 5\n";
  for (int line = 0; line < 3000; ++line) {
    text += "\xFF\xFE line " + std::to_string(line) + ": error " + std::to_string(line % 7) +
            (line % 5 == 0 ? " hr=E_ACCESSDENIED" : "") +
            (line % 97 == 0 ? std::string(300, '.') : "") + (line % 2 == 0 ? "\r\n" : "\n");
  }
  text += "last error 5";  // no line feed
  const fs::path log = dir_ / "big.log";
  std::ofstream(log, std::ios::binary) << text;
  const ScanInput input{ScanInput::Kind::File, log.string(), {}, false};
  for (const ScanLayout layout : {ScanLayout::Lines, ScanLayout::Summary}) {
    std::vector<InputOutcome> alone;
    const std::string whole = Scan({input}, {{}, layout, 1}, alone);
    ASSERT_EQ(1u, alone.size());
    EXPECT_TRUE(alone[0].found);
    for (const unsigned jobs : {2u, 3u}) {
      SCOPED_TRACE(jobs);
      ScanRequest request{{}, layout, jobs};
      request.pieceSize = 4096;
      std::vector<InputOutcome> outcomes;
      EXPECT_EQ(whole, Scan({input}, request, outcomes));
      ASSERT_EQ(1u, outcomes.size());  // once for the file, not once a piece
      EXPECT_TRUE(outcomes[0].found);
      // Beside another file, each named and in order.
      std::vector<InputOutcome> two;
      std::vector<InputOutcome> twoAlone;
      EXPECT_EQ(Scan({input, input}, {{}, layout, 1}, twoAlone),
                Scan({input, input}, request, two));
      EXPECT_EQ(2u, two.size());
    }
  }
}

}  // namespace
}  // namespace quillon
