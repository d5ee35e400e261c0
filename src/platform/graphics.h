// Drawing: device contexts, bitmaps, regions, text and picture decoding, shaped like the
// system's graphics calls the agent makes (memory device contexts, compatible bitmaps, 32-bit
// device-independent sections, BitBlt/StretchBlt, ExtCreateRegion/CombineRgn, SetWindowRgn,
// DrawText, OleLoadPicture) and no more.
//
// This header names nothing that the system headers define as a macro, so the Windows backend
// can implement it next to them; the flag values live in graphics_flags.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "platform/types.h"

namespace kx {

struct HDC__;
using HDC = HDC__*;  // opaque device-context handle; null stands for none
struct HBITMAP__;
using HBITMAP = HBITMAP__*;  // opaque bitmap handle
struct HRGN__;
using HRGN = HRGN__*;  // opaque region handle

// Any drawing object (a bitmap or a region), as DeleteObject takes it.
class HGDIOBJ {
 public:
  constexpr HGDIOBJ() = default;
  constexpr HGDIOBJ(std::nullptr_t) {}
  HGDIOBJ(HBITMAP bitmap) : value_(reinterpret_cast<std::uintptr_t>(bitmap)) {}
  HGDIOBJ(HRGN region) : value_(reinterpret_cast<std::uintptr_t>(region)) {}
  constexpr std::uintptr_t Value() const { return value_; }
  constexpr explicit operator bool() const { return value_ != 0; }
  friend constexpr bool operator==(HGDIOBJ, HGDIOBJ) = default;

 private:
  std::uintptr_t value_ = 0;
};

// The header of a device-independent bitmap, laid out as the system stores it.
struct BITMAPINFOHEADER {
  DWORD biSize = 40;
  LONG biWidth = 0;
  LONG biHeight = 0;  // positive: bottom-up rows; negative: top-down
  WORD biPlanes = 1;
  WORD biBitCount = 0;
  DWORD biCompression = 0;  // 0: uncompressed
  DWORD biSizeImage = 0;
  LONG biXPelsPerMeter = 0;
  LONG biYPelsPerMeter = 0;
  DWORD biClrUsed = 0;
  DWORD biClrImportant = 0;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

// What GetObject tells about a bitmap.
struct BITMAP {
  LONG bmType = 0;
  LONG bmWidth = 0;
  LONG bmHeight = 0;
  LONG bmWidthBytes = 0;
  WORD bmPlanes = 1;
  WORD bmBitsPixel = 0;
  void* bmBits = nullptr;  // the pixels of a device-independent section, else null
};

struct PAINTSTRUCT {
  HDC hdc = nullptr;
  BOOL fErase = 0;  // nonzero: the window did not erase its background itself
  RECT rcPaint;     // the area to paint, in client coordinates
};

class Graphics {
 public:
  virtual ~Graphics() = default;

  // --- Device contexts ---

  // GetDC / ReleaseDC: a device context over a window's client area; a null window gives the
  // screen's.
  virtual HDC GetDC(HWND window) = 0;
  virtual int ReleaseDC(HWND window, HDC dc) = 0;
  // BeginPaint / EndPaint: takes the window's invalid area (validating it), sends
  // WM_ERASEBKGND with the device context in wParam when the area wants erasing, and gives a
  // device context clipped to that area. Null when the window does not exist.
  virtual HDC BeginPaint(HWND window, PAINTSTRUCT* paint) = 0;
  virtual bool EndPaint(HWND window, const PAINTSTRUCT& paint) = 0;
  // CreateCompatibleDC / DeleteDC: a memory device context (a null dc: compatible with the
  // screen). It starts with the system's 1 x 1 monochrome bitmap selected; deleting it
  // releases the bitmap selected into it.
  virtual HDC CreateCompatibleDC(HDC dc) = 0;
  virtual bool DeleteDC(HDC dc) = 0;
  // SetBkMode: BKMODE_TRANSPARENT or BKMODE_OPAQUE; gives the previous mode, 0 on failure.
  virtual int SetBkMode(HDC dc, int mode) = 0;

  // --- Bitmaps ---

  // CreateCompatibleBitmap: a bitmap in the format of the device context, which is the
  // colour format of the screen, or for a memory device context the format of the bitmap
  // selected into it (so a fresh memory device context gives a monochrome bitmap). Null for a
  // size that is not positive.
  virtual HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) = 0;
  // CreateDIBSection(DIB_RGB_COLORS): a 32-bit uncompressed section, one plane, bottom-up for a
  // positive height; *bits points at its pixels (4 bytes each: blue, green, red, unused) for as
  // long as it lives. Null for any other format.
  virtual HBITMAP CreateDIBSection(HDC dc, const BITMAPINFOHEADER& header, void** bits) = 0;
  // GetObject on a bitmap.
  virtual bool GetBitmapInfo(HBITMAP bitmap, BITMAP* info) const = 0;
  // SelectObject with a bitmap: gives the bitmap selected before, null on failure (a bitmap is
  // selected into one memory device context at a time; window device contexts take none).
  virtual HBITMAP SelectObject(HDC dc, HBITMAP bitmap) = 0;
  // DeleteObject: fails for a bitmap still selected into a device context and for a region
  // that belongs to a window.
  virtual bool DeleteObject(HGDIOBJ object) = 0;

  // --- Regions ---

  // ExtCreateRegion(no transform, data.size(), data): data is a 32-byte header (header size
  // 32, type 1 = rectangles, count, region size, bounding rectangle), then count rectangles of
  // 16 bytes (left, top, right, bottom), little-endian. Null for malformed data.
  virtual HRGN ExtCreateRegion(std::span<const BYTE> data) = 0;
  // CombineRgn: target becomes first combined with second (RGN_OR ...); gives the kind of the
  // result (NULLREGION, SIMPLEREGION, COMPLEXREGION) or REGION_ERROR.
  virtual int CombineRgn(HRGN target, HRGN first, HRGN second, int mode) = 0;
  // SetWindowRgn: the window's visible shape, in window coordinates; a null region removes it.
  // On success the system owns the region (and deletes the one it held before); the caller
  // must not use or delete it again. Zero on failure, when the caller still owns the region.
  virtual int SetWindowRgn(HWND window, HRGN region, bool redraw) = 0;

  // --- Drawing ---

  // BitBlt / StretchBlt with SRCCOPY (other raster operations fail). Stretching picks the
  // nearest source pixel.
  virtual bool BitBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX,
                      int sourceY, DWORD rop) = 0;
  virtual bool StretchBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX,
                          int sourceY, int sourceWidth, int sourceHeight, DWORD rop) = 0;
  // Fills a rectangle with one colour (the framework's FillSolidRect).
  virtual bool FillSolidRect(HDC dc, const RECT& rect, COLORREF colour) = 0;
  // DrawText in the device context's font, colour and background mode; gives the height of
  // the text drawn.
  virtual int DrawFormattedText(HDC dc, std::u16string_view text, RECT* rect, UINT format) = 0;

  // --- Pictures ---

  // The system's picture decoder (OleLoadPicture) over a file's bytes: JPEG or BMP. Gives a
  // colour bitmap that the caller owns, or null when the bytes are no picture it can decode.
  virtual HBITMAP DecodePicture(std::span<const BYTE> bytes) = 0;
};

}  // namespace kx
