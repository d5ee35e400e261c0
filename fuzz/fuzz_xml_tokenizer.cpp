// The XML tokenizer on arbitrary wide text (a zero unit inside it included). Invariants: tokens
// follow one another without gaps, each moves forward and stays inside the text, the end of
// text comes exactly at the first zero unit; word scans and attribute lookups stay inside the
// text and end.
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "fuzz_support.h"
#include "text/encoding_flags.h"
#include "text/xml_tokenizer.h"

namespace {

using namespace kx::text;

constexpr std::u16string_view kAttributes[] = {u"encoding", u"charset", u"content", u"id", u"a"};

// The units a scan may look at: the text and its terminator.
bool Inside(std::int32_t position, const std::u16string& text) {
  return position >= 0 && static_cast<std::size_t>(position) <= text.size();
}

void CheckWord(const ScanCursor& cursor, const std::u16string& text) {
  if (cursor.End < cursor.Start) return;
  KX_FUZZ_CHECK(Inside(cursor.Start, text) && Inside(cursor.End, text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kx::fuzz::FuzzInput in(data, size);
  const std::uint32_t flags = (in.U8() & 1) != 0 ? IgnoreCase : 0;
  const std::u16string text = in.TextRest();
  const std::size_t firstZero = std::min(text.find(u'\0'), text.size());

  // Tokens, one after the other.
  ScanCursor cursor(text, flags);
  MarkupToken token;
  std::int32_t expected = 0;
  for (std::size_t n = 0;; ++n) {
    KX_FUZZ_CHECK(n <= text.size());
    const TokenKind kind = NextToken(cursor, token);
    KX_FUZZ_CHECK(token.Start == expected);
    if (kind == TokenKind::EndOfText) {
      KX_FUZZ_CHECK(static_cast<std::size_t>(token.Start) == firstZero && token.Length == 0);
      break;
    }
    KX_FUZZ_CHECK(token.Length > 0 && cursor.Next == token.Start + token.Length);
    KX_FUZZ_CHECK(static_cast<std::size_t>(cursor.Next) <= firstZero);
    if (kind == TokenKind::EndTag) CheckWord(cursor, text);
    if (kind == TokenKind::StartTag) {
      // Attribute lookups from just behind the "<".
      for (std::u16string_view name : kAttributes) {
        ScanCursor attribute(text, flags);
        attribute.Next = token.Start + 1;
        if (SeekAttribute(attribute, name)) CheckWord(attribute, text);
        KX_FUZZ_CHECK(Inside(attribute.Next, text));
      }
    }
    expected = cursor.Next;
  }

  // Words, from the start to the end.
  ScanCursor words(text, flags);
  std::int32_t last = -1;
  for (std::size_t n = 0; NextWord(words); ++n) {
    KX_FUZZ_CHECK(n <= text.size());
    CheckWord(words, text);
    KX_FUZZ_CHECK(words.Next > last && Inside(words.Next, text));
    last = words.Next;
    NameMatches(words, u"xml");
  }

  DeclaredEncoding(text);
  return 0;
}
