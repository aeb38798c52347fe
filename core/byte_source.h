// Where the command line reads its input: a file, a pipe or a terminal, read as bytes arrive.
#pragma once

#include <cerrno>
#include <cstddef>
#include <istream>
#include <span>

namespace quillon {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Fills the start of space with what can be read, waiting only while nothing can; 0 at the
  // end of the input or on failure.
  virtual std::size_t Read(std::span<char> space) = 0;
  virtual bool Failed() const = 0;
  // errno's value for the failed read (EIO when the system gave none).
  virtual int ErrorNumber() const { return EIO; }
};

// Reads from a source into a place while its caller goes on (on another thread): one read at a
// time, each Start followed by a Wait before the place is looked at or the next Start.
class ReadAhead {
 public:
  virtual ~ReadAhead() = default;
  virtual void Start(ByteSource& source, std::span<char> space) = 0;
  // What the source's Read returned.
  virtual std::size_t Wait() = 0;
};

// A stream read in whole pieces: files, and the tests' texts.
class StreamSource final : public ByteSource {
 public:
  explicit StreamSource(std::istream& in) : in_(in) {}
  std::size_t Read(std::span<char> space) override {
    errno = 0;
    in_.read(space.data(), static_cast<std::streamsize>(space.size()));
    if (in_.bad() && error_ == 0) {
      error_ = errno != 0 ? errno : EIO;
    }
    return static_cast<std::size_t>(in_.gcount());
  }
  bool Failed() const override { return in_.bad(); }
  int ErrorNumber() const override { return error_; }

 private:
  std::istream& in_;
  int error_ = 0;
};

}  // namespace quillon
