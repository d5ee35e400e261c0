// The key tables' searches and the OSD record's bytes.
#include <gtest/gtest.h>

#include <string>

#include "core/key_tables.h"
#include "core/osd_request.h"

namespace kx::core {
namespace {

TEST(KeyTablesTest, FindKeyIndexSearchesOneGroupByTheLowByte) {
  struct Case {
    int group;
    std::uint32_t code;
    BYTE index;
  };
  const Case cases[] = {
      {0, 1, 0},       {0, 47, 37}, {0, 136, 103}, {0, 82, 104},    {0, 123, 110},
      {0, 0x12F, 37},  // only the low byte counts
      {0, 0, kNoKey},  // a G key is not a main key
      {0, 60, kNoKey}, {1, 46, 2},  {1, 115, 5},   {1, 47, kNoKey}, {2, 47, kNoKey},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindKeyIndex(c.group, c.code), c.index) << c.group << " " << c.code;
  }
}

TEST(KeyTablesTest, KeyboardCodeSearchKeepsTheLastRowFunctionSearchTheFirst) {
  EXPECT_EQ(FunctionOfKeyboardCode(199), 291);
  EXPECT_EQ(FunctionOfKeyboardCode(196), 353);
  EXPECT_EQ(FunctionOfKeyboardCode(254), 384);
  EXPECT_EQ(FunctionOfKeyboardCode(0x04), 0);
  EXPECT_EQ(KeyboardCodeOfFunction(289), 199);
  EXPECT_EQ(KeyboardCodeOfFunction(321), 196);
  EXPECT_EQ(KeyboardCodeOfFunction(482), 221);
  EXPECT_EQ(KeyboardCodeOfFunction(465), 0);
}

std::u16string TextAt(const OsdRequest& record, std::size_t offset) {
  std::u16string text;
  for (std::size_t i = offset; record[i] != 0 || record[i + 1] != 0; i += 2)
    text.push_back(static_cast<char16_t>(record[i] | (record[i + 1] << 8)));
  return text;
}

std::uint32_t U32At(const OsdRequest& record, std::size_t offset) {
  return record[offset] | (record[offset + 1] << 8) | (record[offset + 2] << 16) |
         (static_cast<std::uint32_t>(record[offset + 3]) << 24);
}

TEST(OsdRequestTest, FieldsSitAtTheirOffsets) {
  const OsdRequest record = BuildOsdRequest(u"Profile 3", Rgb(255, 85, 0));
  static_assert(sizeof(record) == 1044);
  EXPECT_EQ(TextAt(record, 0), u"Profile 3");
  EXPECT_EQ(U32At(record, 512), 0u);
  EXPECT_EQ(U32At(record, 516), 1500u);
  EXPECT_EQ(U32At(record, 520), 0u);
  EXPECT_EQ(U32At(record, 524), 0x000055FFu);
  EXPECT_EQ(U32At(record, 528), 40u);
  EXPECT_EQ(TextAt(record, 532), u"Arial");
}

TEST(OsdRequestTest, LongTextsAreCutToTheFieldWithoutSplittingAPair) {
  const std::u16string longText(300, u'x');
  EXPECT_EQ(TextAt(BuildOsdRequest(longText, 0), 0), std::u16string(255, u'x'));
  std::u16string paired(254, u'y');
  paired += u"\U0001F600";  // units 254 and 255: the pair does not fit whole
  EXPECT_EQ(TextAt(BuildOsdRequest(paired, 0), 0), std::u16string(254, u'y'));
}

TEST(OsdRequestTest, ColourBySetting) {
  EXPECT_EQ(OsdColour(0), 0x000000FFu);
  EXPECT_EQ(OsdColour(1), 0x000055FFu);
  EXPECT_EQ(OsdColour(2), 0x0000FF00u);
  EXPECT_EQ(OsdColour(7), 0x000000FFu);
}

}  // namespace
}  // namespace kx::core
