// A simulated desktop with the agent's folders set up, and helpers to look at the real files.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/desktop.h"
#include "platform/sim/temp_folder.h"
#include "platform/text_util.h"
#include "profiles/folders.h"

namespace kx::profiles::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes BytesOf(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

// Text as UTF-16LE, with the mark FF FE unless told otherwise.
inline Bytes Utf16Le(std::u16string_view text, bool mark = true) {
  Bytes out;
  if (mark) out = {0xFF, 0xFE};
  for (char16_t c : text) {
    out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return out;
}

inline Bytes ReadHostFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteHostFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

class ProfilesTest : public ::testing::Test {
 protected:
  ProfilesTest() {
    InitAppDir();
    InitDataDir();
  }

  std::filesystem::path HostData() const { return desktop_.HostAppData() / "Kestrix"; }
  std::filesystem::path HostProfiles() const { return HostData() / "Profiles"; }
  std::filesystem::path HostConfig() const { return HostData() / "config.ini"; }
  std::filesystem::path HostProfile(std::string_view name) const {
    return HostProfiles() / (std::string(name) + ".ini");
  }
  // The Windows path of a file in the data folder.
  static std::u16string DataPath(std::u16string_view relative) {
    return std::u16string(g_szDataDir) + std::u16string(relative);
  }
  void MakeProfilesFolder() { std::filesystem::create_directories(HostProfiles()); }

  sim::TempFolder folder_;
  sim::Desktop desktop_{sim::DesktopOptions{folder_.Path()}};
};

}  // namespace kx::profiles::testing
