// The settings file config.ini in the data folder, shared with the configuration program:
// the agent's settings (section Setting), the profile list and the mode assignments.
#pragma once

#include <string>
#include <string_view>

#include "profiles/records.h"

namespace kx::profiles {

// g_szDataDir followed by "config.ini".
std::u16string SettingsFilePath();

// Reads the settings and the mode slots into a record that ResetSettings prepared. On the
// first start it also writes the list counter, the mode assignments and list entries that are
// missing, and the name into each new entry's profile file. Values are stored into their
// fields' widths but not brought into range (CheckSettings does that).
void LoadSettings(AGENT_SETTINGS& settings);
// Writes Profile, KeyMode, PollingRate, Language, OSD_Color, OSD_Profile, OSD_Effect,
// UI_Autorun and SyncMode in one replacement of the file; true when the file holds them.
bool SaveSettings(const AGENT_SETTINGS& settings);
// Setting/FWVersion; true when written.
bool WriteFirmwareVersion(std::u16string_view version);
// Setting/Plug; true when written.
bool WriteDevicePresence(int present);

}  // namespace kx::profiles
