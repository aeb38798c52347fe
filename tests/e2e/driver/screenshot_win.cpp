#include "driver/screenshot_win.h"

#include <cstdint>
#include <cstdio>
#include <fstream>

#include "driver/windows_win.h"

namespace e2e {

Pixels Pixels::CaptureClient(HWND window) {
  // RDW_UPDATENOW sends WM_PAINT before returning, also across processes.
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Send(window, WM_NULL, 0, 0);

  RECT client{};
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);

  Pixels shot;
  shot.width_ = client.right;
  shot.height_ = client.bottom;
  if (shot.width_ <= 0 || shot.height_ <= 0) {
    return shot;
  }
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, shot.width_, shot.height_);
  const HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, shot.width_, shot.height_, screen, origin.x, origin.y, SRCCOPY);
  SelectObject(memory, previous);

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = shot.width_;
  info.bmiHeader.biHeight = -shot.height_;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> bgrx(static_cast<size_t>(shot.width_) * shot.height_);
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(shot.height_), bgrx.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  shot.pixels_.reserve(bgrx.size());
  for (const std::uint32_t pixel : bgrx) {
    shot.pixels_.push_back(RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF));
  }
  return shot;
}

COLORREF Pixels::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) {
    return CLR_INVALID;
  }
  return pixels_[static_cast<size_t>(y) * width_ + x];
}

std::pair<int, int> Pixels::InkColumns(const RECT& rect, int threshold) const {
  int first = -1;
  int last = -1;
  for (int x = rect.left; x < rect.right; ++x) {
    for (int y = rect.top; y < rect.bottom; ++y) {
      const COLORREF pixel = At(x, y);
      if (pixel == CLR_INVALID) {
        continue;
      }
      const int luminance =
          (GetRValue(pixel) * 299 + GetGValue(pixel) * 587 + GetBValue(pixel) * 114) / 1000;
      if (luminance < threshold) {
        if (first < 0) {
          first = x;
        }
        last = x;
        break;
      }
    }
  }
  return {first, last};
}

bool Pixels::SaveBmp(const std::string& path) const {
  const int rowBytes = (width_ * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width_;
  header.biHeight = height_;  // bottom-up, as BMP files usually are
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(rowBytes * height_);

  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  std::vector<char> row(static_cast<size_t>(rowBytes));
  for (int y = height_ - 1; y >= 0; --y) {
    for (int x = 0; x < width_; ++x) {
      const COLORREF pixel = At(x, y);
      row[static_cast<size_t>(x) * 3] = static_cast<char>(GetBValue(pixel));
      row[static_cast<size_t>(x) * 3 + 1] = static_cast<char>(GetGValue(pixel));
      row[static_cast<size_t>(x) * 3 + 2] = static_cast<char>(GetRValue(pixel));
    }
    out.write(row.data(), rowBytes);
  }
  return static_cast<bool>(out);
}

void KeepForInspection(const Pixels& shot, const std::string& name) {
  char directory[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA("E2E_ARTIFACTS", directory, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    return;
  }
  CreateDirectoryA(directory, nullptr);
  const std::string path = std::string(directory) + "\\" + name + ".bmp";
  if (shot.SaveBmp(path)) {
    std::printf("picture kept: %s\n", path.c_str());
  }
}

}  // namespace e2e
