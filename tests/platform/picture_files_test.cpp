#include "platform/sim/picture_files.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/sim/temp_folder.h"

namespace kx::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

// A BMP file with a 40-byte info header, the given table (palette or masks) and pixel rows
// exactly as given, in file order.
Bytes Bmp(std::int32_t width, std::int32_t height, int bitCount, std::uint32_t compression,
          const Bytes& table, const Bytes& rows) {
  Bytes b(54, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 10, static_cast<std::uint32_t>(54 + table.size()));
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<std::uint32_t>(width));
  Put32(b, 22, static_cast<std::uint32_t>(height));
  Put16(b, 26, 1);
  Put16(b, 28, static_cast<std::uint32_t>(bitCount));
  Put32(b, 30, compression);
  if (bitCount <= 8) Put32(b, 46, static_cast<std::uint32_t>(table.size() / 4));
  b.insert(b.end(), table.begin(), table.end());
  b.insert(b.end(), rows.begin(), rows.end());
  Put32(b, 2, static_cast<std::uint32_t>(b.size()));
  return b;
}

struct BmpCase {
  const char* name;
  Bytes file;
  // Expected pixels, top row first.
  std::vector<std::uint32_t> pixels;
};

constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

TEST(DecodeBmp, ReadsEveryLayoutItAccepts) {
  const std::vector<BmpCase> cases = {
      // 24 bits, bottom-up: each 6-byte row padded to 8. The file's first row is the bottom.
      {"24-bit bottom-up",
       Bmp(2, 2, 24, 0, {},
           {0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0,    // bottom: red, white
            0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0, 0}),  // top: blue, green
       {kBlue, kGreen, kRed, kWhite}},
      {"32-bit top-down, fourth byte ignored",
       Bmp(2, -2, 32, 0, {},
           {0x00, 0x00, 0xFF, 0x7F, 0xFF, 0x00, 0x00, 0x00,    // top: red, blue
            0x00, 0xFF, 0x00, 0xFF, 0xFE, 0xFF, 0xFF, 0x12}),  // bottom: green, near-white
       {kRed, kBlue, kGreen, 0xFFFFFE}},
      {"8-bit palette",
       Bmp(3, 1, 8, 0, {0xFF, 0, 0, 0, 0, 0, 0xFF, 0}, {1, 0, 1, 0}),
       {kRed, kBlue, kRed}},
      {"1-bit palette, bits from the left",
       Bmp(3, 1, 1, 0, {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0}, {0b10100000, 0, 0, 0}),
       {kWhite, 0, kWhite}},
      {"16-bit 5-6-5 bit fields",
       Bmp(2, 1, 16, 3, {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0},
           {0x00, 0xF8, 0x1F, 0x00}),
       {kRed, kBlue}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::optional<Pixels> p = DecodeBmp(c.file);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->data, c.pixels);
  }
}

TEST(DecodeBmp, RefusesWhatItCannotReadSafely) {
  Bytes good = Bmp(2, 2, 24, 0, {}, Bytes(16, 0));
  Bytes truncated(good.begin(), good.end() - 1);
  Bytes hugeClaim = Bmp(100000, 100000, 24, 0, {}, Bytes(16, 0));
  Bytes runLength = Bmp(2, 2, 8, 1, Bytes(8, 0), Bytes(8, 0));
  Bytes paletteBeyondEnd = Bmp(1, 1, 8, 0, {}, {});
  Put32(paletteBeyondEnd, 46, 200);  // 200 colours announced, none there
  Bytes twoPlanes = good;
  Put16(twoPlanes, 26, 2);
  Bytes shortHeader = good;
  Put32(shortHeader, 14, 20);
  Bytes minHeight = Bmp(1, INT32_MIN, 24, 0, {}, Bytes(4, 0));

  for (const Bytes* bad : {&truncated, &hugeClaim, &runLength, &paletteBeyondEnd, &twoPlanes,
                           &shortHeader, &minHeight}) {
    EXPECT_FALSE(DecodeBmp(*bad).has_value());
  }
  EXPECT_FALSE(DecodeBmp(Bytes{'B', 'M'}).has_value());
  EXPECT_FALSE(DecodeBmp(Bytes{}).has_value());
  EXPECT_TRUE(DecodeBmp(good).has_value());
}

TEST(PictureFiles, OurBmpEncoderRoundTrips) {
  Pixels picture(3, 2);
  picture.data = {kRed, kGreen, kBlue, kWhite, 0x123456, 0};
  std::optional<Pixels> back = DecodeBmp(EncodeBmp24(picture));
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->data, picture.data);
}

bool Near(std::uint32_t a, std::uint32_t b, int tolerance) {
  for (int shift : {0, 8, 16}) {
    int ca = static_cast<int>((a >> shift) & 0xFF), cb = static_cast<int>((b >> shift) & 0xFF);
    if (std::abs(ca - cb) > tolerance) return false;
  }
  return true;
}

TEST(DecodeJpeg, DecodesWhatLibjpegEncodedAndRefusesDamage) {
  Pixels picture(32, 16);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 32; ++x)
      picture.At(x, y) = x < 16 ? 0x2060C0 : 0xE0A020;
  }
  Bytes jpeg = EncodeJpeg(picture, 95);
  ASSERT_FALSE(jpeg.empty());
  std::optional<Pixels> back = DecodeJpeg(jpeg);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->width, 32);
  EXPECT_EQ(back->height, 16);
  EXPECT_TRUE(Near(back->At(4, 8), 0x2060C0, 8)) << std::hex << back->At(4, 8);
  EXPECT_TRUE(Near(back->At(28, 8), 0xE0A020, 8)) << std::hex << back->At(28, 8);
  EXPECT_EQ(back->At(4, 8) & kAlphaMask, 0u);

  EXPECT_FALSE(DecodeJpeg(Bytes(jpeg.begin(), jpeg.begin() + 40)).has_value());
  EXPECT_FALSE(DecodeJpeg(Bytes{0xFF, 0xD8, 0xFF, 0x00, 0x01}).has_value());
  EXPECT_FALSE(DecodeJpeg(EncodeBmp24(picture)).has_value());
}

TEST(PictureFiles, PngKeepsColourAndAlpha) {
  TempFolder folder;
  Pixels picture(2, 2);
  picture.data = {0xFFFF0000, 0x00000000, 0x80123456, 0xFFFFFFFF};
  const auto path = folder.Path() / "shot.png";
  ASSERT_TRUE(WritePng(picture, path));
  std::optional<Pixels> back = ReadPng(path);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->width, 2);
  EXPECT_EQ(back->At(0, 0), 0xFFFF0000u);
  EXPECT_EQ(AlphaOf(back->At(1, 0)), 0);
  EXPECT_EQ(back->At(1, 1), 0xFFFFFFFFu);
  EXPECT_EQ(AlphaOf(back->At(0, 1)), 0x80);
  EXPECT_FALSE(WritePng(Pixels(), folder.Path() / "empty.png"));
  EXPECT_FALSE(ReadPng(folder.Path() / "missing.png").has_value());
}

}  // namespace
}  // namespace kx::sim
