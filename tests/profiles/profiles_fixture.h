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
#include "support/bytes.h"

namespace kx::profiles::testing {

using testsupport::Bytes;
using testsupport::BytesOf;
using testsupport::ReadHostFile;
using testsupport::Utf16Be;
using testsupport::Utf16Le;
using testsupport::WriteHostFile;

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
