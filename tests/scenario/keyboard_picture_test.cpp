#include "picture/keyboard_picture.h"

#include <gtest/gtest.h>

#include <memory>

#include "picture/key_legends.h"
#include "profiles/defaults.h"

namespace kx::picture {
namespace {

std::size_t PixelsOf(const sim::Pixels& picture, std::uint32_t rgb) {
  std::size_t n = 0;
  for (std::uint32_t p : picture.data)
    n += (p & sim::kColourMask) == rgb;
  return n;
}

TEST(KeyboardPictureTest, KeysShowTheColoursOfTheChosenLayout) {
  auto profile = std::make_unique<profiles::PROFILE_DATA>();
  profiles::BlankProfile(*profile);
  // COLORREF keeps red in the low byte: 0x0000FF is red.
  for (COLORREF& c : profile->LightData[0].KeyColor)
    c = 0x0000FF;
  profile->LightData[2].GKeyColor[3] = 0x00FF00;

  const sim::Pixels layout0 = DrawKeyboard(*profile, 0, "Profile 1");
  EXPECT_GT(PixelsOf(layout0, 0xFF0000), 111u * 400);  // the face of every key
  EXPECT_EQ(PixelsOf(layout0, 0x0000FF), 0u);
  EXPECT_EQ(PixelsOf(layout0, 0x00FF00), 0u);

  const sim::Pixels layout2 = DrawKeyboard(*profile, 2, "Profile 1");
  EXPECT_EQ(PixelsOf(layout2, 0xFF0000), 0u);
  EXPECT_GT(PixelsOf(layout2, 0x00FF00), 400u);  // one G key
  EXPECT_EQ(layout2.width, layout0.width);
  EXPECT_FALSE(layout0.Empty());
}

TEST(KeyboardPictureTest, KeysWithAFunctionAreMarked) {
  auto profile = std::make_unique<profiles::PROFILE_DATA>();
  profiles::BlankProfile(*profile);
  profile->GKeys[0] = {};
  profile->GKeys[0].Kind = profiles::KIND_FUNCTION;
  profile->GKeys[0].Function = 223;
  profile->Keys[5].Kind = profiles::KIND_DISABLED;
  profile->Keys[6].Kind = profiles::KIND_FUNCTION;
  profile->Keys[6].Function = 1000;
  KeyboardPictureInfo info;
  DrawKeyboard(*profile, 0, "Profile 1", &info);
  EXPECT_EQ(info.keys, 117);
  EXPECT_EQ(info.marked, 3);

  struct Case {
    BYTE kind;
    std::int32_t function;
    std::string mark;
  };
  const Case cases[] = {{0, 223, ""},      {1, 0, "OFF"},       {2, 223, "RUN"},  {2, 384, "RUN"},
                        {2, 512, "MACRO"}, {2, 65535, "MACRO"}, {2, 257, "MODE"}, {2, 353, "LEVEL"},
                        {2, 465, "KEY"},   {2, 417, "F417"},    {2, 0, ""}};
  for (const Case& c : cases) {
    profiles::BUTTON_INFO key{};
    key.Kind = c.kind;
    key.Function = c.function;
    EXPECT_EQ(FunctionMark(key), c.mark) << int{c.kind} << " " << c.function;
  }
}

TEST(KeyboardPictureTest, LegendsNameTheKeysOfTheDefaultMatrix) {
  EXPECT_EQ(UsageLegend(0x29), "Esc");
  EXPECT_EQ(UsageLegend(0x04), "A");
  EXPECT_EQ(UsageLegend(0x45), "F12");
  EXPECT_EQ(UsageLegend(0x52), "↑");
  EXPECT_EQ(UsageLegend(0xE5), "Shift");
  EXPECT_EQ(UsageLegend(0x00), "");
}

}  // namespace
}  // namespace kx::picture
