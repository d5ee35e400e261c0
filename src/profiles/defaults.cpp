#include "profiles/defaults.h"

#include <array>
#include <memory>
#include <string>

#include "platform/files.h"
#include "platform/platform.h"
#include "platform/text_util.h"
#include "profiles/factory_tables.h"
#include "profiles/fixed_text.h"
#include "profiles/folders.h"
#include "profiles/profile_file.h"

namespace kx::profiles {

namespace {

void ResetLayout(LIGHT_DATA& layout, int index) {
  SetFixedText(layout.Name, index == 0 ? u"DEFAULT" : u"NEW");
  for (COLORREF& color : layout.KeyColor)
    color = 0;
  for (COLORREF& color : layout.GKeyColor)
    color = 0;
}

bool HasName(const LIGHT_DATA& layout) {
  return layout.Name[0] != 0;
}

}  // namespace

void RepairLightInfo(LIGHT_INFO& info) {
  if (info.Effect > 10) info.Effect = 5;
  if (info.EffectOption > 2) info.EffectOption = 1;
  if (info.EffectLevel < 1 || info.EffectLevel > 5) info.EffectLevel = 5;
  if (info.EffectParam > 5) info.EffectParam = 0;
  if (info.Color > 0xFFFFFF) info.Color = 0xFFFFFF;
}

void ResetUnnamedLayouts(PROFILE_DATA& profile) {
  for (int i = 0; i < LIGHT_DATA_COUNT; ++i) {
    if (!HasName(profile.LightData[i])) ResetLayout(profile.LightData[i], i);
  }
}

void BlankProfile(PROFILE_DATA& profile) {
  ClearRecord(profile);
  RepairLightInfo(profile.LightInfo);
  ResetUnnamedLayouts(profile);
}

void FactoryProfile(PROFILE_DATA& profile, bool factory, int mode) {
  if (mode < 0 || mode >= MODE_COUNT) return;
  const FactoryLighting& lighting = FactoryLightingOf(mode);
  if (factory) {
    for (TextField& link : profile.LinkExe)
      SetFixedText(link, u"");
    for (BUTTON_INFO& key : profile.Keys)
      ClearRecord(key);
    for (BUTTON_INFO& key : profile.GKeys)
      ClearRecord(key);
  }
  LIGHT_INFO& info = profile.LightInfo;
  if (factory || info.Effect > 10) info.Effect = lighting.Effect;
  if (factory || info.EffectOption > 2) info.EffectOption = lighting.EffectOption;
  if (factory || info.EffectLevel < 1 || info.EffectLevel > 5) info.EffectLevel = 5;
  if (factory || info.EffectParam > 5) info.EffectParam = 0;
  if (factory || info.Color > 0xFFFFFF) info.Color = lighting.Color;
  bool anyReset = false;
  for (int i = 0; i < LIGHT_DATA_COUNT; ++i) {
    if (HasName(profile.LightData[i]) && !factory) continue;
    ResetLayout(profile.LightData[i], i);
    anyReset = true;
  }
  // Any reset layout stamps the mode's default key colours onto layout 0 (after its own reset,
  // which comes first).
  if (!anyReset) return;
  for (const KeyColorRun& run : FactoryKeyColorsOf(mode)) {
    for (int key = run.first; key <= run.last; ++key) {
      profile.LightData[0].KeyColor[key] = run.color;
    }
  }
}

void CheckSettings(AGENT_SETTINGS& settings) {
  if (settings.PollingRate >= 4) settings.PollingRate = 3;
  if (settings.Language < 101 || settings.Language > 107) settings.Language = 101;
  if (settings.OSD_Color > 2) settings.OSD_Color = 0;
  for (std::int32_t* flag : {&settings.OSD_Profile, &settings.OSD_Effect, &settings.UI_Autorun}) {
    if (*flag < 0 || *flag > 1) *flag = 1;
  }
  if (settings.KeyMode > 1) settings.KeyMode = 0;
  if (settings.SyncMode > 1) settings.SyncMode = 0;
  if (settings.Profile > 5) settings.Profile = 1;
  FactoryProfile(settings.Current, false, settings.Profile);
}

void ResetSettings(AGENT_SETTINGS& settings) {
  ClearRecord(settings);
  CheckSettings(settings);
  for (int i = 0; i < MODE_COUNT; ++i) {
    settings.Modes[i].ProfileID = i;
    SetFixedText(settings.Modes[i].ProfileName, u"Profile " + Widen(std::to_string(i)));
  }
}

void CreateFactoryProfiles(const AGENT_SETTINGS& settings) {
  if (settings.Profile >= MODE_COUNT) return;
  FileSystem& files = os::Files();
  auto fileOf = [&](int mode) {
    return ProfileFilePath(FixedText(settings.Modes[mode].ProfileName));
  };
  if (files.Exists(fileOf(settings.Profile))) return;
  EnsureDataFolder(kProfilesFolderSuffix);
  // Which files are missing is decided before any is written, so two modes that share a
  // file still leave it as the later mode's factory profile.
  std::array<bool, MODE_COUNT> missing{};
  for (int m = 0; m < MODE_COUNT; ++m)
    missing[m] = !files.Exists(fileOf(m));
  auto profile = std::make_unique<PROFILE_DATA>();
  for (int m = 0; m < MODE_COUNT; ++m) {
    if (!missing[m]) continue;
    ClearRecord(*profile);
    FactoryProfile(*profile, true, m);
    SaveProfile(FixedText(settings.Modes[m].ProfileName), *profile);
  }
}

}  // namespace kx::profiles
