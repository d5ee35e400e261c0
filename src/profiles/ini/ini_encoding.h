// The encodings a settings or profile file can have, told apart by the byte-order mark, and
// the conversion of its lines to UTF-16 and back. A file without a mark is in the system's
// ANSI code page; a file the agent creates is UTF-16LE with the mark FF FE.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kx::profiles {

enum class IniEncoding { Ansi, Utf8, Utf16Le, Utf16Be };

struct DetectedEncoding {
  IniEncoding encoding;
  std::size_t markSize;  // bytes of the byte-order mark at the start (0 for ANSI)
};

DetectedEncoding DetectEncoding(std::span<const std::uint8_t> bytes);

// The byte-order mark of an encoding (empty for ANSI).
std::vector<std::uint8_t> ByteOrderMark(IniEncoding encoding);

// Size of one code unit: 2 for UTF-16, 1 otherwise.
constexpr std::size_t UnitSize(IniEncoding encoding) {
  return encoding == IniEncoding::Utf16Le || encoding == IniEncoding::Utf16Be ? 2 : 1;
}

// The code unit at a byte offset (the caller keeps offset + UnitSize within bytes).
inline char16_t UnitAt(IniEncoding encoding, const std::uint8_t* bytes) {
  switch (encoding) {
    case IniEncoding::Utf16Le:
      return static_cast<char16_t>(bytes[0] | (bytes[1] << 8));
    case IniEncoding::Utf16Be:
      return static_cast<char16_t>((bytes[0] << 8) | bytes[1]);
    case IniEncoding::Ansi:
    case IniEncoding::Utf8:
      break;
  }
  return bytes[0];
}

// Finds the CR and LF units of a file front to back, each byte looked at once per character.
class LineBreakFinder {
 public:
  // bytes[0, limit) holds whole units of the encoding.
  LineBreakFinder(IniEncoding encoding, std::span<const std::uint8_t> bytes, std::size_t limit)
      : encoding_(encoding), bytes_(bytes), limit_(limit) {}
  // The byte offset of the first CR or LF unit at or after from (a unit boundary), or limit.
  std::size_t Next(std::size_t from);

 private:
  std::ptrdiff_t Find(char c, std::ptrdiff_t& cached, std::size_t from) const;

  IniEncoding encoding_;
  std::span<const std::uint8_t> bytes_;
  std::size_t limit_;
  std::ptrdiff_t nextCr_ = -1;  // the next CR byte at or after the last search, or limit
  std::ptrdiff_t nextLf_ = -1;
};

// Text of one line (without its line break). ANSI and UTF-8 go through the system's
// code-page conversion; invalid UTF-8 becomes U+FFFD.
std::u16string DecodeText(IniEncoding encoding, std::span<const std::uint8_t> bytes);

// Appends text in the encoding. Characters the ANSI code page lacks become '?'.
void AppendEncoded(IniEncoding encoding, std::u16string_view text, std::vector<std::uint8_t>& out);

}  // namespace kx::profiles
