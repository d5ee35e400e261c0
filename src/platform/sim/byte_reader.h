// Little-endian fields of untrusted bytes, read by offset; callers check Has first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kx::sim {

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  bool Has(std::uint64_t offset, std::uint64_t count) const {
    return offset <= bytes_.size() && count <= bytes_.size() - offset;
  }
  std::uint8_t U8(std::size_t offset) const { return bytes_[offset]; }
  std::uint16_t U16(std::size_t offset) const {
    return static_cast<std::uint16_t>(bytes_[offset] | (bytes_[offset + 1] << 8));
  }
  std::uint32_t U32(std::size_t offset) const {
    return static_cast<std::uint32_t>(U16(offset)) |
           (static_cast<std::uint32_t>(U16(offset + 2)) << 16);
  }
  std::int32_t I32(std::size_t offset) const { return static_cast<std::int32_t>(U32(offset)); }

 private:
  std::span<const std::uint8_t> bytes_;
};

}  // namespace kx::sim
