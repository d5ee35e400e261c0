#include "platform/sim/sim_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/platform.h"
#include "platform/sim/sim_codec_pages.h"
#include "sim_fixture.h"

namespace kx::sim {
namespace {

class SimCodecTest : public text::testing::SimDesktopTest {
 protected:
  std::u16string Decode(UINT codePage, const std::string& bytes, DWORD flags = 0) {
    const TextCodec& codec = desktop_.Codec();
    int n = codec.MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()),
                                      nullptr, 0);
    std::u16string out(static_cast<std::size_t>(n), u'\0');
    if (n > 0) {
      EXPECT_EQ(codec.MultiByteToWideChar(codePage, flags, bytes.data(),
                                          static_cast<int>(bytes.size()), out.data(), n),
                n);
    }
    return out;
  }
  std::string Encode(UINT codePage, const std::u16string& text, bool* usedDefault) {
    const TextCodec& codec = desktop_.Codec();
    int n = codec.WideCharToMultiByte(codePage, text.data(), static_cast<int>(text.size()), nullptr,
                                      0, usedDefault);
    std::string out(static_cast<std::size_t>(n), '\0');
    if (n > 0) {
      codec.WideCharToMultiByte(codePage, text.data(), static_cast<int>(text.size()), out.data(), n,
                                usedDefault);
    }
    return out;
  }
};

std::string B(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes)
    s.push_back(static_cast<char>(b));
  return s;
}

TEST_F(SimCodecTest, BehavesAsTheSystemOnEdgeBytes) {
  struct Case {
    UINT codePage;
    std::string bytes;
    std::u16string text;
  };
  const Case cases[] = {
      {0, B({0x80, 0x81, 0x8D, 0x8F, 0x90, 0x9D}), u"\u20AC\u0081\u008D\u008F\u0090\u009D"},
      {1252, "caf\xE9", u"caf\u00E9"},
      {20127, B({0x41, 0xC1, 0xFF}), u"AA\u007F"},
      {874, B({0xDB, 0xDE, 0xFC, 0xFF, 0x81}), u"\uF8C1\uF8C4\uF8C5\uF8C8\u0081"},
      {1250, B({0x81, 0x83}), u"\u0081\u0083"},
      {1253, B({0xAA, 0xD2, 0xFF}), u"\uF8F9\uF8FA\uF8FB"},
      {1255, B({0xD9, 0xDF, 0xFB, 0xFC, 0xFF, 0xCA}), u"\uF88D\uF893\uF894\uF895\uF896\u05BA"},
      {1257, B({0xA1, 0xA5}), u"\uF8FC\uF8FD"},
      {28597, B({0xA4, 0xA5, 0xAA, 0xAE, 0xD2, 0xFF}), u"\uF7C2\uF7C3\uF7C4\uF7C5\uF7C6\uF7C7"},
      {10000, B({0xF0, 0xC6}), u"\uF8FF\u2206"},
      {437, B({0x1A, 0x1C, 0x7F, 0xE6, 0xB0}), u"\u001A\u001C\u007F\u00B5\u2591"},
      {37, B({0xC1, 0x6F, 0x40}), u"A? "},
      {20866, B({0xC1}), u"\u0430"},
      // Shift-JIS: single bytes, lone leads, bad trails (consumed, except NUL), user area.
      {932, B({0x80, 0xA0, 0xFD, 0xFF, 0xB1}), u"\u0080\uF8F0\uF8F1\uF8F3\uFF71"},
      {932, B({0x82, 0xA0}), u"\u3042"},
      {932, B({0x82}), u"\u30FB"},
      {932, B({0x82, 0x20}), u"\u30FB"},
      {932, B({0x82, 0x00}), std::u16string(u"\u30FB\0", 2)},
      {932, B({0x85, 0x40, 0xEB, 0x40}), u"\u30FB\u30FB"},
      {932, B({0xF0, 0x40, 0xF9, 0xFC}), u"\uE000\uE757"},
      {936, B({0x80, 0xFF, 0x81}), u"\u20AC\uF8F5?"},
      {936, B({0x81, 0x30, 0x81, 0x30}), u"??"},
      {936, B({0xB0, 0xA1}), u"\u554A"},
      {949, B({0x80, 0xFF, 0x81, 0x40, 0x81, 0x5B, 0x81, 0x60, 0x81, 0x7B, 0x81, 0x41}),
       u"\u0080\uF8F7????\uAC02"},
      {950, B({0x80, 0xFF, 0x81, 0x40, 0xA4, 0x40}), u"\u0080\uF8F8\uEEB8\u4E00"},
      {950, B({0xA4, 0x00}), std::u16string(u"?\0", 2)},
      {65001, B({0xC0, 0x80}), u"\uFFFD\uFFFD"},
      {65001, B({0xE0, 0x80, 0x80}), u"\uFFFD\uFFFD"},
      {65001, B({0xED, 0xA0, 0x80}), u"\uFFFD\uFFFD"},
      {65001, B({0xF0, 0x80, 0x80, 0x80}), u"\uFFFD\uFFFD\uFFFD"},
      {65001, B({0xF4, 0x90, 0x80, 0x80}), u"\uFFFD\uFFFD\uFFFD"},
      {65001, B({0xF5, 0x80, 0x80, 0x80}), u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {65001, B({0xF8, 0x88, 0x80, 0x80, 0x80}), u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
      {65001, B({0x61, 0xE2, 0x82}), u"a\uFFFD"},
      {65001, B({0xE2, 0x82, 0x41}), u"\uFFFDA"},
      {65001, B({0x80, 0xBF}), u"\uFFFD\uFFFD"},
      {65001, B({0xEF, 0xBB, 0xBF, 0xF0, 0x9F, 0x98, 0x80}), u"\uFEFF\U0001F600"},
      {65000, "Hi +AGEAYgBj-", u"Hi abc"},
      {50220, "\x1B$B$\"\x1B(B", u"\u3042"},
      {52936, "~{0!~}", u"\u554A"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Decode(c.codePage, c.bytes), c.text)
        << c.codePage << " " << ::testing::PrintToString(c.bytes);
  }
}

TEST_F(SimCodecTest, RejectsWhatTheSystemRejects) {
  const TextCodec& codec = desktop_.Codec();
  char16_t out[8];
  for (UINT codePage : {1140u, 1200u, 1201u, 12345u}) {
    os::Errors().SetLastError(0);
    EXPECT_EQ(codec.MultiByteToWideChar(codePage, 0, "a", 1, out, 8), 0) << codePage;
    EXPECT_EQ(os::Errors().GetLastError(), ERROR_INVALID_PARAMETER) << codePage;
  }
  os::Errors().SetLastError(0);
  EXPECT_EQ(codec.MultiByteToWideChar(1252, 0, "a", 0, out, 8), 0);
  EXPECT_EQ(os::Errors().GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(codec.MultiByteToWideChar(1252, 0, "abc", 3, out, 2), 0);
  EXPECT_EQ(os::Errors().GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(codec.MultiByteToWideChar(65001, 8, "\xC0", 1, out, 8), 0);
  EXPECT_EQ(os::Errors().GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
  // A length of -1 takes the terminating NUL with it.
  EXPECT_EQ(codec.MultiByteToWideChar(1252, 0, "ab", -1, out, 8), 3);
  EXPECT_EQ(codec.AnsiCodePage(), 1252u);
}

TEST_F(SimCodecTest, EveryAcceptedPageDecodesEverySingleByte) {
  for (const codec::PageSource& page : codec::AllPages()) {
    for (int b = 1; b < 256; ++b) {
      std::string one(1, static_cast<char>(b));
      std::u16string text = Decode(page.codePage, one);
      if (page.kind == codec::PageKind::SingleByte || page.kind == codec::PageKind::DoubleByte) {
        ASSERT_EQ(text.size(), 1u) << page.codePage << " byte " << b;
      }
      if (!page.ownLowHalf && b < 0x80 && page.kind != codec::PageKind::Stateful) {
        ASSERT_EQ(text, std::u16string(1, static_cast<char16_t>(b))) << page.codePage;
      }
    }
  }
}

TEST_F(SimCodecTest, WideToAnsiWritesQuestionMarksForWhatThePageLacks) {
  struct Case {
    UINT codePage;
    std::u16string text;
    std::string bytes;
    bool usedDefault;
  };
  const Case cases[] = {
      {0, u"caf\u00E9 \u20AC", "caf\xE9 \x80", false},
      {1252, u"\u0100x", "?x", true},
      {1252, u"\U0001F600", "??", true},
      {1252, u"\xD800", "?", true},
      {37, u"A?\u0100", "\xC1\x6F\x6F", true},
      {932, u"\u3042\u00E9", "\x82\xA0?", true},
      {932, u"\u2252", "\x81\xE0", false},  // one of the characters with two codes
      {936, u"\u554A", "\xB0\xA1", false},
      {20127, u"a\u00E9", "a?", true},
      {65001, u"\u00E9\U0001F600", "\xC3\xA9\xF0\x9F\x98\x80", false},
      {50220, u"\u3042\U0001F600", "\x1B$B$\"\x1B(B??", true},
  };
  for (const Case& c : cases) {
    bool used = !c.usedDefault;
    EXPECT_EQ(Encode(c.codePage, c.text, &used), c.bytes) << c.codePage;
    EXPECT_EQ(used, c.usedDefault) << c.codePage;
  }
}

TEST_F(SimCodecTest, TablePagesRoundTripTheirOwnCharacters) {
  for (UINT codePage :
       {1250u, 1251u, 1252u, 1253u,  1254u,  1255u,  1256u,  1257u,  1258u, 874u,
        437u,  850u,  866u,  28591u, 28605u, 20866u, 21866u, 10000u, 37u,   1026u}) {
    std::string all;
    for (int b = 1; b < 256; ++b)
      all.push_back(static_cast<char>(b));
    std::u16string text = Decode(codePage, all);
    bool used = false;
    EXPECT_EQ(Encode(codePage, text, &used), all) << codePage;
    EXPECT_FALSE(used) << codePage;
  }
}

}  // namespace
}  // namespace kx::sim
