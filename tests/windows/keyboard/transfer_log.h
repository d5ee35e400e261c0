// Reads the substitute keyboard's transfer log (see test_keyboard_control.h for its lines).
#pragma once

#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/platform.h"

namespace kx::test_keyboard {

struct Transfer {
  char kind = 0;         // 'W' written, 'R' read
  std::uint64_t ms = 0;  // since the library loaded
  unsigned deviceId = 0;
  unsigned usage = 0;
  bool ok = false;
  std::string bytes;  // hex, upper case
};

// Every transfer logged so far, oldest first; none when there is no log.
inline std::vector<Transfer> ReadTransferLog(std::u16string_view path) {
  std::vector<Transfer> transfers;
  std::optional<std::vector<std::uint8_t>> bytes = os::Files().ReadAll(path);
  if (!bytes) return transfers;
  std::istringstream in(std::string(bytes->begin(), bytes->end()));
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    Transfer t;
    int ok = 0;
    fields >> t.kind >> t.ms >> std::hex >> t.deviceId >> std::dec >> t.usage >> ok >> t.bytes;
    t.ok = ok != 0;
    transfers.push_back(t);
  }
  return transfers;
}

}  // namespace kx::test_keyboard
