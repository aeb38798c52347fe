#include "cli/scan.h"
#include "cli/file_source.h"

#include <algorithm>
#include <istream>
#include <memory>
#include <ostream>
#include <unordered_map>
#include <vector>

#include "cli/scan_inputs.h"
#include "cli/scan_pool.h"
#include "cli/system_reason.h"
#include "core/answers.h"
#include "core/bug_check_arguments.h"
#include "core/documentation.h"
#include "core/documentation_report.h"
#include "core/json_text.h"
#include "core/report.h"
#include "core/scan_writers.h"
#include "core/terminal_text.h"
#include "core/text_decoder.h"
#include "core/word_reading.h"
#include "core/word_splitter.h"
#include "query/setup_pair.h"

namespace quillon {

namespace {

// Numbers nothing knows, remembered in kUnknownSlots slots by a hash of the value: a lookup is
// a multiply and a compare, and a log's many numbers that come once (addresses) cost bounded
// memory.
constexpr std::size_t kUnknownSlots = 1 << 12;

class UnknownNumbers {
 public:
  UnknownNumbers() : slots_(kUnknownSlots) {}
  bool Holds(std::uint32_t value) const {
    const Slot& slot = slots_[SlotOf(value)];
    return slot.used && slot.value == value;
  }
  void Put(std::uint32_t value) { slots_[SlotOf(value)] = {true, value}; }

 private:
  struct Slot {
    bool used = false;
    std::uint32_t value = 0;
  };
  static std::size_t SlotOf(std::uint32_t value) { return (value * 2654435761u) >> 20; }
  std::vector<Slot> slots_;
};

}  // namespace

// Answers each distinct code once per run (per worker), with its texts: logs repeat the same few
// codes on many lines, written in more than one way (5 after a keyword, 0x5), so what is kept
// holds nothing of how it was read. What is kept of known codes and names is bounded by what the
// database and the message tables know; of other numbers, by kUnknownSlots.
class AnswerCache {
 public:
  AnswerCache(AskAnswer ask, bool color, const SetupTables* setup)
      : ask_(std::move(ask)), color_(color), setup_(setup) {}
  // Null when nothing knows the code: such a number gets no texts.
  ScanAnswerPointer Answer(const Reading& reading) {
    const bool byName = reading.kind == ReadingKind::Name;
    if (byName) {
      if (const auto it = names_.find(reading.name); it != names_.end()) {
        return it->second;
      }
    } else if (const auto it = numbers_.find(reading.value); it != numbers_.end()) {
      return it->second;
    } else if (unknown_.Holds(reading.value)) {
      return nullptr;
    }
    std::shared_ptr<ScanAnswer> made = Made(ask_(reading));
    if (byName) {
      names_.emplace(reading.name, made);  // only names the database holds are read
    } else if (made) {
      numbers_.emplace(reading.value, made);
    } else {
      unknown_.Put(reading.value);
    }
    return made;
  }

  // A bug check with its arguments, or a result code with setup's extend code: made for the
  // line, not kept. Null when nothing knows the code.
  ScanAnswerPointer Pasted(const Reading& reading, const BugCheckArguments* bugCheck,
                           const SetupPair* pair) {
    ReadingAnswer answer = ask_(reading);
    if (bugCheck != nullptr) {
      std::erase_if(answer.matches,
                    [](const KindAnswer& match) { return match.type != ErrorType::Stop; });
      for (KindAnswer& match : answer.matches) {
        match.documentation.arguments = bugCheck->arguments;
      }
    }
    if (pair != nullptr && setup_ != nullptr) {
      answer.documentation.extend = ReadExtend(pair->result, pair->extend, *setup_);
    }
    std::shared_ptr<ScanAnswer> made = Made(std::move(answer));
    if (made) {
      made->shortLine += PastedShortText(made->answer);
    }
    return made;
  }

 private:
  std::shared_ptr<ScanAnswer> Made(ReadingAnswer answer) const {
    if (answer.matches.empty()) {
      return nullptr;
    }
    auto made = std::make_shared<ScanAnswer>();
    made->shortLine = ShortAnswerLine(answer, color_);
    made->jsonMembers = JsonCodeMembers(answer);
    made->answer = std::move(answer);
    return made;
  }

  const AskAnswer ask_;
  const bool color_;
  const SetupTables* setup_;
  std::unordered_map<std::uint32_t, ScanAnswerPointer> numbers_;
  UnknownNumbers unknown_;
  std::unordered_map<std::string, ScanAnswerPointer> names_;
};

namespace {

// Between the splitter and the writer: reads each word, answers the codes. The writer's text
// goes out whenever it fills, so a read full of codes never holds all of its output.
class FindingSink {
 public:
  FindingSink(const NameSet& names, AnswerCache& answers, ScanWriter& writer, std::ostream& out)
      : names_(names), answers_(answers), writer_(writer), out_(out) {}

  // Asked of most words of a log: inlined.
  [[gnu::always_inline]] bool Worth(std::string_view before, std::string_view text) const {
    return WorthReading(before, text);
  }
  bool Word(const SplitWord& word) {
    if (word.line != formLine_) {
      formLine_ = 0;
      deferred_.clear();
    }
    // "BugCheck 133, {...}", "The bugcheck was: 0x..."; its line is read whole at its end.
    if (IsBugCheckWord(word.text)) {
      formLine_ = word.line;
      return true;
    }
    const std::optional<Candidate> candidate = ReadWord(word.before, word.text, word.after, names_);
    // The code after a bug check's keyword, or a result code that setup's extend code may
    // follow, waits for the line's end, where the whole line tells what it is; the line's
    // findings after it wait too, to keep their order.
    if (formLine_ == word.line || MayStartSetupPair(word)) {
      if (!candidate && !MayStartSetupPair(word)) {
        return false;
      }
      formLine_ = word.line;
      deferred_.push_back({word.column, std::string(word.text), candidate});
      return true;
    }
    if (!candidate) {
      return false;
    }
    ScanAnswerPointer answer = answers_.Answer(candidate->reading);
    if (!answer) {
      return false;
    }
    foundAny_ = true;
    // A sign is the byte before the word, in the same buffer.
    const std::size_t sign = candidate->negative ? 1 : 0;
    const std::string_view text(word.text.data() - sign, word.text.size() + sign);
    writer_.Finding(
        {word.line, word.column - sign, text, candidate->reading.kind, std::move(answer)});
    FlushWhenFull();
    return true;
  }
  void LineEnd(std::uint64_t line, std::string_view shown, bool cut) {
    if (formLine_ == line) {
      PastedFindings(line, shown);
    }
    formLine_ = 0;
    deferred_.clear();
    writer_.LineEnd(line, shown, cut);
    FlushWhenFull();
  }
  bool FoundAny() const { return foundAny_; }

 private:
  void FlushWhenFull() {
    if (writer_.Full()) {
      writer_.Flush(out_);
    }
  }

  struct Deferred {
    std::uint64_t column;
    std::string text;
    std::optional<Candidate> candidate;
  };

  static bool IsBugCheckWord(std::string_view text) {
    constexpr std::string_view kKeyword = "bugcheck";
    if (text.size() != kKeyword.size()) {
      return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (static_cast<char>(text[i] | 0x20) != kKeyword[i]) {
        return false;
      }
    }
    return true;
  }

  // "0xC1900101" before " -", " 0" or "-0": setup's extend code may follow.
  static bool MayStartSetupPair(const SplitWord& word) {
    return word.text.size() == 10 && word.text[0] == '0' && (word.text[1] | 0x20) == 'x' &&
           (word.after == " -" || word.after == " 0" || word.after == "-0");
  }

  // A pasted form's text with its tabs as blanks: the writers take a finding's text as one
  // that needs no escapes.
  static std::string AsOneText(std::string_view text) {
    std::string one(text);
    std::replace(one.begin(), one.end(), '\t', ' ');
    return one;
  }

  void Emit(std::uint64_t line, std::uint64_t column, std::string_view text, ReadingKind kind,
            ScanAnswerPointer answer) {
    foundAny_ = true;
    writer_.Finding({line, column, text, kind, std::move(answer)});
  }

  // The bug check and setup's pairs of the line as shown; each deferred code that is none of
  // them is found as any other.
  void PastedFindings(std::uint64_t line, std::string_view shown) {
    const std::optional<BugCheckArguments> bugCheck = FindBugCheckArguments(shown);
    ScanAnswerPointer bugCheckAnswer;
    std::string bugCheckText;
    if (bugCheck) {
      bugCheckText = AsOneText(shown.substr(bugCheck->begin, bugCheck->end - bugCheck->begin));
      bugCheckAnswer = answers_.Pasted({ReadingKind::Hex, bugCheck->code, {}}, &*bugCheck, nullptr);
    }
    const std::vector<SetupPair> pairs = FindSetupPairs(shown);
    for (const Deferred& deferred : deferred_) {
      const std::size_t start = static_cast<std::size_t>(deferred.column - 1);
      if (bugCheckAnswer && start >= bugCheck->begin) {
        Emit(line, bugCheck->begin + 1, bugCheckText, ReadingKind::Hex, std::move(bugCheckAnswer));
        bugCheckAnswer = nullptr;
      }
      if (bugCheck && start >= bugCheck->begin && start < bugCheck->end) {
        continue;
      }
      const auto pair = std::find_if(pairs.begin(), pairs.end(),
                                     [start](const SetupPair& p) { return p.begin == start; });
      if (pair != pairs.end()) {
        if (ScanAnswerPointer answer =
                answers_.Pasted({ReadingKind::Hex, pair->result, {}}, nullptr, &*pair)) {
          Emit(line, deferred.column, AsOneText(shown.substr(pair->begin, pair->end - pair->begin)),
               ReadingKind::Hex, std::move(answer));
        }
        continue;
      }
      if (deferred.candidate) {
        if (ScanAnswerPointer answer = answers_.Answer(deferred.candidate->reading)) {
          Emit(line, deferred.column, deferred.text, deferred.candidate->reading.kind,
               std::move(answer));
        }
      }
    }
    if (bugCheckAnswer) {
      Emit(line, bugCheck->begin + 1, bugCheckText, ReadingKind::Hex, std::move(bugCheckAnswer));
    }
  }

  const NameSet& names_;
  AnswerCache& answers_;
  ScanWriter& writer_;
  std::ostream& out_;
  bool foundAny_ = false;
  // The line whose end decides what its deferred words are (0: none).
  std::uint64_t formLine_ = 0;
  std::vector<Deferred> deferred_;
};

// Bytes read at a time while they are decoded: the first piece, until its byte-order mark is
// known, and all of a UTF-16 log. Text passed as it is goes straight to the splitter.
constexpr std::size_t kDecodedChunkSize = 1 << 16;

// Scans one input to its end. Before each wait for input the output so far is written out, so
// a line read from a pipe that stays open is explained as soon as it is whole.
void ScanSource(ByteSource& source, FindingSink& sink, ScanWriter& writer, std::ostream& out) {
  WordSplitter splitter(MayStartCode, kWordContext, kLongestWord);
  TextDecoder decoder;
  std::unique_ptr<char[]> raw;
  for (;;) {
    writer.Flush(out);
    if (!out) {
      return;  // nothing more can be written: the caller says so
    }
    if (decoder.PassesThrough()) {
      const std::size_t count = source.Read(splitter.Space());
      if (count == 0) {
        break;
      }
      splitter.Commit(count, sink);
      continue;
    }
    if (!raw) {
      raw.reset(new char[kDecodedChunkSize]);
    }
    const std::size_t count = source.Read({raw.get(), kDecodedChunkSize});
    if (count == 0) {
      break;
    }
    splitter.Feed(decoder.Decode({raw.get(), count}), sink);
  }
  splitter.Feed(decoder.Finish(), sink);
  splitter.Finish(sink);
}

// After a summary: the files under folders left unread because they are binary.
void WriteSkipped(const std::vector<std::string>& skipped, bool json, std::ostream& out) {
  for (const std::string& path : skipped) {
    if (json) {
      std::string line = "{\"skipped\":";
      AppendJsonString(line, path);
      out << line << ",\"reason\":\"binary\"}\n";
    } else {
      out << "skipped binary file " << TerminalText(path) << '\n';
    }
  }
}

InputOutcome Outcome(bool found, std::string problem = {}) {
  InputOutcome outcome;
  outcome.found = found;
  outcome.problem = std::move(problem);
  return outcome;
}

}  // namespace

InputScanner::InputScanner(const NameSet& names, AskAnswer ask, bool color,
                           const SetupTables* setup)
    : names_(names), answers_(std::make_unique<AnswerCache>(std::move(ask), color, setup)) {}

InputScanner::~InputScanner() = default;

InputOutcome InputScanner::Scan(const ScanInput& input, ByteSource& standardInput,
                                ScanWriter& writer, std::ostream& out) {
  using Kind = ScanInput::Kind;
  const std::string shown = TerminalText(input.path);
  if (input.kind == Kind::Unreadable) {
    return Outcome(false, "cannot read " + shown + ": " + input.reason);
  }
  if (input.kind == Kind::LinkLoop) {
    InputOutcome loop;
    loop.note = shown + " leads back to " + TerminalText(input.reason) +
                ", a folder it is in; not followed";
    return loop;
  }
  FindingSink sink(names_, *answers_, writer, out);
  if (input.kind == Kind::StandardInput) {
    ScanInputSource source(standardInput);
    ScanSource(source, sink, writer, out);
    if (source.Failed()) {
      return Outcome(sink.FoundAny(), "cannot read standard input: " + source.FailureReason());
    }
    return Outcome(sink.FoundAny());
  }
  if (IsStandardOutput(input.path)) {
    InputOutcome output;
    output.note = shown + " is where the findings are written; not read";
    return output;
  }
  int error = 0;
  const std::unique_ptr<ByteSource> raw = OpenFileSource(input.path, error);
  if (!raw) {
    return Outcome(false, "cannot read " + shown + ": " + SystemReason(error));
  }
  ScanInputSource source(*raw);
  if (input.inFolder && source.LooksBinary()) {
    InputOutcome binary;
    binary.binary = true;
    return binary;
  }
  ScanSource(source, sink, writer, out);
  if (source.Failed()) {
    return Outcome(sink.FoundAny(), "cannot read " + shown + ": " + source.FailureReason());
  }
  return Outcome(sink.FoundAny());
}

int RunScan(const ScanRequest& request, MessageSource& messages, DefineRows& defines,
            ByteSource& input, std::ostream& out, std::ostream& err) {
  const auto databaseFailed = [&defines, &request, &err] {
    err << DatabaseFailureLine(request.databaseName, defines);
    return 2;
  };
  defines.IndexValues();
  const std::vector<std::string> allNames = defines.AllNames();
  if (defines.Failure()) {
    return databaseFailed();
  }
  const NameSet names(allNames.begin(), allNames.end());
  // A database that fails mid-scan answers nothing more: an answer read from it may be
  // incomplete. The scan then ends at the next input, and says why.
  const DocumentationRows* documentation = request.documentation;
  const AskAnswer ask = [&messages, &defines, documentation](const Reading& reading) {
    ReadingAnswer answer = Answer(reading, messages, defines);
    if (documentation != nullptr) {
      AddDocumentation(answer, *documentation);
    }
    if (defines.Failure()) {
      answer.matches.clear();
    }
    return answer;
  };
  std::vector<std::string> files = request.files;
  if (files.empty()) {
    files.push_back("-");
  }
  const ScanInputs listed = ListScanInputs(files);
  // Lines are named by file only when there may be several.
  const bool nameFiles = files.size() > 1 || listed.anyFolder;
  const std::unique_ptr<ScanWriter> writer =
      MakeScanWriter(request.json, request.summary, request.color);
  bool found = false;
  bool unreadable = false;
  std::vector<std::string> skipped;
  const auto report = [&](const ScanInput& scanned, const InputOutcome& outcome) {
    found = found || outcome.found;
    if (outcome.binary) {
      skipped.push_back(scanned.path);
    }
    if (!outcome.problem.empty() || !outcome.note.empty()) {
      writer->Flush(out);
      err << "quillon-cli: " << outcome.problem << outcome.note << '\n';
      unreadable = unreadable || !outcome.problem.empty();
    }
  };
  if (!ScanInParallel({listed.inputs, nameFiles, request, names, ask}, *writer, out, report)) {
    InputScanner scanner(names, ask, request.color, request.setup);
    for (const ScanInput& scanned : listed.inputs) {
      writer->StartFile(nameFiles ? scanned.path : std::string());
      report(scanned, scanner.Scan(scanned, input, *writer, out));
      if (!out || defines.Failure()) {
        break;
      }
    }
  }
  if (defines.Failure()) {
    writer->Flush(out);
    return databaseFailed();
  }
  writer->Finish();
  writer->Flush(out);
  if (request.summary) {
    WriteSkipped(skipped, request.json, out);
    out.flush();
  }
  if (unreadable) {
    return 2;
  }
  return found ? 0 : 1;
}

}  // namespace quillon
