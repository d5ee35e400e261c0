#include "platform/sim/sim_graphics.h"

#include <gtest/gtest.h>

#include "platform/graphics_flags.h"
#include "platform/messages.h"
#include "platform/sim/desktop.h"
#include "platform/sim/picture_files.h"
#include "platform/sim/recording_window.h"
#include "platform/sim/temp_folder.h"

namespace kx::sim {
namespace {

constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;
constexpr std::uint32_t kWhite = 0xFFFFFF, kGrey = 0x111111;

COLORREF ColorrefOf(std::uint32_t pixel) {
  return Rgb(RedOf(pixel), GreenOf(pixel), BlueOf(pixel));
}

class SimGraphicsTest : public ::testing::Test {
 protected:
  // A colour bitmap holding the picture, made through the picture decoder.
  HBITMAP BitmapOf(const Pixels& picture) { return g_.DecodePicture(EncodeBmp24(picture)); }
  HBITMAP Filled(int width, int height, std::uint32_t pixel) {
    return BitmapOf(Pixels(width, height, pixel));
  }
  // A memory device context with the bitmap selected; DeleteDC releases it again.
  HDC Holding(HBITMAP bitmap) {
    HDC dc = g_.CreateCompatibleDC(nullptr);
    g_.SelectObject(dc, bitmap);
    return dc;
  }
  // A shown top-level window (or child) at rect.
  void Place(RecordingWindow& window, const RECT& rect, HWND parent = nullptr,
             bool visible = true) {
    ASSERT_TRUE(window.Open(u"w", u"", parent));
    desktop_.Windows().SetWindowPos(window.Handle(), nullptr, rect.left, rect.top, rect.Width(),
                                    rect.Height(), SWP_NOZORDER);
    if (visible) desktop_.Windows().Show(window.Handle(), SW_SHOW);
  }
  void Paint(HWND window, const RECT& rect, std::uint32_t pixel) {
    HDC dc = g_.GetDC(window);
    g_.FillSolidRect(dc, rect, ColorrefOf(pixel));
    g_.ReleaseDC(window, dc);
  }

  TempFolder folder_;
  Desktop desktop_{DesktopOptions{folder_.Path()}};
  SimGraphics& g_ = desktop_.Graphics();
};

TEST_F(SimGraphicsTest, CompatibleBitmapsTakeTheFormatOfTheirDeviceContext) {
  HDC screen = g_.GetDC(nullptr);
  HBITMAP colour = g_.CreateCompatibleBitmap(screen, 2, 1);
  HDC fresh = g_.CreateCompatibleDC(screen);
  HBITMAP mono = g_.CreateCompatibleBitmap(fresh, 2, 1);  // the classic pitfall
  EXPECT_FALSE(g_.IsMonochrome(colour));
  EXPECT_TRUE(g_.IsMonochrome(mono));
  BITMAP info;
  ASSERT_TRUE(g_.GetBitmapInfo(mono, &info));
  EXPECT_EQ(info.bmBitsPixel, 1);
  EXPECT_EQ(info.bmBits, nullptr);

  // A monochrome bitmap keeps white and turns every other colour black.
  g_.SelectObject(fresh, mono);
  g_.FillSolidRect(fresh, RECT{0, 0, 1, 1}, Rgb(255, 255, 255));
  g_.FillSolidRect(fresh, RECT{1, 0, 2, 1}, Rgb(255, 255, 254));
  EXPECT_EQ(g_.BitmapPixels(mono)->data, (std::vector<std::uint32_t>{kWhite, 0}));
  // With a colour bitmap selected, the memory device context makes colour bitmaps.
  HBITMAP other = g_.CreateCompatibleBitmap(screen, 1, 1);
  g_.SelectObject(fresh, other);
  HBITMAP colourToo = g_.CreateCompatibleBitmap(fresh, 1, 1);
  EXPECT_FALSE(g_.IsMonochrome(colourToo));

  EXPECT_EQ(g_.CreateCompatibleBitmap(screen, 0, 5), nullptr);
  EXPECT_FALSE(g_.FillSolidRect(screen, RECT{0, 0, 1, 1}, 0));  // nothing draws on the screen
  g_.ReleaseDC(nullptr, screen);
  g_.DeleteDC(fresh);
  for (HBITMAP b : {colour, mono, other, colourToo})
    EXPECT_TRUE(g_.DeleteObject(b));
  EXPECT_EQ(g_.ObjectCount(), 0u);
  EXPECT_EQ(g_.DcCount(), 0u);
}

TEST_F(SimGraphicsTest, BitBltCopiesOnlyWhereBothSidesHavePixels) {
  Pixels source(4, 2);
  source.data = {1, 2, 3, 4, 5, 6, 7, 8};
  HDC from = Holding(BitmapOf(source));
  HBITMAP target = Filled(3, 3, kGrey);
  HDC to = Holding(target);

  ASSERT_TRUE(g_.BitBlt(to, 1, 1, 3, 3, from, 2, 0, SRCCOPY));
  EXPECT_EQ(g_.BitmapPixels(target)->data, (std::vector<std::uint32_t>{kGrey, kGrey, kGrey,  //
                                                                       kGrey, 3, 4,          //
                                                                       kGrey, 7, 8}));
  EXPECT_FALSE(g_.BitBlt(to, 0, 0, 1, 1, from, 0, 0, 0x00EE0086));  // only SRCCOPY
}

TEST_F(SimGraphicsTest, StretchBltPicksTheNearestPixelAndMirrors) {
  Pixels source(2, 1);
  source.data = {kRed, kBlue};
  HDC from = Holding(BitmapOf(source));
  HBITMAP target = Filled(4, 2, 0);
  HDC to = Holding(target);

  ASSERT_TRUE(g_.StretchBlt(to, 0, 0, 4, 2, from, 0, 0, 2, 1, SRCCOPY));
  EXPECT_EQ(g_.BitmapPixels(target)->data,
            (std::vector<std::uint32_t>{kRed, kRed, kBlue, kBlue, kRed, kRed, kBlue, kBlue}));
  ASSERT_TRUE(g_.StretchBlt(to, 4, 0, -4, 1, from, 0, 0, 2, 1, SRCCOPY));
  EXPECT_EQ(g_.BitmapPixels(target)->At(0, 0), kBlue);
  EXPECT_EQ(g_.BitmapPixels(target)->At(3, 0), kRed);
}

TEST_F(SimGraphicsTest, DibSectionsKeepTheirRowsInMemoryOrder) {
  for (LONG height : {2, -2}) {
    SCOPED_TRACE(height);
    BITMAPINFOHEADER header;
    header.biWidth = 3;
    header.biHeight = height;
    header.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP section = g_.CreateDIBSection(nullptr, header, &bits);
    ASSERT_NE(section, nullptr);
    HDC dc = Holding(section);
    g_.FillSolidRect(dc, RECT{0, 0, 3, 1}, Rgb(255, 0, 0));  // the top row
    // Bottom-up sections keep the top row last in memory; each pixel is blue, green, red, 0.
    const auto* bytes = static_cast<const std::uint8_t*>(bits);
    const std::size_t topRow = height > 0 ? 12 : 0;
    const std::size_t otherRow = height > 0 ? 0 : 12;
    EXPECT_EQ(bytes[topRow + 2], 0xFF);
    EXPECT_EQ(bytes[topRow + 0], 0x00);
    EXPECT_EQ(bytes[otherRow + 2], 0x00);
    BITMAP info;
    ASSERT_TRUE(g_.GetBitmapInfo(section, &info));
    EXPECT_EQ(info.bmBits, bits);
    EXPECT_EQ(info.bmHeight, 2);
    g_.DeleteDC(dc);
    EXPECT_TRUE(g_.DeleteObject(section));
  }
  BITMAPINFOHEADER wrong;
  wrong.biWidth = 1;
  wrong.biHeight = 1;
  wrong.biBitCount = 24;
  void* bits = &wrong;
  EXPECT_EQ(g_.CreateDIBSection(nullptr, wrong, &bits), nullptr);
  EXPECT_EQ(bits, nullptr);
}

TEST_F(SimGraphicsTest, ABitmapLivesInOneDeviceContextAndCannotBeDeletedThere) {
  HBITMAP bitmap = Filled(1, 1, kRed);
  HDC first = g_.CreateCompatibleDC(nullptr);
  HDC second = g_.CreateCompatibleDC(nullptr);
  HBITMAP stock = g_.SelectObject(first, bitmap);
  EXPECT_NE(stock, nullptr);
  EXPECT_EQ(g_.SelectObject(second, bitmap), nullptr);
  EXPECT_FALSE(g_.DeleteObject(bitmap));
  HDC window = g_.GetDC(nullptr);
  EXPECT_EQ(g_.SelectObject(window, bitmap), nullptr);
  g_.ReleaseDC(nullptr, window);

  EXPECT_EQ(g_.SelectObject(first, stock), bitmap);  // deselected: free to go elsewhere
  EXPECT_EQ(g_.SelectObject(second, bitmap), stock);
  EXPECT_TRUE(g_.DeleteDC(second));  // deleting the device context releases it too
  EXPECT_TRUE(g_.DeleteObject(bitmap));
  EXPECT_TRUE(g_.DeleteDC(first));
  EXPECT_EQ(g_.ObjectCount(), 0u);
  EXPECT_EQ(g_.DcCount(), 0u);
}

// Region data: a 32-byte header and 16 bytes per rectangle, little-endian.
std::vector<BYTE> RegionData(const std::vector<RECT>& rects, DWORD headerSize = 32, DWORD type = 1,
                             std::size_t extraCount = 0) {
  std::vector<BYTE> data(32 + 16 * rects.size(), 0);
  auto put = [&](std::size_t at, std::int32_t v) {
    for (std::size_t i = 0; i < 4; ++i)
      data[at + i] = static_cast<BYTE>(static_cast<std::uint32_t>(v) >> (8 * i));
  };
  put(0, static_cast<std::int32_t>(headerSize));
  put(4, static_cast<std::int32_t>(type));
  put(8, static_cast<std::int32_t>(rects.size() + extraCount));
  for (std::size_t i = 0; i < rects.size(); ++i) {
    put(32 + 16 * i, rects[i].left);
    put(36 + 16 * i, rects[i].top);
    put(40 + 16 * i, rects[i].right);
    put(44 + 16 * i, rects[i].bottom);
  }
  return data;
}

TEST_F(SimGraphicsTest, RegionsComeFromWellFormedRectangleDataOnly) {
  const std::vector<RECT> two = {{0, 0, 4, 2}, {2, 1, 6, 3}};
  EXPECT_EQ(g_.ExtCreateRegion(std::vector<BYTE>(31, 0)), nullptr);
  EXPECT_EQ(g_.ExtCreateRegion(RegionData(two, 40)), nullptr);
  EXPECT_EQ(g_.ExtCreateRegion(RegionData(two, 32, 2)), nullptr);
  EXPECT_EQ(g_.ExtCreateRegion(RegionData(two, 32, 1, 1)), nullptr);  // count past the data

  HRGN empty = g_.ExtCreateRegion(RegionData({}));
  ASSERT_NE(empty, nullptr);
  EXPECT_TRUE(g_.Region(empty)->Empty());
  HRGN shape = g_.ExtCreateRegion(RegionData(two));
  EXPECT_EQ(g_.CombineRgn(empty, empty, shape, RGN_OR), COMPLEXREGION);
  EXPECT_EQ(*g_.Region(empty), RegionShape::FromRects(two));
  EXPECT_EQ(g_.CombineRgn(empty, shape, nullptr, RGN_OR), REGION_ERROR);
  EXPECT_EQ(g_.CombineRgn(empty, shape, nullptr, RGN_COPY), COMPLEXREGION);
  EXPECT_TRUE(g_.DeleteObject(empty));
  EXPECT_TRUE(g_.DeleteObject(shape));
  EXPECT_EQ(g_.ObjectCount(), 0u);
}

TEST_F(SimGraphicsTest, AWindowRegionBelongsToTheWindowUntilItGoes) {
  auto window = std::make_unique<RecordingWindow>();
  Place(*window, RECT{0, 0, 8, 8});
  desktop_.RunUntilIdle();
  HRGN first = g_.ExtCreateRegion(RegionData({{0, 0, 4, 4}}));
  HRGN second = g_.ExtCreateRegion(RegionData({{1, 1, 2, 2}}));
  EXPECT_EQ(g_.SetWindowRgn(nullptr, first, true), 0);  // refused: still the caller's
  ASSERT_EQ(g_.SetWindowRgn(window->Handle(), first, true), 1);
  EXPECT_TRUE(desktop_.Windows().TakeInvalidArea(window->Handle(), nullptr, nullptr));
  EXPECT_FALSE(g_.DeleteObject(first));
  EXPECT_EQ(g_.CombineRgn(first, second, nullptr, RGN_COPY), REGION_ERROR);
  EXPECT_EQ(g_.SetWindowRgn(window->Handle(), first, false), 0);  // owned already

  ASSERT_EQ(g_.SetWindowRgn(window->Handle(), second, false), 1);  // the first one is freed
  EXPECT_EQ(g_.WindowRegion(window->Handle())->Rects(), (std::vector<RECT>{{1, 1, 2, 2}}));
  EXPECT_EQ(g_.ObjectCount(), 1u);
  window.reset();
  EXPECT_EQ(g_.ObjectCount(), 0u);
}

TEST_F(SimGraphicsTest, BeginPaintErasesThroughTheWindowAndClipsToTheInvalidArea) {
  for (LRESULT erasedByWindow : {0, 1}) {
    SCOPED_TRACE(erasedByWindow);
    RecordingWindow window;
    window.SetHandler([&](UINT message, WPARAM, LPARAM, bool* handled) {
      *handled = message == WM_ERASEBKGND;
      return *handled ? erasedByWindow : 0;
    });
    Place(window, RECT{0, 0, 6, 6});
    desktop_.Windows().TakeInvalidArea(window.Handle(), nullptr, nullptr);
    window.ClearReceived();
    const RECT dirty{2, 2, 4, 5};
    desktop_.Windows().Invalidate(window.Handle(), &dirty, true);

    PAINTSTRUCT paint;
    HDC dc = g_.BeginPaint(window.Handle(), &paint);
    ASSERT_NE(dc, nullptr);
    const auto erases = window.ReceivedOf(WM_ERASEBKGND);
    ASSERT_EQ(erases.size(), 1u);
    EXPECT_EQ(erases[0].wParam, reinterpret_cast<WPARAM>(dc));
    EXPECT_EQ(paint.fErase, erasedByWindow == 0 ? 1 : 0);
    EXPECT_EQ(paint.rcPaint, dirty);
    g_.FillSolidRect(dc, RECT{0, 0, 6, 6}, Rgb(255, 0, 0));
    EXPECT_TRUE(g_.EndPaint(window.Handle(), paint));
    EXPECT_FALSE(desktop_.Windows().TakeInvalidArea(window.Handle(), nullptr, nullptr));

    const Pixels surface = g_.WindowSurface(window.Handle());
    EXPECT_EQ(surface.At(2, 2), kRed);
    EXPECT_EQ(surface.At(3, 4), kRed);
    EXPECT_EQ(surface.At(1, 2), SimGraphics::kSurfaceColour);
    EXPECT_EQ(surface.At(2, 5), SimGraphics::kSurfaceColour);
  }
  EXPECT_EQ(g_.DcCount(), 0u);
}

TEST_F(SimGraphicsTest, DecodedPicturesAreColourBitmapsTheCallerOwns) {
  Pixels picture(5, 3, kGreen);
  for (const std::vector<std::uint8_t>& file : {EncodeBmp24(picture), EncodeJpeg(picture, 90)}) {
    HBITMAP bitmap = g_.DecodePicture(file);
    ASSERT_NE(bitmap, nullptr);
    BITMAP info;
    ASSERT_TRUE(g_.GetBitmapInfo(bitmap, &info));
    EXPECT_EQ(info.bmWidth, 5);
    EXPECT_EQ(info.bmHeight, 3);
    EXPECT_EQ(info.bmBitsPixel, 32);
    EXPECT_TRUE(g_.DeleteObject(bitmap));
  }
  const std::vector<std::uint8_t> text = {'G', 'I', 'F', '8', '9', 'a'};
  EXPECT_EQ(g_.DecodePicture(text), nullptr);
  EXPECT_EQ(g_.ObjectCount(), 0u);
}

TEST_F(SimGraphicsTest, RenderShowsVisibleChildrenOnTopAndCutsTheRegionAway) {
  RecordingWindow parent, shownChild, hiddenChild;
  Place(parent, RECT{100, 50, 106, 54});
  Place(shownChild, RECT{1, 1, 3, 3}, parent.Handle());
  Place(hiddenChild, RECT{3, 1, 5, 3}, parent.Handle(), false);
  Paint(parent.Handle(), RECT{0, 0, 6, 4}, kBlue);
  Paint(shownChild.Handle(), RECT{0, 0, 2, 2}, kRed);
  Paint(hiddenChild.Handle(), RECT{0, 0, 2, 2}, kGreen);
  g_.SetWindowRgn(parent.Handle(), g_.ExtCreateRegion(RegionData({{0, 0, 5, 4}})), false);

  const Pixels shot = g_.RenderWindow(parent.Handle());
  ASSERT_EQ(shot.width, 6);
  ASSERT_EQ(shot.height, 4);
  EXPECT_EQ(shot.At(0, 0), kAlphaMask | kBlue);
  EXPECT_EQ(shot.At(2, 2), kAlphaMask | kRed);
  EXPECT_EQ(shot.At(3, 1), kAlphaMask | kBlue);  // the hidden child does not show
  EXPECT_EQ(AlphaOf(shot.At(5, 0)), 0);          // outside the region

  const auto png = folder_.Path() / "shot.png";
  ASSERT_TRUE(g_.Screenshot(parent.Handle(), png));
  EXPECT_EQ(ReadPng(png)->data, shot.data);
}

TEST_F(SimGraphicsTest, TextIsRecordedWithItsTargetRectangleFormatAndMode) {
  HBITMAP bitmap = Filled(10, 10, kWhite);
  HDC dc = Holding(bitmap);
  EXPECT_EQ(g_.SetBkMode(dc, BKMODE_TRANSPARENT), BKMODE_OPAQUE);
  RECT rect{1, 2, 9, 8};
  EXPECT_EQ(g_.DrawFormattedText(dc, u"Hi", &rect, DT_CENTER | DT_SINGLELINE),
            SimGraphics::kLineHeight);
  EXPECT_EQ(g_.DrawFormattedText(dc, u"", &rect, 0), 0);
  const auto draws = g_.TextDraws();
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ(draws[0].text, u"Hi");
  EXPECT_EQ(draws[0].bitmap, bitmap);
  EXPECT_EQ(draws[0].rect, rect);
  EXPECT_EQ(draws[0].format, DT_CENTER | DT_SINGLELINE);
  EXPECT_EQ(draws[0].bkMode, BKMODE_TRANSPARENT);
}

}  // namespace
}  // namespace kx::sim
