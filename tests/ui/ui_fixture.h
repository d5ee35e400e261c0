// The simulated desktop for the loading-window tests, with helpers to write skin files into
// the agent's program folder and to read back what windows show.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/sim/desktop.h"
#include "platform/sim/picture_files.h"
#include "platform/sim/temp_folder.h"
#include "platform/text_util.h"

namespace kx::ui::testing {

inline constexpr std::uint32_t kWhite = 0xFFFFFF;
inline constexpr std::uint32_t kInk = 0x202020;

// A stadium (pill) of ink on pure white: a rectangle with half-round ends.
inline sim::Pixels PillMask(int width, int height) {
  sim::Pixels mask(width, height, kWhite);
  const double r = height / 2.0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double cx = x + 0.5 < r ? r : (x + 0.5 > width - r ? width - r : x + 0.5);
      const double dx = x + 0.5 - cx, dy = y + 0.5 - r;
      if (dx * dx + dy * dy <= r * r) mask.At(x, y) = kInk;
    }
  }
  return mask;
}

class UiTest : public ::testing::Test {
 protected:
  // Writes a file into the agent's folder, e.g. "skins\\updatebar_n.jpg".
  void WriteAgentFile(const std::string& relative, const std::vector<std::uint8_t>& bytes) {
    std::filesystem::path path = desktop_.HostProgramFolder();
    std::string rest = relative;
    for (std::size_t slash; (slash = rest.find('\\')) != std::string::npos;) {
      path /= rest.substr(0, slash);
      rest = rest.substr(slash + 1);
    }
    std::filesystem::create_directories(path);
    std::ofstream(path / rest, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  // The Windows path of a file in the agent's folder.
  static std::u16string AgentPath(const std::string& relative) {
    return std::u16string(sim::Desktop::kProgramFolder) + u"\\" + Widen(relative);
  }
  // How many pixels of row y, from the left, have this colour.
  static int RunOf(const sim::Pixels& p, int y, std::uint32_t colour) {
    int n = 0;
    while (n < p.width && (p.At(n, y) & sim::kColourMask) == colour)
      ++n;
    return n;
  }

  sim::TempFolder folder_;
  sim::Desktop desktop_{sim::DesktopOptions{folder_.Path()}};
  sim::SimGraphics& graphics_ = desktop_.Graphics();
  sim::SimWindowSystem& windows_ = desktop_.Windows();
};

}  // namespace kx::ui::testing
