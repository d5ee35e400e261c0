#include "companions/osd_record_reader.h"

namespace kx::companions {

namespace {

constexpr std::size_t kTextOffset = 0;
constexpr std::size_t kTextBytes = 512;
constexpr std::size_t kParamsOffset = 512;
constexpr std::size_t kFontOffset = 532;
constexpr std::size_t kFontBytes = 512;

std::uint32_t U32At(std::span<const std::uint8_t> bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i)
    value |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
  return value;
}

std::u16string TextAt(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t size) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    const char16_t unit = static_cast<char16_t>(bytes[offset + i] | (bytes[offset + i + 1] << 8));
    if (unit == 0) break;
    text.push_back(unit);
  }
  return text;
}

}  // namespace

std::optional<OsdRecord> ReadOsdRecord(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != kOsdRecordBytes) return std::nullopt;
  OsdRecord record;
  record.text = TextAt(bytes, kTextOffset, kTextBytes);
  record.param1 = U32At(bytes, kParamsOffset);
  record.param2 = U32At(bytes, kParamsOffset + 4);
  record.param3 = U32At(bytes, kParamsOffset + 8);
  record.colour = U32At(bytes, kParamsOffset + 12);
  record.param5 = U32At(bytes, kParamsOffset + 16);
  record.fontFace = TextAt(bytes, kFontOffset, kFontBytes);
  return record;
}

}  // namespace kx::companions
