#include "ui/gdi_objects.h"

#include "platform/graphics_flags.h"
#include "platform/platform.h"

namespace kx::ui {

namespace {

// Owners may outlive the desktop in tests; there is nothing left to release then.
bool GraphicsAlive() {
  return InstalledPlatform().graphics != nullptr;
}

}  // namespace

void Bitmap::Attach(HBITMAP handle) {
  if (handle == handle_) return;
  Reset();
  handle_ = handle;
}

void Bitmap::Reset() {
  if (handle_ != nullptr && GraphicsAlive()) os::Graphics().DeleteObject(handle_);
  handle_ = nullptr;
}

SIZE Bitmap::Size() const {
  BITMAP info;
  if (handle_ == nullptr || !os::Graphics().GetBitmapInfo(handle_, &info)) return SIZE{};
  return SIZE{info.bmWidth, info.bmHeight};
}

MemoryDc::MemoryDc(HDC compatibleWith) : dc_(os::Graphics().CreateCompatibleDC(compatibleWith)) {}

MemoryDc::~MemoryDc() {
  if (dc_ != nullptr && GraphicsAlive()) os::Graphics().DeleteDC(dc_);
}

SelectedBitmap::SelectedBitmap(HDC dc, HBITMAP bitmap) : dc_(dc) {
  if (dc != nullptr && bitmap != nullptr) previous_ = os::Graphics().SelectObject(dc, bitmap);
}

SelectedBitmap::~SelectedBitmap() {
  if (previous_ != nullptr && GraphicsAlive()) os::Graphics().SelectObject(dc_, previous_);
}

WindowDc::WindowDc(HWND window) : window_(window), dc_(os::Graphics().GetDC(window)) {}

WindowDc::~WindowDc() {
  if (dc_ != nullptr && GraphicsAlive()) os::Graphics().ReleaseDC(window_, dc_);
}

PaintDc::PaintDc(HWND window) : window_(window) {
  os::Graphics().BeginPaint(window, &paint_);
}

PaintDc::~PaintDc() {
  if (paint_.hdc != nullptr && GraphicsAlive()) os::Graphics().EndPaint(window_, paint_);
}

void DrawBitmapOrFill(HDC canvas, const Bitmap& image, int width, int height, COLORREF fallback) {
  Graphics& graphics = os::Graphics();
  if (image) {
    MemoryDc source(canvas);
    SelectedBitmap selected(source.Get(), image.Handle());
    if (selected) {
      graphics.BitBlt(canvas, 0, 0, width, height, source.Get(), 0, 0, SRCCOPY);
      return;
    }
  }
  graphics.FillSolidRect(canvas, RECT{0, 0, width, height}, fallback);
}

}  // namespace kx::ui
