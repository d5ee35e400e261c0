// Profile file speed on a full profile file (every struct present, about 700 KB):
// LoadCurrentProfile and SaveProfile, against the floor of reading the file and decoding its
// hex digits in one pass.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "platform/files.h"
#include "platform/sim/desktop.h"
#include "platform/sim/temp_folder.h"
#include "profiles/defaults.h"
#include "profiles/fixed_text.h"
#include "profiles/folders.h"
#include "profiles/profile_file.h"
#include "profiles/record_bytes.h"

namespace kx::profiles {
namespace {

// A desktop with one full profile file "Full", the current profile of mode 1.
class FullProfile {
 public:
  FullProfile() {
    InitAppDir();
    InitDataDir();
    EnsureDataFolder(kProfilesFolderSuffix);
    ResetSettings(*settings);
    settings->Profile = 1;
    SetFixedText(settings->Modes[1].ProfileName, u"Full");
    FactoryProfile(settings->Current, true, 5);
    std::uint8_t seed = 7;
    std::vector<std::uint8_t> bytes(BUTTON_INFO_SIZE);
    for (BUTTON_INFO& key : settings->Current.Keys) {
      for (auto& b : bytes)
        b = seed = static_cast<std::uint8_t>(seed * 31 + 11);
      DecodeRecord(std::span<const std::uint8_t, BUTTON_INFO_SIZE>(bytes.data(), BUTTON_INFO_SIZE),
                   key);
    }
    for (int i = 0; i < LINK_EXE_COUNT; ++i) {
      SetFixedText(settings->Current.LinkExe[i], u"C:\\Program Files\\Game\\game.exe");
    }
    SaveProfile(u"Full", settings->Current);
    path = ProfileFilePath(u"Full");
  }

  sim::TempFolder folder{"kestrix-bench"};
  sim::Desktop desktop{sim::DesktopOptions{folder.Path()}};
  std::unique_ptr<AGENT_SETTINGS> settings = std::make_unique<AGENT_SETTINGS>();
  std::u16string path;
};

void BM_LoadCurrentProfile(benchmark::State& state) {
  FullProfile full;
  for (auto _ : state) {
    LoadCurrentProfile(*full.settings);
    benchmark::DoNotOptimize(full.settings->Current.Keys[50].Function);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(os::Files().ReadAll(full.path)->size()));
}
BENCHMARK(BM_LoadCurrentProfile)->Unit(benchmark::kMicrosecond);

void BM_SaveProfile(benchmark::State& state) {
  FullProfile full;
  PROFILE_DATA& current = full.settings->Current;
  BYTE effect = 0;
  for (auto _ : state) {
    // A lighting change, as the keyboard's events make before they save.
    current.LightInfo.Effect = effect = static_cast<BYTE>((effect + 1) % 11);
    benchmark::DoNotOptimize(SaveProfile(u"Full", current));
  }
}
BENCHMARK(BM_SaveProfile)->Unit(benchmark::kMicrosecond);

// The floor: read the file and turn every pair of hex digits into a byte, in one pass.
void BM_ReadFileAndDecodeHex(benchmark::State& state) {
  FullProfile full;
  std::vector<std::uint8_t> decoded;
  for (auto _ : state) {
    auto bytes = os::Files().ReadAll(full.path);
    decoded.clear();
    decoded.reserve(bytes->size() / 4);
    int high = -1;
    for (std::size_t i = 2; i + 1 < bytes->size(); i += 2) {
      unsigned c = (*bytes)[i] | ((*bytes)[i + 1] << 8);
      int digit = c >= '0' && c <= '9'   ? static_cast<int>(c - '0')
                  : c >= 'A' && c <= 'F' ? static_cast<int>(c - 'A' + 10)
                                         : -1;
      if (digit < 0) {
        high = -1;
      } else if (high < 0) {
        high = digit;
      } else {
        decoded.push_back(static_cast<std::uint8_t>(high * 16 + digit));
        high = -1;
      }
    }
    benchmark::DoNotOptimize(decoded.data());
  }
}
BENCHMARK(BM_ReadFileAndDecodeHex)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kx::profiles

BENCHMARK_MAIN();
