// An image in memory, the common currency of the simulated graphics: rows top-down, one 32-bit
// value per pixel, 0xAARRGGBB (in memory: blue, green, red, alpha, as in a 32-bit
// device-independent bitmap). Bitmaps leave alpha at 0; screenshots use it for transparency.
#pragma once

#include <bit>
#include <cstdint>
#include <vector>

#include "platform/types.h"

namespace kx::sim {

// The largest picture the simulated desktop decodes or creates (pixels); larger sizes fail
// instead of exhausting memory.
// Pixels are 32-bit words whose bytes in memory must run blue, green, red, alpha.
static_assert(std::endian::native == std::endian::little);

inline constexpr std::int64_t kMaxPixels = std::int64_t{1} << 26;

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> data;

  Pixels() = default;
  Pixels(int w, int h, std::uint32_t fill = 0)
      : width(w),
        height(h),
        data(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill) {}

  bool Empty() const { return width <= 0 || height <= 0; }
  std::uint32_t At(int x, int y) const { return data[Index(x, y)]; }
  std::uint32_t& At(int x, int y) { return data[Index(x, y)]; }

 private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
           static_cast<std::size_t>(x);
  }
};

inline constexpr std::uint32_t kAlphaMask = 0xFF000000u;
inline constexpr std::uint32_t kColourMask = 0x00FFFFFFu;

inline constexpr std::uint32_t PixelRgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | std::uint32_t{b};
}
inline constexpr std::uint32_t PixelFromColorref(COLORREF c) {
  return PixelRgb(static_cast<std::uint8_t>(c & 0xFF), static_cast<std::uint8_t>((c >> 8) & 0xFF),
                  static_cast<std::uint8_t>((c >> 16) & 0xFF));
}
inline constexpr std::uint8_t RedOf(std::uint32_t p) {
  return static_cast<std::uint8_t>(p >> 16);
}
inline constexpr std::uint8_t GreenOf(std::uint32_t p) {
  return static_cast<std::uint8_t>(p >> 8);
}
inline constexpr std::uint8_t BlueOf(std::uint32_t p) {
  return static_cast<std::uint8_t>(p);
}
inline constexpr std::uint8_t AlphaOf(std::uint32_t p) {
  return static_cast<std::uint8_t>(p >> 24);
}

}  // namespace kx::sim
