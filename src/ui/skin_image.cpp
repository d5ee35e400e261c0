#include "ui/skin_image.h"

#include <algorithm>
#include <vector>

#include "platform/files.h"
#include "platform/graphics_flags.h"
#include "platform/platform.h"

namespace kx::ui {

namespace {

// Region data being collected: a 32-byte header and room for rectangles of 16 bytes, grown
// 100 rectangles at a time.
class RectangleBlock {
 public:
  static constexpr DWORD kGrowth = 100;

  RectangleBlock() : bytes_(Bytes(room_)) { Clear(); }

  DWORD Count() const { return count_; }

  void Append(const RECT& r) {
    if (count_ == room_) {
      room_ += kGrowth;
      bytes_.resize(Bytes(room_));
    }
    const std::size_t at = RGNDATAHEADER_SIZE + std::size_t{count_} * 16;
    Put(at, r.left);
    Put(at + 4, r.top);
    Put(at + 8, r.right);
    Put(at + 12, r.bottom);
    ++count_;
    bound_ = RECT{std::min(bound_.left, r.left), std::min(bound_.top, r.top),
                  std::max(bound_.right, r.right), std::max(bound_.bottom, r.bottom)};
  }

  // The whole block with its header brought up to date.
  std::span<const BYTE> Data() {
    Put(0, static_cast<std::int32_t>(RGNDATAHEADER_SIZE));
    Put(4, static_cast<std::int32_t>(RDH_RECTANGLES));
    Put(8, static_cast<std::int32_t>(count_));
    Put(12, 0);  // region size: left to the system
    Put(16, bound_.left);
    Put(20, bound_.top);
    Put(24, bound_.right);
    Put(28, bound_.bottom);
    return bytes_;
  }

  void Clear() {
    count_ = 0;
    bound_ = RECT{0x7FFFFFFF, 0x7FFFFFFF, 0, 0};
  }

 private:
  static std::size_t Bytes(DWORD room) { return RGNDATAHEADER_SIZE + std::size_t{room} * 16; }
  void Put(std::size_t at, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i)
      bytes_[at + i] = static_cast<BYTE>(v >> (8 * i));
  }

  DWORD room_ = kGrowth;
  DWORD count_ = 0;
  RECT bound_;
  std::vector<BYTE> bytes_;
};

// Turns the rectangles collected so far into a region and ORs it into the result.
void FlushInto(HRGN* result, RectangleBlock& block) {
  Graphics& graphics = os::Graphics();
  HRGN piece = graphics.ExtCreateRegion(block.Data());
  if (piece != nullptr) {
    if (*result == nullptr) {
      *result = piece;
    } else {
      graphics.CombineRgn(*result, *result, piece, RGN_OR);
      graphics.DeleteObject(piece);
    }
  }
  block.Clear();
}

// Walks the 32-bit bottom-up section top row first, one rectangle per run of pixels that are
// not pure white; the region call is made 2000 rectangles at a time.
HRGN RegionFromSection(const BYTE* bits, int width, int height) {
  constexpr DWORD kBatch = 2000;
  RectangleBlock block;
  HRGN result = nullptr;
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
  for (int y = 0; y < height; ++y) {
    const BYTE* row = bits + static_cast<std::size_t>(height - 1 - y) * rowBytes;
    auto white = [row](int x) {
      const BYTE* p = row + static_cast<std::size_t>(x) * 4;
      return p[0] == 0xFF && p[1] == 0xFF && p[2] == 0xFF;  // the fourth byte is not looked at
    };
    for (int x = 0; x < width; ++x) {
      if (white(x)) continue;
      const int x0 = x;
      while (x < width && !white(x))
        ++x;
      block.Append(RECT{x0, y, x, y + 1});
      if (block.Count() == kBatch) FlushInto(&result, block);
    }
  }
  FlushInto(&result, block);
  return result;
}

}  // namespace

bool LoadSkinImage(std::u16string_view path, Bitmap& bitmap, SIZE* size) {
  if (size != nullptr) *size = SIZE{};
  std::optional<std::vector<std::uint8_t>> bytes = os::Files().ReadAll(path);
  if (!bytes) return false;
  HBITMAP decoded = os::Graphics().DecodePicture(*bytes);
  if (decoded == nullptr) return false;
  bitmap.Attach(decoded);
  if (size != nullptr) *size = bitmap.Size();
  return true;
}

void CopyBitmapRect(Bitmap& target, HDC dc, const Bitmap& source, int left, int top, int right,
                    int bottom) {
  if (!source) return;
  const int width = right - left;
  const int height = bottom - top;
  Graphics& graphics = os::Graphics();
  target.Attach(graphics.CreateCompatibleBitmap(dc, width, height));
  if (!target) return;
  MemoryDc from(dc);
  MemoryDc to(dc);
  if (!from || !to) return;
  SelectedBitmap fromBitmap(from.Get(), source.Handle());
  SelectedBitmap toBitmap(to.Get(), target.Handle());
  if (!fromBitmap || !toBitmap) return;
  graphics.StretchBlt(to.Get(), 0, 0, width, height, from.Get(), left, top, width, height, SRCCOPY);
}

HRGN RegionFromMask(HBITMAP mask) {
  if (mask == nullptr) return nullptr;
  Graphics& graphics = os::Graphics();
  HDC sectionDc = graphics.CreateCompatibleDC(nullptr);
  if (sectionDc == nullptr) return nullptr;

  BITMAP info;
  BITMAPINFOHEADER header;
  void* bits = nullptr;
  HBITMAP section = nullptr;
  if (graphics.GetBitmapInfo(mask, &info)) {
    header.biWidth = info.bmWidth;
    header.biHeight = info.bmHeight;  // positive: bottom-up
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    section = graphics.CreateDIBSection(sectionDc, header, &bits);
  }
  if (section == nullptr) {
    graphics.DeleteDC(sectionDc);
    return nullptr;
  }
  HBITMAP oldSection = graphics.SelectObject(sectionDc, section);

  HRGN result = nullptr;
  HDC maskDc = graphics.CreateCompatibleDC(sectionDc);
  if (maskDc != nullptr) {
    HBITMAP oldMask = graphics.SelectObject(maskDc, mask);
    // A mask that cannot be selected (it is selected elsewhere) cannot be read: no region.
    if (oldMask != nullptr &&
        graphics.BitBlt(sectionDc, 0, 0, info.bmWidth, info.bmHeight, maskDc, 0, 0, SRCCOPY)) {
      result = RegionFromSection(static_cast<const BYTE*>(bits), info.bmWidth, info.bmHeight);
    }
    if (oldMask != nullptr) graphics.SelectObject(maskDc, oldMask);
    graphics.DeleteDC(maskDc);
  }

  graphics.SelectObject(sectionDc, oldSection);
  graphics.DeleteObject(section);
  graphics.DeleteDC(sectionDc);
  return result;
}

}  // namespace kx::ui
