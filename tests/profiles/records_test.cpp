// The stored records as bytes, and fixed text fields.
#include <array>

#include "profiles/fixed_text.h"
#include "profiles/record_bytes.h"
#include "profiles_fixture.h"

namespace kx::profiles::testing {
namespace {

template <std::size_t N>
std::array<std::uint8_t, N> Pattern(std::uint8_t seed) {
  std::array<std::uint8_t, N> bytes{};
  for (std::size_t i = 0; i < N; ++i)
    bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
  return bytes;
}

TEST(RecordBytesTest, FieldsSitAtTheirOffsetsLittleEndian) {
  auto bytes = Pattern<BUTTON_INFO_SIZE>(0);
  bytes[0] = 2;
  bytes[4] = 0xFE;  // Function -2
  bytes[5] = bytes[6] = bytes[7] = 0xFF;
  bytes[8] = 'C';
  bytes[9] = 0;
  bytes[10] = bytes[11] = 0;
  BUTTON_INFO info;
  DecodeRecord(bytes, info);
  EXPECT_EQ(info.Kind, 2);
  EXPECT_EQ(info.Function, -2);
  EXPECT_EQ(FixedText(info.ProgramPath), u"C");
  EXPECT_EQ(info.MacroOption0, bytes[1148]);
  EXPECT_EQ(info.MacroOption1, bytes[1149]);
  EXPECT_EQ(info.MacroData[2], bytes[1153]);

  LIGHT_INFO light;
  DecodeRecord(std::array<std::uint8_t, 12>{10, 1, 5, 3, 9, 9, 9, 9, 0x11, 0x22, 0x33, 0x44},
               light);
  EXPECT_EQ(light.Effect, 10);
  EXPECT_EQ(light.EffectParam, 3);
  EXPECT_EQ(light.Color, 0x44332211u);

  auto layoutBytes = Pattern<LIGHT_DATA_SIZE>(3);
  LIGHT_DATA layout;
  DecodeRecord(layoutBytes, layout);
  EXPECT_EQ(layout.KeyColor[0],
            static_cast<COLORREF>(layoutBytes[100] | layoutBytes[101] << 8 |
                                  layoutBytes[102] << 16 | layoutBytes[103] << 24));
  EXPECT_EQ(layout.GKeyColor[5] & 0xFF, layoutBytes[564]);
}

TEST(RecordBytesTest, EveryByteSurvivesADecodeAndEncode) {
  auto button = Pattern<BUTTON_INFO_SIZE>(1);
  auto light = Pattern<LIGHT_INFO_SIZE>(2);
  auto layout = Pattern<LIGHT_DATA_SIZE>(3);
  BUTTON_INFO b;
  LIGHT_INFO l;
  LIGHT_DATA d;
  DecodeRecord(button, b);
  DecodeRecord(light, l);
  DecodeRecord(layout, d);
  std::array<std::uint8_t, BUTTON_INFO_SIZE> button2{};
  std::array<std::uint8_t, LIGHT_INFO_SIZE> light2{};
  std::array<std::uint8_t, LIGHT_DATA_SIZE> layout2{};
  EncodeRecord(b, button2);
  EncodeRecord(l, light2);
  EncodeRecord(d, layout2);
  EXPECT_EQ(button2, button);
  EXPECT_EQ(light2, light);
  EXPECT_EQ(layout2, layout);
}

TEST(FixedTextTest, TextIsCutToFitWithoutSplittingAPair) {
  char16_t name[LAYOUT_NAME_CHARS];
  SetFixedText(name, std::u16string(60, u'n'));
  EXPECT_EQ(FixedText(name), std::u16string(49, u'n'));
  EXPECT_EQ(name[49], 0);
  SetFixedText(name, std::u16string(48, u'n') + u"\U0001F600");
  EXPECT_EQ(FixedText(name), std::u16string(48, u'n'));
  // A field without a terminator (as a file may hold) is read only to its end.
  for (char16_t& c : name)
    c = u'x';
  EXPECT_EQ(FixedText(name).size(), LAYOUT_NAME_CHARS);
}

}  // namespace
}  // namespace kx::profiles::testing
