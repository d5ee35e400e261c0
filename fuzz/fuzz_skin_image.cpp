// Skin images of arbitrary bytes, loaded as the progress window loads them, and the region of
// the loaded picture used as a mask. Invariants: a file that loads has a positive size that
// matches its bitmap and is what the BMP or JPEG decoder makes of the bytes; a file that does
// not load leaves the bitmap as it was and gives 0 x 0; a decoded BMP written out and read
// again gives the same pixels; nothing leaks.
#include <cstdint>
#include <fstream>
#include <optional>

#include "fuzz_support.h"
#include "platform/sim/picture_files.h"
#include "ui/gdi_objects.h"
#include "ui/skin_image.h"

namespace {

using kx::sim::Pixels;

constexpr char16_t kPath[] = u"C:\\Program Files\\Kestrix\\skin.bmp";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kx::sim::Desktop& desktop = kx::fuzz::FuzzDesktop::Get().Desktop();
  kx::sim::SimGraphics& graphics = desktop.Graphics();
  const std::span<const std::uint8_t> bytes(data, size);
  {
    std::ofstream out(desktop.HostProgramFolder() / "skin.bmp", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const std::size_t objects = graphics.ObjectCount();
  const std::size_t dcs = graphics.DcCount();

  std::optional<Pixels> decoded = kx::sim::DecodeBmp(bytes);
  const bool bmp = decoded.has_value();
  if (!decoded) decoded = kx::sim::DecodeJpeg(bytes);
  if (decoded) {
    KX_FUZZ_CHECK(decoded->width > 0 && decoded->height > 0);
    KX_FUZZ_CHECK(std::int64_t{decoded->width} * decoded->height <= kx::sim::kMaxPixels);
    KX_FUZZ_CHECK(decoded->data.size() == static_cast<std::size_t>(decoded->width) *
                                              static_cast<std::size_t>(decoded->height));
  }
  if (bmp) {
    const std::optional<Pixels> again = kx::sim::DecodeBmp(kx::sim::EncodeBmp24(*decoded));
    KX_FUZZ_CHECK(again && again->width == decoded->width && again->data == decoded->data);
  }

  {
    const kx::HDC screen = graphics.GetDC(nullptr);
    kx::ui::Bitmap bitmap(graphics.CreateCompatibleBitmap(screen, 3, 2));
    graphics.ReleaseDC(nullptr, screen);
    const kx::HBITMAP before = bitmap.Handle();
    kx::SIZE loaded{-1, -1};
    const bool ok = kx::ui::LoadSkinImage(kPath, bitmap, &loaded);
    KX_FUZZ_CHECK(ok == decoded.has_value());
    if (ok) {
      KX_FUZZ_CHECK(loaded.cx == decoded->width && loaded.cy == decoded->height);
      KX_FUZZ_CHECK(graphics.BitmapPixels(bitmap.Handle())->data == decoded->data);
      // The picture as the window's mask.
      kx::HRGN region = kx::ui::RegionFromMask(bitmap.Handle());
      KX_FUZZ_CHECK(region != nullptr);
      const kx::RECT bounds = graphics.Region(region)->Bounds();
      KX_FUZZ_CHECK(graphics.Region(region)->Empty() ||
                    (bounds.left >= 0 && bounds.top >= 0 && bounds.right <= loaded.cx &&
                     bounds.bottom <= loaded.cy));
      graphics.DeleteObject(region);
    } else {
      KX_FUZZ_CHECK(loaded.cx == 0 && loaded.cy == 0 && bitmap.Handle() == before);
    }
  }
  KX_FUZZ_CHECK(graphics.ObjectCount() == objects && graphics.DcCount() == dcs);
  return 0;
}
