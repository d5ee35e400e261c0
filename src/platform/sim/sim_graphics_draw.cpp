// Drawing of the simulated graphics: window surfaces, copies between device contexts, solid
// fills, recorded text, decoded pictures and the rendering of whole windows.
#include <algorithm>

#include "platform/graphics_flags.h"
#include "platform/messages.h"
#include "platform/sim/picture_files.h"
#include "platform/sim/rect_math.h"
#include "platform/sim/sim_graphics.h"

namespace kx::sim {

namespace {

// What a pixel becomes in the target: a monochrome bitmap keeps white as white and turns
// every other colour black, as the system does with its default background colour.
std::uint32_t Convert(std::uint32_t pixel, bool toMonochrome) {
  if (!toMonochrome) return pixel;
  return (pixel & kColourMask) == kColourMask ? kColourMask : 0;
}

// Makes a negative extent positive, moving the origin to the other end; true if it flipped.
bool Normalise(int& origin, int& extent) {
  if (extent >= 0) return false;
  origin += extent;
  extent = -extent;
  return true;
}

}  // namespace

Pixels& SimGraphics::SurfaceLocked(HWND window) {
  const RECT client = windows_.GetClientRect(window);
  Pixels& surface = surfaces_[reinterpret_cast<std::uintptr_t>(window)];
  if (surface.width != client.Width() || surface.height != client.Height()) {
    // A resized window keeps what it showed where it still fits.
    Pixels resized(std::max(client.Width(), 0), std::max(client.Height(), 0), kSurfaceColour);
    for (int y = 0; y < std::min(surface.height, resized.height); ++y) {
      for (int x = 0; x < std::min(surface.width, resized.width); ++x) {
        resized.At(x, y) = surface.At(x, y);
      }
    }
    surface = std::move(resized);
  }
  return surface;
}

std::optional<SimGraphics::Canvas> SimGraphics::CanvasLocked(HDC dc) {
  DcRecord* r = DcLocked(dc);
  if (r == nullptr || r->kind == DcKind::Screen) return std::nullopt;
  Canvas canvas;
  if (r->kind == DcKind::Memory) {
    BitmapRecord* b = BitmapLocked(r->bitmap);
    if (b == nullptr) return std::nullopt;
    canvas.width = b->width;
    canvas.height = b->height;
    canvas.monochrome = b->monochrome;
    canvas.rowStep = b->bottomUp ? -b->width : b->width;
    canvas.origin = b->store.data() + (b->bottomUp ? std::ptrdiff_t{b->height - 1} * b->width : 0);
    canvas.clip = RECT{0, 0, b->width, b->height};
    return canvas;
  }
  if (!windows_.IsWindow(r->window)) return std::nullopt;
  Pixels& surface = SurfaceLocked(r->window);
  canvas.width = surface.width;
  canvas.height = surface.height;
  canvas.rowStep = surface.width;
  canvas.origin = surface.data.data();
  canvas.clip = RECT{0, 0, surface.width, surface.height};
  if (r->kind == DcKind::Paint) canvas.clip = IntersectRect(canvas.clip, r->clip);
  return canvas;
}

bool SimGraphics::BitBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX,
                         int sourceY, DWORD rop) {
  return StretchBlt(target, x, y, width, height, source, sourceX, sourceY, width, height, rop);
}

bool SimGraphics::StretchBlt(HDC target, int x, int y, int width, int height, HDC source,
                             int sourceX, int sourceY, int sourceWidth, int sourceHeight,
                             DWORD rop) {
  if (rop != SRCCOPY) return false;
  std::lock_guard lock(mutex_);
  std::optional<Canvas> to = CanvasLocked(target);
  std::optional<Canvas> from = CanvasLocked(source);
  if (!to || !from) return false;
  if (width == 0 || height == 0 || sourceWidth == 0 || sourceHeight == 0) return true;
  const bool flipX = Normalise(x, width) != Normalise(sourceX, sourceWidth);
  const bool flipY = Normalise(y, height) != Normalise(sourceY, sourceHeight);

  // A copy within one surface reads from a snapshot, so overlapping areas come out right.
  Pixels snapshot;
  if (from->origin == to->origin) {
    snapshot = Pixels(from->width, from->height);
    for (int sy = 0; sy < from->height; ++sy) {
      for (int sx = 0; sx < from->width; ++sx)
        snapshot.At(sx, sy) = from->At(sx, sy);
    }
    from->origin = snapshot.data.data();
    from->rowStep = snapshot.width;
  }

  for (int dy = 0; dy < height; ++dy) {
    const int ty = y + dy;
    if (ty < to->clip.top || ty >= to->clip.bottom) continue;
    const int iy = static_cast<int>(std::int64_t{dy} * sourceHeight / height);
    const int sy = sourceY + (flipY ? sourceHeight - 1 - iy : iy);
    if (sy < 0 || sy >= from->height) continue;
    for (int dx = 0; dx < width; ++dx) {
      const int tx = x + dx;
      if (tx < to->clip.left || tx >= to->clip.right) continue;
      const int ix = static_cast<int>(std::int64_t{dx} * sourceWidth / width);
      const int sx = sourceX + (flipX ? sourceWidth - 1 - ix : ix);
      if (sx < 0 || sx >= from->width) continue;
      to->At(tx, ty) = Convert(from->At(sx, sy), to->monochrome);
    }
  }
  return true;
}

bool SimGraphics::FillSolidRect(HDC dc, const RECT& rect, COLORREF colour) {
  std::lock_guard lock(mutex_);
  std::optional<Canvas> canvas = CanvasLocked(dc);
  if (!canvas) return false;
  const RECT area = IntersectRect(rect, canvas->clip);
  const std::uint32_t pixel = Convert(PixelFromColorref(colour), canvas->monochrome);
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x)
      canvas->At(x, y) = pixel;
  }
  return true;
}

int SimGraphics::DrawFormattedText(HDC dc, std::u16string_view text, RECT* rect, UINT format) {
  std::lock_guard lock(mutex_);
  DcRecord* r = DcLocked(dc);
  if (r == nullptr || rect == nullptr) return 0;
  TextDraw draw;
  draw.dc = dc;
  draw.window = r->window;
  draw.bitmap = r->kind == DcKind::Memory ? r->bitmap : nullptr;
  draw.text = std::u16string(text);
  draw.rect = *rect;
  draw.format = format;
  draw.bkMode = r->bkMode;
  textDraws_.push_back(std::move(draw));
  return text.empty() ? 0 : kLineHeight;
}

HBITMAP SimGraphics::DecodePicture(std::span<const BYTE> bytes) {
  {
    std::lock_guard lock(mutex_);
    if (Faulted(GraphicsStep::DecodePicture)) return nullptr;
  }
  std::optional<Pixels> picture = DecodeBmp(bytes);
  if (!picture) picture = DecodeJpeg(bytes);
  if (!picture) return nullptr;
  BitmapRecord record;
  record.width = picture->width;
  record.height = picture->height;
  record.store = std::move(picture->data);
  std::lock_guard lock(mutex_);
  return AddBitmapLocked(std::move(record));
}

Pixels SimGraphics::WindowSurface(HWND window) {
  std::lock_guard lock(mutex_);
  if (!windows_.IsWindow(window)) return Pixels();
  return SurfaceLocked(window);
}

Pixels SimGraphics::ComposeLocked(HWND window) {
  const RECT frame = windows_.GetWindowRect(window);
  Pixels out = SurfaceLocked(window);
  for (std::uint32_t& p : out.data)
    p = (p & kColourMask) | kAlphaMask;
  // Children are listed front first; paint the back ones first.
  const std::vector<HWND> children = windows_.Children(window);
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if ((windows_.GetStyle(*it) & WS_VISIBLE) == 0) continue;
    const Pixels child = ComposeLocked(*it);
    const RECT place = windows_.GetWindowRect(*it);
    const int ox = place.left - frame.left;
    const int oy = place.top - frame.top;
    for (int y = 0; y < child.height; ++y) {
      if (oy + y < 0 || oy + y >= out.height) continue;
      for (int x = 0; x < child.width; ++x) {
        if (ox + x < 0 || ox + x >= out.width || AlphaOf(child.At(x, y)) == 0) continue;
        out.At(ox + x, oy + y) = child.At(x, y);
      }
    }
  }
  if (auto held = windowRgn_.find(reinterpret_cast<std::uintptr_t>(window));
      held != windowRgn_.end()) {
    const RegionShape& shape = regions_.at(held->second).shape;
    for (int y = 0; y < out.height; ++y) {
      for (int x = 0; x < out.width; ++x) {
        if (!shape.Contains(x, y)) out.At(x, y) = 0;
      }
    }
  }
  return out;
}

Pixels SimGraphics::RenderWindow(HWND window) {
  std::lock_guard lock(mutex_);
  if (!windows_.IsWindow(window)) return Pixels();
  return ComposeLocked(window);
}

bool SimGraphics::Screenshot(HWND window, const std::filesystem::path& png) {
  return WritePng(RenderWindow(window), png);
}

}  // namespace kx::sim
