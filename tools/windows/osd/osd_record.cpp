#include "osd_record.h"

#include <algorithm>

namespace kx::osd {

namespace {

constexpr std::uint32_t kDefaultDisplayMs = 1500;
constexpr std::uint32_t kMinDisplayMs = 100;
constexpr std::uint32_t kMaxDisplayMs = 60000;
constexpr int kDefaultFontHeight = 40;
constexpr std::size_t kMaxCharacters = 255;

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(bytes[offset]) |
         (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
         (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) |
         (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

// A zero-terminated UTF-16LE text in a fixed field; a field without terminator is cut.
std::u16string ReadText(std::span<const std::uint8_t> field, std::size_t maxCharacters) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < field.size() && text.size() < maxCharacters; i += 2) {
    const auto unit = static_cast<char16_t>(field[i] | (field[i + 1] << 8));
    if (unit == 0) break;
    text.push_back(unit);
  }
  // A cut must not leave half of a surrogate pair at the end.
  if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
  return text;
}

}  // namespace

std::optional<OsdRequest> DecodeOsdRecord(std::uintptr_t copyDataId,
                                          std::span<const std::uint8_t> bytes) {
  if (copyDataId != 0 || bytes.size() != kRecordSize) return std::nullopt;
  OsdRequest request;
  request.text = ReadText(bytes.subspan(kTextOffset, kTextBytes), kMaxCharacters);
  const std::uint32_t display = ReadU32(bytes, kDisplayTimeOffset);
  request.displayMs =
      display == 0 ? kDefaultDisplayMs : std::clamp(display, kMinDisplayMs, kMaxDisplayMs);
  request.colour = ReadU32(bytes, kColourOffset) & 0x00FFFFFF;
  const std::uint32_t height = ReadU32(bytes, kFontHeightOffset);
  request.fontHeight = height == 0 ? kDefaultFontHeight
                                   : static_cast<int>(std::clamp<std::uint32_t>(height, 8, 200));
  request.fontFace =
      ReadText(bytes.subspan(kFontFaceOffset, kFontFaceBytes), 31);  // LF_FACESIZE - 1
  return request;
}

}  // namespace kx::osd
