#include "osd_record.h"

#include <algorithm>
#include <utility>

namespace kx::osd {

namespace {

constexpr std::uint32_t kDefaultDisplayMs = 1500;
constexpr std::uint32_t kMinDisplayMs = 100;
constexpr std::uint32_t kMaxDisplayMs = 60000;
constexpr int kDefaultFontHeight = 40;
constexpr std::size_t kMaxCharacters = 255;

// A text cut to at most maxCharacters, never leaving half of a surrogate pair at the end.
std::u16string Cut(std::u16string text, std::size_t maxCharacters) {
  if (text.size() > maxCharacters) text.resize(maxCharacters);
  if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
  return text;
}

}  // namespace

std::optional<OsdRequest> DecodeOsdRecord(std::uintptr_t copyDataId,
                                          std::span<const std::uint8_t> bytes) {
  if (copyDataId != 0) return std::nullopt;
  std::optional<protocol::OsdRecord> record = protocol::ReadOsdRecord(bytes);
  if (!record) return std::nullopt;
  OsdRequest request;
  request.text = Cut(std::move(record->text), kMaxCharacters);
  const std::uint32_t display = record->param2;
  request.displayMs =
      display == 0 ? kDefaultDisplayMs : std::clamp(display, kMinDisplayMs, kMaxDisplayMs);
  request.colour = record->colour & 0x00FFFFFF;
  const std::uint32_t height = record->param5;
  request.fontHeight = height == 0 ? kDefaultFontHeight
                                   : static_cast<int>(std::clamp<std::uint32_t>(height, 8, 200));
  request.fontFace = Cut(std::move(record->fontFace), 31);  // LF_FACESIZE - 1
  return request;
}

}  // namespace kx::osd
