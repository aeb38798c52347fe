#include "cli/file_output.h"

#include "cli/system_reason.h"

namespace quillon {

std::streamsize FileOutputBuffer::xsputn(const char* data, std::streamsize size) {
  if (error_ || size <= 0) {
    return 0;
  }
  errno = 0;
  const std::size_t written = std::fwrite(data, 1, static_cast<std::size_t>(size), file_);
  if (written != static_cast<std::size_t>(size)) {
    Fail();
  }
  return static_cast<std::streamsize>(written);
}

FileOutputBuffer::int_type FileOutputBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) {
    return traits_type::not_eof(c);
  }
  const char byte = traits_type::to_char_type(c);
  return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

int FileOutputBuffer::sync() {
  if (!error_) {
    errno = 0;
    if (std::fflush(file_) != 0) {
      Fail();
    }
  }
  return error_ ? -1 : 0;
}

void FileOutputBuffer::Fail() {
  if (!error_) {
    error_ = std::error_code(FailedCallError(), std::generic_category());
  }
}

}  // namespace quillon
