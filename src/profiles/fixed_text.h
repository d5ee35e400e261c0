// Fixed-size text fields: NUL-terminated UTF-16 in an array of N units.
#pragma once

#include <cstddef>
#include <string_view>

namespace kx::profiles {

// The text of a field up to its terminator; a field without one yields all N units, so a
// record read from a file never leads a reader past its end.
template <std::size_t N>
std::u16string_view FixedText(const char16_t (&field)[N]) {
  std::size_t length = 0;
  while (length < N && field[length] != 0)
    ++length;
  return {field, length};
}

// Copies text into a field, cut to N - 1 units so the terminator fits; a surrogate pair is
// never split by the cut. The rest of the field is cleared.
template <std::size_t N>
void SetFixedText(char16_t (&field)[N], std::u16string_view text) {
  static_assert(N > 0);
  std::size_t length = text.size() < N - 1 ? text.size() : N - 1;
  if (length < text.size() && length > 0 && text[length - 1] >= 0xD800 &&
      text[length - 1] <= 0xDBFF) {
    --length;
  }
  std::size_t i = 0;
  for (; i < length; ++i)
    field[i] = text[i];
  for (; i < N; ++i)
    field[i] = 0;
}

}  // namespace kx::profiles
