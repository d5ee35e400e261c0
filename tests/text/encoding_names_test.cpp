#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text_util.h"
#include "text/encoding_names.h"

namespace kx::text {
namespace {

struct CodePageNames {
  int codePage;
  std::vector<const char*> names;
};

// The names every code page is known by, grouped as a reader would look them up.
const std::vector<CodePageNames> kNamesByCodePage = {
    {37, {"ebcdic-cp-us"}},
    {420, {"x-ebcdic-arabic"}},
    {437, {"437", "codepage437", "cp437", "cspc8", "ibm437"}},
    {708, {"asmo-708"}},
    {720, {"dos-720"}},
    {737, {"ibm737"}},
    {775, {"cp500", "ibm775"}},
    {850, {"ibm850"}},
    {852, {"cp852", "ibm852"}},
    {857, {"ibm857"}},
    {861, {"ibm861"}},
    {862, {"dos-862"}},
    {866, {"cp866", "ibm866"}},
    {869, {"ibm869"}},
    {870, {"cp870"}},
    {874, {"dos-874", "iso-8859-11", "tis-620", "windows-874"}},
    {875, {"x-ebcdic-greekmodern"}},
    {932,
     {"csshiftjis", "cswindows31j", "ms_kanji", "shift-jis", "shift_jis", "x-ms-cp932", "x-sjis"}},
    {936,
     {"chinese", "cn-gb", "csgb2312", "csgb231280", "csiso58gb231280", "gb2312", "gb2312-80",
      "gb231280", "gb_2312-80", "gbk", "iso-ir-58"}},
    {949,
     {"csksc56011987", "euc-kr", "iso-ir-149", "korean", "ks_c_5601", "ks_c_5601-1987",
      "ks_c_5601-1989", "ks_c_5601_1987", "ksc5601", "ksc_5601"}},
    {950, {"big5", "cn-big5", "csbig5", "x-x-big5"}},
    {1026, {"cp1026"}},
    {1140, {"x-ebcdic-cp-us-euro"}},
    {1142, {"x-ebcdic-denmarknorway-euro"}},
    {1143, {"x-ebcdic-finlandsweden-euro", "x-ebcdic-france", "x-ebcdic-germany-euro"}},
    {1144, {"x-ebcdic-italy-euro"}},
    {1145, {"x-ebcdic-spain-euro"}},
    {1146, {"x-ebcdic-uk-euro"}},
    {1147, {"x-ebcdic-france-euro"}},
    {1148, {"x-ebcdic-international-euro"}},
    {1149, {"x-ebcdic-icelandic-euro"}},
    {1200, {"unicode", "utf-16"}},
    {1201, {"unicodefffe"}},
    {1250, {"windows-1250", "x-cp1250"}},
    {1251, {"windows-1251", "x-cp1251"}},
    {1252, {"iso-ir-6", "us", "windows-1252", "x-ansi"}},
    {1253, {"windows-1253"}},
    {1254, {"windows-1254"}},
    {1255, {"iso_8859-8-i", "windows-1255"}},
    {1256, {"cp1256", "windows-1256"}},
    {1257, {"windows-1257"}},
    {1258, {"windows-1258"}},
    {1361, {"johab"}},
    {10000, {"macintosh"}},
    {10001, {"x-mac-japanese"}},
    {10002, {"x-mac-chinesetrad"}},
    {10003, {"x-mac-korean"}},
    {10004, {"x-mac-arabic"}},
    {10005, {"x-mac-hebrew"}},
    {10006, {"x-mac-greek"}},
    {10007, {"x-mac-cyrillic"}},
    {10008, {"x-mac-chinesesimp"}},
    {10029, {"x-mac-ce"}},
    {10079, {"x-mac-icelandic"}},
    {10081, {"x-mac-turkish"}},
    {20000, {"x-chinese-cns"}},
    {20002, {"x-chinese-eten"}},
    {20105, {"x-ia5"}},
    {20106, {"x-ia5-german"}},
    {20107, {"x-ia5-swedish"}},
    {20108, {"x-ia5-norwegian"}},
    {20127,
     {"ansi_x3.4-1968", "ansi_x3.4-1986", "ascii", "cp367", "csascii", "ibm367", "iso-ir-6us",
      "iso646-us", "iso_646.irv:1991", "us-ascii"}},
    {20273, {"x-ebcdic-germany"}},
    {20277, {"x-ebcdic-denmarknorway"}},
    {20278, {"x-ebcdic-finlandsweden"}},
    {20280, {"x-ebcdic-italy"}},
    {20284, {"x-ebcdic-spain"}},
    {20285, {"x-ebcdic-uk"}},
    {20290, {"x-ebcdic-japanesekatakana"}},
    {20423, {"x-ebcdic-greek"}},
    {20424, {"x-ebcdic-hebrew"}},
    {20833, {"x-ebcdic-koreanextended"}},
    {20838, {"x-ebcdic-thai"}},
    {20866, {"cskoi8r", "koi", "koi8", "koi8-r", "koi8r"}},
    {20873, {"x-ebcdic-icelandic"}},
    {20880, {"x-ebcdic-cyrillicrussian"}},
    {20905, {"x-ebcdic-turkish"}},
    {21025, {"x-ebcdic-cyrillicserbianbulgarian"}},
    {21866, {"koi8-ru", "koi8-u"}},
    {28591,
     {"cp819", "ibm819", "iso-8859-1", "iso-ir-100", "iso8859-1", "iso_8859-1", "iso_8859-1:1987",
      "l1", "latin1"}},
    {28592,
     {"csisolatin2", "iso-8859-2", "iso-ir-101", "iso8859-2", "iso_8859-2", "iso_8859-2:1987", "l2",
      "latin2"}},
    {28593, {"csiso", "iso-8859-3", "iso-ir-109", "iso_8859-3", "iso_8859-3:1988", "l3", "latin3"}},
    {28594,
     {"csisolatin4", "iso-8859-4", "iso-ir-110", "iso_8859-4", "iso_8859-4:1988", "l4", "latin4"}},
    {28595,
     {"csisolatin5", "csisolatincyrillic", "cyrillic", "iso-8859-5", "iso-ir-144", "iso_8859-5",
      "iso_8859-5:1988", "l5"}},
    {28596,
     {"arabic", "csisolatinarabic", "ecma-114", "iso-8859-6", "iso-ir-127", "iso_8859-6",
      "iso_8859-6:1987"}},
    {28597,
     {"csisolatingreek", "ecma-118", "elot_928", "greek", "greek8", "iso-8859-7", "iso-ir-126",
      "iso_8859-7", "iso_8859-7:1987"}},
    {28598,
     {"csisolatinhebrew", "hebrew", "iso-8859-8", "iso-ir-138", "iso_8859-8", "iso_8859-8:1988",
      "visual"}},
    {28599, {"iso-8859-9", "iso-ir-148", "iso_8859-9", "iso_8859-9:1989", "latin5"}},
    {28605, {"iso-8859-15", "iso_8859-15", "l9", "latin9"}},
    {29001, {"x-europa"}},
    {38598, {"iso-8859-8-i", "logical"}},
    {50220, {"iso-2022-jp"}},
    {50221, {"_iso-2022-jp", "csiso2022jp"}},
    {50222, {"_iso-2022-jp$sio"}},
    {50225, {"csiso2022kr", "iso-2022-kr"}},
    {50930, {"x-ebcdic-japaneseandkana"}},
    {50933, {"x-ebcdic-japaneseanduscanada", "x-ebcdic-koreanandkoreanextended"}},
    {50935, {"x-ebcdic-simplifiedchinese"}},
    {50937, {"x-ebcdic-traditionalchinese"}},
    {50939, {"x-ebcdic-japaneseandjapaneselatin"}},
    {51932,
     {"cseucpkdfmtjapanese", "euc-jp", "extended_unix_code_packed_format_for_japanese", "x-euc",
      "x-euc-jp"}},
    {51936, {"euc-cn", "x-euc-cn"}},
    {51949, {"cseuckr"}},
    {52936, {"hz-gb-2312"}},
    {57002, {"x-iscii-de"}},
    {57003, {"x-iscii-be"}},
    {57004, {"x-iscii-ta"}},
    {57005, {"x-iscii-te"}},
    {57006, {"x-iscii-as"}},
    {57007, {"x-iscii-or"}},
    {57008, {"x-iscii-ka"}},
    {57009, {"x-iscii-ma"}},
    {57010, {"x-iscii-gu"}},
    {57011, {"x-iscii-pa"}},
    {65000, {"csunicode11utf7", "unicode-1-1-utf-7", "utf-7", "x-unicode-2-0-utf-7"}},
    {65001, {"unicode-1-1-utf-8", "unicode-2-0-utf-8", "utf-8", "x-unicode-2-0-utf-8"}},
};

TEST(CodePageFromName, FindsEveryNameOfTheTable) {
  int names = 0;
  for (const auto& row : kNamesByCodePage) {
    for (const char* name : row.names) {
      EXPECT_EQ(CodePageFromName(Widen(name)), row.codePage) << name;
      ++names;
    }
  }
  EXPECT_EQ(names, 254);
}

TEST(CodePageFromName, IgnoresOnlyAsciiLetterCase) {
  for (const auto& row : kNamesByCodePage) {
    for (const char* name : row.names) {
      std::string upper = name;
      for (char& c : upper)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
      EXPECT_EQ(CodePageFromName(Widen(upper)), row.codePage) << upper;
    }
  }
  // U+0130 is no ASCII letter: no match.
  EXPECT_EQ(CodePageFromName(u"\u0130so-8859-1"), -1);
}

TEST(CodePageFromName, SpecialNames) {
  struct Case {
    std::u16string name;
    int codePage;
  };
  const Case cases[] = {
      {u"ISO-8859-1", 28591},
      {u"Latin1", 28591},
      {u"437", 437},
      {u"UTF-32", CodePageUtf32},
      {u"UTF-32BE", CodePageUtf32},
      {u"UTF-32LE", CodePageUtf32},
      {u"utf-32", -1},
      {u"Utf-32", -1},
      {u"", 0},
      {std::u16string(100, u'a'), -1},
      {std::u16string(99, u'a'), -1},
      {u"cp500", 775},
      {u"x-ebcdic-france", 1143},
      {u"csiso", 28593},
      {u"iso_8859-8-i", 1255},
      {u"iso-8859-8-i", 38598},
      {u"utf-8 ", -1},
      {u"utf8", -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CodePageFromName(c.name), c.codePage) << ToUtf8(c.name);
}

}  // namespace
}  // namespace kx::text
