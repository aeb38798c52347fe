#include "cli/scan_pool.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <ostream>

#if QUILLON_SCAN_THREADS
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <streambuf>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "cli/file_pieces.h"
#include "cli/file_source.h"
#endif

namespace quillon {

#if QUILLON_SCAN_THREADS

namespace {

// Output a worker holds in memory for a file that is not yet being written out; past it, the
// output goes to a temporary file (or, where none can be made, the worker waits). Large enough
// that a log's findings seldom make the round trip through the file, which costs the writes
// and reads of it while the other workers wait for the lock.
constexpr std::size_t kHeldOutputLimit = 1 << 23;
// Output is handed from a worker to the writing thread in blocks of about this size, each taken
// whole (never copied again) and lent back once written.
constexpr std::size_t kBlockSize = 1 << 20;
// Blocks kept to be lent again: a block's pages, once handed back to the system, are handed out
// and zeroed anew for the next.
constexpr std::size_t kBlocksKept = 8;

// A temporary file that is gone once closed.
struct SpillFile {
  struct Close {
    void operator()(std::FILE* opened) const { std::fclose(opened); }
  };
  std::unique_ptr<std::FILE, Close> file;
  bool failed = false;  // it could not be made or written: no more goes to it
};

// A summary's findings of one file, kept by a worker: each code once, in the order of its first
// occurrence, with how often it occurred. Replayed into the run's summary writer in file order,
// they count and order the codes as one scan after another does.
class FindingTally final : public ScanWriter {
 public:
  struct Entry {
    ScanFinding first;
    std::string text;          // first.text's bytes
    ScanAnswerPointer answer;  // first.answer, kept
    std::uint64_t count = 0;
  };

  void StartFile(std::string_view) override {}
  void Finding(const ScanFinding& finding) override {
    const Reading& reading = finding.answer->answer.reading;
    const std::size_t next = entries_.size();
    const std::size_t at = reading.kind == ReadingKind::Name
                               ? names_.try_emplace(reading.name, next).first->second
                               : numbers_.try_emplace(reading.value, next).first->second;
    if (at == next) {
      entries_.push_back(
          {finding, std::string(finding.text), finding.answer->shared_from_this(), 0});
    }
    ++entries_[at].count;
  }
  void LineEnd(std::uint64_t, std::string_view, bool) override {}

  std::vector<Entry> Take() {
    names_.clear();
    numbers_.clear();
    return std::move(entries_);
  }

 private:
  std::vector<Entry> entries_;
  std::unordered_map<std::string, std::size_t> names_;
  std::unordered_map<std::uint32_t, std::size_t> numbers_;
};

// What one slot of the pool scans: an input whole, or a piece of a large file.
struct Part {
  std::size_t input = 0;  // among the scan's inputs
  bool piece = false;
  std::uint64_t begin = 0;  // of the piece in the file
  std::uint64_t end = 0;    // of a piece before the last
  bool last = true;         // the input's last slot
};

// Cuts a file when it holds more than a quarter of a worker's share of all the bytes: fewer,
// larger files would leave workers idle at the end, where many files of a like size keep them
// as busy whole, without the cost of counting each piece's lines first.
std::vector<Part> PlanParts(const ParallelScan& scan, unsigned jobs) {
  const std::size_t pieceSize = scan.request.pieceSize;
  std::vector<std::uint64_t> sizes(scan.inputs.size(), 0);
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < scan.inputs.size(); ++i) {
    std::error_code unknown;
    if (scan.inputs[i].kind == ScanInput::Kind::File) {
      const std::uint64_t size =
          std::filesystem::file_size(SystemPath(scan.inputs[i].path), unknown);
      sizes[i] = unknown ? 0 : size;
      total += sizes[i];
    }
  }
  std::vector<Part> parts;
  for (std::size_t i = 0; i < scan.inputs.size(); ++i) {
    const ScanInput& input = scan.inputs[i];
    std::vector<std::uint64_t> starts;
    if (pieceSize != 0 && sizes[i] / 2 >= pieceSize && sizes[i] > total / (4 * jobs) &&
        !IsStandardOutput(input.path)) {
      int error = 0;
      if (const std::unique_ptr<PositionalFile> file = OpenPositionalFile(input.path, error)) {
        starts = CutAtLineEnds(*file, pieceSize);
      }
    }
    if (starts.empty()) {
      parts.push_back({i, false, 0, 0, true});
      continue;
    }
    std::uint64_t begin = 0;
    for (const std::uint64_t start : starts) {
      parts.push_back({i, true, begin, start, false});
      begin = start;
    }
    parts.push_back({i, true, begin, 0, true});
  }
  return parts;
}

// A page: a piece is read from a page boundary in the file to one in memory, which the kernel
// copies fastest.
constexpr std::size_t kPage = 4096;

// Reads the bytes from begin to end into space, from the page boundary before begin: returns
// how far into space they start, and how many there are.
std::pair<std::size_t, std::size_t> ReadPiece(PositionalFile& file, std::uint64_t begin,
                                              std::uint64_t end, std::span<char> space) {
  const std::uint64_t from = begin - begin % kPage;
  const auto skipped = static_cast<std::size_t>(begin - from);
  const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(end - from, space.size()));
  const std::size_t count = file.ReadAt(from, space.first(length));
  return {skipped, count > skipped ? count - skipped : 0};
}

class NoInput final : public ByteSource {
 public:
  std::size_t Read(std::span<char>) override { return 0; }
  bool Failed() const override { return false; }
};

class Pool {
 public:
  Pool(const ParallelScan& scan, std::vector<Part> parts)
      : scan_(scan),
        parts_(std::move(parts)),
        slots_(parts_.size()),
        linesAfter_(parts_.size(), 0) {}

  void Run(unsigned workers, ScanWriter& writer, std::ostream& out, const ReportInput& report) {
    std::vector<std::thread> threads;
    const auto joinAll = [&threads] {
      for (std::thread& thread : threads) {
        thread.join();
      }
    };
    try {
      for (unsigned i = 0; i < workers; ++i) {
        threads.emplace_back([this] { Work(); });
      }
      WriteInOrder(writer, out, report);
    } catch (...) {
      // A failed write throws (the output's exceptions end the run), as may a thread that
      // cannot be started: the workers stop and are joined before the error goes on.
      Stop();
      joinAll();
      throw;
    }
    joinAll();
  }

 private:
  struct Slot {
    SpillFile spill;                  // made, not yet written out, before the blocks
    std::vector<std::string> blocks;  // made and not yet written out
    std::size_t held = 0;             // bytes in blocks
    bool done = false;
    InputOutcome outcome;
    std::vector<FindingTally::Entry> tally;
  };

  // The output stream of a worker: its text goes to the slot of the file it scans, gathered
  // into blocks of kBlockSize bytes (and the rest at the file's end, see Hand). Handed over at
  // every flush, each 64 KiB of a scan's output took the pool's lock and woke the writer.
  class SlotBuffer final : public std::streambuf {
   public:
    explicit SlotBuffer(Pool& pool) : pool_(pool) { gathered_.reserve(kBlockSize); }
    void Use(std::size_t slot) { slot_ = slot; }
    // Hands what is gathered to the slot; false once the run stops.
    bool Hand() { return gathered_.empty() || pool_.Hold(slot_, gathered_); }

   protected:
    std::streamsize xsputn(const char* data, std::streamsize size) override {
      gathered_.append(data, static_cast<std::size_t>(size));
      return gathered_.size() < kBlockSize || Hand() ? size : 0;
    }
    int_type overflow(int_type c) override {
      if (traits_type::eq_int_type(c, traits_type::eof())) {
        return traits_type::not_eof(c);
      }
      const char byte = traits_type::to_char_type(c);
      return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
    }

   private:
    Pool& pool_;
    std::size_t slot_ = 0;
    std::string gathered_;
  };

  void Stop() {
    {
      const std::lock_guard lock(mutex_);
      stopped_ = true;
    }
    headMoved_.notify_all();
    counted_.notify_all();
  }

  // Says how many line feeds the piece in slot holds, and waits until the pieces before it
  // have said so too: returns the number of its first line, nothing once the run stops.
  std::optional<std::uint64_t> Count(std::size_t slot, std::uint64_t feeds) {
    std::unique_lock lock(mutex_);
    std::uint64_t line = 1;
    if (parts_[slot].begin != 0) {  // the piece before is the same file's
      counted_.wait(lock, [&] { return stopped_ || linesAfter_[slot - 1] != 0; });
      if (stopped_) {
        return std::nullopt;
      }
      line = linesAfter_[slot - 1];
    }
    linesAfter_[slot] = line + feeds;
    lock.unlock();
    counted_.notify_all();
    return line;
  }

  // A piece read whole (all but the last, which is read as it is scanned: nobody waits for its
  // count), its line feeds counted, then scanned once the pieces before it are counted.
  InputOutcome ScanPiece(std::size_t slot, InputScanner& scanner, ScanWriter& writer,
                         std::ostream& out) {
    const Part& part = parts_[slot];
    const ScanInput& input = scan_.inputs[part.input];
    int error = 0;
    const std::unique_ptr<PositionalFile> file = OpenPositionalFile(input.path, error);
    std::string_view text;
    std::size_t offset = 0;
    if (file && !part.last) {
      const std::span<char> space = scanner.NextSpace();
      const auto [skipped, count] = ReadPiece(*file, part.begin, part.end, space);
      text = {space.data() + skipped, count};
      offset = skipped;
      error = file->ErrorNumber();
    }
    const std::optional<std::uint64_t> line = Count(slot, CountLineFeeds(text));
    if (!line) {
      return {};
    }
    if (file && part.last) {
      PieceToEnd source(*file, part.begin);
      return scanner.ScanPiece(input, source, {*line, part.begin == 0}, writer, out);
    }
    HeldPiece source(text, error);
    return scanner.ScanPiece(input, source, {*line, part.begin == 0, offset}, writer, out);
  }

  // Takes block whole for slot, and gives a block lent back in its place (empty); false once
  // the run stops (its output cannot be written).
  bool Hold(std::size_t slot, std::string& block) {
    std::unique_lock lock(mutex_);
    Slot& held = slots_[slot];
    if (slot != head_ && held.held + block.size() > kHeldOutputLimit) {
      Spill(held);
    }
    headMoved_.wait(lock,
                    [&] { return stopped_ || slot == head_ || held.held < kHeldOutputLimit; });
    if (stopped_) {
      block.clear();
      return false;
    }
    held.held += block.size();
    held.blocks.push_back(std::move(block));
    block = Lend();
    if (slot == head_) {
      headChanged_.notify_one();
    }
    return true;
  }

  // An empty block, of one written out where there is one.
  std::string Lend() {
    std::string block;
    if (!kept_.empty()) {
      block = std::move(kept_.back());
      kept_.pop_back();
      block.clear();
    } else {
      block.reserve(kBlockSize);
    }
    return block;
  }

  void GiveBack(std::vector<std::string>& blocks) {
    for (std::string& block : blocks) {
      if (kept_.size() < kBlocksKept && block.capacity() >= kBlockSize) {
        kept_.push_back(std::move(block));
      }
    }
    blocks.clear();
  }

  // Moves a slot's blocks to its temporary file; where it cannot, they stay.
  void Spill(Slot& slot) {
    if (!slot.spill.file && !slot.spill.failed) {
      slot.spill.file.reset(std::tmpfile());
      slot.spill.failed = !slot.spill.file;
      if (slot.spill.file) {
        // Unbuffered: a write that fails says so at once, and says how much went through.
        std::setvbuf(slot.spill.file.get(), nullptr, _IONBF, 0);
      }
    }
    std::size_t spilled = 0;
    for (; spilled < slot.blocks.size() && !slot.spill.failed; ++spilled) {
      std::string& block = slot.blocks[spilled];
      const std::size_t written = std::fwrite(block.data(), 1, block.size(), slot.spill.file.get());
      slot.held -= written;
      if (written != block.size()) {
        // What the file holds is still written out first; the rest stays in memory, and waits.
        block.erase(0, written);
        slot.spill.failed = true;
        break;
      }
    }
    std::vector<std::string> written(std::make_move_iterator(slot.blocks.begin()),
                                     std::make_move_iterator(slot.blocks.begin() + spilled));
    slot.blocks.erase(slot.blocks.begin(), slot.blocks.begin() + spilled);
    GiveBack(written);
  }

  // Writes out what a slot's temporary file holds.
  static void WriteSpilled(SpillFile& spill, std::ostream& out) {
    std::FILE* const file = spill.file.get();
    if (file == nullptr || std::fseek(file, 0, SEEK_SET) != 0) {
      return;
    }
    char buffer[1 << 16];
    while (const std::size_t count = std::fread(buffer, 1, sizeof buffer, file)) {
      out.write(buffer, static_cast<std::streamsize>(count));
    }
    spill.file.reset();
  }

  void Work() {
    const AskAnswer ask = [this](const Reading& reading) {
      const std::lock_guard lock(tablesMutex_);
      return scan_.ask(reading);
    };
    const ScanRequest& request = scan_.request;
    InputScanner scanner(scan_.names, ask, scan_.setup, scan_.known);
    FindingTally* tally = nullptr;
    std::unique_ptr<ScanWriter> writer;
    if (request.layout == ScanLayout::Summary) {
      auto made = std::make_unique<FindingTally>();
      tally = made.get();
      writer = std::move(made);
    } else {
      writer = scan_.writers.Scan(ScanLayout::Lines);
    }
    SlotBuffer buffer(*this);
    std::ostream out(&buffer);
    NoInput noInput;  // standard input is never among the inputs here
    // A piece before the last is read whole into the scanner's first chunk, and split there.
    scanner.ReadInChunksOf(request.pieceSize + kLineEndSearch + kPage);
    for (std::size_t slot = next_++; slot < slots_.size(); slot = next_++) {
      const ScanInput& input = scan_.inputs[parts_[slot].input];
      buffer.Use(slot);
      writer->StartFile(scan_.nameFiles ? input.path : std::string());
      InputOutcome outcome = parts_[slot].piece ? ScanPiece(slot, scanner, *writer, out)
                                                : scanner.Scan(input, noInput, *writer, out);
      writer->Flush(EmitTo(out));
      buffer.Hand();  // a run that stopped is told below
      std::lock_guard lock(mutex_);
      Slot& done = slots_[slot];
      done.outcome = std::move(outcome);
      if (tally != nullptr) {
        done.tally = tally->Take();
      }
      done.done = true;
      if (slot == head_) {
        headChanged_.notify_one();
      }
      if (stopped_) {
        break;
      }
    }
  }

  void WriteInOrder(ScanWriter& writer, std::ostream& out, const ReportInput& report) {
    InputOutcome outcome;   // of the input's slots written so far
    bool dropping = false;  // a piece of the input could not be read: what follows it is not
    std::unique_lock lock(mutex_);
    while (head_ < slots_.size()) {
      headChanged_.wait(lock, [&] {
        return slots_[head_].done || !slots_[head_].blocks.empty() || slots_[head_].spill.file;
      });
      Slot& slot = slots_[head_];
      const Part& part = parts_[head_];
      // Nothing is spilled once a slot is at the head: its file comes before any text.
      SpillFile spilled = std::move(slot.spill);
      slot.spill = SpillFile{};
      std::vector<std::string> blocks = std::move(slot.blocks);
      slot.blocks.clear();
      slot.held = 0;
      const bool done = slot.done;
      lock.unlock();
      headMoved_.notify_all();  // room for the worker of this slot
      if (!dropping) {
        WriteSpilled(spilled, out);
        for (const std::string& block : blocks) {
          out.write(block.data(), static_cast<std::streamsize>(block.size()));
        }
      }
      if (done) {
        const ScanInput& input = scan_.inputs[part.input];
        if (!dropping) {
          writer.StartFile(scan_.nameFiles ? input.path : std::string());
          for (const FindingTally::Entry& entry : slot.tally) {
            ScanFinding finding = entry.first;
            finding.text = entry.text;
            writer.Findings(finding, entry.count);
          }
          writer.Flush(EmitTo(out));
          Add(outcome, slot.outcome);
          dropping = !slot.outcome.problem.empty();
        }
        if (part.last) {
          report(input, outcome);
          outcome = InputOutcome{};
          dropping = false;
        }
        slot = Slot{};
      }
      lock.lock();
      GiveBack(blocks);
      if (!out) {
        stopped_ = true;
        headMoved_.notify_all();
        counted_.notify_all();
        return;
      }
      if (done) {
        ++head_;
        headMoved_.notify_all();
      }
    }
  }

  // The outcome of an input's pieces, one after another.
  static void Add(InputOutcome& outcome, const InputOutcome& piece) {
    outcome.found = outcome.found || piece.found;
    outcome.binary = outcome.binary || piece.binary;
    if (outcome.problem.empty()) {
      outcome.problem = piece.problem;
    }
    if (outcome.note.empty()) {
      outcome.note = piece.note;
    }
  }

  const ParallelScan& scan_;
  const std::vector<Part> parts_;  // what each slot scans
  std::mutex tablesMutex_;
  std::mutex mutex_;                     // guards what follows
  std::condition_variable headChanged_;  // the slot at head_ has text or is done
  std::condition_variable headMoved_;    // head_ moved, its text was taken, or the run stopped
  std::condition_variable counted_;      // the line after a piece is known
  std::vector<Slot> slots_;
  // The number of the line after each piece, once it and the pieces before it are counted;
  // 0 until then.
  std::vector<std::uint64_t> linesAfter_;
  std::vector<std::string> kept_;  // blocks written out, to be lent again
  std::size_t head_ = 0;
  bool stopped_ = false;
  std::atomic<std::size_t> next_ = 0;
};

}  // namespace

bool ScanInParallel(const ParallelScan& scan, ScanWriter& writer, std::ostream& out,
                    const ReportInput& report) {
  const unsigned jobs = ScanJobs(scan.request);
  const auto& inputs = scan.inputs;
  const bool standardInput = std::any_of(inputs.begin(), inputs.end(), [](const ScanInput& input) {
    return input.kind == ScanInput::Kind::StandardInput;
  });
  if (jobs < 2 || standardInput) {
    return false;
  }
  std::vector<Part> parts = PlanParts(scan, jobs);
  if (parts.size() < 2) {
    return false;
  }
  const auto workers = static_cast<unsigned>(std::min<std::size_t>(jobs, parts.size()));
  Pool(scan, std::move(parts)).Run(workers, writer, out, report);
  return true;
}

unsigned DefaultScanJobs() {
  return std::max(1u, std::thread::hardware_concurrency());
}

#else  // a platform without threads (mingw's win32 thread model): one file after another

bool ScanInParallel(const ParallelScan&, ScanWriter&, std::ostream&, const ReportInput&) {
  return false;
}

unsigned DefaultScanJobs() {
  return 1;
}

#endif

}  // namespace quillon
