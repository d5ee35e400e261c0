#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/text_util.h"
#include "text/encoding_flags.h"
#include "text/xml_document.h"

namespace kx::text {
namespace {

// One record as the index tool shows it.
struct Rec {
  std::int32_t start, length;
  std::uint32_t startTag, endTag, level, flags;
  std::int32_t parent, child, next, prev;
  bool operator==(const Rec&) const = default;
};

void PrintTo(const Rec& r, std::ostream* os) {
  *os << "{" << r.start << " " << r.length << " " << r.startTag << " " << r.endTag << " " << r.level
      << " 0x" << std::hex << r.flags << std::dec << " " << r.parent << " " << r.child << " "
      << r.next << " " << r.prev << "}";
}

Rec ToRec(const ElementRecord& e) {
  return {e.Start,
          e.Length,
          e.StartTagLength(),
          e.EndTagLength(),
          e.Level(),
          e.FlagsLevel & ~LevelMask,
          e.Parent,
          e.Child,
          e.Next,
          e.Prev};
}

std::vector<Rec> Records(const XmlDocument& doc) {
  std::vector<Rec> records;
  for (std::int32_t i = 0; i < doc.NextFree(); ++i)
    records.push_back(ToRec(doc.Element(i)));
  return records;
}

struct Indexed {
  bool wellFormed;
  std::u16string result;
  std::vector<Rec> records;
};

Indexed Index(const std::u16string& text) {
  XmlDocument doc;
  doc.Text = text;
  doc.Result.clear();
  bool wellFormed = doc.IndexDocument();
  return {wellFormed, doc.Result, Records(doc)};
}

TEST(XmlDocument, NewDocumentIsEmpty) {
  XmlDocument doc;
  EXPECT_EQ(doc.Result, u"Empty document");
  EXPECT_EQ(doc.Flags, 0u);
  EXPECT_EQ(doc.NextFree(), 1);
  EXPECT_EQ(doc.Capacity(), 8);
  EXPECT_EQ(ToRec(doc.Element(0)), (Rec{0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_FALSE(doc.IndexDocument());
}

constexpr std::uint32_t kFirst = FirstChild;

TEST(IndexDocument, MessagesAndRepairedTrees) {
  struct Case {
    std::u16string text;
    bool wellFormed;
    std::u16string result;
    std::vector<Rec> records;
  };
  const Case cases[] = {
      {u"", false, u"Empty document", {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0}}},
      {u"<a/>", true, u"", {{0, 4, 0, 0, 0, 0, 0, 1, 0, 0}, {0, 4, 4, 0, 0, kFirst, 0, 0, 0, 1}}},
      {u"<a><b></a>",
       false,
       u"End tag 'a' at offset 7 does not match start tag 'b' at offset 3",
       {{0, 10, 0, 0, 0, IllFormed, 0, 1, 0, 0},
        {0, 10, 3, 4, 0, kFirst, 0, 2, 0, 1},
        {3, 3, 3, 0, 1, kFirst | Unended, 1, 0, 0, 2}}},
      {u"<a></b></a>",
       false,
       u"No start tag for end tag 'b' at offset 3",
       {{0, 11, 0, 0, 0, IllFormed, 0, 1, 0, 0},
        {0, 11, 3, 4, 0, kFirst | StrayEndTag, 0, 0, 0, 1}}},
      {u"<a><b>",
       false,
       u"Root element has sibling",
       {{0, 6, 0, 0, 0, IllFormed, 0, 1, 0, 0},
        {0, 3, 3, 0, 0, kFirst | Unended, 0, 0, 2, 2},
        {3, 3, 3, 0, 1, Unended, 0, 0, 0, 1}}},
      {u"<a/><b/>",
       false,
       u"Root element has sibling",
       {{0, 8, 0, 0, 0, 0, 0, 1, 0, 0},
        {0, 4, 4, 0, 0, kFirst, 0, 0, 2, 2},
        {4, 4, 4, 0, 0, 0, 0, 0, 0, 1}}},
      {u"hello", false, u"No root element", {{0, 5, 0, 0, 0, 0, 0, 0, 0, 0}}},
      {u"<1a/>", false, u"No root element", {{0, 5, 0, 0, 0, IllFormed | StrayEndTag, 0, 0, 0, 0}}},
      {u"<A></a>",
       false,
       u"No start tag for end tag 'a' at offset 3",
       {{0, 7, 0, 0, 0, IllFormed | StrayEndTag, 0, 1, 0, 0},
        {0, 3, 3, 0, 0, kFirst | Unended, 0, 0, 0, 1}}},
      {u"<a x='>' />",
       true,
       u"",
       {{0, 11, 0, 0, 0, 0, 0, 1, 0, 0}, {0, 11, 11, 0, 0, kFirst, 0, 0, 0, 1}}},
      {u"<a><!-- <b> --></a>",
       true,
       u"",
       {{0, 19, 0, 0, 0, 0, 0, 1, 0, 0}, {0, 19, 3, 4, 0, kFirst, 0, 0, 0, 1}}},
      {u"<a><![CDATA[</a>]]></a>",
       true,
       u"",
       {{0, 23, 0, 0, 0, 0, 0, 1, 0, 0}, {0, 23, 3, 4, 0, kFirst, 0, 0, 0, 1}}},
      {u"<a>",
       false,
       u"Element 'a' at offset 0 not ended",
       {{0, 3, 0, 0, 0, IllFormed, 0, 1, 0, 0}, {0, 3, 3, 0, 0, kFirst | Unended, 0, 0, 0, 1}}},
      {u"<a", false, u"No root element", {{0, 2, 0, 0, 0, IllFormed | StrayEndTag, 0, 0, 0, 0}}},
      // Closing b and a as unended moves their children up behind them, in order, under r.
      {u"<r><a><c/><b><d/></r>",
       false,
       u"End tag 'r' at offset 18 does not match start tag 'b' at offset 10",
       {{0, 21, 0, 0, 0, IllFormed, 0, 1, 0, 0},
        {0, 21, 3, 4, 0, kFirst, 0, 2, 0, 1},
        {3, 3, 3, 0, 1, kFirst | Unended, 1, 0, 3, 5},
        {6, 4, 4, 0, 2, 0, 1, 0, 4, 2},
        {10, 3, 3, 0, 2, Unended, 1, 0, 5, 3},
        {13, 4, 4, 0, 3, 0, 1, 0, 0, 4}}},
      // A stray end tag inside an unended element: the flag travels out to the matched one.
      {u"<r><a></x></r>",
       false,
       u"No start tag for end tag 'x' at offset 6",
       {{0, 14, 0, 0, 0, IllFormed, 0, 1, 0, 0},
        {0, 14, 3, 4, 0, kFirst | StrayEndTag, 0, 2, 0, 1},
        {3, 3, 3, 0, 1, kFirst | Unended, 1, 0, 0, 2}}},
  };
  for (const Case& c : cases) {
    Indexed got = Index(c.text);
    EXPECT_EQ(got.wellFormed, c.wellFormed) << ToUtf8(c.text);
    EXPECT_EQ(ToUtf8(got.result), ToUtf8(c.result)) << ToUtf8(c.text);
    EXPECT_EQ(got.records, c.records) << ToUtf8(c.text);
  }
}

TEST(IndexDocument, MessagesFollowTheLoadReport) {
  XmlDocument doc;
  doc.Text = u"<a>";
  doc.Result = u"UTF-8 length 3 to 3 wide chars ";
  doc.IndexDocument();
  EXPECT_EQ(doc.Result, u"UTF-8 length 3 to 3 wide chars  Element 'a' at offset 0 not ended");
  doc.Text = u"<a/>";
  doc.Result = u"ANSI length 4 ";
  EXPECT_TRUE(doc.IndexDocument());
  EXPECT_EQ(doc.Result, u"ANSI length 4 ");
}

TEST(IndexDocument, IgnoreCaseMatchesEndTagsInAnyCase) {
  XmlDocument doc;
  doc.Text = u"<A></a>";
  doc.Flags = IgnoreCase;
  doc.Result.clear();
  EXPECT_TRUE(doc.IndexDocument());
  EXPECT_EQ(doc.Element(1).Length, 7);
}

TEST(IndexDocument, LongTagsAreCutToTheirFields) {
  const std::u16string longName(1100, u'n');
  Indexed got = Index(u"<" + longName + u"></" + longName + u">");
  ASSERT_EQ(got.records.size(), 2u);
  EXPECT_EQ(got.records[1].startTag, 1102u);
  EXPECT_EQ(got.records[1].endTag, 1103u & 0x3FF);  // the low 10 bits of 1103
  EXPECT_EQ(got.records[1].length, 2205);
  EXPECT_EQ(got.records[1].flags, kFirst);
}

TEST(IndexDocument, GrowsAcrossSegmentsKeepingEveryRecord) {
  constexpr int kChildren = 150000;
  std::u16string text = u"<r>";
  for (int i = 0; i < kChildren; ++i)
    text += u"<e/>";
  text += u"</r>";
  XmlDocument doc;
  doc.Text = text;
  doc.Result.clear();
  ASSERT_TRUE(doc.IndexDocument());
  ASSERT_EQ(doc.NextFree(), kChildren + 2);
  EXPECT_GE(doc.Capacity(), doc.NextFree());
  EXPECT_EQ(doc.Element(1).Child, 2);
  EXPECT_EQ(doc.Element(2).Prev, kChildren + 1);
  for (int i = 2; i < kChildren + 2; ++i) {
    const ElementRecord& e = doc.Element(i);
    ASSERT_EQ(e.Start, 3 + 4 * (i - 2)) << i;
    ASSERT_EQ(e.Parent, 1) << i;
    ASSERT_EQ(e.Next, i + 1 < kChildren + 2 ? i + 1 : 0) << i;
    if (i > 2) {
      ASSERT_EQ(e.Prev, i - 1) << i;
    }
    ASSERT_EQ(e.Level(), 1u);
  }
}

TEST(ReserveElements, AddsAtMostOneSegmentPerCall) {
  XmlDocument doc;
  EXPECT_EQ(doc.Capacity(), 8);
  doc.ReserveElements(100);
  EXPECT_EQ(doc.Capacity(), 100);
  doc.ReserveElements(300000);  // would need segments 0 to 4: fills 0 and adds 1 only
  EXPECT_EQ(doc.Capacity(), 2 * 65536);
  doc.ReserveElements(300000);
  EXPECT_EQ(doc.Capacity(), 3 * 65536);
  doc.ReserveElements(10);
  EXPECT_EQ(doc.Capacity(), 3 * 65536);
}

TEST(IndexDocument, DeepNestingNeedsNoRecursionAndKeepsFlagsClean) {
  constexpr int kDepth = 70000;  // deeper than the 16 level bits
  std::u16string text;
  for (int i = 0; i < kDepth; ++i)
    text += u"<a>";
  for (int i = 0; i < kDepth; ++i)
    text += u"</a>";
  Indexed wellFormed = Index(text);
  EXPECT_TRUE(wellFormed.wellFormed);
  EXPECT_EQ(wellFormed.records[kDepth].level, 0xFFFFu);  // saturated, not spilled
  EXPECT_EQ(wellFormed.records[kDepth].flags, kFirst);

  // Never closed: every element ends up at the top level, in one pass.
  text.resize(3 * kDepth);
  Indexed unended = Index(text);
  EXPECT_EQ(unended.result, u"Root element has sibling");
  for (int i = 1; i <= kDepth; ++i) {
    ASSERT_EQ(unended.records[i].parent, 0) << i;
    ASSERT_EQ(unended.records[i].next, i < kDepth ? i + 1 : 0) << i;
  }
  EXPECT_EQ(unended.records[1].prev, kDepth);
}

// The repair as a plain reading of the rules would do it: each unended element is closed on
// its own, innermost first, moving its children behind it under its parent. The index must
// build the same tree.
class ReferenceIndex {
 public:
  explicit ReferenceIndex(const std::u16string& text) {
    r_.assign(1, ElementRecord{});
    ScanCursor cursor(text, 0);
    MarkupToken token;
    std::vector<std::pair<MarkupToken, std::int32_t>> open;
    std::int32_t parent = 0;
    for (;;) {
      switch (NextToken(cursor, token)) {
        case TokenKind::StartTag: {
          auto i = static_cast<std::int32_t>(r_.size());
          r_.push_back(ElementRecord{});
          ElementRecord e{};
          e.Parent = parent;
          e.Start = token.Start;
          e.Length = token.Length;
          e.SetTagLengths(token.Length, 0);
          std::uint32_t flags = 0;
          if (r_[parent].Child != 0) {
            std::int32_t c = r_[parent].Child, last = r_[c].Prev;
            r_[last].Next = i;
            e.Prev = last;
            r_[c].Prev = i;
          } else {
            r_[parent].Child = i;
            e.Prev = i;
            flags = FirstChild;
          }
          e.FlagsLevel = flags | static_cast<std::uint32_t>(open.size());
          r_[i] = e;
          if ((token.Flags & EmptyElement) == 0) {
            open.emplace_back(token, i);
            parent = i;
          }
          break;
        }
        case TokenKind::EndTag: {
          std::size_t k = 0;
          for (std::size_t j = open.size(); j > 0 && k == 0; --j) {
            if (NameMatches(cursor, open[j - 1].first.Name)) k = j;
          }
          if (k == 0) {
            r_[0].FlagsLevel |= IllFormed;
            r_[parent].FlagsLevel |= StrayEndTag;
            break;
          }
          ElementRecord& x = r_[open[k - 1].second];
          x.Length = token.Start + token.Length - x.Start;
          x.SetTagLengths(open[k - 1].first.Length, token.Length);
          if (open.size() > k) r_[0].FlagsLevel |= IllFormed;
          while (open.size() > k) {
            CloseOne(open.back().second, open.back().first);
            open.pop_back();
          }
          parent = x.Parent;
          open.pop_back();
          break;
        }
        case TokenKind::Error:
          r_[0].FlagsLevel |= IllFormed;
          r_[parent].FlagsLevel |= StrayEndTag;
          break;
        case TokenKind::EndOfText:
          if (!open.empty()) r_[0].FlagsLevel |= IllFormed;
          while (!open.empty()) {
            CloseOne(open.back().second, open.back().first);
            open.pop_back();
          }
          r_[0].Length = static_cast<std::int32_t>(text.size());
          return;
        default:
          break;
      }
    }
  }
  std::vector<Rec> Records() const {
    std::vector<Rec> records;
    for (const ElementRecord& e : r_)
      records.push_back(ToRec(e));
    return records;
  }

 private:
  void CloseOne(std::int32_t e, const MarkupToken& token) {
    ElementRecord& element = r_[e];
    const std::int32_t q = element.Parent;
    element.SetTagLengths(token.Length, 0);
    element.Length = token.Length;
    element.FlagsLevel |= Unended;
    if ((element.FlagsLevel & StrayEndTag) != 0) {
      element.FlagsLevel &= ~StrayEndTag;
      r_[q].FlagsLevel |= StrayEndTag;
    }
    const std::int32_t c = element.Child;
    if (c == 0) return;
    const std::int32_t last = r_[c].Prev;
    for (std::int32_t k = c; k != 0; k = r_[k].Next)
      r_[k].Parent = q;
    r_[c].Prev = e;
    r_[c].FlagsLevel &= ~FirstChild;
    element.Next = c;
    element.Child = 0;
    r_[r_[q].Child].Prev = last;
  }

  std::vector<ElementRecord> r_;
};

TEST(IndexDocument, RepairsMatchClosingOneElementAtATime) {
  const std::vector<std::u16string> pieces = {u"<a>",  u"<b>",  u"<c>", u"</a>", u"</b>",
                                              u"</c>", u"<a/>", u"x",   u"<1>",  u"</d>"};
  std::mt19937 random(20240611);
  std::uniform_int_distribution<std::size_t> piece(0, pieces.size() - 1);
  std::uniform_int_distribution<int> length(1, 24);
  for (int round = 0; round < 3000; ++round) {
    std::u16string text;
    for (int n = length(random); n > 0; --n)
      text += pieces[piece(random)];
    std::vector<Rec> expected = ReferenceIndex(text).Records();
    Indexed got = Index(text);
    // The document record's Child is the first top-level element either way.
    ASSERT_EQ(got.records, expected) << ToUtf8(text);
  }
}

}  // namespace
}  // namespace kx::text
