#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/json_report.h"
#include "core/output_writer.h"
#include "core/report.h"
#include "core/scan_writers.h"
#include "core/terminal_text.h"

namespace quillon {
namespace {

using Json = nlohmann::json;

// A quote, a backslash, an escape sequence, a line break and a byte that is no UTF-8: what a
// log, a table or a query may hold.
const std::string kHostile = "@\"b\\c\x1b[2Jd\ne\xFF";
const std::string kHostileRead = "@\"b\\c\x1b[2Jd\ne\xEF\xBF\xBD";  // as a JSON reader gets it

KindAnswer Match(std::string text) {
  KindAnswer match;
  match.type = ErrorType::Hresult;
  match.value = 0x80070005u;
  match.code = "5";
  match.status = "Failure";
  match.facility = text;
  match.names = {{text, text}, {"E_SECOND", "winerror.h"}};
  match.description = text;
  match.wraps = CodeAnswer{ErrorType::Win32, 5, {{text, text}}, text};
  match.wrapper = "HRESULT_FROM_WIN32";
  match.related = {{Relation::Win32, {ErrorType::Win32, 998, {{text, text}}, text}}};
  return match;
}

ReadingAnswer Answered(std::string text) {
  return {{ReadingKind::Hex, 0x80070005u, {}}, {Match(std::move(text))}, {}};
}

// What the writer made so far.
std::string Taken(ScanWriter& writer) {
  std::string text;
  writer.Flush([&text](std::string_view made) {
    text += made;
    return true;
  });
  return text;
}

std::shared_ptr<ScanAnswer> ScanAnswerFor(const ScanWriter& writer, const ReadingAnswer& answer) {
  auto made = std::make_shared<ScanAnswer>();
  made->answer = answer;
  made->text = writer.AnswerText(answer);
  return made;
}

// One finding of text on line 1 of an input named text, through a scan writer.
std::string ScanOutput(OutputFormat format, ScanLayout layout, TextStyle style,
                       const std::string& text) {
  std::unique_ptr<ScanWriter> writer = MakeScanWriter(format, layout, style);
  writer->StartFile(text);
  const auto answer = ScanAnswerFor(*writer, Answered(text));
  writer->Finding({1, 1, text, ReadingKind::Name, answer.get()});
  writer->LineEnd(1, text, false);
  writer->Finish();
  return Taken(*writer);
}

using Make = std::function<std::string(OutputFormat, TextStyle, const std::string&)>;

struct Line {
  const char* name;
  Make make;
};

const Line kLines[] = {
    {"answer",
     [](OutputFormat f, TextStyle s, const std::string& t) {
       std::string out;
       MakeOutputWriter(f, s)->Answer(out, t, Answered(t));
       return out;
     }},
    {"search",
     [](OutputFormat f, TextStyle s, const std::string& t) {
       std::string out;
       MakeOutputWriter(f, s)->Defines(out, {{ErrorType::Win32, 5, {t, t}}});
       return out;
     }},
    {"text search",
     [](OutputFormat f, TextStyle s, const std::string& t) {
       std::string out;
       MakeOutputWriter(f, s)->Descriptions(out, {Match(t)});
       return out;
     }},
    {"scan lines", [](OutputFormat f, TextStyle s,
                      const std::string& t) { return ScanOutput(f, ScanLayout::Lines, s, t); }},
    {"scan summary", [](OutputFormat f, TextStyle s,
                        const std::string& t) { return ScanOutput(f, ScanLayout::Summary, s, t); }},
};

// Every string of every JSON line, the one written as found in a log among them, reads back as
// it was given, bytes that are no UTF-8 replaced.
TEST(JsonLines, EveryStringOfEveryLineIsEscapedOneWay) {
  std::vector<Line> lines(std::begin(kLines), std::end(kLines));
  lines.push_back({"rejection", [](OutputFormat f, TextStyle s, const std::string& t) {
                     std::string out;
                     EXPECT_TRUE(MakeOutputWriter(f, s)->Rejection(out, t, t));
                     return out;
                   }});
  lines.push_back({"skipped file", [](OutputFormat f, TextStyle s, const std::string& t) {
                     std::string out;
                     MakeOutputWriter(f, s)->SkippedFile(out, t);
                     return out;
                   }});
  for (const Line& line : lines) {
    SCOPED_TRACE(line.name);
    const std::string out = line.make(OutputFormat::Json, {}, kHostile);
    ASSERT_FALSE(out.empty());
    ASSERT_EQ('\n', out.back());
    // Each string member holding the text at all holds all of it.
    std::size_t strings = 0;
    const std::function<void(const Json&)> visit = [&](const Json& value) {
      if (value.is_string() && value.get<std::string>().find('@') != std::string::npos) {
        EXPECT_EQ(kHostileRead, value.get<std::string>());
        ++strings;
      }
      for (const Json& item : value.is_structured() ? value : Json::array()) {
        visit(item);
      }
    };
    std::istringstream objects(out);
    for (std::string object; std::getline(objects, object);) {
      Json value;
      ASSERT_NO_THROW(value = Json::parse(object)) << object;
      ASSERT_TRUE(value.is_object());
      visit(value);
    }
    EXPECT_GT(strings, 0u);
  }
}

// Text for people never carries a control character of its own to the terminal, and colour
// only when the style asks for it.
TEST(TextLines, EscapeControlsAndColourOnlyWhenAsked) {
  for (const Line& line : kLines) {
    SCOPED_TRACE(line.name);
    const std::string plain = line.make(OutputFormat::Text, {false}, kHostile);
    EXPECT_EQ(std::string::npos, plain.find('\x1b')) << plain;
    EXPECT_NE(std::string::npos, plain.find("\\x1b[2J")) << plain;
    const std::string colored = line.make(OutputFormat::Text, {true}, kHostile);
    EXPECT_NE(std::string::npos, colored.find("\x1b[")) << colored;
    EXPECT_EQ(std::string::npos, colored.find("\x1b[2J")) << colored;
  }
}

TEST(TextRejection, IsLeftToStandardError) {
  std::string out;
  EXPECT_FALSE(MakeOutputWriter(OutputFormat::Text, {})->Rejection(out, "zz", "Invalid"));
  EXPECT_EQ("", out);
}

TEST(OnOneLine, EachLineBreakBecomesOneBlank) {
  const std::pair<std::string, std::string> cases[] = {
      {"a\r\nb", "a b"},   {"a\nb", "a b"}, {"a\rb", "a b"}, {"a\r\n\r\nb", "a  b"},
      {"end\r\n", "end "}, {"\r", " "},     {"", ""},        {"no break", "no break"},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(expected, OnOneLine(text));
  }
}

ReadingAnswer Known(ErrorType type, std::uint32_t value, std::string name) {
  KindAnswer match;
  match.type = type;
  match.value = value;
  match.names = {{std::move(name), "winerror.h"}};
  return {{ReadingKind::Hex, value, {}}, {match}, {}};
}

// Findings on lines, for a summary: each code once, most frequent first, then by first sight.
std::vector<Json> Summary(const std::vector<std::pair<std::string, ReadingAnswer>>& findings) {
  std::unique_ptr<ScanWriter> writer = MakeScanWriter(OutputFormat::Json, ScanLayout::Summary, {});
  writer->StartFile({});
  std::uint64_t line = 0;
  for (const auto& [text, answer] : findings) {
    writer->Finding({++line, 1, text, ReadingKind::Hex, ScanAnswerFor(*writer, answer).get()});
  }
  writer->Finish();
  std::vector<Json> rows;
  std::istringstream lines(Taken(*writer));
  for (std::string text; std::getline(lines, text);) {
    rows.push_back(Json::parse(text));
  }
  return rows;
}

TEST(ScanSummary, CountsEachCodeOnceMostFrequentFirstWithItsSpellings) {
  const ReadingAnswer five = Known(ErrorType::Win32, 5, "ERROR_ACCESS_DENIED");
  const ReadingAnswer other = Known(ErrorType::Win32, 87, "ERROR_INVALID_PARAMETER");
  const std::vector<Json> rows =
      Summary({{"87", other}, {"5", five}, {"0x5", five}, {"5", five}, {"0x57", other}});
  ASSERT_EQ(2u, rows.size());
  EXPECT_EQ(3, rows[0]["count"]);
  EXPECT_EQ(Json::array({"5", "0x5"}), rows[0]["spellings"]);
  EXPECT_EQ(2, rows[0]["line"]);
  EXPECT_EQ(2, rows[1]["count"]);
  EXPECT_EQ(1, rows[1]["line"]);
  EXPECT_FALSE(rows[0].contains("file"));
}

TEST(ScanSummary, KeepsSixteenSpellingsOfACode) {
  const ReadingAnswer five = Known(ErrorType::Win32, 5, "ERROR_ACCESS_DENIED");
  std::vector<std::pair<std::string, ReadingAnswer>> findings;
  for (int zeros = 0; zeros < 20; ++zeros) {
    findings.push_back({"0x" + std::string(zeros, '0') + "5", five});
  }
  const std::vector<Json> rows = Summary(findings);
  ASSERT_EQ(1u, rows.size());
  EXPECT_EQ(20, rows[0]["count"]);
  EXPECT_EQ(16u, rows[0]["spellings"].size());
}

// The JSON object of one finding of answer.
Json ScanFinding(const ReadingAnswer& answer) {
  std::unique_ptr<ScanWriter> writer = MakeScanWriter(OutputFormat::Json, ScanLayout::Lines, {});
  writer->StartFile({});
  writer->Finding({4, 9, "code", answer.reading.kind, ScanAnswerFor(*writer, answer).get()});
  writer->LineEnd(4, "the code", false);
  const std::string text = Taken(*writer);
  EXPECT_EQ(1, std::count(text.begin(), text.end(), '\n')) << text;
  return Json::parse(text);
}

std::set<std::string> Keys(const Json& object) {
  std::set<std::string> keys;
  for (const auto& [key, value] : object.items()) {
    keys.insert(key);
  }
  return keys;
}

// A finding carries what its text line shows of each match, not the whole answer: no relatives,
// no remedies, of a bug check only the case its arguments select.
TEST(ScanJson, AFindingCarriesWhatItsLineShows) {
  KindAnswer plain = Known(ErrorType::Win32, 5, "ERROR_ACCESS_DENIED").matches[0];
  plain.description = "Access denied.";
  plain.related = {{Relation::Hresult, {ErrorType::Hresult, 0x80070005u, {}, "Its own."}}};
  plain.documentation.remedies = {{"Check the rights.", "page.md"}};

  // The first relative with a text gives it, with its own source.
  KindAnswer borrowed = Known(ErrorType::NtStatus, 0xC0000005u, "STATUS_X").matches[0];
  CodeAnswer noAccess{ErrorType::Win32, 998, {{"ERROR_NOACCESS", "w.h"}}, "No access."};
  noAccess.source = DescriptionSource::Documentation;
  borrowed.related = {{Relation::Win32, {ErrorType::Win32, 1, {}, std::nullopt}},
                      {Relation::Win32, noAccess}};

  KindAnswer wrapper = Known(ErrorType::Hresult, 0xD0000005u, "").matches[0];
  wrapper.names.clear();
  wrapper.wraps = CodeAnswer{ErrorType::NtStatus, 0xC0000005u, {{"STATUS_X", "n.h"}}, "Wrapped."};
  wrapper.wrapper = "HRESULT_FROM_NT";

  KindAnswer bugCheck = Known(ErrorType::Stop, 0x133, "DPC_WATCHDOG_VIOLATION").matches[0];
  bugCheck.description = "Watchdog.";
  bugCheck.documentation.parameters = {{1, "Kind"}};
  bugCheck.documentation.cases = {{1, 0, "0", "One DPC ran too long.", {}},
                                  {1, 1, "1", "All DPCs ran too long.", {}}};
  bugCheck.documentation.arguments = std::array<std::uint64_t, 4>{1, 0x501, 0x500, 0};

  const std::set<std::string> base = {"type", "value", "hex", "names", "description"};
  const auto with = [&base](std::initializer_list<std::string> more) {
    std::set<std::string> keys = base;
    keys.insert(more);
    return keys;
  };
  struct Case {
    const char* name;
    KindAnswer match;
    std::set<std::string> keys;
    Json description;
    Json source;
    Json via;  // "relation", value and first name; null: none
  };
  const Case cases[] = {
      {"plain", plain, with({"source"}), "Access denied.", "system", nullptr},
      {"relative's text",
       borrowed,
       with({"source", "via"}),
       "No access.",
       "documentation",
       {"win32", 998, "ERROR_NOACCESS"}},
      {"wrapped code's text",
       wrapper,
       with({"source", "via", "wraps"}),
       "Wrapped.",
       "system",
       {"wraps", 0xC0000005u, "STATUS_X"}},
      {"bug check", bugCheck, with({"source", "arguments", "case"}), "Watchdog.", "system",
       nullptr},
      {"no description", Known(ErrorType::Win32, 0x3FFF, "ERROR_SILENT").matches[0], base, nullptr,
       nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Json finding = ScanFinding({{ReadingKind::Hex, c.match.value, {}}, {c.match, plain}, {}});
    EXPECT_EQ(
        (std::set<std::string>{"line", "column", "text", "reading", "value", "hex", "matches"}),
        Keys(finding));
    ASSERT_EQ(2u, finding["matches"].size());
    const Json& match = finding["matches"][0];
    EXPECT_EQ(c.keys, Keys(match)) << match;
    EXPECT_EQ(c.description, match["description"]);
    EXPECT_EQ(c.source, match.value("source", Json()));
    const Json via = match.value("via", Json::object());
    EXPECT_EQ(c.via,
              via.empty() ? Json() : Json::array({via["relation"], via["value"], via["names"][0]}));
    EXPECT_EQ(plain.description, finding["matches"][1]["description"]);
  }
  const Json pasted = ScanFinding({{ReadingKind::Hex, 0x133, {}}, {bugCheck}, {}})["matches"][0];
  EXPECT_EQ(Json::array({"0x1", "0x501", "0x500", "0x0"}), pasted["arguments"]);
  EXPECT_EQ("All DPCs ran too long.", pasted["case"]["cause"]);
  // A summary's row is where the reader decides what to do: the match and its remedies.
  const Json row = Summary({{"5", {{ReadingKind::Hex, 5, {}}, {plain}, {}}}})[0];
  EXPECT_EQ(with({"source", "remedies"}), Keys(row["matches"][0]));
}

TEST(ScanLines, ALineIsShownAsItIsOrEscapedWhereItMustBe) {
  std::unique_ptr<ScanWriter> writer = MakeScanWriter(OutputFormat::Text, ScanLayout::Lines, {});
  writer->StartFile("app.log");
  const auto answer = ScanAnswerFor(*writer, Known(ErrorType::Win32, 5, "ERROR_ACCESS_DENIED"));
  const struct {
    std::string_view shown;
    bool cut;
    std::string_view written;
  } cases[] = {
      {"error 5 here", false, "error 5 here"},
      {"error 5\there", false, "error 5\there"},
      {"error 5 \x1b[2J", false, "error 5 \\x1b[2J"},
      {"error 5 caf\xC3\xA9 \x7F", false, "error 5 caf\xC3\xA9 \\x7f"},
      {"error 5 and more", true, "error 5 and more [...]"},
  };
  std::uint64_t line = 0;
  std::string expected;
  for (const auto& c : cases) {
    writer->Finding({++line, 7, "5", ReadingKind::Decimal, answer.get()});
    writer->LineEnd(line, c.shown, c.cut);
    expected += "app.log:" + std::to_string(line) + ": " + std::string(c.written) + "\n    5  " +
                answer->text + "\n";
  }
  EXPECT_EQ(expected, Taken(*writer));
}

TEST(ScanLines, AHostileLineKeepsAtMost256FindingsAndSaysHowManyMore) {
  std::unique_ptr<ScanWriter> writer = MakeScanWriter(OutputFormat::Text, ScanLayout::Lines, {});
  const auto answer = ScanAnswerFor(*writer, Known(ErrorType::Win32, 5, "ERROR_ACCESS_DENIED"));
  for (std::uint64_t i = 0; i < 300; ++i) {
    writer->Finding({7, 2 * i + 1, "5", ReadingKind::Decimal, answer.get()});
  }
  writer->LineEnd(7, "5 5 5", true);
  const std::string text = Taken(*writer);
  EXPECT_EQ(0u, text.find("7: 5 5 5 [...]\n"));
  EXPECT_EQ(256, std::count(text.begin(), text.end(), '\n') - 2);
  EXPECT_TRUE(text.ends_with("    and 44 more on this line\n")) << text;
}

}  // namespace
}  // namespace quillon
