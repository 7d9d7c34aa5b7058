#include "screen.h"

#include <cstring>

#include "owned.h"

namespace uidriver {

namespace {
// Larger captures are refused, which also bounds the buffers.
const int kMaxSide = 8192;
}  // namespace

bool CaptureScreen(const RECT& area, Image* image) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;

  WindowDc screen(nullptr);
  UniqueMemoryDc memory(::CreateCompatibleDC(screen.get()));
  if (screen.get() == nullptr || !memory) return false;
  BITMAPINFO format = {};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;  // top-down rows
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueGdiObject bitmap(
      ::CreateDIBSection(memory.get(), &format, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || bits == nullptr) return false;
  HGDIOBJ previous = ::SelectObject(memory.get(), bitmap.get());
  const BOOL copied =
      ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY);
  ::GdiFlush();
  ::SelectObject(memory.get(), previous);
  if (!copied) return false;

  image->width = width;
  image->height = height;
  const auto* source = static_cast<const uint32_t*>(bits);
  image->pixels.assign(source, source + static_cast<size_t>(width) * height);
  for (uint32_t& pixel : image->pixels) pixel &= 0x00FFFFFF;
  return true;
}

bool SaveBitmap(const Image& image, const std::wstring& path) {
  if (image.width <= 0 || image.height <= 0) return false;
  const DWORD rowBytes = (static_cast<DWORD>(image.width) * 3 + 3) & ~3u;
  const DWORD imageBytes = rowBytes * image.height;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + imageBytes;
  info.biSize = sizeof info;
  info.biWidth = image.width;
  info.biHeight = -image.height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = imageBytes;

  std::vector<BYTE> data(file.bfSize, 0);
  memcpy(&data[0], &file, sizeof file);
  memcpy(&data[sizeof file], &info, sizeof info);
  for (int y = 0; y < image.height; ++y) {
    BYTE* row = &data[file.bfOffBits + static_cast<size_t>(y) * rowBytes];
    for (int x = 0; x < image.width; ++x) {
      const uint32_t pixel = image.At(x, y);
      row[x * 3 + 0] = static_cast<BYTE>(pixel);
      row[x * 3 + 1] = static_cast<BYTE>(pixel >> 8);
      row[x * 3 + 2] = static_cast<BYTE>(pixel >> 16);
    }
  }

  UniqueHandle out(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out) return false;
  DWORD written = 0;
  return ::WriteFile(out.get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
         written == data.size();
}

size_t CountPixels(const Image& image, uint32_t colour) {
  size_t count = 0;
  for (uint32_t pixel : image.pixels)
    if (pixel == colour) ++count;
  return count;
}

}  // namespace uidriver
