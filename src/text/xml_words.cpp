// Reading single words inside a tag, comparing names, and finding an attribute's value.
#include "text/encoding_flags.h"
#include "text/markup_chars.h"
#include "text/xml_tokenizer.h"

namespace kx::text {

namespace {

using detail::AsciiLower;
using detail::IsQuote;
using detail::IsSpace;

constexpr bool IsWordBreak(char16_t c) {
  switch (c) {
    case u'<':
    case u'>':
    case u'=':
    case u'\\':
    case u'/':
    case u'?':
    case u'!':
    case u'"':
    case u'\'':
    case u';':
      return true;
    default:
      return false;
  }
}

// The end of an unquoted part of a tag: a value (right after "=") runs to whitespace or ">";
// anything else also stops at "=", "/" and "?". A part that would be empty takes one unit.
std::int32_t PartEnd(const char16_t* t, std::int32_t from, bool isValue) {
  std::int32_t i = from;
  if (isValue) {
    while (t[i] != 0 && !IsSpace(t[i]) && t[i] != u'>')
      ++i;
  } else {
    while (t[i] != 0 && !IsSpace(t[i]) && t[i] != u'=' && t[i] != u'>' && t[i] != u'/' &&
           t[i] != u'?') {
      ++i;
    }
  }
  return i == from ? from + 1 : i;
}

void SetOnMatchedName(ScanCursor& cursor) {
  cursor.Start = cursor.AttributeScanFrom + cursor.AttributeSpaces;
  cursor.End = PartEnd(cursor.Text, cursor.Start, false) - 1;
  cursor.Flags &= ~Quoted;
}

}  // namespace

bool NextWord(ScanCursor& cursor) {
  const char16_t* t = cursor.Text;
  std::int32_t i = cursor.Next;
  while (IsSpace(t[i]))
    ++i;
  if (t[i] == 0) {
    cursor.Start = cursor.Next = i;
    cursor.End = i - 1;
    return false;
  }
  std::int32_t end = i + 1;
  if (!IsWordBreak(t[i])) {
    while (t[end] != 0 && !IsSpace(t[end]) && !IsWordBreak(t[end]))
      ++end;
  }
  cursor.Start = i;
  cursor.End = end - 1;
  cursor.Next = end;
  return true;
}

bool NameMatches(const ScanCursor& cursor, std::u16string_view name) {
  std::int32_t n = cursor.End - cursor.Start + 1;
  if (n < 0 || static_cast<std::size_t>(n) > name.size()) return false;
  const char16_t* t = cursor.Text + cursor.Start;
  const bool ignoreCase = (cursor.Flags & IgnoreCase) != 0;
  if (!ignoreCase) {
    if (std::u16string_view(t, static_cast<std::size_t>(n)) !=
        name.substr(0, static_cast<std::size_t>(n))) {
      return false;
    }
  }
  for (std::int32_t i = 0; ignoreCase && i < n; ++i) {
    char16_t a = t[i];
    char16_t b = name[static_cast<std::size_t>(i)];
    if (a != b && !(ignoreCase && AsciiLower(a) == AsciiLower(b))) return false;
  }
  if (static_cast<std::size_t>(n) == name.size()) return true;
  char16_t after = name[static_cast<std::size_t>(n)];
  return after == u' ' || after == u'=' || after == u'/' || after == u'[' || after == u']';
}

bool SeekAttribute(ScanCursor& cursor, std::u16string_view name) {
  const char16_t* t = cursor.Text;
  bool matched = false;
  bool passedTagName = false;
  bool valueNext = false;     // the part after an "=" is a value
  bool endsOnEquals = false;  // the last part read was an "="
  for (;;) {
    std::int32_t spaceFrom = cursor.Next;
    std::int32_t i = spaceFrom;
    while (IsSpace(t[i]))
      ++i;
    if (t[i] == 0) {
      cursor.Next = i;
      break;
    }
    const char16_t first = t[i];
    const bool isValue = valueNext;
    const bool quoted = IsQuote(first);
    valueNext = false;
    endsOnEquals = false;
    if (quoted) {
      std::int32_t close = i + 1;
      while (t[close] != 0 && t[close] != first)
        ++close;
      cursor.Start = i + 1;
      cursor.End = close - 1;
      cursor.Flags |= Quoted;
      cursor.Next = t[close] != 0 ? close + 1 : close;
    } else {
      cursor.Flags &= ~Quoted;
      cursor.Start = i;
      cursor.Next = PartEnd(t, i, isValue);
      cursor.End = cursor.Next - 1;
    }

    if (isValue) {
      if (matched) return true;
    } else if (quoted) {
      if (matched) {
        SetOnMatchedName(cursor);
        return true;
      }
    } else if (first == u'=') {
      valueNext = true;
      endsOnEquals = true;
    } else if (first == u'>' || first == u'/' || first == u'?') {
      cursor.Next = spaceFrom;
      break;
    } else if (matched) {
      // The matched attribute had no value: its name stands for it.
      SetOnMatchedName(cursor);
      return true;
    } else if (!passedTagName) {
      passedTagName = true;
    } else if (NameMatches(cursor, name)) {
      matched = true;
      cursor.AttributeScanFrom = spaceFrom;
      cursor.AttributeSpaces = i - spaceFrom;
    }
  }
  if (!matched) return false;
  // When the text ends right after an "=", the cursor stays on that "=".
  if (!endsOnEquals) SetOnMatchedName(cursor);
  return true;
}

}  // namespace kx::text
