#include "core/scan.h"

#include <algorithm>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/bug_check_arguments.h"
#include "core/documentation.h"
#include "core/text_decoder.h"
#include "core/word_splitter.h"
#include "query/setup_pair.h"

namespace quillon {

namespace {

constexpr std::size_t kNumberSlots = 1 << 12;
constexpr std::uint32_t kLargestSmall = 0xFFFF;

// Thrown when the tables fail mid-scan, and caught where the scan was asked.
struct TablesFailed {};

// Values remembered in kNumberSlots slots by a hash of the value, each with what is known of
// it: a look is a multiply and a compare, and a log's many values that come once (addresses)
// cost bounded memory.
template <typename Known>
class NumberSlots {
 public:
  NumberSlots() : slots_(kNumberSlots) {}
  // What is known of value; null when it is not remembered.
  const Known* Find(std::uint32_t value) const {
    const Slot& slot = slots_[SlotOf(value)];
    return slot.used && slot.value == value ? &slot.known : nullptr;
  }
  void Put(std::uint32_t value, Known known) { slots_[SlotOf(value)] = {value, true, known}; }

 private:
  struct Slot {
    std::uint32_t value = 0;
    bool used = false;
    Known known{};
  };
  static std::size_t SlotOf(std::uint32_t value) { return (value * 2654435761u) >> 20; }
  std::vector<Slot> slots_;
};

// Numbers nothing knows. Those up to 0xFFFF (decimals after a keyword: a log's counts, sizes
// and ids) are each remembered by one bit, so a log with many of them never asks twice; larger
// ones in slots.
class UnknownNumbers {
 public:
  UnknownNumbers() : small_(kLargestSmall + 1) {}
  bool Holds(std::uint32_t value) const {
    return value <= kLargestSmall ? small_[value] : large_.Find(value) != nullptr;
  }
  void Put(std::uint32_t value) {
    if (value <= kLargestSmall) {
      small_[value] = true;
    } else {
      large_.Put(value, true);
    }
  }

 private:
  std::vector<bool> small_;
  NumberSlots<bool> large_;
};

// The answers to the numbers met last (null: nothing knows the number): a log repeats a few
// codes on many lines, and a look in a slot costs less than telling whether anything may know
// the number (a search of the known ranges) and finding its answer in the table of answers.
using RecentNumbers = NumberSlots<const ScanAnswer*>;

// Bytes read at a time while they are decoded: the first piece, until its byte-order mark is
// known, and all of a UTF-16 log. Text passed as it is goes straight to the splitter.
constexpr std::size_t kDecodedChunkSize = 1 << 16;

}  // namespace

// Each distinct code once, with its writer's text; what is kept holds nothing of how it was read
// (5 after a keyword, 0x5). What is kept of known codes and names is bounded by what the
// database and the message tables know; of other numbers, by UnknownNumbers' bits and slots.
class Scanner::Answers {
 public:
  Answers(AskAnswer ask, const SetupTables* setup, const KnownCodes* known)
      : ask_(std::move(ask)), setup_(setup), known_(known) {}
  // Null when nothing knows the code: such a number gets no texts. Kept as long as the scanner.
  const ScanAnswer* Answer(const Reading& reading, const ScanWriter& writer) {
    const bool byName = reading.kind == ReadingKind::Name;
    if (byName) {
      if (const auto it = names_.find(reading.name); it != names_.end()) {
        return it->second.get();
      }
    } else if (const ScanAnswer* const* recent = recent_.Find(reading.value)) {
      return *recent;
    } else if ((known_ != nullptr && !known_->MayKnow(reading.value)) ||
               unknown_.Holds(reading.value)) {
      // Before the table of answers: most numbers of a log are none that anything knows.
      recent_.Put(reading.value, nullptr);
      return nullptr;
    } else if (const auto it = numbers_.find(reading.value); it != numbers_.end()) {
      recent_.Put(reading.value, it->second.get());
      return it->second.get();
    }
    std::optional<ReadingAnswer> answer = ask_(reading);
    if (!answer) {
      throw TablesFailed{};
    }
    std::shared_ptr<ScanAnswer> made;
    if (!answer->matches.empty()) {
      made = std::make_shared<ScanAnswer>();
      made->text = writer.AnswerText(*answer);
      made->answer = std::move(*answer);
    }
    if (byName) {
      names_.emplace(reading.name, made);  // only names the database holds are read
    } else if (made) {
      numbers_.emplace(reading.value, made);
      recent_.Put(reading.value, made.get());
    } else {
      unknown_.Put(reading.value);
      recent_.Put(reading.value, nullptr);
    }
    return made.get();
  }

  // A bug check with its arguments, or a result code with setup's extend code: made for the
  // line, not kept. Null when nothing knows the code.
  ScanAnswerPointer Pasted(const Reading& reading, const BugCheckArguments* bugCheck,
                           const SetupPair* pair, const ScanWriter& writer) {
    std::optional<ReadingAnswer> answer = ask_(reading);
    if (!answer) {
      throw TablesFailed{};
    }
    if (bugCheck != nullptr) {
      std::erase_if(answer->matches,
                    [](const KindAnswer& match) { return match.type != ErrorType::Stop; });
      for (KindAnswer& match : answer->matches) {
        match.documentation.arguments = bugCheck->arguments;
      }
    }
    if (pair != nullptr && setup_ != nullptr) {
      answer->documentation.extend = ReadExtend(pair->result, pair->extend, *setup_);
    }
    if (answer->matches.empty()) {
      return nullptr;
    }
    auto made = std::make_shared<ScanAnswer>();
    made->text = writer.AnswerText(*answer);
    made->answer = std::move(*answer);
    return made;
  }

 private:
  const AskAnswer ask_;
  const SetupTables* setup_;
  const KnownCodes* known_;
  std::unordered_map<std::uint32_t, ScanAnswerPointer> numbers_;
  UnknownNumbers unknown_;
  RecentNumbers recent_;
  std::unordered_map<std::string, ScanAnswerPointer> names_;
};

// One input: its decoder and splitter, and the sink between the splitter and the writer that
// reads each word and answers the codes. The writer's text goes out whenever it fills, so a
// read full of codes never holds all of its output.
class Scanner::Input {
 public:
  Input(const NameSet& names, Answers& answers, SplitterMemory& memory, std::size_t chunkSize,
        ScanWriter& writer, EmitText emit, TextStart start)
      : splitter_(kWordContext, kLongestWord, chunkSize, start.line, &memory, start.offset),
        decoder_(!start.fileStart),
        names_(names),
        answers_(answers),
        writer_(writer),
        emit_(std::move(emit)) {}

  // The splitter's sink. Asked of every block and of most words read: inlined.
  static constexpr LetterPairs kLetterPairs = kKeywordLetterPairs;
  [[gnu::always_inline]] std::uint64_t Starts(const BlockView& view) const {
    return CodeStarts(view);
  }
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
    const ScanAnswer* const answer = answers_.Answer(candidate->reading, writer_);
    if (answer == nullptr) {
      return false;
    }
    found_ = true;
    // A sign is the byte before the word, in the same buffer.
    const std::size_t sign = candidate->negative ? 1 : 0;
    const std::string_view text(word.text.data() - sign, word.text.size() + sign);
    writer_.Finding({word.line, word.column - sign, text, candidate->reading.kind, answer});
    EmitWhenFull();
    return true;
  }
  void LineEnd(std::uint64_t line, std::string_view shown, bool cut) {
    if (formLine_ == line) {
      PastedFindings(line, shown);
    }
    formLine_ = 0;
    deferred_.clear();
    writer_.LineEnd(line, shown, cut);
    pasted_.clear();
    EmitWhenFull();
  }

  // False once nothing more can be written.
  bool Emit() {
    writable_ = writer_.Flush(emit_) && writable_;
    return writable_;
  }

  void Feed(std::string_view bytes) {
    splitter_.Feed(decoder_.PassesThrough() ? bytes : decoder_.Decode(bytes), *this);
  }

  // Reads source to its end; before each wait for input the output so far is written out.
  void ReadAll(ByteSource& source, ReadAhead* ahead) {
    std::unique_ptr<char[]> raw;
    while (Emit()) {
      if (decoder_.PassesThrough() && ahead != nullptr) {
        ReadAllAhead(source, *ahead);
        return;
      }
      if (decoder_.PassesThrough()) {
        const std::size_t count = source.Read(splitter_.Space());
        if (count == 0) {
          break;
        }
        splitter_.Commit(count, *this);
        continue;
      }
      if (!raw) {
        raw.reset(new char[kDecodedChunkSize]);
      }
      const std::size_t count = source.Read({raw.get(), kDecodedChunkSize});
      if (count == 0) {
        break;
      }
      splitter_.Feed(decoder_.Decode({raw.get(), count}), *this);
    }
  }

  // The same, each piece read into the splitter while the one before is split.
  void ReadAllAhead(ByteSource& source, ReadAhead& ahead) {
    splitter_.ReadWhileSplitting();
    std::size_t count = source.Read(splitter_.Space());
    // However the splitting ends, the read into the splitter's memory ends first; what it
    // threw then is not what ended the scan.
    struct Pending {
      ReadAhead& ahead;
      bool reading = false;
      ~Pending() {
        if (reading) {
          try {
            ahead.Wait();
          } catch (...) {
          }
        }
      }
    } pending{ahead};
    while (count > 0) {
      ahead.Start(source, splitter_.NextSpace());
      pending.reading = true;
      splitter_.Commit(count, *this);
      const bool writable = Emit();
      pending.reading = false;
      count = ahead.Wait();
      if (!writable) {
        return;
      }
    }
  }

  void Finish() {
    splitter_.Feed(decoder_.Finish(), *this);
    splitter_.Finish(*this);
  }

  bool Found() const { return found_; }

 private:
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

  void Found(std::uint64_t line, std::uint64_t column, std::string_view text, ReadingKind kind,
             const ScanAnswer* answer) {
    found_ = true;
    writer_.Finding({line, column, text, kind, answer});
  }
  // The same for an answer made for the line: kept until the writer has ended it.
  void FoundPasted(std::uint64_t line, std::uint64_t column, std::string_view text,
                   ScanAnswerPointer answer) {
    Found(line, column, text, ReadingKind::Hex, answer.get());
    pasted_.push_back(std::move(answer));
  }

  // The bug check and setup's pairs of the line as shown; each deferred code that is none of
  // them is found as any other.
  void PastedFindings(std::uint64_t line, std::string_view shown) {
    const std::optional<BugCheckArguments> bugCheck = FindBugCheckArguments(shown);
    ScanAnswerPointer bugCheckAnswer;
    std::string bugCheckText;
    if (bugCheck) {
      bugCheckText = AsOneText(shown.substr(bugCheck->begin, bugCheck->end - bugCheck->begin));
      bugCheckAnswer =
          answers_.Pasted({ReadingKind::Hex, bugCheck->code, {}}, &*bugCheck, nullptr, writer_);
    }
    const std::vector<SetupPair> pairs = FindSetupPairs(shown);
    for (const Deferred& deferred : deferred_) {
      const std::size_t start = static_cast<std::size_t>(deferred.column - 1);
      if (bugCheckAnswer && start >= bugCheck->begin) {
        FoundPasted(line, bugCheck->begin + 1, bugCheckText, std::move(bugCheckAnswer));
        bugCheckAnswer = nullptr;
      }
      if (bugCheck && start >= bugCheck->begin && start < bugCheck->end) {
        continue;
      }
      const auto pair = std::find_if(pairs.begin(), pairs.end(),
                                     [start](const SetupPair& p) { return p.begin == start; });
      if (pair != pairs.end()) {
        if (ScanAnswerPointer answer =
                answers_.Pasted({ReadingKind::Hex, pair->result, {}}, nullptr, &*pair, writer_)) {
          FoundPasted(line, deferred.column,
                      AsOneText(shown.substr(pair->begin, pair->end - pair->begin)),
                      std::move(answer));
        }
        continue;
      }
      if (deferred.candidate) {
        if (const ScanAnswer* answer = answers_.Answer(deferred.candidate->reading, writer_)) {
          Found(line, deferred.column, deferred.text, deferred.candidate->reading.kind, answer);
        }
      }
    }
    if (bugCheckAnswer) {
      FoundPasted(line, bugCheck->begin + 1, bugCheckText, std::move(bugCheckAnswer));
    }
  }

  void EmitWhenFull() {
    if (writer_.Full()) {
      Emit();
    }
  }

  WordSplitter splitter_;
  TextDecoder decoder_;
  const NameSet& names_;
  Answers& answers_;
  ScanWriter& writer_;
  const EmitText emit_;
  bool writable_ = true;
  bool found_ = false;
  // The line whose end decides what its deferred words are (0: none).
  std::uint64_t formLine_ = 0;
  std::vector<Deferred> deferred_;
  std::vector<ScanAnswerPointer> pasted_;  // answers made for the line being ended
};

namespace {

// Runs step, and says how the scan ends when it ends there.
template <typename Step>
ScanEnd Guarded(Step step) {
  try {
    return step() ? ScanEnd::Done : ScanEnd::OutputFailed;
  } catch (const TablesFailed&) {
    return ScanEnd::TablesFailed;
  }
}

}  // namespace

Scanner::Scanner(const NameSet& names, AskAnswer ask, const SetupTables* setup,
                 const KnownCodes* known)
    : names_(names),
      answers_(std::make_unique<Answers>(std::move(ask), setup, known)),
      memory_(std::make_unique<SplitterMemory>()),
      chunkSize_(WordSplitter::kChunkSize) {}

Scanner::~Scanner() = default;

ScanEnd Scanner::Scan(ByteSource& source, ScanWriter& writer, const EmitText& emit,
                      ReadAhead* ahead, TextStart start) {
  Begin(writer, emit, start);
  const ScanEnd end = Guarded([this, &source, ahead] {
    input_->ReadAll(source, ahead);
    return input_->Emit();
  });
  return end == ScanEnd::Done ? End() : end;
}

void Scanner::Begin(ScanWriter& writer, EmitText emit, TextStart start) {
  input_ = std::make_unique<Input>(names_, *answers_, *memory_, chunkSize_, writer, std::move(emit),
                                   start);
}

ScanEnd Scanner::Feed(std::string_view bytes) {
  return Guarded([this, bytes] {
    input_->Feed(bytes);
    return input_->Emit();
  });
}

ScanEnd Scanner::End() {
  const ScanEnd end = Guarded([this] {
    input_->Finish();
    return input_->Emit();
  });
  foundInLast_ = input_->Found();
  input_.reset();
  return end;
}

void Scanner::ReadInChunksOf(std::size_t size) {
  chunkSize_ = std::max(WordSplitter::kChunkSize, size);
}

std::span<char> Scanner::NextSpace() {
  return WordSplitter::FirstSpace(*memory_, kWordContext, kLongestWord, chunkSize_);
}

bool Scanner::FoundAny() const {
  return input_ ? input_->Found() : foundInLast_;
}

}  // namespace quillon
