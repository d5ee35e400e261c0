#include "tray_icons.h"

#include <cstdint>

namespace kx::tray {

namespace {

constexpr int kSize = 16;

// The keyboard: 1 for the body, 2 for key caps, 0 for transparent.
int Cell(int x, int y) {
  if (y < 4 || y > 12 || x < 1 || x > 14) return 0;
  const bool edge = y == 4 || y == 12 || x == 1 || x == 14;
  if (edge) return ((x == 1 || x == 14) && (y == 4 || y == 12)) ? 0 : 1;  // rounded corners
  const bool keyRow = y == 6 || y == 8 || (y == 10 && x >= 4 && x <= 11);
  return keyRow && (x % 2 == 1 || y == 10) ? 2 : 1;
}

}  // namespace

::HICON MakeKeyboardIcon(::COLORREF colour) {
  BITMAPV5HEADER header{};
  header.bV5Size = sizeof(header);
  header.bV5Width = kSize;
  header.bV5Height = -kSize;  // top-down
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5RedMask = 0x00FF0000;
  header.bV5GreenMask = 0x0000FF00;
  header.bV5BlueMask = 0x000000FF;
  header.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP colourBitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header),
                                          DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (colourBitmap == nullptr) return nullptr;
  auto* pixels = static_cast<std::uint32_t*>(bits);
  const std::uint32_t body = 0xFF000000u | (static_cast<std::uint32_t>(GetRValue(colour)) << 16) |
                             (static_cast<std::uint32_t>(GetGValue(colour)) << 8) |
                             GetBValue(colour);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const int cell = Cell(x, y);
      pixels[y * kSize + x] = cell == 0 ? 0u : cell == 1 ? body : 0xFFFFFFFFu;
    }
  }
  HBITMAP mask = CreateBitmap(kSize, kSize, 1, 1, nullptr);
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmColor = colourBitmap;
  info.hbmMask = mask;
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(colourBitmap);
  if (mask != nullptr) DeleteObject(mask);
  return icon;
}

}  // namespace kx::tray
