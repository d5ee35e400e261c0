// The simulated desktop's graphics: real raster graphics in memory. Bitmaps hold 32-bit
// pixels (or one bit, shown as black and white, for monochrome ones), every window has a
// surface that its paints land on, regions are exact pixel shapes, and a window can be
// rendered as a person would see it (its client area, its visible children, its region as
// transparency) and written to a PNG file.
//
// Device contexts of the screen exist for compatibility; nothing draws onto the screen itself,
// which the desktop composes from window surfaces, so drawing into them fails.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics.h"
#include "platform/sim/pixels.h"
#include "platform/sim/sim_region.h"
#include "platform/sim/sim_window_system.h"

namespace kx::sim {

// The steps where a test can make the graphics fail.
enum class GraphicsStep {
  CreateCompatibleDC,
  CreateCompatibleBitmap,
  CreateDIBSection,
  ExtCreateRegion,
  DecodePicture
};

class SimGraphics final : public Graphics {
 public:
  // What an untouched window surface shows: the system's face colour.
  static constexpr std::uint32_t kSurfaceColour = 0xF0F0F0;
  // The height DrawFormattedText reports for a line of the default font.
  static constexpr int kLineHeight = 13;

  explicit SimGraphics(SimWindowSystem& windows);
  ~SimGraphics() override;

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

  // --- The desktop's own controls ---

  // Frees a destroyed window's surface, region and device contexts (the window system calls
  // this as the window goes).
  void WindowDestroyed(HWND window);

  // A bitmap's pixels, rows top-down; nothing for an unknown handle.
  std::optional<Pixels> BitmapPixels(HBITMAP bitmap) const;
  bool IsMonochrome(HBITMAP bitmap) const;
  std::optional<RegionShape> Region(HRGN region) const;
  // The shape a window's region gives it; nothing while it is rectangular.
  std::optional<RegionShape> WindowRegion(HWND window) const;
  // What has been painted into a window's client area.
  Pixels WindowSurface(HWND window);
  // The window as a person sees it, whether shown or not: its client area with its visible
  // children on top, cut to its region and theirs. Alpha is 0xFF where it shows and 0 where
  // it is cut away.
  Pixels RenderWindow(HWND window);
  // RenderWindow written to a PNG file.
  bool Screenshot(HWND window, const std::filesystem::path& png);

  struct TextDraw {
    HDC dc = nullptr;
    HWND window = nullptr;     // the window of a window device context
    HBITMAP bitmap = nullptr;  // the bitmap selected into a memory device context
    std::u16string text;
    RECT rect;
    UINT format = 0;
    int bkMode = 0;
  };
  std::vector<TextDraw> TextDraws() const;

  // Bitmaps and regions alive (regions a window owns included), and device contexts; for
  // leak checks.
  std::size_t ObjectCount() const;
  std::size_t DcCount() const;

  // Called before each step; true makes that step fail.
  using FaultHook = std::function<bool(GraphicsStep step)>;
  void SetFaultHook(FaultHook hook);

 private:
  enum class DcKind { Screen, Window, Paint, Memory };
  struct DcRecord {
    DcKind kind = DcKind::Memory;
    HWND window = nullptr;
    HBITMAP bitmap = nullptr;  // memory device contexts
    RECT clip;                 // paint device contexts: the area being painted
    int bkMode = 2;
  };
  struct BitmapRecord {
    int width = 0;
    int height = 0;
    bool monochrome = false;
    bool section = false;   // a device-independent section: store is its memory layout
    bool bottomUp = false;  // sections only
    bool stock = false;
    HDC selectedInto = nullptr;
    std::vector<std::uint32_t> store;
  };
  struct RegionRecord {
    RegionShape shape;
    HWND owner = nullptr;  // the window that owns it after SetWindowRgn
  };
  // The pixels a device context draws on.
  struct Canvas {
    std::uint32_t* origin = nullptr;  // pixel (0, 0)
    std::ptrdiff_t rowStep = 0;       // from one row to the next one down, in pixels
    int width = 0;
    int height = 0;
    bool monochrome = false;
    RECT clip;  // within (0, 0, width, height)

    std::uint32_t& At(int x, int y) const { return origin[y * rowStep + x]; }
    bool InClip(int x, int y) const {
      return x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
    }
  };

  std::uintptr_t NewHandleLocked();
  bool Faulted(GraphicsStep step) const;
  HDC AddDcLocked(DcRecord record);
  BitmapRecord* BitmapLocked(HBITMAP bitmap);
  const BitmapRecord* BitmapLocked(HBITMAP bitmap) const;
  DcRecord* DcLocked(HDC dc);
  HBITMAP AddBitmapLocked(BitmapRecord record);
  Pixels& SurfaceLocked(HWND window);
  std::optional<Canvas> CanvasLocked(HDC dc);
  static Pixels PixelsOf(const BitmapRecord& bitmap);
  Pixels ComposeLocked(HWND window);

  SimWindowSystem& windows_;
  mutable std::mutex mutex_;  // guards everything below; never held while a window is called
  std::uintptr_t nextHandle_ = 0x40000;
  std::map<std::uintptr_t, DcRecord> dcs_;
  std::map<std::uintptr_t, BitmapRecord> bitmaps_;
  std::map<std::uintptr_t, RegionRecord> regions_;
  std::map<std::uintptr_t, Pixels> surfaces_;           // by window
  std::map<std::uintptr_t, std::uintptr_t> windowRgn_;  // window -> region it owns
  HBITMAP stockBitmap_ = nullptr;  // the 1 x 1 monochrome bitmap of fresh memory DCs
  std::vector<TextDraw> textDraws_;
  FaultHook faultHook_;
};

}  // namespace kx::sim
