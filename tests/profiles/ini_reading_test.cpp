// Reading settings and profile files by the platform's rules.
#include <string>

#include "profiles/ini/ini_document.h"
#include "profiles/ini/ini_file.h"
#include "profiles_fixture.h"

namespace kx::profiles::testing {
namespace {

class IniReadingTest : public ProfilesTest {};

constexpr char kMixedFile[] =
    "  [ A ]  \r\n"
    "k1 = v1  \r\n"
    ";k=commented\r\n"
    "  ; indented=1\r\n"
    "#h=hash\r\n"
    "bare\r\n"
    "w==lead\r\n"
    "=empty-key\r\n"
    "q1=\" spaced \"\r\n"
    "q2=  \"x\"  \r\n"
    "q3=\"'x'\"\r\n"
    "q4=\"\"\r\n"
    "q5=\"open\r\n"
    "q6=a\"b\"c\r\n"
    "q7=\"a\" b\r\n"
    "e=\r\n"
    "dup=first\r\n"
    "DUP=second\r\n"
    "[a]\r\n"
    "only=later\r\n"
    "[a]b] trailing\r\n"
    "x=1\r\n"
    "[c[d]\r\n"
    "[D\r\n"
    "z=3\r\n"
    "[]\r\n"
    "inbr=4\r\n";

TEST_F(IniReadingTest, TextReadsFollowThePlatformsRules) {
  IniDocument doc = IniDocument::Parse(BytesOf(kMixedFile));
  struct Case {
    std::u16string_view section, key, expected;
  };
  const Case cases[] = {
      {u"A", u"k1", u"v1"},
      {u"a", u"K1", u"v1"},
      {u" A ", u" k1 ", u"v1"},     // query names are trimmed
      {u"A", u";k", u"commented"},  // no comment syntax
      {u"A", u"; indented", u"1"},
      {u"A", u"#h", u"hash"},
      {u"A", u"bare", u"DEF"},  // a line without "=" has no value
      {u"A", u"w", u"=lead"},   // split at the first "="
      {u"A", u"", u"empty-key"},
      {u"A", u"q1", u" spaced "},  // one quote pair removed, the inside kept
      {u"A", u"q2", u"x"},
      {u"A", u"q3", u"'x'"},
      {u"A", u"q4", u""},
      {u"A", u"q5", u"\"open"},
      {u"A", u"q6", u"a\"b\"c"},
      {u"A", u"q7", u"\"a\" b"},
      {u"A", u"e", u""},         // empty, not the default
      {u"A", u"dup", u"first"},  // the first duplicate wins
      {u"A", u"only", u"DEF"},   // a later [a] is invisible
      {u"a]b", u"x", u"1"},      // the name runs to the last ']'
      {u"c[d", u"z", u"3"},      // "[D" is no header
      {u"c[d", u"[D", u"DEF"},
      {u"", u"inbr", u"DEF"},  // "[]" is not the empty section
      {u"missing", u"k1", u"DEF"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(doc.GetText(c.section, c.key, u"DEF"), c.expected)
        << ToUtf8(c.section) << "/" << ToUtf8(c.key);
  }
}

TEST_F(IniReadingTest, LinesBeforeTheFirstHeaderFormTheEmptySection) {
  IniDocument doc = IniDocument::Parse(BytesOf("top=1\r\n[S]\r\nx=2\r\n"));
  EXPECT_EQ(doc.GetText(u"", u"top", u"-"), u"1");
  EXPECT_EQ(doc.GetText(u"", u"x", u"-"), u"-");
}

TEST_F(IniReadingTest, CaseAndSpacesAreTheAsciiOnes) {
  IniDocument doc = IniDocument::Parse(
      Utf16Le(u"[\u00C9t\u00E9]\r\nk=1\r\nsp=\v\f\x1A v \t\r\nnb=\u00A0v\u3000\r\n"));
  EXPECT_EQ(doc.GetText(u"\u00C9t\u00E9", u"K", u"-"), u"1");
  EXPECT_EQ(doc.GetText(u"\u00E9T\u00C9", u"k", u"-"), u"-");
  EXPECT_EQ(doc.GetText(u"\u00C9t\u00E9", u"sp", u"-"), u"v");
  EXPECT_EQ(doc.GetText(u"\u00C9t\u00E9", u"nb", u"-"), u"\u00A0v\u3000");
}

TEST_F(IniReadingTest, EveryKindOfLineBreakSeparatesLines) {
  for (std::string_view text :
       {"[S]\ra=1\rb=2", "[S]\na=1\nb=2\n", "[S]\r\na=1\nb=2\r", "[S]\r\r\na=1\r\r\nb=2"}) {
    IniDocument doc = IniDocument::Parse(BytesOf(text));
    EXPECT_EQ(doc.GetText(u"S", u"a", u"-"), u"1") << text;
    EXPECT_EQ(doc.GetText(u"S", u"b", u"-"), u"2") << text;
  }
}

TEST_F(IniReadingTest, Utf16UnitsHoldingLineBreakBytesAreCharacters) {
  // U+010D, U+0A0A and U+0D0A hold the bytes of CR and LF but are no line breaks.
  std::u16string value = u"\u010D\u0A0A\u0D0A\u0A0D";
  std::u16string text = u"[S]\nk=" + value + u"\nj=2";
  for (const Bytes& bytes : {Utf16Le(text), Utf16Be(text)}) {
    IniDocument doc = IniDocument::Parse(bytes);
    EXPECT_EQ(doc.GetText(u"S", u"k", u"-"), value);
    EXPECT_EQ(doc.GetText(u"S", u"j", u"-"), u"2");
  }
}

TEST_F(IniReadingTest, ValuesAreCutAtNulAndAt2047Characters) {
  std::u16string pairAtCut(2046, u'x');
  pairAtCut += u"\U0001F600tail";
  IniDocument doc =
      IniDocument::Parse(Utf16Le(u"[S]\r\nnul=a" + std::u16string(1, u'\0') + u"b\r\nlong=" +
                                 std::u16string(5000, u'y') + u"\r\npair=" + pairAtCut + u"\r\n"));
  EXPECT_EQ(doc.GetText(u"S", u"nul", u"-"), u"a");
  EXPECT_EQ(doc.GetText(u"S", u"long", u"-"), std::u16string(2047, u'y'));
  std::u16string cut = doc.GetText(u"S", u"pair", u"-");
  ASSERT_EQ(cut.size(), 2047u);
  EXPECT_EQ(cut.back(), u'\xD83D');  // the pair is split, as the platform does
  EXPECT_EQ(doc.GetText(u"S", u"missing", std::u16string(3000, u'd')).size(), 2047u);
}

TEST_F(IniReadingTest, DefaultsAreTrimmedAtTheEndAndUnquoted) {
  IniDocument doc;
  struct Case {
    std::u16string_view given, expected;
  };
  const Case cases[] = {
      {u"dflt   ", u"dflt"}, {u"   ", u" "},    {u" a ", u" a"},
      {u"'q'", u"q"},        {u"\"a\" ", u"a"}, {u"", u""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(doc.GetText(u"S", u"k", c.given), c.expected);
}

TEST_F(IniReadingTest, IntegersParseTheStartOfTheValue) {
  struct Case {
    std::string_view value;
    UINT expected;
  };
  const Case cases[] = {
      {"5", 5},
      {"\"5\"", 5},
      {"'8'", 8},
      {"+7", 7},
      {"-5", 4294967291u},
      {"010", 10},
      {"0x1F", 31},
      {"0x1f", 31},
      {"0X1F", 0},
      {"0x", 0},
      {"0x1G", 1},
      {"12abc", 12},
      {"3.9", 3},
      {"1e3", 1},
      {"abc", 0},
      {"- 5", 0},
      {"--5", 0},
      {"\xEF\xBC\x91", 0},  // a full-width digit (here in ANSI bytes)
      {"99999999999", 1215752191u},
      {"4294967296", 0},
      {"4294967295", 0xFFFFFFFFu},
      {"2147483648", 0x80000000u},
      {"-2147483649", 2147483647u},
      {"-4294967295", 1},
      {"0x100000000", 0},
      {"", 77},  // empty: the default
      {"\"\"", 77},
  };
  for (const Case& c : cases) {
    IniDocument doc = IniDocument::Parse(BytesOf("[S]\r\nk=" + std::string(c.value) + "\r\n"));
    EXPECT_EQ(doc.GetInt(u"S", u"k", 77), c.expected) << c.value;
  }
  IniDocument doc = IniDocument::Parse(BytesOf("[S]\r\nbare\r\n"));
  EXPECT_EQ(doc.GetInt(u"S", u"bare", -1), 0xFFFFFFFFu);
  EXPECT_EQ(doc.GetInt(u"S", u"missing", 9), 9u);
}

TEST_F(IniReadingTest, StructsNeedTheExactLengthAndChecksum) {
  struct Case {
    std::string_view value;
    bool accepted;
  };
  const Case cases[] = {
      {"010203040A", true},     {"010203040a", true},
      {"  010203040A  ", true}, {"\"010203040A\"", false},  // quotes are not stripped
      {"010203040A7", false},                               // trailing junk is refused
      {"010203040B", false},                                // wrong checksum
      {"0102030G0A", false},    {"01 0203040A", false},
      {"01020304", false},      {"", false},
  };
  for (const Case& c : cases) {
    IniDocument doc = IniDocument::Parse(BytesOf("[S]\r\nk=" + std::string(c.value) + "\r\n"));
    Bytes out = {9, 9, 9, 9};
    EXPECT_EQ(doc.GetStruct(u"S", u"k", out), c.accepted) << c.value;
    EXPECT_EQ(out, c.accepted ? Bytes({1, 2, 3, 4}) : Bytes({9, 9, 9, 9})) << c.value;
  }
  IniDocument doc = IniDocument::Parse(BytesOf("[S]\r\nbare\r\n"));
  Bytes out(4);
  EXPECT_FALSE(doc.GetStruct(u"S", u"bare", out));
  EXPECT_FALSE(doc.GetStruct(u"S", u"missing", out));
}

TEST_F(IniReadingTest, FilesOfOtherProgramsInEachEncoding) {
  MakeProfilesFolder();
  struct Case {
    const char* name;
    Bytes bytes;
    std::u16string expected;
  };
  const Bytes be = Utf16Be(u"[S]\r\nk=\u00E9\u20AC\r\n");
  const Case cases[] = {
      {"le.ini", Utf16Le(u"[S]\r\nk=\u00E9\u20AC\r\n"), u"\u00E9\u20AC"},
      {"be.ini", be, u"\u00E9\u20AC"},
      {"utf8.ini", BytesOf("\xEF\xBB\xBF[S]\r\nk=\xC3\xA9\xE2\x82\xAC\r\n"), u"\u00E9\u20AC"},
      {"ansi.ini", BytesOf("[S]\r\nk=\xE9\x80\r\n"), u"\u00E9\u20AC"},
      // UTF-8 without a mark is read as the ANSI page, like the platform does.
      {"utf8-nomark.ini", BytesOf("[S]\r\nk=\xC3\xA9\r\n"), u"\u00C3\u00A9"},
      // UTF-16 without a mark is not recognised.
      {"le-nomark.ini", Utf16Le(u"[S]\r\nk=v\r\n", false), u"-"},
  };
  for (const Case& c : cases) {
    WriteHostFile(HostProfiles() / c.name, c.bytes);
    IniFile file(DataPath(u"Profiles\\") + FromUtf8(c.name));
    EXPECT_EQ(file.ReadText(u"S", u"k", u"-"), c.expected) << c.name;
  }
}

TEST_F(IniReadingTest, DamagedFilesReadAsMissingKeys) {
  MakeProfilesFolder();
  Bytes garbage(4096);
  for (std::size_t i = 0; i < garbage.size(); ++i)
    garbage[i] = static_cast<std::uint8_t>(i * 37);
  Bytes oddUtf16 = Utf16Le(u"[S]\r\nk=1\r\nj=2");
  oddUtf16.push_back(0x41);
  Bytes hugeLine = BytesOf("[S]\r\nk=");
  hugeLine.resize(hugeLine.size() + 8 * 1024 * 1024, 'A');
  for (auto [name, bytes] : {std::pair{"garbage.ini", garbage}, std::pair{"odd.ini", oddUtf16},
                             std::pair{"huge.ini", hugeLine}}) {
    WriteHostFile(HostProfiles() / name, bytes);
    IniFile file(DataPath(u"Profiles\\") + FromUtf8(name));
    EXPECT_EQ(file.ReadInt(u"S", u"missing", 5), 5u) << name;
    Bytes out(4);
    EXPECT_FALSE(file.ReadStruct(u"S", u"k", out)) << name;
  }
  // The whole units of a UTF-16 file cut short are still read.
  EXPECT_EQ(IniFile(DataPath(u"Profiles\\odd.ini")).ReadInt(u"S", u"k", 0), 1u);
  EXPECT_EQ(IniFile(DataPath(u"Profiles\\huge.ini")).ReadText(u"S", u"k", u"").size(), 2047u);
}

}  // namespace
}  // namespace kx::profiles::testing
