#include "cli/read_ahead.h"

#if QUILLON_SCAN_THREADS
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>
#endif

namespace quillon {

#if QUILLON_SCAN_THREADS

namespace {

// One thread, started once and asked for one read at a time.
class ThreadReadAhead final : public ReadAhead {
 public:
  ThreadReadAhead() : thread_([this] { Work(); }) {}
  ThreadReadAhead(const ThreadReadAhead&) = delete;
  ThreadReadAhead& operator=(const ThreadReadAhead&) = delete;
  // No read is under way: each Start had its Wait.
  ~ThreadReadAhead() override {
    {
      const std::lock_guard lock(mutex_);
      quit_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  void Start(ByteSource& source, std::span<char> space) override {
    {
      const std::lock_guard lock(mutex_);
      source_ = &source;
      space_ = space;
      state_ = State::Asked;
    }
    changed_.notify_all();
  }

  // What the read threw is thrown here, on the scan's thread.
  std::size_t Wait() override {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return state_ == State::Done; });
    state_ = State::Idle;
    if (failure_) {
      std::rethrow_exception(std::exchange(failure_, nullptr));
    }
    return count_;
  }

 private:
  enum class State { Idle, Asked, Done };

  void Work() {
    std::unique_lock lock(mutex_);
    while (true) {
      changed_.wait(lock, [this] { return state_ == State::Asked || quit_; });
      if (quit_) {
        return;
      }
      ByteSource* const source = source_;
      const std::span<char> space = space_;
      lock.unlock();
      std::size_t count = 0;
      std::exception_ptr failure;
      try {
        count = source->Read(space);
      } catch (...) {
        failure = std::current_exception();
      }
      lock.lock();
      count_ = count;
      failure_ = failure;
      state_ = State::Done;
      changed_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  State state_ = State::Idle;
  bool quit_ = false;
  ByteSource* source_ = nullptr;
  std::span<char> space_;
  std::size_t count_ = 0;
  std::exception_ptr failure_;
  std::thread thread_;  // last: it starts once the rest is made
};

}  // namespace

std::unique_ptr<ReadAhead> MakeThreadReadAhead() {
  return std::make_unique<ThreadReadAhead>();
}

#else

std::unique_ptr<ReadAhead> MakeThreadReadAhead() {
  return nullptr;
}

#endif

}  // namespace quillon
