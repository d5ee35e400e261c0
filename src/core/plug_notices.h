// What the agent leaves behind when the keyboard comes or goes, for the other programs: the
// registry values under HKEY_CURRENT_USER "SOFTWARE\Kestrix" and the window notices.
#pragma once

#include <string_view>

#include "platform/types.h"

namespace kx::core {

inline constexpr std::u16string_view kRegistryKey = u"SOFTWARE\\Kestrix";
inline constexpr std::u16string_view kFirmwareVersionValue = u"FWVersion";
inline constexpr std::u16string_view kDevicePlugValue = u"DevicePlug";

// Write the value when the key exists; the agent never creates the key. True when written.
bool WriteRegistryText(std::u16string_view name, std::u16string_view text);
bool WriteRegistryNumber(std::u16string_view name, DWORD number);

// Tells the configuration program's main window that the keyboard is present (1) or absent
// (0), and closes its dialogs that depend on the keyboard. 1 when its main window exists.
int NotifyConfigApp(int present);

}  // namespace kx::core
