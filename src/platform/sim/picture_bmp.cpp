// BMP files, read by offset with a length check before every field.
#include <bit>

#include "platform/graphics_flags.h"
#include "platform/sim/byte_reader.h"
#include "platform/sim/picture_files.h"

namespace kx::sim {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;  // the oldest info header: 16-bit sizes
constexpr std::uint32_t kInfoHeaderSize = 40;

// One colour channel described by a bit mask, scaled to 8 bits.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  explicit Channel(std::uint32_t m) : mask(m) {
    if (mask == 0) return;
    shift = std::countr_zero(mask);
    bits = std::popcount(mask >> shift);
  }
  std::uint8_t From(std::uint32_t value) const {
    if (bits == 0) return 0;
    std::uint32_t v = (value & mask) >> shift;
    if (bits >= 8) return static_cast<std::uint8_t>(v >> (bits - 8));
    std::uint32_t top = (1u << bits) - 1;
    return static_cast<std::uint8_t>((v * 255 + top / 2) / top);
  }
};

struct Header {
  std::int64_t width = 0;
  std::int64_t height = 0;  // rows, always positive
  bool topDown = false;
  unsigned bitCount = 0;
  std::uint32_t compression = BI_RGB;
  std::uint32_t colorsUsed = 0;
  std::size_t paletteOffset = 0;
  std::size_t paletteEntrySize = 4;
  std::uint32_t masks[3] = {0, 0, 0};  // red, green, blue
};

std::optional<Header> ReadHeader(const ByteReader& in) {
  if (!in.Has(0, kFileHeaderSize + 4) || in.U8(0) != 'B' || in.U8(1) != 'M') return std::nullopt;
  const std::uint32_t infoSize = in.U32(kFileHeaderSize);
  Header h;
  unsigned planes = 0;
  std::int64_t rawHeight = 0;
  if (infoSize == kCoreHeaderSize) {
    if (!in.Has(kFileHeaderSize, kCoreHeaderSize)) return std::nullopt;
    h.width = in.U16(18);
    rawHeight = in.U16(20);
    planes = in.U16(22);
    h.bitCount = in.U16(24);
    h.paletteEntrySize = 3;
  } else if (infoSize >= kInfoHeaderSize) {
    if (!in.Has(kFileHeaderSize, infoSize)) return std::nullopt;
    h.width = in.I32(18);
    rawHeight = in.I32(22);
    planes = in.U16(26);
    h.bitCount = in.U16(28);
    h.compression = in.U32(30);
    h.colorsUsed = in.U32(46);
  } else {
    return std::nullopt;
  }
  h.topDown = rawHeight < 0;
  h.height = rawHeight < 0 ? -rawHeight : rawHeight;
  h.paletteOffset = kFileHeaderSize + infoSize;
  if (planes != 1 || h.width <= 0 || h.height <= 0 || h.width * h.height > kMaxPixels) {
    return std::nullopt;
  }

  switch (h.bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
      if (h.compression != BI_RGB) return std::nullopt;  // run-length files are not read
      break;
    case 16:
    case 32:
      if (h.compression == BI_BITFIELDS) {
        // The three masks follow a 40-byte header and sit at the same place in later ones.
        if (infoSize == kCoreHeaderSize || !in.Has(54, 12)) return std::nullopt;
        for (int i = 0; i < 3; ++i)
          h.masks[i] = in.U32(54 + 4 * static_cast<std::size_t>(i));
        if (infoSize == kInfoHeaderSize) h.paletteOffset += 12;
      } else if (h.compression == BI_RGB) {
        if (h.bitCount == 16) {
          h.masks[0] = 0x7C00;
          h.masks[1] = 0x03E0;
          h.masks[2] = 0x001F;
        } else {
          h.masks[0] = 0xFF0000;
          h.masks[1] = 0x00FF00;
          h.masks[2] = 0x0000FF;
        }
      } else {
        return std::nullopt;
      }
      break;
    default:
      return std::nullopt;
  }
  return h;
}

}  // namespace

std::optional<Pixels> DecodeBmp(std::span<const std::uint8_t> bytes) {
  const ByteReader in(bytes);
  const std::optional<Header> header = ReadHeader(in);
  if (!header) return std::nullopt;
  const Header& h = *header;

  // The colour table of the indexed formats; indexes past its end give black.
  std::vector<std::uint32_t> palette;
  if (h.bitCount <= 8) {
    const std::uint32_t maxColors = 1u << h.bitCount;
    std::uint32_t count = h.colorsUsed == 0 || h.colorsUsed > maxColors ? maxColors : h.colorsUsed;
    if (!in.Has(h.paletteOffset, std::uint64_t{count} * h.paletteEntrySize)) return std::nullopt;
    for (std::uint32_t i = 0; i < count; ++i) {
      std::size_t at = h.paletteOffset + i * h.paletteEntrySize;
      palette.push_back(PixelRgb(in.U8(at + 2), in.U8(at + 1), in.U8(at)));
    }
  }

  const std::uint32_t pixelOffset = in.U32(10);
  const std::uint64_t stride = ((static_cast<std::uint64_t>(h.width) * h.bitCount + 31) / 32) * 4;
  if (!in.Has(pixelOffset, stride * static_cast<std::uint64_t>(h.height))) return std::nullopt;

  const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]);
  const int width = static_cast<int>(h.width);
  const int height = static_cast<int>(h.height);
  Pixels out(width, height);
  for (int y = 0; y < height; ++y) {
    const std::uint64_t fileRow = h.topDown ? y : height - 1 - y;
    const std::size_t row = static_cast<std::size_t>(pixelOffset + fileRow * stride);
    for (int x = 0; x < width; ++x) {
      const std::size_t ux = static_cast<std::size_t>(x);
      std::uint32_t pixel = 0;
      switch (h.bitCount) {
        case 1:
        case 4:
        case 8: {
          const std::size_t bitPos = ux * h.bitCount;
          const unsigned shift = 8 - h.bitCount - static_cast<unsigned>(bitPos % 8);
          const unsigned index = (in.U8(row + bitPos / 8) >> shift) & ((1u << h.bitCount) - 1);
          pixel = index < palette.size() ? palette[index] : 0;
          break;
        }
        case 16: {
          const std::uint32_t v = in.U16(row + ux * 2);
          pixel = PixelRgb(red.From(v), green.From(v), blue.From(v));
          break;
        }
        case 24: {
          const std::size_t at = row + ux * 3;
          pixel = PixelRgb(in.U8(at + 2), in.U8(at + 1), in.U8(at));
          break;
        }
        case 32: {
          const std::uint32_t v = in.U32(row + ux * 4);
          pixel = PixelRgb(red.From(v), green.From(v), blue.From(v));
          break;
        }
        default:
          break;
      }
      out.At(x, y) = pixel;
    }
  }
  return out;
}

std::vector<std::uint8_t> EncodeBmp24(const Pixels& picture) {
  if (picture.Empty()) return {};
  const std::size_t stride = (static_cast<std::size_t>(picture.width) * 3 + 3) / 4 * 4;
  const std::size_t imageSize = stride * static_cast<std::size_t>(picture.height);
  const std::size_t offset = kFileHeaderSize + kInfoHeaderSize;
  std::vector<std::uint8_t> out(offset + imageSize, 0);
  auto put16 = [&](std::size_t at, std::uint32_t v) {
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
  };
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    put16(at, v & 0xFFFF);
    put16(at + 2, v >> 16);
  };
  out[0] = 'B';
  out[1] = 'M';
  put32(2, static_cast<std::uint32_t>(out.size()));
  put32(10, static_cast<std::uint32_t>(offset));
  put32(14, kInfoHeaderSize);
  put32(18, static_cast<std::uint32_t>(picture.width));
  put32(22, static_cast<std::uint32_t>(picture.height));  // positive: bottom-up
  put16(26, 1);
  put16(28, 24);
  put32(34, static_cast<std::uint32_t>(imageSize));
  put32(38, 2835);  // 72 dpi
  put32(42, 2835);
  for (int y = 0; y < picture.height; ++y) {
    std::size_t row = offset + static_cast<std::size_t>(picture.height - 1 - y) * stride;
    for (int x = 0; x < picture.width; ++x) {
      std::uint32_t p = picture.At(x, y);
      std::size_t at = row + static_cast<std::size_t>(x) * 3;
      out[at] = BlueOf(p);
      out[at + 1] = GreenOf(p);
      out[at + 2] = RedOf(p);
    }
  }
  return out;
}

}  // namespace kx::sim
