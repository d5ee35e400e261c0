// How the private-profile functions trim, unquote and cut the text they return.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kx::profiles {

// A text read returns at most this many characters (a buffer of 2048 with its terminator);
// a surrogate pair that crosses the cut is split, as the platform does.
inline constexpr std::size_t kMaxTextRead = 2047;

// The characters trimmed around names and values: space, tab, vertical tab, form feed and
// 0x1A. Other spaces (U+00A0, U+3000, ...) are ordinary characters.
constexpr bool IsIniSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || c == 0x1A;
}

std::u16string_view TrimLeft(std::u16string_view text);
std::u16string_view TrimRight(std::u16string_view text);
std::u16string_view Trim(std::u16string_view text);
// The text up to its first U+0000.
std::u16string_view CutAtNul(std::u16string_view text);
// One pair of matching quotes (" or ') around a text of at least two characters is removed.
std::u16string_view StripQuotes(std::u16string_view text);
// What a text read returns for a stored value: cut at U+0000, unquoted, at most 2047 units.
std::u16string ValueForRead(std::u16string_view storedValue);
// What a text read returns for the caller's default: trailing spaces trimmed (never the
// first character), unquoted, at most 2047 units. Leading spaces are kept.
std::u16string DefaultForRead(std::u16string_view defaultText);

}  // namespace kx::profiles
