// The message-table DLLs the build made for these tests (tests/unit/message_files).
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace quillon {

inline std::filesystem::path TestMessageFile(const std::string& name) {
  return std::filesystem::path(QUILLON_TEST_MESSAGE_FILES) / name;
}

inline std::string ReadTestMessageFile(const std::string& name) {
  std::ifstream in(TestMessageFile(name), std::ios::binary);
  if (!in) {
    throw std::runtime_error(name + " is missing: build the message_files target");
  }
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace quillon
