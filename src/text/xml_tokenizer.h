// The XML tokenizer: reads markup from a wide text one token at a time. It copies only the
// names of start tags and processing instructions and the messages of error tokens; everything
// else is a position (an index of UTF-16 units into the text). A zero unit ends the text for
// every scan, so scans never run past the string's terminator.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace kx::text {

inline constexpr std::uint32_t Quoted = 0x8000;         // ScanCursor: the value was quoted
inline constexpr std::uint32_t EmptyElement = 0x10000;  // MarkupToken: a start tag ending "/>"

enum class TokenKind : std::int32_t {
  EndOfText = -2,
  Error = -1,
  EndTag = 0,
  StartTag = 1,
  Text = 2,
  Whitespace = 4,
  CData = 8,
  ProcessingInstruction = 16,
  Comment = 32,
  Doctype = 64,
};

// A scanning position over a text. The text must outlive the cursor.
struct ScanCursor {
  ScanCursor() = default;
  ScanCursor(const std::u16string& text, std::uint32_t flags)
      : Text(text.c_str()),
        Size(static_cast<std::int32_t>(std::min<std::size_t>(text.size(), INT32_MAX))),
        Flags(flags) {}

  std::int32_t Start = 0;  // the current word or name: first unit
  std::int32_t End = -1;   // its last unit (Start - 1 when empty)
  std::int32_t Next = 0;   // where the next scan begins
  const char16_t* Text = u"";
  // Units known to be readable from Text (its terminator aside); scans may read ahead within
  // them. 0 when unknown: scans then go unit by unit up to the zero.
  std::int32_t Size = 0;
  std::uint32_t Flags = 0;  // IgnoreCase, Quoted
  // Where SeekAttribute's matched attribute name stands: the scan position before it and the
  // whitespace units in between.
  std::int32_t AttributeScanFrom = 0;
  std::int32_t AttributeSpaces = 0;

  std::u16string_view Word() const {
    return End < Start
               ? std::u16string_view()
               : std::u16string_view(Text + Start, static_cast<std::size_t>(End - Start + 1));
  }
};

struct MarkupToken {
  TokenKind Kind = TokenKind::EndOfText;
  std::int32_t Start = 0;
  std::int32_t Length = 0;
  std::uint32_t Flags = 0;  // EmptyElement
  // A start tag's name, a processing instruction's target, or an error token's message.
  std::u16string Name;
};

// Reads the token at the cursor's Next into token and moves Next behind it. An end tag leaves
// its name's range in the cursor's Start and End.
TokenKind NextToken(ScanCursor& cursor, MarkupToken& token);

// Skips whitespace and sets Start and End on the next word (a run of units that are neither
// whitespace nor one of < > = \ / ? ! " ' ;, or one such unit alone). False at the end of text.
bool NextWord(ScanCursor& cursor);

// Whether the units from Start to End equal the beginning of name and name ends there or goes
// on with one of space = / [ ]. Ignores ASCII letter case when the cursor has IgnoreCase.
bool NameMatches(const ScanCursor& cursor, std::u16string_view name);

// With Next on a tag's own name, finds the attribute name and sets Start and End on its value
// (Quoted when the value was in quotes); an attribute without a value yields its own name.
bool SeekAttribute(ScanCursor& cursor, std::u16string_view name);

// The encoding a text declares, as written: an XML declaration's encoding or an HTML meta
// charset; empty when there is none.
std::u16string DeclaredEncoding(const std::u16string& text);

}  // namespace kx::text
