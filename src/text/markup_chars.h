// Character classes shared by the tokenizer's scans.
#pragma once

#include <cstdint>
#include <string>

namespace kx::text::detail {

constexpr bool IsSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}
constexpr bool IsQuote(char16_t c) {
  return c == u'"' || c == u'\'';
}
constexpr char16_t AsciiLower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

inline void AppendDecimal(std::u16string& out, std::int64_t value) {
  std::string digits = std::to_string(value);
  out.append(digits.begin(), digits.end());
}

}  // namespace kx::text::detail
