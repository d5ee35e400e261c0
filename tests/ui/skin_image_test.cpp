#include "ui/skin_image.h"

#include "platform/graphics_flags.h"
#include "platform/platform.h"
#include "ui/gdi_objects.h"
#include "ui_fixture.h"

namespace kx::ui {
namespace {

using sim::Pixels;
using testing::kInk;
using testing::kWhite;

class SkinImageTest : public testing::UiTest {
 protected:
  // A colour bitmap holding the picture.
  HBITMAP BitmapOf(const Pixels& picture) {
    return graphics_.DecodePicture(sim::EncodeBmp24(picture));
  }
  // The region RegionFromMask makes of the picture, as a shape; nothing for null.
  std::optional<sim::RegionShape> MaskShape(const Pixels& mask) {
    Bitmap bitmap(BitmapOf(mask));
    HRGN region = RegionFromMask(bitmap.Handle());
    if (region == nullptr) return std::nullopt;
    std::optional<sim::RegionShape> shape = graphics_.Region(region);
    graphics_.DeleteObject(region);
    return shape;
  }
  // The runs of pixels that are not pure white, one rectangle each, made into one region.
  static sim::RegionShape RunsOf(const Pixels& mask) {
    std::vector<RECT> runs;
    for (int y = 0; y < mask.height; ++y) {
      for (int x = 0; x < mask.width; ++x) {
        if ((mask.At(x, y) & sim::kColourMask) != kWhite) runs.push_back(RECT{x, y, x + 1, y + 1});
      }
    }
    return sim::RegionShape::FromRects(runs);
  }
  // A mask with exactly n one-pixel runs (every other pixel of each row).
  static Pixels MaskWithRuns(int n) {
    constexpr int kPerRow = 50;
    Pixels mask(2 * kPerRow, (n + kPerRow - 1) / kPerRow, kWhite);
    for (int i = 0; i < n; ++i)
      mask.At(2 * (i % kPerRow), i / kPerRow) = kInk;
    return mask;
  }
};

TEST_F(SkinImageTest, LoadsJpegAndBmpFilesAndLeavesTheBitmapAloneOnFailure) {
  Pixels picture(7, 3, 0x336699);
  WriteAgentFile("skins\\a.jpg", sim::EncodeJpeg(picture, 90));
  WriteAgentFile("skins\\b.bmp", sim::EncodeBmp24(picture));
  WriteAgentFile("skins\\broken.jpg", {0xFF, 0xD8, 0xFF, 0xE0, 0, 0});
  for (const char* name : {"skins\\a.jpg", "skins\\b.bmp"}) {
    Bitmap bitmap;
    SIZE size;
    ASSERT_TRUE(LoadSkinImage(AgentPath(name), bitmap, &size)) << name;
    EXPECT_EQ(size, (SIZE{7, 3}));
    EXPECT_EQ(bitmap.Size(), (SIZE{7, 3}));
  }

  Bitmap held(BitmapOf(Pixels(2, 2, kInk)));
  const HBITMAP before = held.Handle();
  for (const char* name : {"skins\\missing.jpg", "skins\\broken.jpg", "skins"}) {
    SIZE size{9, 9};
    EXPECT_FALSE(LoadSkinImage(AgentPath(name), held, &size)) << name;
    EXPECT_EQ(size, (SIZE{0, 0}));
    EXPECT_EQ(held.Handle(), before);
  }
  // Loading again replaces (and frees) what the bitmap held.
  const std::size_t objects = graphics_.ObjectCount();
  ASSERT_TRUE(LoadSkinImage(AgentPath("skins\\b.bmp"), held, nullptr));
  EXPECT_EQ(graphics_.ObjectCount(), objects);
}

TEST_F(SkinImageTest, CopyBitmapRectCutsTheRectangleIntoABitmapOfItsOwn) {
  Pixels picture(6, 4);
  for (int i = 0; i < 24; ++i)
    picture.data[static_cast<std::size_t>(i)] = 0x010101u * static_cast<std::uint32_t>(i);
  Bitmap source(BitmapOf(picture));
  HDC screen = graphics_.GetDC(nullptr);

  for (const RECT rect : {RECT{0, 0, 3, 2}, RECT{2, 1, 6, 4}}) {
    Bitmap target;
    CopyBitmapRect(target, screen, source, rect.left, rect.top, rect.right, rect.bottom);
    ASSERT_TRUE(target);
    const Pixels copy = *graphics_.BitmapPixels(target.Handle());
    ASSERT_EQ(copy.width, rect.Width());
    ASSERT_EQ(copy.height, rect.Height());
    for (int y = 0; y < copy.height; ++y) {
      for (int x = 0; x < copy.width; ++x) {
        EXPECT_EQ(copy.At(x, y), picture.At(rect.left + x, rect.top + y));
      }
    }
    EXPECT_FALSE(graphics_.IsMonochrome(target.Handle()));
  }

  // An empty source leaves the target as it was.
  Bitmap target(BitmapOf(Pixels(1, 1, kInk)));
  const HBITMAP before = target.Handle();
  CopyBitmapRect(target, screen, Bitmap(), 0, 0, 3, 2);
  EXPECT_EQ(target.Handle(), before);
  graphics_.ReleaseDC(nullptr, screen);
  EXPECT_EQ(graphics_.DcCount(), 0u);
}

TEST_F(SkinImageTest, MaskRegionIsEveryPixelThatIsNotPureWhite) {
  EXPECT_EQ(RegionFromMask(nullptr), nullptr);
  // All white: an empty region, not null.
  std::optional<sim::RegionShape> white = MaskShape(Pixels(5, 4, kWhite));
  ASSERT_TRUE(white.has_value());
  EXPECT_TRUE(white->Empty());
  // Blue, green, red 0xFF, 0xFF, 0xFE is not pure white.
  Pixels nearWhite(3, 1, kWhite);
  nearWhite.At(1, 0) = 0xFEFFFF;
  EXPECT_EQ(MaskShape(nearWhite)->Rects(), (std::vector<RECT>{{1, 0, 2, 1}}));
  // A pill: the same pixels, counted from the top row down.
  const Pixels pill = testing::PillMask(60, 16);
  const sim::RegionShape shape = *MaskShape(pill);
  EXPECT_EQ(shape, RunsOf(pill));
  EXPECT_EQ(shape.Bounds(), (RECT{0, 0, 60, 16}));
  EXPECT_FALSE(shape.Contains(0, 0));
  EXPECT_TRUE(shape.Contains(30, 0));
  EXPECT_EQ(graphics_.ObjectCount(), 0u);
  EXPECT_EQ(graphics_.DcCount(), 0u);
}

TEST_F(SkinImageTest, MaskRegionIgnoresTheFourthByte) {
  // A 32-bit section whose white pixels carry different fourth bytes.
  BITMAPINFOHEADER header;
  header.biWidth = 3;
  header.biHeight = 1;
  header.biBitCount = 32;
  void* bits = nullptr;
  Bitmap mask(graphics_.CreateDIBSection(nullptr, header, &bits));
  auto* pixels = static_cast<std::uint32_t*>(bits);
  pixels[0] = 0x00FFFFFF;
  pixels[1] = 0x7FFFFFFF;
  pixels[2] = 0xFF000000;
  HRGN region = RegionFromMask(mask.Handle());
  EXPECT_EQ(graphics_.Region(region)->Rects(), (std::vector<RECT>{{2, 0, 3, 1}}));
  graphics_.DeleteObject(region);
}

TEST_F(SkinImageTest, LargeMasksAreBuiltTwoThousandRectanglesAtATime) {
  struct Case {
    int runs;
    int regionCalls;
  };
  for (const Case c : {Case{1999, 1}, Case{2000, 2}, Case{2001, 2}, Case{4500, 3}}) {
    SCOPED_TRACE(c.runs);
    int calls = 0;
    graphics_.SetFaultHook([&](sim::GraphicsStep step) {
      calls += step == sim::GraphicsStep::ExtCreateRegion;
      return false;
    });
    const Pixels mask = MaskWithRuns(c.runs);
    const sim::RegionShape shape = *MaskShape(mask);
    graphics_.SetFaultHook(nullptr);
    EXPECT_EQ(calls, c.regionCalls);
    EXPECT_EQ(shape, RunsOf(mask));  // the same region as one built in one piece
    int area = 0;
    for (const RECT& r : shape.Rects())
      area += r.Width() * r.Height();
    EXPECT_EQ(area, c.runs);
  }
  EXPECT_EQ(graphics_.ObjectCount(), 0u);
}

TEST_F(SkinImageTest, MaskRegionIsNullWhenItsDrawingObjectsCannotBeMade) {
  Bitmap mask(BitmapOf(testing::PillMask(20, 8)));
  struct Case {
    const char* name;
    sim::GraphicsStep step;
    int occurrence;  // which call of that step fails
  };
  for (const Case c : {Case{"screen-compatible DC", sim::GraphicsStep::CreateCompatibleDC, 1},
                       Case{"section", sim::GraphicsStep::CreateDIBSection, 1},
                       Case{"mask DC", sim::GraphicsStep::CreateCompatibleDC, 2}}) {
    SCOPED_TRACE(c.name);
    int seen = 0;
    graphics_.SetFaultHook(
        [&](sim::GraphicsStep step) { return step == c.step && ++seen == c.occurrence; });
    EXPECT_EQ(RegionFromMask(mask.Handle()), nullptr);
    graphics_.SetFaultHook(nullptr);
    EXPECT_EQ(graphics_.ObjectCount(), 1u);  // only the mask itself
    EXPECT_EQ(graphics_.DcCount(), 0u);
  }
}

}  // namespace
}  // namespace kx::ui
