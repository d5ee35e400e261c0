#include "profiles/ini/ini_encoding.h"

#include <bit>
#include <cstring>

#include "platform/platform.h"
#include "platform/text_codec.h"

namespace kx::profiles {

DetectedEncoding DetectEncoding(std::span<const std::uint8_t> bytes) {
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return {IniEncoding::Utf16Le, 2};
  if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) return {IniEncoding::Utf16Be, 2};
  if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    return {IniEncoding::Utf8, 3};
  }
  return {IniEncoding::Ansi, 0};
}

std::vector<std::uint8_t> ByteOrderMark(IniEncoding encoding) {
  switch (encoding) {
    case IniEncoding::Utf16Le:
      return {0xFF, 0xFE};
    case IniEncoding::Utf16Be:
      return {0xFE, 0xFF};
    case IniEncoding::Utf8:
      return {0xEF, 0xBB, 0xBF};
    case IniEncoding::Ansi:
      break;
  }
  return {};
}

std::ptrdiff_t LineBreakFinder::Find(char c, std::ptrdiff_t& cached, std::size_t from) const {
  if (cached < static_cast<std::ptrdiff_t>(from)) {
    const void* hit = std::memchr(bytes_.data() + from, c, limit_ - from);
    cached = hit == nullptr ? static_cast<std::ptrdiff_t>(limit_)
                            : static_cast<const std::uint8_t*>(hit) - bytes_.data();
  }
  return cached;
}

std::size_t LineBreakFinder::Next(std::size_t from) {
  const std::size_t unit = UnitSize(encoding_);
  // CR and LF are the bytes 0x0D and 0x0A; in UTF-16 they are units whose other byte is 0.
  const std::size_t low = encoding_ == IniEncoding::Utf16Be ? 1 : 0;
  const std::size_t start = from;
  while (from < limit_) {
    std::ptrdiff_t cr = Find('\r', nextCr_, from);
    std::ptrdiff_t lf = Find('\n', nextLf_, from);
    auto hit = static_cast<std::size_t>(cr < lf ? cr : lf);
    if (hit >= limit_ || unit == 1) return hit;
    std::size_t unitStart = hit - (hit - start) % 2;
    if (hit - unitStart == low && bytes_[unitStart + (1 - low)] == 0) return unitStart;
    from = hit + 1;  // the byte belongs to another character
  }
  return limit_;
}

std::u16string DecodeText(IniEncoding encoding, std::span<const std::uint8_t> bytes) {
  std::u16string text;
  if (bytes.empty()) return text;
  if (UnitSize(encoding) == 2) {
    text.resize(bytes.size() / 2);
    if (encoding == IniEncoding::Utf16Le && std::endian::native == std::endian::little) {
      std::memcpy(text.data(), bytes.data(), text.size() * 2);
    } else {
      for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = UnitAt(encoding, &bytes[2 * i]);
    }
    return text;
  }
  UINT codePage = encoding == IniEncoding::Utf8 ? CP_UTF8 : CP_ACP;
  const char* src = reinterpret_cast<const char*>(bytes.data());
  int length = static_cast<int>(bytes.size());
  int needed = os::Codec().MultiByteToWideChar(codePage, 0, src, length, nullptr, 0);
  if (needed <= 0) return text;
  text.resize(static_cast<std::size_t>(needed));
  int got = os::Codec().MultiByteToWideChar(codePage, 0, src, length, text.data(), needed);
  text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return text;
}

void AppendEncoded(IniEncoding encoding, std::u16string_view text, std::vector<std::uint8_t>& out) {
  if (text.empty()) return;
  if (encoding == IniEncoding::Utf16Le || encoding == IniEncoding::Utf16Be) {
    bool little = encoding == IniEncoding::Utf16Le;
    std::size_t at = out.size();
    out.resize(at + text.size() * 2);
    for (char16_t c : text) {
      auto low = static_cast<std::uint8_t>(c);
      auto high = static_cast<std::uint8_t>(c >> 8);
      out[at++] = little ? low : high;
      out[at++] = little ? high : low;
    }
    return;
  }
  UINT codePage = encoding == IniEncoding::Utf8 ? CP_UTF8 : CP_ACP;
  int length = static_cast<int>(text.size());
  int needed = os::Codec().WideCharToMultiByte(codePage, text.data(), length, nullptr, 0, nullptr);
  if (needed <= 0) return;
  std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(needed));
  int got = os::Codec().WideCharToMultiByte(
      codePage, text.data(), length, reinterpret_cast<char*>(out.data() + at), needed, nullptr);
  out.resize(at + (got > 0 ? static_cast<std::size_t>(got) : 0));
}

}  // namespace kx::profiles
