// The pixels a user sees of a window: copied from the screen, so they are the program's own
// painting (no fonts or brushes of another process can be inspected directly).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

class Pixels {
 public:
  // The window's client area as it is on the screen now. The window is repainted first.
  static Pixels CaptureClient(HWND window);

  int Width() const { return width_; }
  int Height() const { return height_; }
  COLORREF At(int x, int y) const;
  // Leftmost and rightmost column in rect holding a pixel darker than the threshold (0..255
  // luminance); {-1, -1} when there is none.
  std::pair<int, int> InkColumns(const RECT& rect, int threshold = 128) const;
  // Writes a 24-bit BMP, for looking at a failure.
  bool SaveBmp(const std::string& path) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<COLORREF> pixels_;  // row by row from the top, 0x00BBGGRR
};

// Saves the picture as NAME.bmp in the directory that E2E_ARTIFACTS names (run-e2e sets it)
// and prints where, so a failure can be looked at; does nothing without that variable.
void KeepForInspection(const Pixels& shot, const std::string& name);

}  // namespace e2e
