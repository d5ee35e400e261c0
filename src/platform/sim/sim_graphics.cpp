// Device contexts, bitmaps and regions of the simulated graphics.
#include "platform/sim/sim_graphics.h"

#include <algorithm>

#include "platform/graphics_flags.h"
#include "platform/messages.h"
#include "platform/sim/byte_reader.h"

namespace kx::sim {

namespace {

template <typename Handle>
Handle HandleFrom(std::uintptr_t value) {
  return reinterpret_cast<Handle>(value);
}
template <typename Handle>
std::uintptr_t ValueOf(Handle handle) {
  return reinterpret_cast<std::uintptr_t>(handle);
}

}  // namespace

SimGraphics::SimGraphics(SimWindowSystem& windows) : windows_(windows) {
  std::lock_guard lock(mutex_);
  BitmapRecord stock;
  stock.width = 1;
  stock.height = 1;
  stock.monochrome = true;
  stock.stock = true;
  stock.store.assign(1, 0);
  stockBitmap_ = AddBitmapLocked(std::move(stock));
}

SimGraphics::~SimGraphics() = default;

std::uintptr_t SimGraphics::NewHandleLocked() {
  std::uintptr_t value = nextHandle_;
  nextHandle_ += 4;
  return value;
}

bool SimGraphics::Faulted(GraphicsStep step) const {
  return faultHook_ && faultHook_(step);
}

HDC SimGraphics::AddDcLocked(DcRecord record) {
  std::uintptr_t value = NewHandleLocked();
  dcs_.emplace(value, record);
  return HandleFrom<HDC>(value);
}

HBITMAP SimGraphics::AddBitmapLocked(BitmapRecord record) {
  std::uintptr_t value = NewHandleLocked();
  bitmaps_.emplace(value, std::move(record));
  return HandleFrom<HBITMAP>(value);
}

SimGraphics::BitmapRecord* SimGraphics::BitmapLocked(HBITMAP bitmap) {
  auto it = bitmaps_.find(ValueOf(bitmap));
  return it == bitmaps_.end() ? nullptr : &it->second;
}

const SimGraphics::BitmapRecord* SimGraphics::BitmapLocked(HBITMAP bitmap) const {
  auto it = bitmaps_.find(ValueOf(bitmap));
  return it == bitmaps_.end() ? nullptr : &it->second;
}

SimGraphics::DcRecord* SimGraphics::DcLocked(HDC dc) {
  auto it = dcs_.find(ValueOf(dc));
  return it == dcs_.end() ? nullptr : &it->second;
}

// --- Device contexts ---

HDC SimGraphics::GetDC(HWND window) {
  if (window != nullptr && !windows_.IsWindow(window)) return nullptr;
  std::lock_guard lock(mutex_);
  DcRecord record;
  record.kind = window == nullptr ? DcKind::Screen : DcKind::Window;
  record.window = window;
  return AddDcLocked(record);
}

int SimGraphics::ReleaseDC(HWND window, HDC dc) {
  std::lock_guard lock(mutex_);
  DcRecord* r = DcLocked(dc);
  if (r == nullptr || r->window != window ||
      (r->kind != DcKind::Window && r->kind != DcKind::Screen)) {
    return 0;
  }
  dcs_.erase(ValueOf(dc));
  return 1;
}

HDC SimGraphics::BeginPaint(HWND window, PAINTSTRUCT* paint) {
  if (!windows_.IsWindow(window)) return nullptr;
  RECT area;
  bool erase = false;
  windows_.TakeInvalidArea(window, &area, &erase);
  HDC dc = nullptr;
  {
    std::lock_guard lock(mutex_);
    DcRecord record;
    record.kind = DcKind::Paint;
    record.window = window;
    record.clip = area;
    dc = AddDcLocked(record);
  }
  bool erased = false;
  if (erase) erased = windows_.Send(window, WM_ERASEBKGND, ValueOf(dc), 0) != 0;
  if (paint != nullptr) {
    paint->hdc = dc;
    paint->fErase = erase && !erased ? 1 : 0;
    paint->rcPaint = area;
  }
  return dc;
}

bool SimGraphics::EndPaint(HWND window, const PAINTSTRUCT& paint) {
  std::lock_guard lock(mutex_);
  DcRecord* r = DcLocked(paint.hdc);
  if (r == nullptr || r->kind != DcKind::Paint || r->window != window) return false;
  dcs_.erase(ValueOf(paint.hdc));
  return true;
}

HDC SimGraphics::CreateCompatibleDC(HDC dc) {
  std::lock_guard lock(mutex_);
  if (dc != nullptr && DcLocked(dc) == nullptr) return nullptr;
  if (Faulted(GraphicsStep::CreateCompatibleDC)) return nullptr;
  DcRecord record;
  record.kind = DcKind::Memory;
  record.bitmap = stockBitmap_;
  return AddDcLocked(record);
}

bool SimGraphics::DeleteDC(HDC dc) {
  std::lock_guard lock(mutex_);
  DcRecord* r = DcLocked(dc);
  if (r == nullptr || r->kind != DcKind::Memory) return false;
  if (BitmapRecord* b = BitmapLocked(r->bitmap); b != nullptr && b->selectedInto == dc) {
    b->selectedInto = nullptr;
  }
  dcs_.erase(ValueOf(dc));
  return true;
}

int SimGraphics::SetBkMode(HDC dc, int mode) {
  std::lock_guard lock(mutex_);
  DcRecord* r = DcLocked(dc);
  if (r == nullptr || (mode != BKMODE_TRANSPARENT && mode != BKMODE_OPAQUE)) return 0;
  int previous = r->bkMode;
  r->bkMode = mode;
  return previous;
}

// --- Bitmaps ---

HBITMAP SimGraphics::CreateCompatibleBitmap(HDC dc, int width, int height) {
  std::lock_guard lock(mutex_);
  DcRecord* r = DcLocked(dc);
  if (r == nullptr || width <= 0 || height <= 0) return nullptr;
  if (std::int64_t{width} * height > kMaxPixels) return nullptr;
  if (Faulted(GraphicsStep::CreateCompatibleBitmap)) return nullptr;
  BitmapRecord record;
  record.width = width;
  record.height = height;
  if (r->kind == DcKind::Memory) {
    const BitmapRecord* selected = BitmapLocked(r->bitmap);
    record.monochrome = selected == nullptr || selected->monochrome;
  }
  record.store.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  return AddBitmapLocked(std::move(record));
}

HBITMAP SimGraphics::CreateDIBSection(HDC dc, const BITMAPINFOHEADER& header, void** bits) {
  if (bits != nullptr) *bits = nullptr;
  std::lock_guard lock(mutex_);
  if (dc != nullptr && DcLocked(dc) == nullptr) return nullptr;
  const std::int64_t width = header.biWidth;
  const std::int64_t height =
      header.biHeight < 0 ? -std::int64_t{header.biHeight} : header.biHeight;
  if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biPlanes != 1 || header.biBitCount != 32 ||
      header.biCompression != BI_RGB || width <= 0 || height <= 0 || width * height > kMaxPixels) {
    return nullptr;
  }
  if (Faulted(GraphicsStep::CreateDIBSection)) return nullptr;
  BitmapRecord record;
  record.width = static_cast<int>(width);
  record.height = static_cast<int>(height);
  record.section = true;
  record.bottomUp = header.biHeight > 0;
  record.store.assign(static_cast<std::size_t>(width * height), 0);
  HBITMAP handle = AddBitmapLocked(std::move(record));
  if (bits != nullptr) *bits = BitmapLocked(handle)->store.data();
  return handle;
}

bool SimGraphics::GetBitmapInfo(HBITMAP bitmap, BITMAP* info) const {
  std::lock_guard lock(mutex_);
  const BitmapRecord* b = BitmapLocked(bitmap);
  if (b == nullptr || info == nullptr) return false;
  *info = BITMAP{};
  info->bmWidth = b->width;
  info->bmHeight = b->height;
  info->bmBitsPixel = b->monochrome ? 1 : 32;
  info->bmWidthBytes = b->monochrome ? (b->width + 15) / 16 * 2 : b->width * 4;
  info->bmBits = b->section ? const_cast<std::uint32_t*>(b->store.data()) : nullptr;
  return true;
}

HBITMAP SimGraphics::SelectObject(HDC dc, HBITMAP bitmap) {
  std::lock_guard lock(mutex_);
  DcRecord* r = DcLocked(dc);
  BitmapRecord* b = BitmapLocked(bitmap);
  if (r == nullptr || b == nullptr || r->kind != DcKind::Memory) return nullptr;
  if (!b->stock && b->selectedInto != nullptr && b->selectedInto != dc) return nullptr;
  HBITMAP previous = r->bitmap;
  if (BitmapRecord* old = BitmapLocked(previous); old != nullptr && !old->stock) {
    old->selectedInto = nullptr;
  }
  if (!b->stock) b->selectedInto = dc;
  r->bitmap = bitmap;
  return previous;
}

bool SimGraphics::DeleteObject(HGDIOBJ object) {
  std::lock_guard lock(mutex_);
  if (auto it = bitmaps_.find(object.Value()); it != bitmaps_.end()) {
    if (it->second.stock) return true;  // stock objects are never deleted
    if (it->second.selectedInto != nullptr) return false;
    bitmaps_.erase(it);
    return true;
  }
  if (auto it = regions_.find(object.Value()); it != regions_.end()) {
    if (it->second.owner != nullptr) return false;
    regions_.erase(it);
    return true;
  }
  return false;
}

// --- Regions ---

HRGN SimGraphics::ExtCreateRegion(std::span<const BYTE> data) {
  constexpr std::size_t kHeader = RGNDATAHEADER_SIZE;
  constexpr std::size_t kRect = 16;
  if (data.size() < kHeader) return nullptr;
  const ByteReader in(data);
  if (in.U32(0) != RGNDATAHEADER_SIZE || in.U32(4) != RDH_RECTANGLES) {
    return nullptr;
  }
  const std::uint64_t count = in.U32(8);
  if (count > (data.size() - kHeader) / kRect) return nullptr;
  std::vector<RECT> rects;
  rects.reserve(static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t at = kHeader + i * kRect;
    rects.push_back(RECT{in.I32(at), in.I32(at + 4), in.I32(at + 8), in.I32(at + 12)});
  }
  RegionRecord record;
  record.shape = RegionShape::FromRects(rects);
  std::lock_guard lock(mutex_);
  if (Faulted(GraphicsStep::ExtCreateRegion)) return nullptr;
  std::uintptr_t value = NewHandleLocked();
  regions_.emplace(value, std::move(record));
  return HandleFrom<HRGN>(value);
}

int SimGraphics::CombineRgn(HRGN target, HRGN first, HRGN second, int mode) {
  std::lock_guard lock(mutex_);
  auto t = regions_.find(ValueOf(target));
  auto a = regions_.find(ValueOf(first));
  auto b = regions_.find(ValueOf(second));
  if (t == regions_.end() || a == regions_.end() || t->second.owner != nullptr) {
    return REGION_ERROR;
  }
  if (mode != RGN_COPY && b == regions_.end()) return REGION_ERROR;
  static const RegionShape kEmpty;
  RegionShape result;
  if (!RegionShape::Combine(a->second.shape, b == regions_.end() ? kEmpty : b->second.shape, mode,
                            &result)) {
    return REGION_ERROR;
  }
  t->second.shape = std::move(result);
  return t->second.shape.Kind();
}

int SimGraphics::SetWindowRgn(HWND window, HRGN region, bool redraw) {
  if (!windows_.IsWindow(window)) return 0;
  {
    std::lock_guard lock(mutex_);
    auto given = regions_.find(ValueOf(region));
    if (region != nullptr && (given == regions_.end() || given->second.owner != nullptr)) {
      return 0;
    }
    if (auto held = windowRgn_.find(ValueOf(window)); held != windowRgn_.end()) {
      regions_.erase(held->second);
      windowRgn_.erase(held);
    }
    if (region != nullptr) {
      given->second.owner = window;
      windowRgn_[ValueOf(window)] = ValueOf(region);
    }
  }
  if (redraw) windows_.Invalidate(window, nullptr, true);
  return 1;
}

// --- The desktop's own controls ---

void SimGraphics::WindowDestroyed(HWND window) {
  std::lock_guard lock(mutex_);
  surfaces_.erase(ValueOf(window));
  if (auto held = windowRgn_.find(ValueOf(window)); held != windowRgn_.end()) {
    regions_.erase(held->second);
    windowRgn_.erase(held);
  }
  std::erase_if(dcs_, [&](const auto& entry) { return entry.second.window == window; });
}

std::optional<Pixels> SimGraphics::BitmapPixels(HBITMAP bitmap) const {
  std::lock_guard lock(mutex_);
  const BitmapRecord* b = BitmapLocked(bitmap);
  if (b == nullptr) return std::nullopt;
  return PixelsOf(*b);
}

Pixels SimGraphics::PixelsOf(const BitmapRecord& bitmap) {
  Pixels out(bitmap.width, bitmap.height);
  for (int y = 0; y < bitmap.height; ++y) {
    int row = bitmap.bottomUp ? bitmap.height - 1 - y : y;
    std::copy_n(bitmap.store.begin() + static_cast<std::ptrdiff_t>(row) * bitmap.width,
                bitmap.width, out.data.begin() + static_cast<std::ptrdiff_t>(y) * bitmap.width);
  }
  return out;
}

bool SimGraphics::IsMonochrome(HBITMAP bitmap) const {
  std::lock_guard lock(mutex_);
  const BitmapRecord* b = BitmapLocked(bitmap);
  return b != nullptr && b->monochrome;
}

std::optional<RegionShape> SimGraphics::Region(HRGN region) const {
  std::lock_guard lock(mutex_);
  auto it = regions_.find(ValueOf(region));
  if (it == regions_.end()) return std::nullopt;
  return it->second.shape;
}

std::optional<RegionShape> SimGraphics::WindowRegion(HWND window) const {
  std::lock_guard lock(mutex_);
  auto held = windowRgn_.find(ValueOf(window));
  if (held == windowRgn_.end()) return std::nullopt;
  return regions_.at(held->second).shape;
}

std::vector<SimGraphics::TextDraw> SimGraphics::TextDraws() const {
  std::lock_guard lock(mutex_);
  return textDraws_;
}

std::size_t SimGraphics::ObjectCount() const {
  std::lock_guard lock(mutex_);
  return bitmaps_.size() - 1 + regions_.size();  // the stock bitmap does not count
}

std::size_t SimGraphics::DcCount() const {
  std::lock_guard lock(mutex_);
  return dcs_.size();
}

void SimGraphics::SetFaultHook(FaultHook hook) {
  std::lock_guard lock(mutex_);
  faultHook_ = std::move(hook);
}

}  // namespace kx::sim
