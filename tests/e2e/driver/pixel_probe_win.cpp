#include "driver/pixel_probe_win.h"

#include <cstdint>
#include <vector>

namespace e2e {

std::optional<COLORREF> UniformColour(HWND window, const RECT& rect) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) {
    return std::nullopt;
  }
  POINT origin{rect.left, rect.top};
  ClientToScreen(window, &origin);

  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  const HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
  SelectObject(memory, previous);

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> bgrx(static_cast<size_t>(width) * static_cast<size_t>(height));
  const int rows =
      GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), bgrx.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  if (rows != height) {
    return std::nullopt;
  }
  const std::uint32_t first = bgrx.front() & 0xFFFFFFu;
  for (const std::uint32_t pixel : bgrx) {
    if ((pixel & 0xFFFFFFu) != first) {
      return std::nullopt;
    }
  }
  return RGB((first >> 16) & 0xFF, (first >> 8) & 0xFF, first & 0xFF);
}

RECT RightEndOfClient(HWND edit) {
  RECT client{};
  GetClientRect(edit, &client);
  return {client.right - 48, client.top + 3, client.right - 8, client.bottom - 3};
}

}  // namespace e2e
