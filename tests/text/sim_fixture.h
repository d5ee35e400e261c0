// A simulated desktop on a fresh host folder, with files written into the agent's program
// folder and read back through the platform by their Windows paths.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/desktop.h"
#include "platform/sim/temp_folder.h"
#include "platform/text_util.h"

namespace kx::text::testing {

class SimDesktopTest : public ::testing::Test {
 protected:
  SimDesktopTest() : desktop_({temp_.Path()}) {}

  // Writes bytes to the program folder; returns the file's Windows path.
  std::u16string WriteFile(std::string_view name, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(desktop_.HostProgramFolder() / std::string(name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return ProgramPath(name);
  }
  std::u16string WriteFile(std::string_view name, std::string_view bytes) {
    return WriteFile(name, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  }
  static std::u16string ProgramPath(std::string_view name) {
    return std::u16string(sim::Desktop::kProgramFolder) + u"\\" + Widen(name);
  }

  sim::TempFolder temp_;
  sim::Desktop desktop_;
};

inline std::vector<std::uint8_t> Bytes(std::string_view text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

}  // namespace kx::text::testing
