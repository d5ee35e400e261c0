#include "platform/win32/win32_graphics.h"

#include <cstring>
#include <memory>
#include <string>

#include "platform/graphics_flags.h"
#include "platform/win32/wide.h"

#include <windows.h>

#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>

// Taken outside our namespace: the system's macro names HGDIOBJ, which means another type in
// ours.
static const ::HGDIOBJ kGdiError = HGDI_ERROR;

namespace kx::win32 {

namespace {

static_assert(sizeof(kx::BITMAPINFOHEADER) == sizeof(::BITMAPINFOHEADER));

::HWND ToSystem(HWND h) {
  return reinterpret_cast<::HWND>(h);
}
::HDC ToSystem(HDC h) {
  return reinterpret_cast<::HDC>(h);
}
::HBITMAP ToSystem(HBITMAP h) {
  return reinterpret_cast<::HBITMAP>(h);
}
::HRGN ToSystem(HRGN h) {
  return reinterpret_cast<::HRGN>(h);
}
HDC FromSystem(::HDC h) {
  return reinterpret_cast<HDC>(h);
}
HBITMAP FromSystem(::HBITMAP h) {
  return reinterpret_cast<HBITMAP>(h);
}
HRGN FromSystem(::HRGN h) {
  return reinterpret_cast<HRGN>(h);
}

std::uint32_t ReadU32(const BYTE* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

HDC Win32Graphics::GetDC(HWND window) {
  return FromSystem(::GetDC(ToSystem(window)));
}

int Win32Graphics::ReleaseDC(HWND window, HDC dc) {
  return ::ReleaseDC(ToSystem(window), ToSystem(dc));
}

HDC Win32Graphics::BeginPaint(HWND window, PAINTSTRUCT* paint) {
  ::PAINTSTRUCT ps{};
  ::HDC dc = ::BeginPaint(ToSystem(window), &ps);
  if (dc == nullptr) return nullptr;
  if (paint != nullptr) {
    paint->hdc = FromSystem(dc);
    paint->fErase = ps.fErase;
    paint->rcPaint = RECT{ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom};
  }
  return FromSystem(dc);
}

bool Win32Graphics::EndPaint(HWND window, const PAINTSTRUCT& paint) {
  ::PAINTSTRUCT ps{};
  ps.hdc = ToSystem(paint.hdc);
  ps.fErase = paint.fErase;
  ps.rcPaint =
      ::RECT{paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right, paint.rcPaint.bottom};
  return ::EndPaint(ToSystem(window), &ps) != FALSE;
}

HDC Win32Graphics::CreateCompatibleDC(HDC dc) {
  return FromSystem(::CreateCompatibleDC(ToSystem(dc)));
}

bool Win32Graphics::DeleteDC(HDC dc) {
  return ::DeleteDC(ToSystem(dc)) != FALSE;
}

int Win32Graphics::SetBkMode(HDC dc, int mode) {
  return ::SetBkMode(ToSystem(dc), mode);
}

HBITMAP Win32Graphics::CreateCompatibleBitmap(HDC dc, int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  // A null device context stands for the screen, as it does for CreateCompatibleDC.
  ::HDC screen = dc == nullptr ? ::GetDC(nullptr) : nullptr;
  ::HBITMAP bitmap = ::CreateCompatibleBitmap(dc != nullptr ? ToSystem(dc) : screen, width, height);
  if (screen != nullptr) ::ReleaseDC(nullptr, screen);
  return FromSystem(bitmap);
}

HBITMAP Win32Graphics::CreateDIBSection(HDC dc, const BITMAPINFOHEADER& header, void** bits) {
  if (bits != nullptr) *bits = nullptr;
  if (header.biBitCount != 32 || header.biCompression != BI_RGB || header.biPlanes != 1 ||
      header.biWidth <= 0 || header.biHeight == 0) {
    return nullptr;
  }
  ::BITMAPINFO info{};
  std::memcpy(&info.bmiHeader, &header, sizeof(info.bmiHeader));
  info.bmiHeader.biSize = sizeof(::BITMAPINFOHEADER);
  void* pixels = nullptr;
  ::HBITMAP section = ::CreateDIBSection(ToSystem(dc), &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  if (section != nullptr && bits != nullptr) *bits = pixels;
  return FromSystem(section);
}

bool Win32Graphics::GetBitmapInfo(HBITMAP bitmap, BITMAP* info) const {
  ::BITMAP b{};
  if (::GetObjectW(ToSystem(bitmap), sizeof(b), &b) != sizeof(b)) return false;
  if (info != nullptr) {
    info->bmType = b.bmType;
    info->bmWidth = b.bmWidth;
    info->bmHeight = b.bmHeight;
    info->bmWidthBytes = b.bmWidthBytes;
    info->bmPlanes = b.bmPlanes;
    info->bmBitsPixel = b.bmBitsPixel;
    info->bmBits = b.bmBits;
  }
  return true;
}

HBITMAP Win32Graphics::SelectObject(HDC dc, HBITMAP bitmap) {
  ::HGDIOBJ old = ::SelectObject(ToSystem(dc), ToSystem(bitmap));
  if (old == nullptr || old == kGdiError) return nullptr;
  return FromSystem(static_cast<::HBITMAP>(old));
}

bool Win32Graphics::DeleteObject(HGDIOBJ object) {
  return ::DeleteObject(reinterpret_cast<::HGDIOBJ>(object.Value())) != FALSE;
}

HRGN Win32Graphics::ExtCreateRegion(std::span<const BYTE> data) {
  // Checked here as the interface promises; the system's own checks vary between versions.
  if (data.size() < RGNDATAHEADER_SIZE) return nullptr;
  const std::uint32_t headerSize = ReadU32(data.data());
  const std::uint32_t type = ReadU32(data.data() + 4);
  const std::uint32_t count = ReadU32(data.data() + 8);
  if (headerSize != RGNDATAHEADER_SIZE || type != RDH_RECTANGLES ||
      count > (data.size() - RGNDATAHEADER_SIZE) / 16) {
    return nullptr;
  }
  // The system reads the record as RGNDATA, which wants its natural alignment.
  const std::size_t size = RGNDATAHEADER_SIZE + std::size_t{count} * 16;
  auto aligned = std::make_unique<std::uint64_t[]>((size + 7) / 8);
  std::memcpy(aligned.get(), data.data(), size);
  return FromSystem(::ExtCreateRegion(nullptr, static_cast<::DWORD>(size),
                                      reinterpret_cast<const ::RGNDATA*>(aligned.get())));
}

int Win32Graphics::CombineRgn(HRGN target, HRGN first, HRGN second, int mode) {
  return ::CombineRgn(ToSystem(target), ToSystem(first), ToSystem(second), mode);
}

int Win32Graphics::SetWindowRgn(HWND window, HRGN region, bool redraw) {
  return ::SetWindowRgn(ToSystem(window), ToSystem(region), redraw ? TRUE : FALSE);
}

bool Win32Graphics::BitBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX,
                           int sourceY, DWORD rop) {
  if (rop != SRCCOPY) return false;
  return ::BitBlt(ToSystem(target), x, y, width, height, ToSystem(source), sourceX, sourceY,
                  SRCCOPY) != FALSE;
}

bool Win32Graphics::StretchBlt(HDC target, int x, int y, int width, int height, HDC source,
                               int sourceX, int sourceY, int sourceWidth, int sourceHeight,
                               DWORD rop) {
  if (rop != SRCCOPY) return false;
  // Nearest source pixel, no blending: the picture's colours stay as they are.
  const int oldMode = ::SetStretchBltMode(ToSystem(target), COLORONCOLOR);
  const bool ok = ::StretchBlt(ToSystem(target), x, y, width, height, ToSystem(source), sourceX,
                               sourceY, sourceWidth, sourceHeight, SRCCOPY) != FALSE;
  if (oldMode != 0) ::SetStretchBltMode(ToSystem(target), oldMode);
  return ok;
}

bool Win32Graphics::FillSolidRect(HDC dc, const RECT& rect, COLORREF colour) {
  ::HBRUSH brush = ::CreateSolidBrush(colour);
  if (brush == nullptr) return false;
  const ::RECT r{rect.left, rect.top, rect.right, rect.bottom};
  const bool ok = ::FillRect(ToSystem(dc), &r, brush) != 0;
  ::DeleteObject(brush);
  return ok;
}

int Win32Graphics::DrawFormattedText(HDC dc, std::u16string_view text, RECT* rect, UINT format) {
  ::RECT r{};
  if (rect != nullptr) r = ::RECT{rect->left, rect->top, rect->right, rect->bottom};
  std::u16string copy(text);  // DT_MODIFYSTRING aside, the system may not write; keep ours safe
  const int height =
      ::DrawTextW(ToSystem(dc), AsWide(copy.data()), static_cast<int>(copy.size()), &r, format);
  if (rect != nullptr) *rect = RECT{r.left, r.top, r.right, r.bottom};
  return height;
}

HBITMAP Win32Graphics::DecodePicture(std::span<const BYTE> bytes) {
  if (bytes.empty() || bytes.size() > 0x7FFFFFFF) return nullptr;
  ::HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (memory == nullptr) return nullptr;
  void* target = ::GlobalLock(memory);
  if (target == nullptr) {
    ::GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(target, bytes.data(), bytes.size());
  ::GlobalUnlock(memory);

  ::IStream* stream = nullptr;
  if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, &stream))) {  // the stream frees the memory
    ::GlobalFree(memory);
    return nullptr;
  }
  ::IPicture* picture = nullptr;
  const ::HRESULT hr = ::OleLoadPicture(stream, static_cast<::LONG>(bytes.size()), FALSE,
                                        IID_IPicture, reinterpret_cast<void**>(&picture));
  stream->Release();
  if (FAILED(hr) || picture == nullptr) return nullptr;

  HBITMAP result = nullptr;
  short type = PICTYPE_UNINITIALIZED;
  ::OLE_HANDLE handle = 0;
  if (SUCCEEDED(picture->get_Type(&type)) && type == PICTYPE_BITMAP &&
      SUCCEEDED(picture->get_Handle(&handle)) && handle != 0) {
    // The picture object owns its bitmap; the caller gets a copy of its own.
    ::HANDLE copy = ::CopyImage(reinterpret_cast<::HANDLE>(static_cast<std::uintptr_t>(handle)),
                                IMAGE_BITMAP, 0, 0, 0);
    result = FromSystem(static_cast<::HBITMAP>(copy));
  }
  picture->Release();
  return result;
}

}  // namespace kx::win32
