#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/platform.h"
#include "sim_fixture.h"
#include "text/text_convert.h"

namespace kx::text {
namespace {

using testing::Bytes;

TEST(LooksLikeUtf8, JudgesSequencesByTheirLeadBits) {
  struct Case {
    std::vector<std::uint8_t> bytes;
    bool accepted;
  };
  const Case cases[] = {
      {Bytes("plain ascii"), true},
      {{}, true},
      {{0xC3, 0xA9}, true},
      {{0xE2, 0x82, 0xAC}, true},
      {{0xF0, 0x9F, 0x98, 0x80}, true},
      {{0xC0, 0x80}, true},              // overlong forms pass
      {{0xED, 0xA0, 0x80}, true},        // so do encoded surrogates
      {{0x80, 0x80}, true},              // 80-9F lead one continuation byte
      {{0xA0, 0x80, 0x80}, true},        // A0-AF lead two
      {{0xB7, 0x80, 0x80, 0x80}, true},  // B0-B7 lead three
      {{0xB8, 0x80}, false},             // B8-BF are refused
      {{0xF8, 0x80, 0x80, 0x80, 0x80}, false},
      {{0xFF}, false},
      {{0x61, 0xE9}, false},        // a sequence cut by the end
      {{0xE9, 0x20, 0x20}, false},  // continuation without its top bit
      {{0x61, 0x00, 0xE9}, true},   // a zero byte ends the check
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LooksLikeUtf8(c.bytes.data(), c.bytes.size()), c.accepted)
        << ::testing::PrintToString(c.bytes);
  }
}

class ConvertTextTest : public testing::SimDesktopTest {};

TEST_F(ConvertTextTest, Utf32GivesUnitsAndSurrogatePairs) {
  const std::uint32_t source[] = {0x41, 0xE9, 0x20AC, 0x1F600, 0x10FFFF};
  TextConverter converter{u"UTF-16", u"UTF-32LE", source, 5, 0, false};
  EXPECT_EQ(ConvertText(converter, nullptr), 7);
  EXPECT_EQ(converter.Capacity, 7);
  std::u16string out(7, u'\0');
  converter.Capacity = 7;
  EXPECT_EQ(ConvertText(converter, out.data()), 7);
  EXPECT_EQ(out, u"A\u00E9\u20AC\U0001F600\U0010FFFF");
}

TEST_F(ConvertTextTest, SourceEncodingsThroughTheSystem) {
  struct Case {
    std::u16string encoding;
    std::string bytes;
    std::u16string text;
  };
  const Case cases[] = {
      {u"UTF-8", "caf\xC3\xA9", u"caf\u00E9"},
      {u"", "caf\xE9\x80", u"caf\u00E9\u20AC"},    // system ANSI: 1252
      {u"no-such-name", "caf\xE9", u"caf\u00E9"},  // unknown names read as ANSI
      {u"KOI8-R", "\xC1\xC2", u"\u0430\u0431"},
      {u"utf-16", std::string("a\0b\0", 4), u""},  // the system refuses 1200
      {u"x-ebcdic-cp-us-euro", "\xC1", u""},       // and 1140
  };
  for (const Case& c : cases) {
    TextConverter converter{
        u"UTF-16", c.encoding, c.bytes.data(), static_cast<std::int32_t>(c.bytes.size()), 0, false};
    const std::int32_t needed = ConvertText(converter, nullptr);
    std::u16string out(static_cast<std::size_t>(needed), u'\0');
    converter.Capacity = needed;
    if (needed > 0) {
      EXPECT_EQ(ConvertText(converter, out.data()), needed);
    }
    EXPECT_EQ(out, c.text) << ToUtf8(c.encoding);
  }
}

TEST_F(ConvertTextTest, TooSmallDestinationGivesNothing) {
  const std::string bytes = "abcdef";
  TextConverter converter{u"UTF-16", u"UTF-8", bytes.data(), 6, 3, false};
  char16_t out[3];
  EXPECT_EQ(ConvertText(converter, out), 0);
  EXPECT_EQ(converter.Capacity, 0);
}

TEST_F(ConvertTextTest, LastErrorTextIsTheFirstLineOfTheSystemMessage) {
  os::Errors().SetLastError(ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(LastErrorText(), u"The system cannot find the file specified.");
  // A message longer than a hundred characters is kept whole.
  os::Errors().SetLastError(33);
  EXPECT_EQ(LastErrorText(),
            u"The process cannot access the file because another process has locked a portion "
            u"of the file.");
  os::Errors().SetLastError(0xDEAD);
  EXPECT_EQ(LastErrorText(), u"");
}

}  // namespace
}  // namespace kx::text
