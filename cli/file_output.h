// An output stream buffer over a C file that keeps the system's reason for a failed write:
// std::ostream keeps only that it failed.
#pragma once

#include <cstdio>
#include <streambuf>
#include <system_error>

namespace quillon {

class FileOutputBuffer final : public std::streambuf {
 public:
  // file stays owned by the caller; writes go through its own buffer.
  explicit FileOutputBuffer(std::FILE* file) : file_(file) {}
  // The first failed write's reason; empty while every write went through.
  std::error_code Error() const { return error_; }

 protected:
  std::streamsize xsputn(const char* data, std::streamsize size) override;
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  void Fail();

  std::FILE* file_;
  std::error_code error_;
};

}  // namespace quillon
