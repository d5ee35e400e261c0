// RegionFromMask on arbitrary masks: device-independent sections (top-down or bottom-up, any
// fourth byte) and colour bitmaps, with any one step of the drawing work failing. Invariants:
// the region is exactly the pixels that are not pure white, or (when a step failed) there is
// none; no drawing object or device context is left behind.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_input.h"
#include "fuzz_support.h"
#include "platform/graphics_flags.h"
#include "platform/sim/picture_files.h"
#include "platform/sim/sim_region.h"
#include "ui/gdi_objects.h"
#include "ui/skin_image.h"

namespace {

using kx::sim::GraphicsStep;
using kx::sim::Pixels;

// Pixel values (blue, green, red, fourth byte) chosen to sit on either side of pure white.
constexpr std::uint32_t kPalette[8] = {0x00FFFFFF, 0xFFFFFFFF, 0x00FEFFFF, 0x00FFFEFF,
                                       0x00FFFFFE, 0x00000000, 0x7F202020, 0x80FFFFFF};

bool White(std::uint32_t pixel) {
  return (pixel & kx::sim::kColourMask) == 0xFFFFFF;
}

kx::sim::RegionShape Expected(const Pixels& mask) {
  std::vector<kx::RECT> runs;
  for (int y = 0; y < mask.height; ++y) {
    for (int x = 0; x < mask.width; ++x) {
      if (!White(mask.At(x, y))) runs.push_back(kx::RECT{x, y, x + 1, y + 1});
    }
  }
  return kx::sim::RegionShape::FromRects(runs);
}

// A bitmap holding the mask's pixels: a 32-bit section in either row order, or a colour
// bitmap decoded from a 24-bit file (which drops the fourth byte).
kx::HBITMAP MakeMask(kx::sim::SimGraphics& graphics, const Pixels& mask, std::uint8_t kind) {
  if (kind % 3 == 2) return graphics.DecodePicture(kx::sim::EncodeBmp24(mask));
  const bool topDown = kind % 3 == 1;
  kx::BITMAPINFOHEADER header;
  header.biWidth = mask.width;
  header.biHeight = topDown ? -mask.height : mask.height;
  header.biBitCount = 32;
  header.biCompression = kx::BI_RGB;
  void* bits = nullptr;
  kx::HBITMAP section = graphics.CreateDIBSection(nullptr, header, &bits);
  if (section == nullptr) return nullptr;
  auto* pixels = static_cast<std::uint32_t*>(bits);
  for (int y = 0; y < mask.height; ++y) {
    const int row = topDown ? y : mask.height - 1 - y;
    std::memcpy(pixels + static_cast<std::size_t>(row) * static_cast<std::size_t>(mask.width),
                &mask.data[static_cast<std::size_t>(y) * static_cast<std::size_t>(mask.width)],
                static_cast<std::size_t>(mask.width) * 4);
  }
  return section;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kx::sim::SimGraphics& graphics = kx::fuzz::FuzzDesktop::Get().Desktop().Graphics();
  kx::fuzz::FuzzInput in(data, size);
  const std::uint8_t kind = in.U8();
  const std::uint8_t failAt = in.U8();  // which graphics step fails (0: none)
  const int width = 1 + in.U8();
  const int height = 1 + in.U8() % 128;
  // One byte a pixel, or (with the kind's top bit) a byte a run: its low three bits pick the
  // value, the others how many pixels repeat it. Past the input's end the mask is white.
  Pixels mask(width, height);
  const bool runs = (kind & 0x80) != 0;
  for (std::size_t at = 0; at < mask.data.size();) {
    const std::uint8_t b = in.U8();
    for (std::size_t n = runs ? 1 + (b >> 3) : 1; n > 0 && at < mask.data.size(); --n)
      mask.data[at++] = kPalette[b & 7];
  }

  const std::size_t objects = graphics.ObjectCount();
  const std::size_t dcs = graphics.DcCount();
  kx::ui::Bitmap bitmap(MakeMask(graphics, mask, kind));
  KX_FUZZ_CHECK(bitmap);

  int step = 0;
  bool failed = false;
  graphics.SetFaultHook([&](GraphicsStep) {
    const bool fail = ++step == failAt;
    failed = failed || fail;
    return fail;
  });
  kx::HRGN region = kx::ui::RegionFromMask(bitmap.Handle());
  graphics.SetFaultHook(nullptr);

  if (region != nullptr) {
    KX_FUZZ_CHECK(*graphics.Region(region) == Expected(mask));
    graphics.DeleteObject(region);
  } else {
    KX_FUZZ_CHECK(failed);
  }
  bitmap.Reset();
  KX_FUZZ_CHECK(graphics.ObjectCount() == objects && graphics.DcCount() == dcs);
  return 0;
}
