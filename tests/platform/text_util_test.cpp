#include "platform/text_util.h"

#include <gtest/gtest.h>

namespace kx {
namespace {

TEST(TextUtilTest, Utf8RoundTripAndLoneSurrogates) {
  const std::u16string text = u"a\u00e9\u20ac\U0001F600z";
  EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
  EXPECT_EQ(ToUtf8(std::u16string{u'a', 0xD800}), "a\xEF\xBF\xBD");
  EXPECT_EQ(ToUtf8(std::u16string{0xDC00, u'b'}),
            "\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(FromUtf8("\xC3\x28"), (std::u16string{0xFFFD, u'('}));
  EXPECT_EQ(FromUtf8("\xED\xA0\x80"), (std::u16string{0xFFFD, 0xFFFD, 0xFFFD}));
}

TEST(TextUtilTest, CaseInsensitiveNames) {
  EXPECT_TRUE(EqualsIgnoreCase(u"Racer.EXE", u"racer.exe"));
  EXPECT_TRUE(EqualsIgnoreCase(u"\u00c9t\u00e9", u"\u00e9T\u00c9"));
  EXPECT_FALSE(EqualsIgnoreCase(u"racer.exe", u"racer.ex"));
  EXPECT_TRUE(EqualsIgnoreAsciiCase(u"Setting", u"SETTING"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase(u"\u00c9t\u00e9", u"\u00e9T\u00c9"));
}

}  // namespace
}  // namespace kx
