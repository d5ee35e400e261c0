#include "profiles/settings_file.h"

#include <string>
#include <vector>

#include "platform/text_util.h"
#include "profiles/fixed_text.h"
#include "profiles/folders.h"
#include "profiles/ini/ini_file.h"
#include "profiles/profile_file.h"

namespace kx::profiles {

namespace {

constexpr char16_t kSetting[] = u"Setting";
constexpr char16_t kListNumber[] = u"MyXlistNumber";
constexpr char16_t kTotalListNumber[] = u"TotalListNumber";
constexpr char16_t kProfileData[] = u"ProfileData";
constexpr char16_t kProfileID[] = u"ProfileID";
constexpr char16_t kProfileName[] = u"ProfileName";
constexpr char16_t kProfileIconName[] = u"ProfileIconName";
constexpr char16_t kProfileColor[] = u"ProfileColor";

std::u16string ModeKey(int mode) {
  return u"Mode_" + Widen(std::to_string(mode + 1));
}
std::u16string EntrySection(int entry) {
  return u"MyXlistIconInfo" + Widen(std::to_string(entry));
}

void ReadEntry(const IniEdit& file, int entry, MODE_SLOT& slot) {
  ClearRecord(slot);
  std::u16string section = EntrySection(entry);
  slot.ProfileID = entry;
  SetFixedText(slot.ProfileName, file.ReadText(section, kProfileName, u""));
  SetFixedText(slot.ProfileIconName, file.ReadText(section, kProfileIconName, u""));
  slot.ProfileColor = static_cast<std::int32_t>(file.ReadInt(section, kProfileColor, 0));
}

}  // namespace

std::u16string SettingsFilePath() {
  return std::u16string(FixedText(g_szDataDir)) + u"config.ini";
}

void LoadSettings(AGENT_SETTINGS& settings) {
  IniEdit file(SettingsFilePath());
  auto read = [&](const char16_t* key, std::int32_t missing) {
    return file.ReadInt(kSetting, key, missing);
  };
  settings.Plug = static_cast<BYTE>(read(u"Plug", 0));
  settings.Profile = static_cast<BYTE>(read(u"Profile", 0));
  settings.KeyMode = static_cast<BYTE>(read(u"KeyMode", 0));
  settings.PollingRate = static_cast<BYTE>(read(u"PollingRate", 3));
  settings.Language = static_cast<BYTE>(read(u"Language", 0));
  settings.OSD_Color = static_cast<BYTE>(read(u"OSD_Color", 0));
  settings.OSD_Profile = static_cast<std::int32_t>(read(u"OSD_Profile", 1));
  settings.OSD_Effect = static_cast<std::int32_t>(read(u"OSD_Effect", 1));
  settings.UI_Autorun = static_cast<std::int32_t>(read(u"UI_Autorun", 1));
  settings.SyncMode = static_cast<BYTE>(read(u"SyncMode", 0));

  auto total = static_cast<std::int32_t>(file.ReadInt(kListNumber, kTotalListNumber, -1));
  if (total < MODE_COUNT) file.WriteInt(kListNumber, kTotalListNumber, MODE_COUNT);

  std::vector<std::u16string> newProfiles;
  for (int i = 0; i < MODE_COUNT; ++i) {
    auto entry = static_cast<std::int32_t>(file.ReadInt(kProfileData, ModeKey(i), -1));
    if (entry != -1) {
      ReadEntry(file, entry, settings.Modes[i]);
      continue;
    }
    // The mode has no entry yet: it gets entry i.
    file.WriteInt(kProfileData, ModeKey(i), i);
    std::u16string section = EntrySection(i);
    if (!file.ReadText(section, kProfileName, u"").empty()) {
      // The list already has an entry i (the configuration program made it); it is the
      // user's, so it is taken as it is rather than overwritten with the defaults.
      ReadEntry(file, i, settings.Modes[i]);
      continue;
    }
    const MODE_SLOT& slot = settings.Modes[i];
    file.WriteInt(section, kProfileID, i);
    file.WriteText(section, kProfileName, FixedText(slot.ProfileName));
    file.WriteText(section, kProfileIconName, FixedText(slot.ProfileIconName));
    file.WriteInt(section, kProfileColor, slot.ProfileColor);
    newProfiles.emplace_back(FixedText(slot.ProfileName));
  }
  file.Commit();
  for (const std::u16string& name : newProfiles) {
    IniEdit profile(ProfileFilePath(name));
    profile.WriteText(kProfileSection, kProfileNameKey, name);
    profile.Commit();
  }
}

bool SaveSettings(const AGENT_SETTINGS& settings) {
  IniEdit file(SettingsFilePath());
  file.WriteInt(kSetting, u"Profile", settings.Profile);
  file.WriteInt(kSetting, u"KeyMode", settings.KeyMode);
  file.WriteInt(kSetting, u"PollingRate", settings.PollingRate);
  file.WriteInt(kSetting, u"Language", settings.Language);
  file.WriteInt(kSetting, u"OSD_Color", settings.OSD_Color);
  file.WriteInt(kSetting, u"OSD_Profile", settings.OSD_Profile);
  file.WriteInt(kSetting, u"OSD_Effect", settings.OSD_Effect);
  file.WriteInt(kSetting, u"UI_Autorun", settings.UI_Autorun);
  file.WriteInt(kSetting, u"SyncMode", settings.SyncMode);
  return file.Commit();
}

bool WriteFirmwareVersion(std::u16string_view version) {
  return IniFile(SettingsFilePath()).WriteText(kSetting, u"FWVersion", version);
}

bool WriteDevicePresence(int present) {
  return IniFile(SettingsFilePath()).WriteInt(kSetting, u"Plug", present);
}

}  // namespace kx::profiles
