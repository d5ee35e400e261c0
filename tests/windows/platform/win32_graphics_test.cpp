// GDI through our graphics service: sections, fills, stretching, regions and the picture
// decoder on the shipped skin images.
#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/graphics.h"
#include "platform/graphics_flags.h"
#include "platform/platform.h"
#include "win32_test_support.h"

#include <windows.h>

namespace kx::win32::testing {
namespace {

// The skins beside the test program, where the build copies them.
std::u16string SkinPath(std::u16string_view name) {
  std::u16string path = os::Files().ModulePath();
  path.erase(path.find_last_of(u'\\') + 1);
  return path + u"skins\\" + std::u16string(name);
}

// A 32-bit top-down section selected into a memory device context.
struct Surface {
  Surface(int width, int height) : w(width), h(height) {
    Graphics& g = os::Graphics();
    dc = g.CreateCompatibleDC(nullptr);
    BITMAPINFOHEADER header;
    header.biWidth = width;
    header.biHeight = -height;
    header.biBitCount = 32;
    bitmap = g.CreateDIBSection(dc, header, &bits);
    old = g.SelectObject(dc, bitmap);
  }
  ~Surface() {
    Graphics& g = os::Graphics();
    g.SelectObject(dc, old);
    g.DeleteObject(bitmap);
    g.DeleteDC(dc);
  }
  std::uint32_t At(int x, int y) const {
    ::GdiFlush();
    return static_cast<const std::uint32_t*>(bits)[y * w + x] & 0xFFFFFF;
  }
  int w;
  int h;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HBITMAP old = nullptr;
  void* bits = nullptr;
};

std::vector<BYTE> RegionData(const std::vector<RECT>& rects) {
  std::vector<BYTE> data;
  auto put = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
      data.push_back(static_cast<BYTE>(v >> (8 * i)));
  };
  put(RGNDATAHEADER_SIZE);
  put(RDH_RECTANGLES);
  put(static_cast<std::uint32_t>(rects.size()));
  put(static_cast<std::uint32_t>(rects.size() * 16));
  for (int i = 0; i < 4; ++i)
    put(0);  // bounding rectangle: the system works it out
  for (const RECT& r : rects) {
    put(static_cast<std::uint32_t>(r.left));
    put(static_cast<std::uint32_t>(r.top));
    put(static_cast<std::uint32_t>(r.right));
    put(static_cast<std::uint32_t>(r.bottom));
  }
  return data;
}

TEST(Win32Graphics, SectionsFillAndStretchPixelForPixel) {
  Graphics& g = os::Graphics();
  Surface source(2, 1);
  ASSERT_NE(source.bitmap, nullptr);
  ASSERT_NE(source.bits, nullptr);
  BITMAP info;
  ASSERT_TRUE(g.GetBitmapInfo(source.bitmap, &info));
  EXPECT_EQ(info.bmWidth, 2);
  EXPECT_EQ(info.bmBitsPixel, 32);
  EXPECT_EQ(info.bmBits, source.bits);

  ASSERT_TRUE(g.FillSolidRect(source.dc, RECT{0, 0, 1, 1}, Rgb(255, 85, 0)));
  ASSERT_TRUE(g.FillSolidRect(source.dc, RECT{1, 0, 2, 1}, Rgb(0, 0, 255)));
  EXPECT_EQ(source.At(0, 0), 0xFF5500u);  // stored blue, green, red: read as 0xRRGGBB
  EXPECT_EQ(source.At(1, 0), 0x0000FFu);

  Surface target(4, 1);
  ASSERT_TRUE(g.StretchBlt(target.dc, 0, 0, 4, 1, source.dc, 0, 0, 2, 1, SRCCOPY));
  EXPECT_EQ(target.At(1, 0), 0xFF5500u);
  EXPECT_EQ(target.At(2, 0), 0x0000FFu);
  EXPECT_FALSE(g.BitBlt(target.dc, 0, 0, 1, 1, source.dc, 0, 0, 0x00EE0086));  // SRCPAINT

  BITMAPINFOHEADER wrong;
  wrong.biWidth = 4;
  wrong.biHeight = 4;
  wrong.biBitCount = 24;
  void* bits = nullptr;
  EXPECT_EQ(g.CreateDIBSection(source.dc, wrong, &bits), nullptr);
  EXPECT_EQ(g.CreateCompatibleBitmap(source.dc, 0, 5), nullptr);
}

TEST(Win32Graphics, RegionsFromRectangleData) {
  Graphics& g = os::Graphics();
  HRGN a = g.ExtCreateRegion(RegionData({RECT{0, 0, 10, 10}}));
  HRGN b = g.ExtCreateRegion(RegionData({RECT{20, 0, 30, 10}, RECT{0, 20, 5, 25}}));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(g.CombineRgn(a, a, b, RGN_OR), COMPLEXREGION);
  EXPECT_TRUE(::PtInRegion(reinterpret_cast<::HRGN>(a), 25, 5));
  EXPECT_FALSE(::PtInRegion(reinterpret_cast<::HRGN>(a), 15, 5));
  EXPECT_TRUE(g.DeleteObject(a));
  EXPECT_TRUE(g.DeleteObject(b));

  std::vector<BYTE> shortData = RegionData({RECT{0, 0, 1, 1}});
  shortData.resize(shortData.size() - 1);
  EXPECT_EQ(g.ExtCreateRegion(shortData), nullptr);
  std::vector<BYTE> badHeader = RegionData({RECT{0, 0, 1, 1}});
  badHeader[0] = 31;
  EXPECT_EQ(g.ExtCreateRegion(badHeader), nullptr);
}

TEST(Win32Graphics, TheDecoderReadsTheShippedSkins) {
  Graphics& g = os::Graphics();
  for (std::u16string_view name : {u"updatebar_Mask.bmp", u"updatebar_n.jpg", u"updatebar_o.jpg"}) {
    std::optional<std::vector<std::uint8_t>> bytes = os::Files().ReadAll(SkinPath(name));
    ASSERT_TRUE(bytes.has_value());
    HBITMAP picture = g.DecodePicture(*bytes);
    ASSERT_NE(picture, nullptr);
    BITMAP info;
    ASSERT_TRUE(g.GetBitmapInfo(picture, &info));
    EXPECT_EQ(info.bmWidth, 420);
    EXPECT_EQ(info.bmHeight, 44);
    EXPECT_TRUE(g.DeleteObject(picture));  // the caller owns it
  }
  const std::vector<BYTE> junk{'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'};
  EXPECT_EQ(g.DecodePicture(junk), nullptr);
  EXPECT_EQ(g.DecodePicture({}), nullptr);
}

}  // namespace
}  // namespace kx::win32::testing
