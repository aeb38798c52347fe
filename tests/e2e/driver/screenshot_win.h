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
  // An icon drawn as a static control draws it: at its own size over a background colour.
  static Pixels OfIcon(HICON icon, int size, COLORREF background);

  // The part inside rect (clipped to the picture).
  Pixels Crop(const RECT& rect) const;
  // Pixels that differ, counting every pixel of a size mismatch.
  int Differences(const Pixels& other) const;

  int Width() const { return width_; }
  int Height() const { return height_; }
  COLORREF At(int x, int y) const;
  // Leftmost and rightmost column in rect holding a pixel darker than the threshold (0..255
  // luminance); {-1, -1} when there is none.
  std::pair<int, int> InkColumns(const RECT& rect, int threshold = 128) const;
  // Writes a 24-bit BMP, for looking at a failure.
  bool SaveBmp(const std::string& path) const;

 private:
  // The client area's pixels on the screen as they are, without waiting for a repaint.
  static Pixels GrabClient(HWND window);
  // The bitmap selected into nothing, read as top-down 0x00BBGGRR rows.
  static Pixels FromBitmap(HDC dc, HBITMAP bitmap, int width, int height);

  int width_ = 0;
  int height_ = 0;
  std::vector<COLORREF> pixels_;  // row by row from the top, 0x00BBGGRR
};

// Loads icon resource id of a program file (read as data, not run), as LoadImageA with flags.
// The caller destroys it.
HICON LoadProgramIcon(const std::string& program, int id, int size, UINT flags);

// How many pixels of the icon static control differ from icon resource id of program drawn
// over the button face colour, as the control should show it; 0 is a match. A difference keeps
// both pictures for inspection unless the caller expects one.
int IconDifferences(HWND control, const std::string& program, int id, UINT flags,
                    bool keepIfDifferent = true);

// Saves the picture as NAME.bmp in the directory that E2E_ARTIFACTS names (run-e2e sets it)
// and prints where, so a failure can be looked at; does nothing without that variable.
void KeepForInspection(const Pixels& shot, const std::string& name);

}  // namespace e2e
