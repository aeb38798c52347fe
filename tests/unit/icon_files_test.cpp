// The committed icon files carry the sizes and colour depths that the program loads.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

struct IconImage {
  int size;
  int bitsPerPixel;
};

std::uint32_t Read(const std::vector<unsigned char>& data, std::size_t at, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) {
    value = value << 8 | data.at(at + static_cast<std::size_t>(i));
  }
  return value;
}

// The images an .ico file holds, checked against the bitmap header of each; fails the test on
// a malformed file.
std::vector<IconImage> ReadIcon(const std::string& name) {
  const std::string path = std::string(QUILLON_ICON_DIR) + "/" + name;
  std::ifstream file(path, std::ios::binary);
  EXPECT_TRUE(file.good()) << path;
  const std::vector<unsigned char> data{std::istreambuf_iterator<char>(file), {}};
  std::vector<IconImage> images;
  if (data.size() < 6 || Read(data, 0, 2) != 0 || Read(data, 2, 2) != 1) {
    ADD_FAILURE() << path << " is not an icon file";
    return images;
  }
  const std::uint32_t count = Read(data, 4, 2);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t entry = 6 + 16 * i;
    const int width = static_cast<int>(Read(data, entry, 1));
    const int height = static_cast<int>(Read(data, entry + 1, 1));
    const int bits = static_cast<int>(Read(data, entry + 6, 2));
    const std::uint32_t length = Read(data, entry + 8, 4);
    const std::uint32_t offset = Read(data, entry + 12, 4);
    EXPECT_EQ(width, height) << name << " image " << i;
    EXPECT_LE(std::size_t{offset} + length, data.size()) << name << " image " << i;
    // The bitmap header: its own width, twice the height (colour and mask), the same depth.
    EXPECT_EQ(40u, Read(data, offset, 4)) << name << " image " << i;
    EXPECT_EQ(static_cast<std::uint32_t>(width), Read(data, offset + 4, 4));
    EXPECT_EQ(static_cast<std::uint32_t>(2 * height), Read(data, offset + 8, 4));
    EXPECT_EQ(static_cast<std::uint32_t>(bits), Read(data, offset + 14, 2));
    images.push_back({width, bits});
  }
  return images;
}

TEST(IconFiles, HoldTheSizesAndDepthsTheProgramLoads) {
  const std::vector<std::pair<const char*, std::vector<std::pair<int, int>>>> expected = {
      {"app.ico", {{32, 32}, {32, 8}, {16, 32}, {16, 8}}},
      {"info.ico", {{16, 24}, {16, 32}}},
      {"expand.ico", {{16, 4}}},
      {"collapse.ico", {{16, 4}}},
      {"pinned.ico", {{16, 4}}},
      {"unpinned.ico", {{16, 4}}},
  };
  for (const auto& [name, images] : expected) {
    SCOPED_TRACE(name);
    std::vector<std::pair<int, int>> actual;
    for (const IconImage& image : ReadIcon(name)) {
      actual.emplace_back(image.size, image.bitsPerPixel);
    }
    EXPECT_EQ(images, actual);
  }
}

}  // namespace
