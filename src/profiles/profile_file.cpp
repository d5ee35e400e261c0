#include "profiles/profile_file.h"

#include <span>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/system_settings.h"
#include "platform/text_util.h"
#include "profiles/defaults.h"
#include "profiles/fixed_text.h"
#include "profiles/folders.h"
#include "profiles/ini/ini_file.h"
#include "profiles/record_bytes.h"

namespace kx::profiles {

namespace {

constexpr char16_t kLightInfoKey[] = u"LIGHT_INFO";
constexpr char16_t kGKeysKey[] = u"G_BUTTON_INFO";
constexpr int kKeysPerPart = 10;
constexpr int kKeyParts = 12;  // eleven parts of ten keys and one of the last key

std::u16string Numbered(std::u16string_view prefix, int n) {
  return std::u16string(prefix) + Widen(std::to_string(n));
}

std::u16string LinkKey(int i) {
  return Numbered(u"LinkExe", i);
}
std::u16string LightDataKey(int i) {
  return Numbered(u"LIGHT_DATA_", i);
}
std::u16string KeyPartKey(int part) {
  return Numbered(u"BUTTON_INFO_PART", part + 1);
}

// The keys of part 0..11.
std::span<BUTTON_INFO> PartKeys(PROFILE_DATA& profile, int part) {
  int first = part * kKeysPerPart;
  int count = part + 1 < kKeyParts ? kKeysPerPart : KEY_COUNT - first;
  return std::span(profile.Keys + first, static_cast<std::size_t>(count));
}
std::span<const BUTTON_INFO> PartKeys(const PROFILE_DATA& profile, int part) {
  return PartKeys(const_cast<PROFILE_DATA&>(profile), part);
}

void ReadLinks(const IniDocument& file, LINK_EXE_LIST& links) {
  for (int i = 0; i < LINK_EXE_COUNT; ++i) {
    SetFixedText(links[i], file.GetText(kProfileSection, LinkKey(i), u""));
  }
}

}  // namespace

bool IsSafeProfileName(std::u16string_view name) {
  return name.find_first_of(u"\\/:") == std::u16string_view::npos;
}

std::u16string ProfileFilePath(std::u16string_view name) {
  if (!IsSafeProfileName(name)) return {};
  return std::u16string(FixedText(g_szDataDir)) + u"Profiles\\" + std::u16string(name) + u".ini";
}

void ReadProfileData(const IniDocument& file, PROFILE_DATA& profile) {
  ReadLinks(file, profile.LinkExe);

  LIGHT_INFO& info = profile.LightInfo;
  info.Effect = info.EffectOption = info.EffectLevel = info.EffectParam = 0;
  std::vector<std::uint8_t> bytes(LIGHT_INFO_SIZE);
  if (file.GetStruct(kProfileSection, kLightInfoKey, bytes)) {
    DecodeRecord(std::span<const std::uint8_t, LIGHT_INFO_SIZE>(bytes.data(), LIGHT_INFO_SIZE),
                 info);
  }
  bytes.resize(LIGHT_DATA_SIZE);
  for (int i = 0; i < LIGHT_DATA_COUNT; ++i) {
    if (file.GetStruct(kProfileSection, LightDataKey(i), bytes)) {
      DecodeRecord(std::span<const std::uint8_t, LIGHT_DATA_SIZE>(bytes.data(), LIGHT_DATA_SIZE),
                   profile.LightData[i]);
    }
  }
  for (int part = 0; part < kKeyParts; ++part) {
    std::span<BUTTON_INFO> keys = PartKeys(profile, part);
    bytes.resize(keys.size() * BUTTON_INFO_SIZE);
    if (file.GetStruct(kProfileSection, KeyPartKey(part), bytes)) DecodeRecords(bytes, keys);
  }
  bytes.resize(G_KEY_COUNT * BUTTON_INFO_SIZE);
  if (file.GetStruct(kProfileSection, kGKeysKey, bytes)) DecodeRecords(bytes, profile.GKeys);
}

void LoadProfile(std::u16string_view name, PROFILE_DATA& profile) {
  IniEdit file(ProfileFilePath(name));
  file.WriteText(kProfileSection, kProfileNameKey, name);
  file.Commit();
  ReadProfileData(file.Document(), profile);
}

bool SaveProfile(std::u16string_view name, const PROFILE_DATA& profile) {
  IniEdit file(ProfileFilePath(name));
  file.WriteText(kProfileSection, kProfileNameKey, name);
  for (int i = 0; i < LINK_EXE_COUNT; ++i) {
    file.WriteText(kProfileSection, LinkKey(i), FixedText(profile.LinkExe[i]));
  }
  std::vector<std::uint8_t> bytes(LIGHT_INFO_SIZE);
  EncodeRecord(profile.LightInfo,
               std::span<std::uint8_t, LIGHT_INFO_SIZE>(bytes.data(), LIGHT_INFO_SIZE));
  file.WriteStruct(kProfileSection, kLightInfoKey, bytes);
  bytes.resize(LIGHT_DATA_SIZE);
  for (int i = 0; i < LIGHT_DATA_COUNT; ++i) {
    EncodeRecord(profile.LightData[i],
                 std::span<std::uint8_t, LIGHT_DATA_SIZE>(bytes.data(), LIGHT_DATA_SIZE));
    file.WriteStruct(kProfileSection, LightDataKey(i), bytes);
  }
  for (int part = 0; part < kKeyParts; ++part) {
    std::span<const BUTTON_INFO> keys = PartKeys(profile, part);
    bytes.resize(keys.size() * BUTTON_INFO_SIZE);
    EncodeRecords(keys, bytes);
    file.WriteStruct(kProfileSection, KeyPartKey(part), bytes);
  }
  bytes.resize(G_KEY_COUNT * BUTTON_INFO_SIZE);
  EncodeRecords(profile.GKeys, bytes);
  file.WriteStruct(kProfileSection, kGKeysKey, bytes);
  return file.Commit();
}

void LoadModeLinks(std::u16string_view name, LINK_EXE_LIST& links) {
  IniEdit file(ProfileFilePath(name));
  ReadLinks(file.Document(), links);
}

void LoadCurrentProfile(AGENT_SETTINGS& settings) {
  PROFILE_DATA& current = settings.Current;
  BlankProfile(current);
  // A mode outside 0..5 has no slot; Current stays blank rather than reading past Modes.
  if (settings.Profile < MODE_COUNT) {
    LoadProfile(FixedText(settings.Modes[settings.Profile].ProfileName), current);
  }
  RepairLightInfo(current.LightInfo);
  ResetUnnamedLayouts(current);
  UINT step = current.RepeatDelayStep;
  SystemSettings& system = os::System();
  system.SetKeyboardDelay(step <= 3 ? 3 - step : 0);
}

}  // namespace kx::profiles
