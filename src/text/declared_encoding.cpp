// The encoding a text declares: "<?xml ... encoding='...'?>" or, in HTML, a meta element's
// "Content-Type" charset. Names match in any ASCII letter case.
#include "text/encoding_flags.h"
#include "text/xml_tokenizer.h"

namespace kx::text {

namespace {

// The charset in a meta element's "content" value ("text/html; charset=utf-8"); valueEnd is the
// position after the value.
std::u16string CharsetInContent(ScanCursor& cursor, std::int32_t valueEnd) {
  cursor.Next = cursor.Start;
  while (cursor.Next < valueEnd) {
    if (!NextWord(cursor) || cursor.Start >= valueEnd) break;
    if (!NameMatches(cursor, u"charset")) continue;
    if (!NextWord(cursor) || cursor.Start >= valueEnd) break;
    if (cursor.Word() != u"=") continue;
    if (!NextWord(cursor) || cursor.Start >= valueEnd) break;
    if (cursor.End >= valueEnd) cursor.End = valueEnd - 1;
    return std::u16string(cursor.Word());
  }
  return {};
}

}  // namespace

std::u16string DeclaredEncoding(const std::u16string& text) {
  ScanCursor cursor(text, IgnoreCase);
  MarkupToken token;
  bool seenHtml = false;
  for (;;) {
    TokenKind kind = NextToken(cursor, token);
    const std::int32_t behindToken = cursor.Next;
    switch (kind) {
      case TokenKind::ProcessingInstruction:
        // Only before any word was scanned or end tag seen.
        if (cursor.Start == 0) {
          cursor.Next = token.Start + 2;
          NextWord(cursor);
          if (NameMatches(cursor, u"xml")) {
            // The walk starts behind "xml": the first attribute stands where a tag's own name
            // would and is passed over.
            if (SeekAttribute(cursor, u"encoding")) return std::u16string(cursor.Word());
            return {};
          }
        }
        break;
      case TokenKind::EndTag:
        cursor.Next = token.Start + 2;
        NextWord(cursor);
        if (NameMatches(cursor, u"head")) return {};
        break;
      case TokenKind::StartTag: {
        cursor.Next = token.Start + 1;
        NextWord(cursor);
        const std::int32_t elementName = cursor.Start;
        if (!seenHtml) {
          if (!NameMatches(cursor, u"html")) return {};
          seenHtml = true;
        } else if (NameMatches(cursor, u"meta")) {
          cursor.Next = elementName;
          if (SeekAttribute(cursor, u"http-equiv") && NameMatches(cursor, u"Content-Type")) {
            cursor.Next = elementName;
            if (!SeekAttribute(cursor, u"content")) return {};
            return CharsetInContent(cursor, cursor.End + 1);
          }
        }
        break;
      }
      case TokenKind::Error:
      case TokenKind::EndOfText:
        return {};
      default:
        break;
    }
    cursor.Next = behindToken;
  }
}

}  // namespace kx::text
