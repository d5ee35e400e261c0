// Small text helpers shared by the platform layer and the agent: the system's case-insensitive
// comparison of names, and UTF-8 for host paths and printing.
#pragma once

#include <string>
#include <string_view>

namespace kx {

// The simple upper-case mapping the system uses for case-insensitive names (ASCII, Latin-1,
// Latin Extended-A, Greek and Cyrillic letters); other units map to themselves.
char16_t SimpleUpper(char16_t c);
// lstrcmpiW-style equality: equal after the simple upper-case mapping.
bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b);
// ASCII-only case-insensitive equality (the private-profile names, file-name extensions).
bool EqualsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b);

// UTF-16 to UTF-8; a lone surrogate half becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);
// UTF-8 to UTF-16; an invalid sequence becomes U+FFFD.
std::u16string FromUtf8(std::string_view text);
// ASCII text widened unit by unit (for literals and fixed formats).
std::u16string Widen(std::string_view ascii);

// The value of an ASCII hex digit of either case; -1 for any other character.
constexpr int HexDigitValue(char32_t c) {
  if (c >= U'0' && c <= U'9') return static_cast<int>(c - U'0');
  if (c >= U'a' && c <= U'f') return static_cast<int>(c - U'a') + 10;
  if (c >= U'A' && c <= U'F') return static_cast<int>(c - U'A') + 10;
  return -1;
}
constexpr int HexDigitValue(char16_t c) {
  return HexDigitValue(static_cast<char32_t>(c));
}
// The same for a narrow character (a byte above 0x7F is no digit).
constexpr int HexDigitValue(char c) {
  return HexDigitValue(static_cast<char32_t>(static_cast<unsigned char>(c)));
}

}  // namespace kx
