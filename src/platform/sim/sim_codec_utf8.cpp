#include "platform/sim/sim_codec_utf8.h"

#include <cstring>

namespace kx::sim::codec {

namespace {

// Continuation bytes that follow a lead byte: C0, C1 and F5-FF lead nothing and are invalid
// on their own, as are stray continuation bytes.
constexpr std::uint8_t kFollowing[128] = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 80-8F
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 90-9F
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // A0-AF
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // B0-BF
    0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // C0-CF
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // D0-DF
    2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,  // E0-EF
    3, 3, 3, 3, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // F0-FF
};
constexpr std::uint8_t kLeadMask[4] = {0x7F, 0x1F, 0x0F, 0x07};
constexpr std::uint32_t kInvalid = ~0u;

// Decodes the sequence whose lead byte was just taken; *at stands behind it and moves past the
// bytes the system takes with it. An overlong form, a surrogate or a value past U+10FFFF stops
// at the byte that shows it, so the bytes after it are judged again on their own.
std::uint32_t DecodeSequence(std::uint8_t lead, const std::uint8_t* bytes, std::size_t* at,
                             std::size_t count) {
  const unsigned following = kFollowing[lead - 0x80];
  std::uint32_t value = lead & kLeadMask[following];
  const std::size_t end = *at + following;
  if (end > count) {
    *at = count;  // a sequence cut off by the end takes the rest with it
    return kInvalid;
  }
  unsigned c;
  switch (following) {
    case 3:
      if ((c = bytes[end - 3] ^ 0x80u) >= 0x40) return kInvalid;
      value = (value << 6) | c;
      ++*at;
      if (value < 0x10) return kInvalid;
      [[fallthrough]];
    case 2:
      if ((c = bytes[end - 2] ^ 0x80u) >= 0x40) return kInvalid;
      value = (value << 6) | c;
      if (value >= (0x110000 >> 6)) return kInvalid;
      ++*at;
      if (value < 0x20) return kInvalid;
      if (value >= (0xD800 >> 6) && value <= (0xDFFF >> 6)) return kInvalid;
      [[fallthrough]];
    case 1:
      if ((c = bytes[end - 1] ^ 0x80u) >= 0x40) return kInvalid;
      value = (value << 6) | c;
      ++*at;
      if (value < 0x80) return kInvalid;
      return value;
    default:
      return kInvalid;
  }
}

}  // namespace

bool DecodeUtf8(const std::uint8_t* bytes, std::size_t count, WideOutput& out) {
  bool valid = true;
  std::size_t at = 0;
  while (at < count) {
    if (count - at >= 8) {
      std::uint64_t eight;
      std::memcpy(&eight, bytes + at, 8);
      if ((eight & 0x8080808080808080ull) == 0) {
        out.PutAscii8(bytes + at);
        at += 8;
        continue;
      }
    }
    const std::uint8_t lead = bytes[at++];
    if (lead < 0x80) {
      out.Put(lead);
      continue;
    }
    const std::uint32_t value = DecodeSequence(lead, bytes, &at, count);
    if (value == kInvalid) {
      out.Put(0xFFFD);
      valid = false;
    } else if (value >= 0x10000) {
      out.Put(static_cast<char16_t>(0xD800 | ((value - 0x10000) >> 10)));
      out.Put(static_cast<char16_t>(0xDC00 | (value & 0x3FF)));
    } else {
      out.Put(static_cast<char16_t>(value));
    }
  }
  return valid;
}

}  // namespace kx::sim::codec
