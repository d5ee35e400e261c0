// The two debugger-output lines every input report leaves, formatted into buffers of their
// own without allocating (the report callback runs for every report on the library's thread).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "platform/types.h"

namespace kx::device {

class ReportTrace {
 public:
  // "ID:0x%x,pBuffer=0x%x , Length=0x%x\n" and "%02x %02x %02x %02x %02x %02x %02x %02x\n"
  // with b0-b7; bytes past the end of a short report show as 00.
  ReportTrace(DWORD deviceId, std::uintptr_t reportAddress, DWORD length,
              std::span<const BYTE> report);

  std::string_view HeaderLine() const { return {header_.data(), headerLength_}; }
  std::string_view BytesLine() const { return {bytes_.data(), bytes_.size()}; }

 private:
  std::array<char, 64> header_{};
  std::size_t headerLength_ = 0;
  std::array<char, 8 * 3> bytes_{};  // "xx " eight times, the last space a line feed
};

}  // namespace kx::device
