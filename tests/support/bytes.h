// Bytes as tests write and expect them: text as bytes, UTF-16 in either byte order, and whole
// host files read and written. These are the tests' own encoders, kept apart from the code
// under test.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <vector>

namespace kx::testsupport {

using Bytes = std::vector<std::uint8_t>;

inline Bytes BytesOf(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

// The characters as UTF-16 in the given byte order, without a mark.
inline Bytes Utf16Bytes(std::u16string_view text, bool bigEndian) {
  Bytes bytes;
  for (char16_t c : text) {
    const auto lo = static_cast<std::uint8_t>(c & 0xFF);
    const auto hi = static_cast<std::uint8_t>(c >> 8);
    bytes.push_back(bigEndian ? hi : lo);
    bytes.push_back(bigEndian ? lo : hi);
  }
  return bytes;
}

// Text as UTF-16LE, with the mark FF FE unless told otherwise.
inline Bytes Utf16Le(std::u16string_view text, bool mark = true) {
  Bytes out;
  if (mark) out = {0xFF, 0xFE};
  const Bytes units = Utf16Bytes(text, false);
  out.insert(out.end(), units.begin(), units.end());
  return out;
}

// Text as UTF-16BE with the mark FE FF.
inline Bytes Utf16Be(std::u16string_view text) {
  Bytes out = {0xFE, 0xFF};
  const Bytes units = Utf16Bytes(text, true);
  out.insert(out.end(), units.begin(), units.end());
  return out;
}

// A whole host file; empty when it is missing.
inline Bytes ReadHostFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Replaces a host file, making its folders first.
inline void WriteHostFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

}  // namespace kx::testsupport
