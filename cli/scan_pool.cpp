#include "cli/scan_pool.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <ostream>

#if QUILLON_SCAN_THREADS
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <streambuf>
#include <thread>
#include <unordered_map>
#endif

namespace quillon {

#if QUILLON_SCAN_THREADS

namespace {

// Output a worker holds in memory for a file that is not yet being written out; past it, the
// output goes to a temporary file (or, where none can be made, the worker waits). Large enough
// that a log's findings seldom make the round trip through the file, which costs the writes
// and reads of it while the other workers wait for the lock.
constexpr std::size_t kHeldOutputLimit = 1 << 23;
// Buffers of that size kept for reuse once written out (see Pool::written_).
constexpr std::size_t kWrittenKept = 4;

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
    std::string text;  // first.text's bytes
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
      entries_.push_back({finding, std::string(finding.text), 0});
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

class NoInput final : public ByteSource {
 public:
  std::size_t Read(std::span<char>) override { return 0; }
  bool Failed() const override { return false; }
};

class Pool {
 public:
  explicit Pool(const ParallelScan& scan) : scan_(scan), slots_(scan.inputs.size()) {}

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
    SpillFile spill;   // made, not yet written out, before text
    std::string text;  // made and not yet written out
    bool done = false;
    InputOutcome outcome;
    std::vector<FindingTally::Entry> tally;
  };

  // The output stream of a worker: its text goes to the slot of the file it scans, gathered
  // into pieces of kGathered bytes (and the rest at the file's end, see Hand). Handed over at
  // every flush, each 64 KiB of a scan's output took the pool's lock and woke the writer.
  class SlotBuffer final : public std::streambuf {
   public:
    static constexpr std::size_t kGathered = 1 << 20;

    explicit SlotBuffer(Pool& pool) : pool_(pool) { gathered_.reserve(kGathered); }
    void Use(std::size_t slot) { slot_ = slot; }
    // Hands what is gathered to the slot; false once the run stops.
    bool Hand() {
      const bool held = gathered_.empty() || pool_.Hold(slot_, gathered_);
      gathered_.clear();
      return held;
    }

   protected:
    std::streamsize xsputn(const char* data, std::streamsize size) override {
      gathered_.append(data, static_cast<std::size_t>(size));
      return gathered_.size() < kGathered || Hand() ? size : 0;
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
  }

  // False once the run stops (its output cannot be written).
  bool Hold(std::size_t slot, std::string_view text) {
    std::unique_lock lock(mutex_);
    Slot& held = slots_[slot];
    if (slot != head_ && held.text.size() + text.size() > kHeldOutputLimit && Spill(held)) {
      held.text.clear();
    }
    headMoved_.wait(
        lock, [&] { return stopped_ || slot == head_ || held.text.size() < kHeldOutputLimit; });
    if (stopped_) {
      return false;
    }
    if (held.text.size() + text.size() > held.text.capacity()) {
      Enlarge(held.text, text.size());
    }
    held.text += text;
    if (slot == head_) {
      headChanged_.notify_one();
    }
    return true;
  }

  // Gives held room for more bytes: a buffer written out before where there is one, else one of
  // the limit's size at once rather than by doublings, each of which copies and touches new pages.
  void Enlarge(std::string& held, std::size_t more) {
    std::string larger;
    if (!written_.empty()) {
      larger = std::move(written_.back());
      written_.pop_back();
    }
    larger.reserve(std::max(kHeldOutputLimit, held.size() + more));
    larger.assign(held);
    held.swap(larger);
  }

  // Moves a slot's text to its temporary file; false when it cannot.
  static bool Spill(Slot& slot) {
    if (!slot.spill.file && !slot.spill.failed) {
      slot.spill.file.reset(std::tmpfile());
      slot.spill.failed = !slot.spill.file;
      if (slot.spill.file) {
        // Unbuffered: a write that fails says so at once, and says how much went through.
        std::setvbuf(slot.spill.file.get(), nullptr, _IONBF, 0);
      }
    }
    if (slot.spill.failed) {
      return false;
    }
    const std::size_t written =
        std::fwrite(slot.text.data(), 1, slot.text.size(), slot.spill.file.get());
    if (written != slot.text.size()) {
      // What the file holds is still written out first; the rest stays in memory, and waits.
      slot.text.erase(0, written);
      slot.spill.failed = true;
      return false;
    }
    return true;
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
    for (std::size_t slot = next_++; slot < slots_.size(); slot = next_++) {
      const ScanInput& input = scan_.inputs[slot];
      buffer.Use(slot);
      writer->StartFile(scan_.nameFiles ? input.path : std::string());
      InputOutcome outcome = scanner.Scan(input, noInput, *writer, out);
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
    std::unique_lock lock(mutex_);
    while (head_ < slots_.size()) {
      headChanged_.wait(lock, [&] {
        return slots_[head_].done || !slots_[head_].text.empty() || slots_[head_].spill.file;
      });
      Slot& slot = slots_[head_];
      // Nothing is spilled once a slot is at the head: its file comes before any text.
      SpillFile spilled = std::move(slot.spill);
      slot.spill = SpillFile{};
      std::string text = std::move(slot.text);
      slot.text.clear();
      const bool done = slot.done;
      lock.unlock();
      headMoved_.notify_all();  // room for the worker of this slot
      WriteSpilled(spilled, out);
      out.write(text.data(), static_cast<std::streamsize>(text.size()));
      text.clear();
      if (done) {
        const ScanInput& input = scan_.inputs[head_];
        writer.StartFile(scan_.nameFiles ? input.path : std::string());
        for (const FindingTally::Entry& entry : slot.tally) {
          ScanFinding finding = entry.first;
          finding.text = entry.text;
          writer.Findings(finding, entry.count);
        }
        writer.Flush(EmitTo(out));
        report(input, slot.outcome);
        slot = Slot{};
      }
      lock.lock();
      if (text.capacity() >= kHeldOutputLimit && written_.size() < kWrittenKept) {
        written_.push_back(std::move(text));
      }
      if (!out) {
        stopped_ = true;
        headMoved_.notify_all();
        return;
      }
      if (done) {
        ++head_;
        headMoved_.notify_all();
      }
    }
  }

  const ParallelScan& scan_;
  std::mutex tablesMutex_;
  std::mutex mutex_;                     // guards what follows
  std::condition_variable headChanged_;  // the slot at head_ has text or is done
  std::condition_variable headMoved_;    // head_ moved, its text was taken, or the run stopped
  std::vector<Slot> slots_;
  // Buffers written out, lent again to the slots: a log's findings fill a buffer of megabytes,
  // whose pages the system would otherwise hand out and zero anew for every file.
  std::vector<std::string> written_;
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
  if (jobs < 2 || inputs.size() < 2 || standardInput) {
    return false;
  }
  Pool(scan).Run(static_cast<unsigned>(std::min<std::size_t>(jobs, inputs.size())), writer, out,
                 report);
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
