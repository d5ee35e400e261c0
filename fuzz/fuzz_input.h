// Reading a fuzz input front to back: little-endian numbers, length-prefixed byte strings and
// wide texts. Past the end everything reads as zero or empty, so every input is valid.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace kx::fuzz {

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : bytes_(data, size) {}

  bool Empty() const { return at_ >= bytes_.size(); }
  std::size_t Left() const { return bytes_.size() - at_; }

  std::uint8_t U8() { return at_ < bytes_.size() ? bytes_[at_++] : 0; }
  std::uint16_t U16() { return static_cast<std::uint16_t>(U8() | (U8() << 8)); }
  std::uint32_t U32() { return U16() | (std::uint32_t{U16()} << 16); }

  // The next count bytes (fewer at the end).
  std::span<const std::uint8_t> Bytes(std::size_t count) {
    count = std::min(count, Left());
    std::span<const std::uint8_t> out = bytes_.subspan(at_, count);
    at_ += count;
    return out;
  }
  // A byte string with a 16-bit length in front.
  std::span<const std::uint8_t> Chunk() { return Bytes(U16()); }
  std::span<const std::uint8_t> Rest() { return Bytes(Left()); }

  // A wide text with an 8-bit length in front. Each byte is one unit: bytes below 0xF0 stand
  // for themselves (Latin-1 and control characters), 0xF0-0xFE for units that trip up text
  // handling, and 0xFF for the 16-bit unit that follows.
  std::u16string Text() { return Units(U8()); }
  // The rest of the input as a wide text, bytes read as by Text.
  std::u16string TextRest() { return Units(Left()); }

 private:
  std::u16string Units(std::size_t count) {
    static constexpr std::array<char16_t, 15> kTrickyUnits = {
        0x0000, 0x20AC, 0xFF1D, 0xFF3B, 0xD83D, 0xDE00, 0xFEFF, 0x0D0A,
        0x3000, 0x00A0, 0x2028, 0xFFFD, 0x0130, 0x0A0D, 0x1A1A};
    std::u16string out;
    for (std::size_t n = count; n > 0 && !Empty(); --n) {
      const std::uint8_t b = U8();
      if (b < 0xF0) {
        out += static_cast<char16_t>(b);
      } else if (b < 0xFF) {
        out += kTrickyUnits[b - 0xF0];
      } else {
        out += static_cast<char16_t>(U16());
      }
    }
    return out;
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
};

}  // namespace kx::fuzz
