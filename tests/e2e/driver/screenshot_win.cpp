#include "driver/screenshot_win.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <utility>

#include "driver/windows_win.h"

namespace e2e {

Pixels Pixels::CaptureClient(HWND window) {
  // RDW_UPDATENOW sends WM_PAINT before returning, also across processes.
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Send(window, WM_NULL, 0, 0);
  // Wine copies a window's painting to the screen when the painting thread next goes idle,
  // which can be after it has answered: the picture counts once two grabs apart agree.
  Pixels shot = GrabClient(window);
  for (int tries = 0; tries < 50; ++tries) {
    Sleep(20);
    Pixels next = GrabClient(window);
    if (next.Differences(shot) == 0) {
      return next;
    }
    shot = std::move(next);
  }
  return shot;
}

Pixels Pixels::GrabClient(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);

  const int width = client.right;
  const int height = client.bottom;
  if (width <= 0 || height <= 0) {
    return {};
  }
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  const HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
  SelectObject(memory, previous);

  Pixels shot = FromBitmap(memory, bitmap, width, height);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return shot;
}

Pixels Pixels::OfIcon(HICON icon, int size, COLORREF background) {
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
  const HGDIOBJ previous = SelectObject(memory, bitmap);
  const HBRUSH brush = CreateSolidBrush(background);
  const RECT all{0, 0, size, size};
  FillRect(memory, &all, brush);
  DeleteObject(brush);
  DrawIconEx(memory, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  SelectObject(memory, previous);
  Pixels picture = FromBitmap(memory, bitmap, size, size);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return picture;
}

Pixels Pixels::FromBitmap(HDC dc, HBITMAP bitmap, int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> bgrx(static_cast<size_t>(width) * height);
  GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), bgrx.data(), &info, DIB_RGB_COLORS);

  Pixels picture;
  picture.width_ = width;
  picture.height_ = height;
  picture.pixels_.reserve(bgrx.size());
  for (const std::uint32_t pixel : bgrx) {
    picture.pixels_.push_back(RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF));
  }
  return picture;
}

Pixels Pixels::Crop(const RECT& rect) const {
  Pixels part;
  const int left = std::max<int>(0, rect.left);
  const int top = std::max<int>(0, rect.top);
  const int right = std::min<int>(width_, rect.right);
  const int bottom = std::min<int>(height_, rect.bottom);
  if (right <= left || bottom <= top) {
    return part;
  }
  part.width_ = right - left;
  part.height_ = bottom - top;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      part.pixels_.push_back(At(x, y));
    }
  }
  return part;
}

int Pixels::Differences(const Pixels& other) const {
  if (width_ != other.width_ || height_ != other.height_) {
    return std::max(width_ * height_, other.width_ * other.height_);
  }
  int differences = 0;
  for (size_t i = 0; i < pixels_.size(); ++i) {
    differences += pixels_[i] != other.pixels_[i];
  }
  return differences;
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

HICON LoadProgramIcon(const std::string& program, int id, int size, UINT flags) {
  const HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) {
    return nullptr;
  }
  // Without LR_SHARED the icon is a copy that outlives the module.
  const auto icon = static_cast<HICON>(
      LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, flags & ~LR_SHARED));
  FreeLibrary(module);
  return icon;
}

int IconDifferences(HWND control, const std::string& program, int id, UINT flags,
                    bool keepIfDifferent) {
  const HICON icon = LoadProgramIcon(program, id, 16, flags);
  if (icon == nullptr) {
    return 16 * 16;
  }
  const Pixels expected = Pixels::OfIcon(icon, 16, GetSysColor(COLOR_BTNFACE));
  DestroyIcon(icon);
  const Pixels shown = Pixels::CaptureClient(GetParent(control)).Crop(DescribeWindow(control).rect);
  const int differences = expected.Differences(shown);
  if (differences != 0 && keepIfDifferent) {
    KeepForInspection(shown, "icon-" + std::to_string(id) + "-shown");
    KeepForInspection(expected, "icon-" + std::to_string(id) + "-expected");
  }
  return differences;
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
