// Loading the settings and the current profile from files another program wrote: arbitrary
// bytes in config.ini and in the current mode's profile file (input: the profile file with a
// 16-bit length in front, then config.ini). Invariants: the settings are
// brought into range; the loaded profile's lighting header is in range and every layout has a
// name; loading again gives the same record. (Saving and loading again is left to the unit
// tests: a full profile file is some 350 000 characters, far too slow for fuzzing.)
#include <cstring>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>

#include "fuzz_input.h"
#include "fuzz_support.h"
#include "profiles/defaults.h"
#include "profiles/fixed_text.h"
#include "profiles/folders.h"
#include "profiles/profile_file.h"
#include "profiles/records.h"
#include "profiles/settings_file.h"

namespace {

using namespace kx::profiles;

void WriteHost(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

template <typename T>
bool SameBytes(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

bool Terminated(std::u16string_view text, std::size_t field) {
  return text.size() < field;
}

void CheckProfileRepaired(const PROFILE_DATA& p) {
  const LIGHT_INFO& info = p.LightInfo;
  KX_FUZZ_CHECK(info.Effect <= 10 && info.EffectOption <= 2);
  KX_FUZZ_CHECK(info.EffectLevel >= 1 && info.EffectLevel <= 5);
  KX_FUZZ_CHECK(info.EffectParam <= 5 && info.Color <= 0xFFFFFF);
  for (const LIGHT_DATA& layout : p.LightData)
    KX_FUZZ_CHECK(!FixedText(layout.Name).empty());
  for (const auto& link : p.LinkExe)
    KX_FUZZ_CHECK(Terminated(FixedText(link), std::size(link)));
}

void CheckSettingsInRange(const AGENT_SETTINGS& s) {
  KX_FUZZ_CHECK(s.Profile <= 5 && s.PollingRate <= 3 && s.KeyMode <= 1 && s.SyncMode <= 1);
  KX_FUZZ_CHECK(s.Language >= 101 && s.Language <= 107 && s.OSD_Color <= 2);
  KX_FUZZ_CHECK(s.OSD_Profile >= 0 && s.OSD_Profile <= 1);
  KX_FUZZ_CHECK(s.OSD_Effect >= 0 && s.OSD_Effect <= 1);
  KX_FUZZ_CHECK(s.UI_Autorun >= 0 && s.UI_Autorun <= 1);
  for (const MODE_SLOT& slot : s.Modes) {
    KX_FUZZ_CHECK(Terminated(FixedText(slot.ProfileName), std::size(slot.ProfileName)));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static kx::sim::Desktop& desktop = [&]() -> kx::sim::Desktop& {
    kx::sim::Desktop& d = kx::fuzz::FuzzDesktop::Get().Desktop();
    InitAppDir();
    InitDataDir();
    return d;
  }();
  const std::filesystem::path dataFolder = desktop.HostAppData() / "Kestrix";
  std::filesystem::remove_all(dataFolder);
  std::filesystem::create_directories(dataFolder / "Profiles");

  kx::fuzz::FuzzInput in(data, size);
  const std::span<const std::uint8_t> profileBytes = in.Chunk();
  const std::span<const std::uint8_t> configBytes = in.Rest();
  if (!configBytes.empty()) WriteHost(dataFolder / "config.ini", configBytes);

  static AGENT_SETTINGS settings;  // large: kept off the stack
  ResetSettings(settings);
  LoadSettings(settings);
  CheckSettings(settings);
  CheckSettingsInRange(settings);

  const std::u16string name(FixedText(settings.Modes[settings.Profile].ProfileName));
  const std::u16string path = ProfileFilePath(name);
  if (!path.empty()) {
    if (auto host = desktop.Files().HostPath(path)) WriteHost(*host, profileBytes);
  }

  LoadCurrentProfile(settings);
  CheckProfileRepaired(settings.Current);
  static PROFILE_DATA first;
  first = settings.Current;

  // The load wrote the profile's name into its file; that changes nothing a second load reads.
  LoadCurrentProfile(settings);
  KX_FUZZ_CHECK(SameBytes(first, settings.Current));
  return 0;
}
