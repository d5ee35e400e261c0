#include "text/xml_tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text_util.h"
#include "text/encoding_flags.h"

namespace kx::text {
namespace {

struct Tok {
  TokenKind kind;
  std::int32_t start;
  std::int32_t length;
  std::uint32_t flags;
  std::u16string name;
  bool operator==(const Tok&) const = default;
};

void PrintTo(const Tok& t, std::ostream* os) {
  *os << static_cast<int>(t.kind) << " " << t.start << " " << t.length << " 0x" << std::hex
      << t.flags << std::dec << " '" << ToUtf8(t.name) << "'";
}

std::vector<Tok> Tokens(const std::u16string& text) {
  ScanCursor cursor(text, 0);
  MarkupToken token;
  std::vector<Tok> tokens;
  while (NextToken(cursor, token) != TokenKind::EndOfText) {
    tokens.push_back({token.Kind, token.Start, token.Length, token.Flags, token.Name});
  }
  return tokens;
}

constexpr auto kStart = TokenKind::StartTag;
constexpr auto kEnd = TokenKind::EndTag;
constexpr auto kText = TokenKind::Text;
constexpr auto kSpace = TokenKind::Whitespace;
constexpr auto kError = TokenKind::Error;

TEST(NextToken, KindsTerminatorsAndMessages) {
  struct Case {
    std::u16string text;
    std::vector<Tok> tokens;
  };
  const Case cases[] = {
      {u"<a x='>' />", {{kStart, 0, 11, EmptyElement, u"a"}}},
      {u"<a x=1/>", {{kStart, 0, 8, 0, u"a"}}},
      {u"<br/><br />", {{kStart, 0, 5, EmptyElement, u"br"}, {kStart, 5, 6, EmptyElement, u"br"}}},
      {u"<a x/>", {{kStart, 0, 6, 0, u"a"}}},  // "/" after a bare attribute name
      {u"<a b=\"x'>\"/>", {{kStart, 0, 12, EmptyElement, u"a"}}},
      {u"<a b=x'>'>", {{kStart, 0, 8, 0, u"a"}, {kText, 8, 2, 0, u""}}},    // quote not first
      {u"<a b==\">\">", {{kStart, 0, 8, 0, u"a"}, {kText, 8, 2, 0, u""}}},  // "==" expects no value
      {u"<a b = '>'>", {{kStart, 0, 11, 0, u"a"}}},
      {u"<\u00E9t\u00E9>", {{kStart, 0, 5, 0, u"\u00E9t\u00E9"}}},
      {u"</a >", {{kEnd, 0, 5, 0, u""}}},
      {u"<?xml version='1.0'?>", {{TokenKind::ProcessingInstruction, 0, 21, 0, u"xml"}}},
      {u"<?xml?>", {{TokenKind::ProcessingInstruction, 0, 7, 0, u"xml?"}}},
      {u" <?>", {{kSpace, 0, 1, 0, u""}, {TokenKind::ProcessingInstruction, 1, 3, 0, u""}}},
      {u"<?>", {{kError, 0, 3, 0, u"Processing instruction at offset 0 unterminated"}}},
      {u"<!-->", {{TokenKind::Comment, 0, 5, 0, u""}}},
      {u"<!-- a -- > -->x", {{TokenKind::Comment, 0, 15, 0, u""}, {kText, 15, 1, 0, u""}}},
      {u"<![CDATA[a>]]>b", {{TokenKind::CData, 0, 14, 0, u""}, {kText, 14, 1, 0, u""}}},
      {u"<![Cx]]>", {{TokenKind::CData, 0, 8, 0, u""}}},
      {u"<!DOCTYPE r [<!ENTITY e '>'><!-- > --><?p >?>]>x",
       {{TokenKind::Doctype, 0, 47, 0, u""}, {kText, 47, 1, 0, u""}}},
      {u"<!DOCTYPE a [<!DOCTYPE b [<x>]>]>", {{TokenKind::Doctype, 0, 33, 0, u""}}},
      {u"<!DOCTYPE a [<1>]>", {{TokenKind::Doctype, 0, 18, 0, u""}}},
      {u"<!DOCTYPE a \">\">", {{TokenKind::Doctype, 0, 14, 0, u""}, {kText, 14, 2, 0, u""}}},
      {u"<!ENTITY e \"'>\">", {{TokenKind::Doctype, 0, 16, 0, u""}}},
      {u"<!ATTLIST a>", {{TokenKind::Doctype, 0, 12, 0, u""}}},
      {u"<1a/>", {{kError, 0, 5, 0, u"Incorrect tag name character at offset 0"}}},
      {u"<!-x>", {{kError, 0, 5, 0, u"Incorrect comment tag at offset 0"}}},
      {u"<![x>", {{kError, 0, 5, 0, u"Incorrect tag at offset 0"}}},
      {u"<!x>", {{kError, 0, 4, 0, u"Incorrect ! tag at offset 0"}}},
      {u"ab<1<c>",
       {{kText, 0, 2, 0, u""},
        {kError, 2, 2, 0, u"Incorrect tag name character at offset 2"},
        {kStart, 4, 3, 0, u"c"}}},
      {u"a>b", {{kText, 0, 2, 0, u""}, {kText, 2, 1, 0, u""}}},
      {u" \t\r\n<a/>", {{kSpace, 0, 4, 0, u""}, {kStart, 4, 4, EmptyElement, u"a"}}},
      {u" x ", {{kText, 0, 3, 0, u""}}},
      {u"<", {{kError, 0, 1, 0, u"tag at offset 0 unterminated"}}},
      {u"x<a", {{kText, 0, 1, 0, u""}, {kError, 1, 2, 0, u"Element tag at offset 1 unterminated"}}},
      {u"<a x='>", {{kError, 0, 7, 0, u"Element tag at offset 0 unterminated"}}},
      {u"</a", {{kError, 0, 3, 0, u"Element end tag at offset 0 unterminated"}}},
      {u"<![CDATA[x", {{kError, 0, 10, 0, u"CDATA Section at offset 0 unterminated"}}},
      {u"<?x", {{kError, 0, 3, 0, u"Processing instruction at offset 0 unterminated"}}},
      {u"<!-- x", {{kError, 0, 6, 0, u"Comment at offset 0 unterminated"}}},
      {u"<!DOCTYPE a [<!-- ]>", {{kError, 0, 20, 0, u"Doctype at offset 0 unterminated"}}},
      {u"<!x", {{kError, 0, 3, 0, u"tag at offset 0 unterminated"}}},
      {std::u16string(u"<a>\0<b>", 7), {{kStart, 0, 3, 0, u"a"}}},  // a zero unit ends the text
  };
  for (const Case& c : cases)
    EXPECT_EQ(Tokens(c.text), c.tokens) << ToUtf8(c.text);
}

TEST(NextToken, EndTagLeavesItsNameOnTheCursor) {
  const std::u16string text = u"</ab cd></>";
  ScanCursor cursor(text, 0);
  MarkupToken token;
  ASSERT_EQ(NextToken(cursor, token), kEnd);
  EXPECT_EQ(cursor.Word(), u"ab");
  ASSERT_EQ(NextToken(cursor, token), kEnd);
  EXPECT_EQ(cursor.Start, 10);
  EXPECT_EQ(cursor.End, 9);
  EXPECT_EQ(NextToken(cursor, token), TokenKind::EndOfText);
  EXPECT_EQ(cursor.Next, 11);
}

TEST(NextToken, EveryPrefixOfMarkupScansInsideTheText) {
  const std::u16string sample =
      u"<?xml version='1.0'?><!DOCTYPE r [<!ENTITY e \"x>\"><!-- c --><?p ?>]><r a='1' b=\"<>\">"
      u"text<![CDATA[<x>]]><!-- c --><e/></r><1><!-x><![y></z ";
  for (std::size_t n = 0; n <= sample.size(); ++n) {
    const std::u16string text = sample.substr(0, n);
    ScanCursor cursor(text, 0);
    MarkupToken token;
    std::int32_t expectedStart = 0;
    while (NextToken(cursor, token) != TokenKind::EndOfText) {
      ASSERT_EQ(token.Start, expectedStart) << n;
      ASSERT_GT(token.Length, 0) << n;
      expectedStart += token.Length;
      ASSERT_LE(expectedStart, static_cast<std::int32_t>(n));
    }
    EXPECT_EQ(expectedStart, static_cast<std::int32_t>(n));
  }
}

TEST(NextWord, WordsAndSingleBreakUnits) {
  const std::u16string text = u"  abc=d\"e'f;g!h?i/j\\k<l>m  ";
  ScanCursor cursor(text, 0);
  std::vector<std::u16string> words;
  while (NextWord(cursor))
    words.emplace_back(cursor.Word());
  EXPECT_EQ(words, (std::vector<std::u16string>{u"abc", u"=",  u"d", u"\"", u"e", u"'", u"f",
                                                u";",   u"g",  u"!", u"h",  u"?", u"i", u"/",
                                                u"j",   u"\\", u"k", u"<",  u"l", u">", u"m"}));
  EXPECT_EQ(cursor.Start, static_cast<std::int32_t>(text.size()));
  EXPECT_EQ(cursor.End, cursor.Start - 1);
  EXPECT_EQ(cursor.Next, cursor.Start);
}

TEST(NameMatches, PrefixFollowedByANameBreak) {
  const std::u16string text = u"abc ABC";
  struct Case {
    std::int32_t start;
    std::uint32_t flags;
    std::u16string name;
    bool matches;
  };
  const Case cases[] = {
      {0, 0, u"abc", true},   {0, 0, u"abcd", false},        {0, 0, u"ab", false},
      {0, 0, u"abc=x", true}, {0, 0, u"abc x", true},        {0, 0, u"abc/", true},
      {0, 0, u"abc[", true},  {0, 0, u"abc]", true},         {0, 0, u"abc-", false},
      {4, 0, u"abc", false},  {4, IgnoreCase, u"abc", true},
  };
  for (const Case& c : cases) {
    ScanCursor cursor(text, c.flags);
    cursor.Start = c.start;
    cursor.End = c.start + 2;
    EXPECT_EQ(NameMatches(cursor, c.name), c.matches) << ToUtf8(c.name);
  }
}

TEST(SeekAttribute, ValuesQuotedBareAndMissing) {
  struct Case {
    std::u16string tag;
    std::u16string name;
    bool found;
    std::u16string value;
    bool quoted;
  };
  const Case cases[] = {
      {u"<a x='1' y=\"2\" z=3 w>", u"x", true, u"1", true},
      {u"<a x='1' y=\"2\" z=3 w>", u"y", true, u"2", true},
      {u"<a x='1' y=\"2\" z=3 w>", u"z", true, u"3", false},
      {u"<a x='1' y=\"2\" z=3 w>", u"w", true, u"w", false},  // no value: its own name
      {u"<a x='1' y=\"2\" z=3 w>", u"a", false, u"", false},  // the tag's own name
      {u"<a x='1' y=\"2\" z=3 w>", u"q", false, u"", false},
      {u"<a x y='1'>", u"x", true, u"x", false},
      {u"<a x 'v'>", u"x", true, u"x", false},
      {u"<a x=1/>", u"x", true, u"1/", false},
      {u"<a x= >", u"x", true, u">", false},
      {u"<a x='never closed", u"x", true, u"never closed", true},
      {u"<a X='1'>", u"x", false, u"", false},
  };
  for (const Case& c : cases) {
    ScanCursor cursor(c.tag, 0);
    cursor.Next = 1;
    EXPECT_EQ(SeekAttribute(cursor, c.name), c.found) << ToUtf8(c.tag) << " " << ToUtf8(c.name);
    if (!c.found) continue;
    EXPECT_EQ(cursor.Word(), c.value) << ToUtf8(c.tag) << " " << ToUtf8(c.name);
    EXPECT_EQ((cursor.Flags & Quoted) != 0, c.quoted) << ToUtf8(c.tag);
  }
  // The text ends right behind the "=": the cursor stays on it.
  const std::u16string cut = u"<a x=";
  ScanCursor cursor(cut, 0);
  cursor.Next = 1;
  EXPECT_TRUE(SeekAttribute(cursor, u"x"));
  EXPECT_EQ(cursor.Start, 4);
  EXPECT_EQ(cursor.End, 4);
}

TEST(DeclaredEncoding, XmlDeclarationsAndHtmlMetaCharsets) {
  struct Case {
    std::u16string text;
    std::u16string encoding;
  };
  const std::u16string meta =
      u"<meta http-equiv='Content-Type' content='text/html; charset=utf-8'>";
  const Case cases[] = {
      {u"<?xml version='1.0' encoding='ISO-8859-1'?><a/>", u"ISO-8859-1"},
      {u"<?XML Version='1.0' ENCODING='x'?>", u"x"},
      {u"<?xml encoding='x'?>", u""},
      {u"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>", u"UTF-8"},
      {u"\r\n<!-- note --><?xml version='1.0' encoding='koi8-r'?>", u"koi8-r"},
      {u"<?other?><?xml version='1.0' encoding='x'?>", u""},
      {u"<a/><?xml version='1.0' encoding='x'?>", u""},
      {u"<html><head>" + meta + u"</head></html>", u"utf-8"},
      {u"<body>" + meta, u""},
      {u"<html><head></head>" + meta + u"</html>", u""},
      {u"<HTML><META HTTP-EQUIV=\"content-type\" CONTENT=\"text/html;charset=koi8-r\">", u"koi8-r"},
      {u"<html><meta charset='x'><meta http-equiv='Content-Type' content='a; charset=b'>", u"b"},
      {u"<html><meta http-equiv='Content-Type'>", u""},
      {u"<html><meta http-equiv='Content-Type' content='text/html; charset='>", u""},
      {u"<html><1>" + meta, u""},
      {u"", u""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DeclaredEncoding(c.text), c.encoding) << ToUtf8(c.text);
}

}  // namespace
}  // namespace kx::text
