#include "profiles/ini/ini_struct.h"

#include <vector>

namespace kx::profiles {

namespace {

constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";

// Hex digit values by unit; -1 for everything else.
struct HexTable {
  signed char value[128];
  constexpr HexTable() : value{} {
    for (auto& v : value) v = -1;
    for (int d = 0; d < 10; ++d) value['0' + d] = static_cast<signed char>(d);
    for (int d = 0; d < 6; ++d) {
      value['A' + d] = static_cast<signed char>(10 + d);
      value['a' + d] = static_cast<signed char>(10 + d);
    }
  }
};
constexpr HexTable kHex;

int DigitValue(char16_t c) { return c < 128 ? kHex.value[c] : -1; }

// The byte of two digits, or -1.
int ByteAt(std::u16string_view digits, std::size_t i) {
  int high = DigitValue(digits[i]);
  int low = DigitValue(digits[i + 1]);
  return (high | low) < 0 ? -1 : high * 16 + low;
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
  if (value.size() != out.size() * 2 + 2) return false;
  std::vector<std::uint8_t> bytes(out.size());
  std::uint8_t sum = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    int b = ByteAt(value, 2 * i);
    if (b < 0) return false;
    bytes[i] = static_cast<std::uint8_t>(b);
    sum = static_cast<std::uint8_t>(sum + b);
  }
  int checksum = ByteAt(value, value.size() - 2);
  if (checksum != sum) return false;
  std::copy(bytes.begin(), bytes.end(), out.begin());
  return true;
}

}  // namespace kx::profiles
