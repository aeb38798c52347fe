// Where the command line reads its input: a file, a pipe or a terminal, read as bytes arrive.
#pragma once

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
};

// A stream read in whole pieces: files, and the tests' texts.
class StreamSource final : public ByteSource {
 public:
  explicit StreamSource(std::istream& in) : in_(in) {}
  std::size_t Read(std::span<char> space) override {
    in_.read(space.data(), static_cast<std::streamsize>(space.size()));
    return static_cast<std::size_t>(in_.gcount());
  }
  bool Failed() const override { return in_.bad(); }

 private:
  std::istream& in_;
};

}  // namespace quillon
