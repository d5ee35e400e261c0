#include "profiles/ini/ini_struct.h"

#include <algorithm>
#include <vector>

#include "platform/text_util.h"

namespace kx::profiles {

namespace {

constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";

// Hex digit values by unit; -1 for everything else.
struct HexTable {
  signed char value[128];
  constexpr HexTable() : value{} {
    for (char32_t c = 0; c < 128; ++c)
      value[c] = static_cast<signed char>(HexDigitValue(c));
  }
};
constexpr HexTable kHex;

// The byte of the two digits at text[0] and text[1], or -1.
inline int ByteAt(const char16_t* text) {
  char16_t high = text[0];
  char16_t low = text[1];
  if ((high | low) >= 128) return -1;
  int h = kHex.value[high];
  int l = kHex.value[low];
  return (h | l) < 0 ? -1 : h * 16 + l;
}

}  // namespace

std::u16string FormatStructValue(std::span<const std::uint8_t> bytes) {
  std::u16string text(bytes.size() * 2 + 2, u'0');
  std::uint8_t sum = 0;
  char16_t* p = text.data();
  for (std::uint8_t b : bytes) {
    *p++ = kHexDigits[b >> 4];
    *p++ = kHexDigits[b & 0x0F];
    sum = static_cast<std::uint8_t>(sum + b);
  }
  p[0] = kHexDigits[sum >> 4];
  p[1] = kHexDigits[sum & 0x0F];
  return text;
}

bool ParseStructValue(std::u16string_view value, std::span<std::uint8_t> out) {
  const std::size_t length = out.size() * 2 + 2;
  // A U+0000 ends a value; an earlier one fails as a non-digit below.
  if (value.size() > length && value[length] == 0) value = value.substr(0, length);
  if (value.size() != length) return false;
  std::vector<std::uint8_t> bytes(out.size());
  const char16_t* digits = value.data();
  int bad = 0;
  unsigned sum = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    int b = ByteAt(digits + 2 * i);
    bad |= b;  // negative once any pair is not two hex digits
    bytes[i] = static_cast<std::uint8_t>(b);
    sum += static_cast<unsigned>(b);
  }
  int checksum = ByteAt(digits + value.size() - 2);
  if (bad < 0 || checksum != static_cast<int>(sum & 0xFF)) return false;
  std::copy(bytes.begin(), bytes.end(), out.begin());
  return true;
}

}  // namespace kx::profiles
