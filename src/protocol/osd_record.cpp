#include "protocol/osd_record.h"

namespace kx::protocol {

namespace {

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
  record.text = TextAt(bytes, kOsdTextOffset, kOsdTextBytes);
  record.param1 = U32At(bytes, kOsdParam1Offset);
  record.param2 = U32At(bytes, kOsdParam2Offset);
  record.param3 = U32At(bytes, kOsdParam3Offset);
  record.colour = U32At(bytes, kOsdColourOffset);
  record.param5 = U32At(bytes, kOsdParam5Offset);
  record.fontFace = TextAt(bytes, kOsdFontOffset, kOsdFontBytes);
  return record;
}

}  // namespace kx::protocol
