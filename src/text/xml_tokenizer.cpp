#include "text/xml_tokenizer.h"

#include <bit>

#include "text/markup_chars.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The scans of start and end tags, the bulk of any document, are inlined into the token loop.
#if defined(__GNUC__)
#define KX_INLINE_SCAN [[gnu::always_inline]] inline
#else
#define KX_INLINE_SCAN inline
#endif

namespace kx::text {

namespace {

using detail::IsQuote;
using detail::IsSpace;

// "<" followed by one of these starts a tag name: letters, "_", ":" and everything above 0x60,
// which takes in the ASCII units 0x7B to 0x7F and every non-ASCII unit.
constexpr bool StartsTagName(char16_t c) {
  return (c >= u'A' && c <= u'Z') || c == u'_' || c == u':' || c > 0x60;
}
constexpr bool EndsName(char16_t c) {
  return c == 0 || IsSpace(c) || c == u'/' || c == u'>';
}

struct Scanned {
  std::int32_t end;  // position after the token's last unit
  bool terminated;   // false: the text ended inside the token
};

KX_INLINE_SCAN std::int32_t SkipName(const char16_t* t, std::int32_t from) {
  // Every unit above ">" is a name unit; testing that first keeps the loop short.
  while (t[from] > u'>' || !EndsName(t[from]))
    ++from;
  return from;
}

// Units that end character data: the end, "<" and ">".
constexpr bool EndsText(char16_t c) {
  return c < 64 && (c == 0 || c == u'<' || c == u'>');
}

// The position of the first unit from i that ends character data. Where the text's size is
// known, eight units are compared at a time while all eight lie inside it; the rest goes unit
// by unit, each read only after the one before it proved not to be the end.
std::int32_t SkipText(const char16_t* t, std::int32_t i, std::int32_t size) {
#if defined(__SSE2__)
  const __m128i lt = _mm_set1_epi16(u'<');
  const __m128i gt = _mm_set1_epi16(u'>');
  const __m128i zero = _mm_setzero_si128();
  for (; i + 8 <= size; i += 8) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
    const __m128i hits =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(units, lt), _mm_cmpeq_epi16(units, gt)),
                     _mm_cmpeq_epi16(units, zero));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
    if (mask != 0) return i + std::countr_zero(mask) / 2;
  }
#else
  (void)size;
#endif
  for (;; i += 4) {
    if (EndsText(t[i])) return i;
    if (EndsText(t[i + 1])) return i + 1;
    if (EndsText(t[i + 2])) return i + 2;
    if (EndsText(t[i + 3])) return i + 3;
  }
}

// The position of the first unit from i that is not whitespace, eight at a time where the
// text's size is known.
std::int32_t SkipSpace(const char16_t* t, std::int32_t i, std::int32_t size) {
#if defined(__SSE2__)
  const __m128i space = _mm_set1_epi16(u' ');
  const __m128i tab = _mm_set1_epi16(u'\t');
  const __m128i lf = _mm_set1_epi16(u'\n');
  const __m128i cr = _mm_set1_epi16(u'\r');
  for (; i + 8 <= size; i += 8) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
    const __m128i blank =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(units, space), _mm_cmpeq_epi16(units, tab)),
                     _mm_or_si128(_mm_cmpeq_epi16(units, lf), _mm_cmpeq_epi16(units, cr)));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(blank));
    if (mask != 0xFFFF) return i + std::countr_one(mask) / 2;
  }
#else
  (void)size;
#endif
  while (IsSpace(t[i]))
    ++i;
  return i;
}

// A tag up to its ">" outside quoted attribute values. An "=" (not right after another "=")
// makes a value expected; a quote as the next non-blank unit opens a quoted value that only the
// same quote closes. Error tokens (stopAtLt) also end just before a "<". nameLast is the
// position of the tag name's last unit, for telling "<br/>" from the unquoted value in
// "<a x=1/>".
KX_INLINE_SCAN Scanned ScanTag(const char16_t* t, std::int32_t from, std::int32_t nameLast,
                               bool stopAtLt, bool* empty) {
  bool valueExpected = false;
  for (std::int32_t i = from;; ++i) {
    char16_t c = t[i];
    if (c > u'>') {
      // Names and unquoted values: none of the units that matter lie above ">".
      valueExpected = false;
      continue;
    }
    if (c == 0) return {i, false};
    if (stopAtLt && c == u'<') return {i, true};
    if (valueExpected) {
      if (IsSpace(c)) continue;
      valueExpected = false;
      if (IsQuote(c)) {
        // Only the same quote closes the value (or the end, or "<" for an error token).
        const char16_t quote = c;
        for (++i; (c = t[i]) != quote; ++i) {
          if (c == 0) return {i, false};
          if (stopAtLt && c == u'<') return {i, true};
        }
        continue;
      }
    }
    if (c == u'=') {
      valueExpected = t[i - 1] != u'=';
    } else if (c == u'>') {
      if (empty != nullptr) {
        *empty = t[i - 1] == u'/' && (IsSpace(t[i - 2]) || IsQuote(t[i - 2]) || i - 2 == nameLast);
      }
      return {i + 1, true};
    }
  }
}

KX_INLINE_SCAN Scanned ScanToGt(const char16_t* t, std::int32_t from) {
  for (std::int32_t i = from;; ++i) {
    if (t[i] == 0) return {i, false};
    if (t[i] == u'>') return {i + 1, true};
  }
}

// A terminator of two or three units ("?>", "-->", "]]>"): a ">" whose preceding units are
// the rest of it, even units of the opening (so "<!-->" is a whole comment). A ">" at a text
// position not past the terminator's length is never taken.
Scanned ScanToTerminator(const char16_t* t, std::int32_t from, char16_t twoBefore,
                         char16_t oneBefore) {
  std::int32_t length = twoBefore != 0 ? 3 : 2;
  for (std::int32_t i = from;; ++i) {
    char16_t c = t[i];
    if (c == 0) return {i, false};
    if (c == u'>' && i > length && t[i - 1] == oneBefore &&
        (twoBefore == 0 || t[i - 2] == twoBefore)) {
      return {i + 1, true};
    }
  }
}

// "<!ENTITY", "<!ATTLIST", "<!NOTATION": quoted text (of one kind at a time) hides ">".
Scanned ScanDeclaration(const char16_t* t, std::int32_t from) {
  char16_t quote = 0;
  for (std::int32_t i = from;; ++i) {
    char16_t c = t[i];
    if (c == 0) return {i, false};
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (IsQuote(c)) {
      quote = c;
    } else if (c == u'>') {
      return {i + 1, true};
    }
  }
}

struct Markup {
  TokenKind kind = TokenKind::Error;
  Scanned scan{0, false};
  const char16_t* errorWord = u"";
  std::int32_t nameStart = 0;
  std::int32_t nameEnd = 0;
  bool empty = false;
};

Scanned ScanDoctype(const char16_t* t, std::int32_t from);

KX_INLINE_SCAN Markup ScanStartTag(const char16_t* t, std::int32_t p) {
  Markup m;
  m.kind = TokenKind::StartTag;
  m.nameStart = p + 1;
  m.nameEnd = SkipName(t, p + 1);
  m.scan = ScanTag(t, m.nameEnd, m.nameEnd - 1, false, &m.empty);
  return m;
}

KX_INLINE_SCAN Markup ScanEndTag(const char16_t* t, std::int32_t p) {
  Markup m;
  m.kind = TokenKind::EndTag;
  m.nameStart = p + 2;
  m.nameEnd = SkipName(t, p + 2);
  m.scan = ScanToGt(t, m.nameEnd);
  return m;
}

// One piece of markup starting with the "<" at p.
Markup ScanMarkup(const char16_t* t, std::int32_t p) {
  Markup m;
  char16_t c1 = t[p + 1];
  if (c1 == u'/') {
    return ScanEndTag(t, p);
  } else if (c1 == u'?') {
    m.kind = TokenKind::ProcessingInstruction;
    m.nameStart = p + 2;
    m.nameEnd = SkipName(t, p + 2);
    m.scan = ScanToTerminator(t, m.nameEnd, 0, u'?');
  } else if (c1 == u'!') {
    char16_t c2 = t[p + 2];
    if (c2 == u'-') {
      if (t[p + 3] == u'-') {
        m.kind = TokenKind::Comment;
        m.scan = ScanToTerminator(t, p + 4, u'-', u'-');
      } else {
        m.errorWord = u"comment tag";
        m.scan = ScanTag(t, p + 3, -1, true, nullptr);
      }
    } else if (c2 == u'[') {
      if (t[p + 3] == u'C') {
        m.kind = TokenKind::CData;
        m.scan = ScanToTerminator(t, p + 4, u']', u']');
      } else {
        m.errorWord = u"tag";
        m.scan = ScanTag(t, p + 3, -1, true, nullptr);
      }
    } else if (c2 == u'D') {
      m.kind = TokenKind::Doctype;
      m.scan = ScanDoctype(t, p + 3);
    } else if (c2 == u'E' || c2 == u'A' || c2 == u'N') {
      m.kind = TokenKind::Doctype;
      m.scan = ScanDeclaration(t, p + 3);
    } else {
      m.errorWord = u"! tag";
      m.scan = ScanTag(t, p + 2, -1, true, nullptr);
    }
  } else if (StartsTagName(c1)) {
    return ScanStartTag(t, p);
  } else {
    m.errorWord = u"tag name character";
    m.scan = ScanTag(t, p + 1, -1, true, nullptr);
  }
  return m;
}

// A document type declaration: runs to the first ">" met while no nested markup is open.
// Nested markup is passed over whole by the rules of a token; nested "<!D" declarations only
// count a level, so nesting depth costs no stack.
Scanned ScanDoctype(const char16_t* t, std::int32_t from) {
  std::int64_t depth = 0;
  for (std::int32_t i = from;;) {
    char16_t c = t[i];
    if (c == 0) return {i, false};
    if (c == u'>') {
      if (depth == 0) return {i + 1, true};
      --depth;
      ++i;
    } else if (c == u'<') {
      if (t[i + 1] == u'!' && t[i + 2] == u'D') {
        ++depth;
        i += 3;
      } else {
        Scanned nested = ScanMarkup(t, i).scan;
        if (!nested.terminated) return nested;
        i = nested.end;
      }
    } else {
      ++i;
    }
  }
}

const char16_t* UnterminatedWhat(TokenKind kind) {
  switch (kind) {
    case TokenKind::Doctype:
      return u"Doctype";
    case TokenKind::StartTag:
      return u"Element tag";
    case TokenKind::EndTag:
      return u"Element end tag";
    case TokenKind::CData:
      return u"CDATA Section";
    case TokenKind::ProcessingInstruction:
      return u"Processing instruction";
    case TokenKind::Comment:
      return u"Comment";
    default:
      return u"tag";
  }
}

}  // namespace

TokenKind NextToken(ScanCursor& cursor, MarkupToken& token) {
  const char16_t* t = cursor.Text;
  const std::int32_t p = cursor.Next;
  token.Start = p;
  token.Flags = 0;

  char16_t c = t[p];
  if (c == 0) {
    token.Name.clear();
    token.Kind = TokenKind::EndOfText;
    token.Length = 0;
    return token.Kind;
  }

  std::int32_t end;
  if (c != u'<') {
    // Character data: whitespace until the first other unit; a ">" ends it and belongs to it.
    std::int32_t i = SkipSpace(t, p, cursor.Size);
    token.Kind = TokenKind::Whitespace;
    if (t[i] != 0 && t[i] != u'<') {
      token.Kind = TokenKind::Text;
      i = SkipText(t, i, cursor.Size);
      if (t[i] == u'>') ++i;
    }
    token.Name.clear();
    end = i;
  } else {
    const char16_t c1 = t[p + 1];
    const Markup m = StartsTagName(c1) ? ScanStartTag(t, p)
                     : c1 == u'/'      ? ScanEndTag(t, p)
                                       : ScanMarkup(t, p);
    end = m.scan.end;
    token.Kind = m.kind;
    if (m.kind == TokenKind::EndTag) {
      cursor.Start = m.nameStart;
      cursor.End = m.nameEnd - 1;
    }
    if (!m.scan.terminated) {
      token.Kind = TokenKind::Error;
      token.Name = UnterminatedWhat(m.kind);
      token.Name += u" at offset ";
      detail::AppendDecimal(token.Name, p);
      token.Name += u" unterminated";
    } else if (m.kind == TokenKind::Error) {
      token.Name = u"Incorrect ";
      token.Name += m.errorWord;
      token.Name += u" at offset ";
      detail::AppendDecimal(token.Name, p);
    } else if (m.kind == TokenKind::StartTag || m.kind == TokenKind::ProcessingInstruction) {
      // The same slot often held the same name before (siblings of one kind): keep it.
      const std::u16string_view name(t + m.nameStart,
                                     static_cast<std::size_t>(m.nameEnd - m.nameStart));
      if (token.Name != name) token.Name.assign(name);
      if (m.empty) token.Flags = EmptyElement;
    } else {
      token.Name.clear();
    }
  }
  cursor.Next = end;
  token.Length = end - p;
  return token.Kind;
}

}  // namespace kx::text
