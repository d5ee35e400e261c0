// Drawing on GDI, and picture decoding with OleLoadPicture.
#pragma once

#include "platform/graphics.h"

namespace kx::win32 {

class Win32Graphics final : public Graphics {
 public:
  HDC GetDC(HWND window) override;
  int ReleaseDC(HWND window, HDC dc) override;
  HDC BeginPaint(HWND window, PAINTSTRUCT* paint) override;
  bool EndPaint(HWND window, const PAINTSTRUCT& paint) override;
  HDC CreateCompatibleDC(HDC dc) override;
  bool DeleteDC(HDC dc) override;
  int SetBkMode(HDC dc, int mode) override;

  HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) override;
  HBITMAP CreateDIBSection(HDC dc, const BITMAPINFOHEADER& header, void** bits) override;
  bool GetBitmapInfo(HBITMAP bitmap, BITMAP* info) const override;
  HBITMAP SelectObject(HDC dc, HBITMAP bitmap) override;
  bool DeleteObject(HGDIOBJ object) override;

  HRGN ExtCreateRegion(std::span<const BYTE> data) override;
  int CombineRgn(HRGN target, HRGN first, HRGN second, int mode) override;
  int SetWindowRgn(HWND window, HRGN region, bool redraw) override;

  bool BitBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
              DWORD rop) override;
  bool StretchBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX,
                  int sourceY, int sourceWidth, int sourceHeight, DWORD rop) override;
  bool FillSolidRect(HDC dc, const RECT& rect, COLORREF colour) override;
  int DrawFormattedText(HDC dc, std::u16string_view text, RECT* rect, UINT format) override;

  HBITMAP DecodePicture(std::span<const BYTE> bytes) override;
};

}  // namespace kx::win32
