// The scan of a text: its words read, each code in it answered once, the findings handed to a
// writer. The caller hands it bytes, from a source it reads or in pieces of any size, and takes
// the writer's text; no file or console is reached from here.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "core/answers.h"
#include "core/byte_source.h"
#include "core/known_codes.h"
#include "core/scan_writers.h"
#include "core/word_reading.h"
#include "lookup/documentation_rows.h"

namespace quillon {

// A code's answer from the tables; nothing when they failed while it was read, which ends the
// scan (an answer from a failing table may lack what it holds).
using AskAnswer = std::function<std::optional<ReadingAnswer>(const Reading&)>;

enum class ScanEnd {
  Done,          // the input was read to its end (or to a failed read: the source says so)
  OutputFailed,  // emit could write no more
  TablesFailed,  // ask failed
};

// Where the text scanned starts: at a file's start, or after a line end within it, where the
// file is cut into pieces scanned apart (whose findings together are those of the whole file).
struct TextStart {
  std::uint64_t line = 1;  // the number of its first line in the file
  bool fileStart = true;   // its first bytes are the file's: a byte-order mark may be there
  std::size_t offset = 0;  // where in Scanner::NextSpace the first read goes
};

// Scans inputs one after another, remembering the answers to the codes it met: logs repeat the
// same few codes on many lines, written in more than one way.
class Scanner {
 public:
  // names: the define names a word may be (they outlive the scanner). Each answer's text is
  // made once by the writer of the first input that finds it: every input's writer must be of
  // one format and style.
  // setup names the extend codes of setup's result and extend codes written together (it
  // outlives the scanner); null: such a pair is only its result code. known: every code the
  // tables ask may know (it outlives the scanner), so that others are not asked; null: all are.
  Scanner(const NameSet& names, AskAnswer ask, const SetupTables* setup = nullptr,
          const KnownCodes* known = nullptr);
  ~Scanner();
  Scanner(const Scanner&) = delete;
  Scanner& operator=(const Scanner&) = delete;

  // Scans source to its end into writer, whose StartFile the caller called. The writer's text
  // goes to emit before each wait for input, so a line read from a pipe is explained as soon as
  // it is whole, and whenever it fills. With ahead, the next piece of the source is read while
  // one is scanned.
  ScanEnd Scan(ByteSource& source, ScanWriter& writer, const EmitText& emit,
               ReadAhead* ahead = nullptr, TextStart start = {});

  // The same for a text handed over in pieces: Begin, Feed each piece, then End. A piece may
  // end anywhere, inside a line, a word or a UTF-16 unit.
  void Begin(ScanWriter& writer, EmitText emit, TextStart start = {});
  ScanEnd Feed(std::string_view bytes);
  ScanEnd End();

  // From the next input on, each is read in chunks of at least size bytes.
  void ReadInChunksOf(std::size_t size);
  // Where the next input's first chunk is read (after TextStart::offset bytes): bytes that a
  // source read there before Scan asks for them need not be copied.
  std::span<char> NextSpace();

  // Whether the input scanned last (or being scanned) held a code that something knows.
  bool FoundAny() const;

 private:
  class Answers;
  class Input;
  const NameSet& names_;
  std::unique_ptr<Answers> answers_;
  std::unique_ptr<SplitterMemory> memory_;  // every input's in turn
  std::size_t chunkSize_;
  std::unique_ptr<Input> input_;  // the input being scanned
  bool foundInLast_ = false;      // in the input before it, once it ended
};

}  // namespace quillon
