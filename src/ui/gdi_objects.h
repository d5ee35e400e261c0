// Owners of drawing objects, in the manner of the framework's bitmap and device-context
// classes: each releases what it holds when it goes.
#pragma once

#include "platform/graphics.h"
#include "platform/types.h"

namespace kx::ui {

// Owns one bitmap (the framework's bitmap object).
class Bitmap {
 public:
  Bitmap() = default;
  explicit Bitmap(HBITMAP handle) : handle_(handle) {}
  ~Bitmap() { Reset(); }
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;

  HBITMAP Handle() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  // Takes ownership of handle, deleting the bitmap held before.
  void Attach(HBITMAP handle);
  // Deletes the bitmap held, if any.
  void Reset();
  // Width and height in pixels; 0 x 0 when empty.
  SIZE Size() const;

 private:
  HBITMAP handle_ = nullptr;
};

// A memory device context compatible with another one (null: the screen).
class MemoryDc {
 public:
  explicit MemoryDc(HDC compatibleWith);
  ~MemoryDc();
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HDC dc_ = nullptr;
};

// Selects a bitmap into a memory device context and puts the previous one back when it goes.
class SelectedBitmap {
 public:
  SelectedBitmap(HDC dc, HBITMAP bitmap);
  ~SelectedBitmap();
  SelectedBitmap(const SelectedBitmap&) = delete;
  SelectedBitmap& operator=(const SelectedBitmap&) = delete;
  explicit operator bool() const { return previous_ != nullptr; }

 private:
  HDC dc_ = nullptr;
  HBITMAP previous_ = nullptr;
};

// The device context of a window's client area (GetDC / ReleaseDC).
class WindowDc {
 public:
  explicit WindowDc(HWND window);
  ~WindowDc();
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_ = nullptr;
  HDC dc_ = nullptr;
};

// The device context of a WM_PAINT handler (BeginPaint / EndPaint).
class PaintDc {
 public:
  explicit PaintDc(HWND window);
  ~PaintDc();
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC Get() const { return paint_.hdc; }
  const PAINTSTRUCT& Info() const { return paint_; }
  explicit operator bool() const { return paint_.hdc != nullptr; }

 private:
  HWND window_ = nullptr;
  PAINTSTRUCT paint_;
};

// Copies the top-left width x height of image onto canvas at 0,0; without an image that can
// be selected, fills that area with fallback instead.
void DrawBitmapOrFill(HDC canvas, const Bitmap& image, int width, int height, COLORREF fallback);

}  // namespace kx::ui
