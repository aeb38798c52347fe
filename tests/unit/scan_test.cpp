#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "base/name_hash.h"
#include "core/scan.h"
#include "tests/unit/five_tables.h"

namespace quillon {
namespace {

const NameSet kNames = {"E_ACCESSDENIED"};

// Knows the Win32 code 5 and E_ACCESSDENIED; counts its questions.
struct Tables {
  int asked = 0;
  bool failing = false;
  std::optional<ReadingAnswer> Ask(const Reading& reading) {
    ++asked;
    if (failing) {
      return std::nullopt;
    }
    return AnswerKnowingFive(reading);
  }
};

// A source that hands over at most piece bytes per read.
class PieceSource final : public ByteSource {
 public:
  PieceSource(std::string_view text, std::size_t piece) : text_(text), piece_(piece) {}
  std::size_t Read(std::span<char> space) override {
    const std::size_t count = std::min({space.size(), piece_, text_.size()});
    std::copy_n(text_.data(), count, space.data());
    text_.remove_prefix(count);
    return count;
  }
  bool Failed() const override { return false; }

 private:
  std::string_view text_;
  std::size_t piece_;
};

// Reads at once, at Start, after spoiling the place's first bytes: the scan must split nothing
// there until its Wait. Counts the reads still to be waited for.
class EagerReadAhead final : public ReadAhead {
 public:
  void Start(ByteSource& source, std::span<char> space) override {
    std::fill_n(space.begin(), std::min<std::size_t>(space.size(), 256), '\x7F');
    count_ = source.Read(space);
    ++pending;
  }
  std::size_t Wait() override {
    --pending;
    return count_;
  }
  int pending = 0;

 private:
  std::size_t count_ = 0;
};

struct Scanned {
  ScanEnd end;
  std::string out;
};

// A log in UTF-16 with its mark, codes cut by any piece size.
std::string Utf16Log() {
  const std::string text = "error 5 then E_ACCESSDENIED\r\nexit code: 5, error 77\r\n";
  std::string bytes = "\xFF\xFE";
  for (const char c : text) {
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

TEST(Scanner, OutputDoesNotDependOnHowTheInputIsCut) {
  const std::string log = Utf16Log();
  enum class How { Read, ReadAhead, Pushed };
  const auto scan = [&log](std::size_t piece, How how) {
    Tables tables;
    Scanner scanner(kNames, [&tables](const Reading& r) { return tables.Ask(r); });
    auto writer = MakeScanWriter(OutputFormat::Json, ScanLayout::Lines, {});
    std::string out;
    const EmitText emit = [&out](std::string_view text) {
      out += text;
      return true;
    };
    ScanEnd end = ScanEnd::Done;
    if (how == How::Pushed) {
      scanner.Begin(*writer, emit);
      for (std::size_t at = 0; at < log.size() && end == ScanEnd::Done; at += piece) {
        end = scanner.Feed(std::string_view(log).substr(at, piece));
      }
      end = end == ScanEnd::Done ? scanner.End() : end;
    } else {
      PieceSource source(log, piece);
      EagerReadAhead ahead;
      end = scanner.Scan(source, *writer, emit, how == How::ReadAhead ? &ahead : nullptr);
      EXPECT_EQ(0, ahead.pending);
    }
    EXPECT_EQ(ScanEnd::Done, end);
    EXPECT_TRUE(scanner.FoundAny());
    EXPECT_EQ(3, tables.asked) << "5, E_ACCESSDENIED and 77, each once";
    return out;
  };
  const std::string whole = scan(log.size(), How::Read);
  EXPECT_EQ(3, std::count(whole.begin(), whole.end(), '\n')) << whole;
  for (const std::size_t piece : {1u, 2u, 3u, 7u, 64u}) {
    SCOPED_TRACE(piece);
    EXPECT_EQ(whole, scan(piece, How::Read));
    EXPECT_EQ(whole, scan(piece, How::ReadAhead));
    EXPECT_EQ(whole, scan(piece, How::Pushed));
  }
}

// Read ahead, a plain log's pieces alternate between the splitter's two regions, with words,
// keywords and lines cut at every place; a scan that ends early still waits for its read.
TEST(Scanner, ReadingAheadChangesNothing) {
  std::string log;
  for (int i = 0; i < 300; ++i) {
    log += "line " + std::to_string(i) + " error " + std::to_string(i % 7) +
           " E_ACCESSDENIED hr=0x80070005\n";
  }
  const auto scan = [&log](std::size_t piece, ReadAhead* ahead, Tables& tables) {
    Scanner scanner(kNames, [&tables](const Reading& r) { return tables.Ask(r); });
    auto writer = MakeScanWriter(OutputFormat::Text, ScanLayout::Lines, {});
    Scanned run;
    PieceSource source(log, piece);
    run.end = scanner.Scan(
        source, *writer,
        [&run](std::string_view text) {
          run.out += text;
          return true;
        },
        ahead);
    return run;
  };
  Tables tables;
  const Scanned whole = scan(log.size(), nullptr, tables);
  EXPECT_EQ(ScanEnd::Done, whole.end);
  for (const std::size_t piece : {1u, 5u, 64u, 1000u}) {
    SCOPED_TRACE(piece);
    EagerReadAhead ahead;
    const Scanned run = scan(piece, &ahead, tables);
    EXPECT_EQ(whole.out, run.out);
    EXPECT_EQ(0, ahead.pending);
  }
  EagerReadAhead ahead;
  Tables failing;
  failing.failing = true;
  EXPECT_EQ(ScanEnd::TablesFailed, scan(100, &ahead, failing).end);
  EXPECT_EQ(0, ahead.pending);
}

TEST(Scanner, EndsWhenTheTablesFailOrTheOutputCannotBeWritten) {
  Tables tables;
  Scanner scanner(kNames, [&tables](const Reading& r) { return tables.Ask(r); });
  auto writer = MakeScanWriter(OutputFormat::Text, ScanLayout::Lines, {});
  const EmitText refused = [](std::string_view) { return false; };
  PieceSource first("error 5\n", 64);
  EXPECT_EQ(ScanEnd::OutputFailed, scanner.Scan(first, *writer, refused));
  tables.failing = true;
  PieceSource second("error 6\n", 64);
  EXPECT_EQ(ScanEnd::TablesFailed,
            scanner.Scan(second, *writer, [](std::string_view) { return true; }));
}

// A value is known through any form a lookup asks for: itself, without the N bit, or of
// facility 7 its low word.
// Names at the edges of the eight bytes hashed at a time, names alike but for case or a byte,
// and enough names that every bucket of the set's directory holds some, at both its ends.
TEST(NameSet, HoldsExactlyItsNamesAsWritten) {
  const NameSet few = {"", "E_FAIL", "ABCDEFGH", "ABCDEFGHI", "NERR_Success"};
  struct Case {
    std::string_view word;
    bool held;
  };
  const Case cases[] = {
      {"", true},
      {"E_FAIL", true},
      {"e_fail", false},
      {"E_FAI", false},
      {"ABCDEFGH", true},
      {"ABCDEFGHI", true},
      {"ABCDEFGHJ", false},
      {"ABCDEFG", false},
      {"NERR_Success", true},
      {"NERR_SUCCESS", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.held, few.Contains(c.word)) << c.word;
  }
  EXPECT_FALSE(NameSet().Contains(""));
  std::vector<std::uint32_t> hashes;
  for (int i = 0; i < 20000; ++i) {
    hashes.push_back(NameHash("NAME_" + std::to_string(i)));
  }
  hashes.push_back(hashes.front());  // repeats and any order, as a database made by hand may hold
  std::reverse(hashes.begin(), hashes.end());
  const NameSet many(hashes);
  EXPECT_EQ(20000u, many.Size());
  int held = 0;
  int others = 0;
  for (int i = 0; i < 20000; ++i) {
    held += many.Contains("NAME_" + std::to_string(i)) ? 1 : 0;
    others += many.Contains("NAME_" + std::to_string(i + 20000)) ? 1 : 0;
  }
  EXPECT_EQ(20000, held);
  EXPECT_EQ(0, others);
}

TEST(KnownCodes, AValueIsKnownThroughEveryFormALookupAsksFor) {
  const KnownCodes known({{5, 5}, {0xC0000005, 0xC0000005}, {0x887A0001, 0x887A0020}, {9, 7}});
  const struct {
    std::uint32_t value;
    bool mayKnow;
  } cases[] = {
      {5, true},           {6, false},          {0, false},          {0xC0000005, true},
      {0xD0000005, true},  {0x10000005, true},  {0x80070005, true},  {0xC0070005, true},
      {0x00070005, true},  {0x80080005, false}, {0x80170005, false}, {0x887A0001, true},
      {0x887A0020, true},  {0x887A0021, false}, {0x887A0000, false}, {0x987A0010, true},
      {0xDEADBEEF, false}, {9, false},          {0xFFFFFFFF, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(c.mayKnow, known.MayKnow(c.value));
  }
}

TEST(Scanner, AsksTheTablesOnlyOfNumbersTheyMayKnow) {
  Tables tables;
  const KnownCodes known({{5, 5}});
  Scanner scanner(
      kNames, [&tables](const Reading& r) { return tables.Ask(r); }, nullptr, &known);
  auto writer = MakeScanWriter(OutputFormat::Text, ScanLayout::Lines, {});
  std::string out;
  PieceSource source("error 77 hr=0xDEADBEEF E_ACCESSDENIED\nerror 5 0x80070005\n", 64);
  EXPECT_EQ(ScanEnd::Done, scanner.Scan(source, *writer, [&out](std::string_view text) {
    out += text;
    return true;
  }));
  EXPECT_EQ(3, tables.asked) << "E_ACCESSDENIED, 5 and 0x80070005; not 77 or 0xDEADBEEF";
  EXPECT_NE(std::string::npos, out.find("E_ACCESSDENIED")) << out;
}

}  // namespace
}  // namespace quillon
