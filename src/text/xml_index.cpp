// The one pass that builds a document's element index from its tokens, with the repairs for
// ill-formed markup.
#include <algorithm>

#include "text/markup_chars.h"
#include "text/xml_document.h"

namespace kx::text {

namespace {

void AppendQuoted(std::u16string& out, std::u16string_view name) {
  out += u'\'';
  out += name;
  out += u'\'';
}

}  // namespace

std::int32_t XmlDocument::IndexElements(ScanCursor& cursor) {
  Result.clear();
  std::int32_t parent = 0;
  std::size_t depth = 0;
  std::int32_t first = 0;
  const std::uint32_t baseLevel = Element(0).Level();
  // The open start tags (they carry the names end tags are matched against), with the slot
  // above them receiving each new token; and their records.
  std::size_t room = 6;
  std::vector<MarkupToken> openTags(room);
  std::vector<std::int32_t> openRecords;

  for (;;) {
    if (depth == room) {
      room = room * 2 + 6;
      openTags.resize(room);
    }
    MarkupToken& token = openTags[depth];
    switch (NextToken(cursor, token)) {
      case TokenKind::StartTag: {
        if (nextFree_ == capacity_) ReserveElements(0);
        const std::int32_t i = nextFree_++;
        if (first == 0) first = i;
        ElementRecord& element = Element(i);
        ElementRecord& parentRecord = Element(parent);
        element.Parent = parent;
        element.Next = 0;
        element.Child = 0;
        std::uint32_t flags = 0;
        if (parentRecord.Child != 0) {
          // Append as the last child: the first child's Prev names the last one.
          ElementRecord& firstChild = Element(parentRecord.Child);
          const std::int32_t lastChild = firstChild.Prev;
          Element(lastChild).Next = i;
          element.Prev = lastChild;
          firstChild.Prev = i;
        } else {
          parentRecord.Child = i;
          element.Prev = i;
          flags = FirstChild;
        }
        // A level past the field's width stays at its largest value rather than spill into
        // the flags.
        const std::uint64_t level = std::min<std::uint64_t>(baseLevel + depth, LevelMask);
        element.FlagsLevel = flags | static_cast<std::uint32_t>(level);
        element.Start = token.Start;
        element.Length = token.Length;
        element.SetTagLengths(token.Length, 0);
        if ((token.Flags & EmptyElement) == 0) {
          openRecords.push_back(i);
          ++depth;
          parent = i;
        }
        break;
      }

      case TokenKind::EndTag: {
        // The end tag's name is on the cursor; find the innermost open tag it closes.
        std::size_t k = 0;
        for (std::size_t j = depth; j > 0; --j) {
          if (NameMatches(cursor, openTags[j - 1].Name)) {
            k = j;
            break;
          }
        }
        if (k == 0) {
          Element(0).FlagsLevel |= IllFormed;
          Element(parent).FlagsLevel |= StrayEndTag;
          if (Result.empty()) {
            Result = u"No start tag for end tag ";
            AppendQuoted(Result, cursor.Word());
            Result += u" at offset ";
            detail::AppendDecimal(Result, token.Start);
          }
          break;
        }
        const std::int32_t closed = openRecords[k - 1];
        ElementRecord& element = Element(closed);
        element.Length = token.Start + token.Length - element.Start;
        element.SetTagLengths(openTags[k - 1].Length, token.Length);
        if (depth > k) {
          Element(0).FlagsLevel |= IllFormed;
          if (Result.empty()) {
            const MarkupToken& innermost = openTags[depth - 1];
            Result = u"End tag ";
            AppendQuoted(Result, cursor.Word());
            Result += u" at offset ";
            detail::AppendDecimal(Result, cursor.Start - 1);
            Result += u" does not match start tag ";
            AppendQuoted(Result, innermost.Name);
            Result += u" at offset ";
            detail::AppendDecimal(Result, innermost.Start);
          }
          CloseUnended(openTags, openRecords, k, closed);
        }
        parent = Element(closed).Parent;
        depth = k - 1;
        openRecords.resize(depth);
        break;
      }

      case TokenKind::Error:
        Element(0).FlagsLevel |= IllFormed;
        Element(parent).FlagsLevel |= StrayEndTag;
        if (Result.empty()) Result = token.Name;
        break;

      case TokenKind::EndOfText:
        if (depth > 0) {
          Element(0).FlagsLevel |= IllFormed;
          if (Result.empty()) {
            const MarkupToken& innermost = openTags[depth - 1];
            Result = u"Element ";
            AppendQuoted(Result, innermost.Name);
            Result += u" at offset ";
            detail::AppendDecimal(Result, innermost.Start);
            Result += u" not ended";
          }
          CloseUnended(openTags, openRecords, 0, 0);
        }
        return first;

      default:  // text, whitespace, CDATA, processing instructions, comments, doctypes
        break;
    }
  }
}

// Closes the open elements from openRecords[from] inward as unended. Closing them one by one,
// innermost first, would make each one's children its following siblings under its parent;
// the result is that every child of every closed element ends up under finalParent in
// document order, right behind the element it belonged to. That is built here in one pass, so
// each record is touched once however deep the nesting.
void XmlDocument::CloseUnended(const std::vector<MarkupToken>& openTags,
                               const std::vector<std::int32_t>& openRecords, std::size_t from,
                               std::int32_t finalParent) {
  bool stray = false;
  std::int32_t lastSibling = 0;
  for (std::size_t at = from; at < openRecords.size(); ++at) {
    const std::int32_t e = openRecords[at];
    ElementRecord& element = Element(e);
    element.SetTagLengths(openTags[at].Length, 0);
    element.Length = openTags[at].Length;
    element.FlagsLevel |= Unended;
    if ((element.FlagsLevel & StrayEndTag) != 0) {
      // The flag travels outward with each closing and lands on the final parent.
      stray = true;
      element.FlagsLevel &= ~StrayEndTag;
    }
    lastSibling = e;
    const std::int32_t firstChild = element.Child;
    if (firstChild == 0) continue;
    ElementRecord& child = Element(firstChild);
    lastSibling = child.Prev;
    child.Prev = e;
    child.FlagsLevel &= ~FirstChild;  // it now follows e
    element.Next = firstChild;
    element.Child = 0;
    for (std::int32_t c = firstChild; c != 0; c = Element(c).Next)
      Element(c).Parent = finalParent;
  }
  if (lastSibling != 0) Element(Element(finalParent).Child).Prev = lastSibling;
  if (stray) Element(finalParent).FlagsLevel |= StrayEndTag;
}

}  // namespace kx::text
