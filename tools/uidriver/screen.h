// What is on the screen: a rectangle of it copied into memory, to look at its
// pixels or to keep as a picture.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace uidriver {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // rows top to bottom, 0x00RRGGBB

  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Copies `area` (screen coordinates) of the screen.
bool CaptureScreen(const RECT& area, Image* image);

// Writes the image as a 24-bit BMP file.
bool SaveBitmap(const Image& image, const std::wstring& path);

// How many pixels of the image have exactly this colour.
size_t CountPixels(const Image& image, uint32_t colour);

}  // namespace uidriver
