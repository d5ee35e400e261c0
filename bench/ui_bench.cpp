// Speed of the loading window's drawing: mask regions, the bar's synchronous repaint and the
// skin picture decoder, on the simulated desktop.
#include <benchmark/benchmark.h>

#include "platform/messages.h"
#include "platform/platform.h"
#include "platform/sim/desktop.h"
#include "platform/sim/picture_files.h"
#include "platform/sim/recording_window.h"
#include "platform/sim/temp_folder.h"
#include "ui/marker.h"
#include "ui/skin_image.h"

namespace {

using kx::sim::Pixels;

struct Scene {
  kx::sim::TempFolder folder{"kestrix-bench"};
  kx::sim::Desktop desktop{kx::sim::DesktopOptions{folder.Path()}};
};

// A pill of ink on white, the shape of the shipped mask.
Pixels Pill(int width, int height) {
  Pixels mask(width, height, 0xFFFFFF);
  const int r = height / 2;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int cx = x < r ? r : (x >= width - r ? width - r - 1 : x);
      if ((x - cx) * (x - cx) + (y - r) * (y - r) <= r * r) mask.At(x, y) = 0;
    }
  }
  return mask;
}

Pixels Checkerboard(int side) {
  Pixels mask(side, side, 0xFFFFFF);
  for (int y = 0; y < side; ++y) {
    for (int x = (y % 2); x < side; x += 2)
      mask.At(x, y) = 0;
  }
  return mask;
}

void RegionOf(benchmark::State& state, const Pixels& picture) {
  Scene scene;
  kx::ui::Bitmap mask(scene.desktop.Graphics().DecodePicture(kx::sim::EncodeBmp24(picture)));
  for (auto _ : state) {
    kx::HRGN region = kx::ui::RegionFromMask(mask.Handle());
    benchmark::DoNotOptimize(region);
    scene.desktop.Graphics().DeleteObject(region);
  }
}

void BM_RegionFromMask_SkinPill(benchmark::State& state) {
  RegionOf(state, Pill(420, 44));
}
BENCHMARK(BM_RegionFromMask_SkinPill)->Unit(benchmark::kMicrosecond);

// 131072 one-pixel runs: 66 region calls of 2000 rectangles ORed together.
void BM_RegionFromMask_Checkerboard512(benchmark::State& state) {
  RegionOf(state, Checkerboard(512));
}
BENCHMARK(BM_RegionFromMask_Checkerboard512)->Unit(benchmark::kMillisecond);

// One step of the bar while the keyboard is written: SetPos paints through the off-screen
// bitmap before it returns.
void BM_MarkerSetPos(benchmark::State& state) {
  Scene scene;
  kx::sim::RecordingWindow parent;
  parent.Open(u"owner");
  scene.desktop.Windows().SetWindowPos(parent.Handle(), nullptr, 0, 0, 420, 44, kx::SWP_NOZORDER);
  scene.desktop.Windows().Show(parent.Handle(), kx::SW_SHOW);
  kx::ui::CDMarker marker;
  marker.Create(kx::RECT{0, 0, 420, 44}, &parent, u"", 0);
  kx::ui::Bitmap empty(
      scene.desktop.Graphics().DecodePicture(kx::sim::EncodeBmp24(Pixels(420, 44, 0x303030))));
  kx::ui::Bitmap full(
      scene.desktop.Graphics().DecodePicture(kx::sim::EncodeBmp24(Pixels(420, 44, 0x2080FF))));
  marker.SetImages(empty, full, kx::RECT{0, 0, 420, 44});
  marker.m_nMax = 100;
  int pos = 0;
  for (auto _ : state) {
    marker.SetPos(pos);
    pos = (pos + 10) % 110;
  }
}
BENCHMARK(BM_MarkerSetPos)->Unit(benchmark::kMicrosecond);

void BM_DecodeSkinJpeg(benchmark::State& state) {
  Scene scene;
  Pixels bar(420, 44);
  for (int y = 0; y < 44; ++y) {
    for (int x = 0; x < 420; ++x)
      bar.At(x, y) = kx::sim::PixelRgb(static_cast<std::uint8_t>(x / 2),
                                       static_cast<std::uint8_t>(y * 5), 200);
  }
  const std::vector<std::uint8_t> jpeg = kx::sim::EncodeJpeg(bar, 92);
  for (auto _ : state) {
    kx::HBITMAP bitmap = scene.desktop.Graphics().DecodePicture(jpeg);
    benchmark::DoNotOptimize(bitmap);
    scene.desktop.Graphics().DeleteObject(bitmap);
  }
}
BENCHMARK(BM_DecodeSkinJpeg)->Unit(benchmark::kMicrosecond);

}  // namespace
