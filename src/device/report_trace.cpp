#include "device/report_trace.h"

#include <charconv>
#include <cstring>

namespace kx::device {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

char* Append(char* out, std::string_view text) {
  std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

// %x: lower-case hex without leading zeros; the buffer always has room for 16 digits.
char* AppendHex(char* out, std::uint64_t value) {
  return std::to_chars(out, out + 16, value, 16).ptr;
}

}  // namespace

ReportTrace::ReportTrace(DWORD deviceId, std::uintptr_t reportAddress, DWORD length,
                         std::span<const BYTE> report) {
  char* out = header_.data();
  out = Append(out, "ID:0x");
  out = AppendHex(out, deviceId);
  out = Append(out, ",pBuffer=0x");
  out = AppendHex(out, reportAddress);
  out = Append(out, " , Length=0x");
  out = AppendHex(out, length);
  *out++ = '\n';
  headerLength_ = static_cast<std::size_t>(out - header_.data());

  for (std::size_t i = 0; i < 8; ++i) {
    const BYTE b = i < report.size() ? report[i] : 0;
    bytes_[3 * i] = kHexDigits[b >> 4];
    bytes_[3 * i + 1] = kHexDigits[b & 0x0F];
    bytes_[3 * i + 2] = i + 1 < 8 ? ' ' : '\n';
  }
}

}  // namespace kx::device
