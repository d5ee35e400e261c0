// The keyboard came or went: record it, read the firmware version, reload the current profile,
// tell the configuration and tray programs, and run the foreground watcher while it is here.
#include <cstdio>
#include <string>

#include "core/hid_wnd.h"
#include "core/plug_notices.h"
#include "platform/platform.h"
#include "platform/text_util.h"
#include "platform/window_system.h"
#include "profiles/settings_file.h"
#include "protocol/messages.h"
#include "protocol/windows.h"

namespace kx::core {

namespace {

// The version text of an absent keyboard, and of one whose version cannot be asked for.
constexpr std::u16string_view kUnknownVersion = u" ";

// The firmware version as "%d%d" of its two bytes. The query stores both bytes whenever it
// ran, even when the answer was lost; it did not run only when the link would not open, and
// then the version is unknown rather than made of bytes nobody set.
std::u16string ReadFirmwareVersion(device::CUSBDriver& driver) {
  BYTE major = 0;
  BYTE minor = 0;
  const bool answered = driver.GetFirmwareVersion(&major, &minor) == device::kCommandOk;
  if (!answered && driver.m_bLinkOpen == 0) return std::u16string(kUnknownVersion);
  char text[8];
  std::snprintf(text, sizeof text, "%d%d", major, minor);
  return Widen(text);
}

}  // namespace

LRESULT CHidWnd::OnDevicePlug(WPARAM, LPARAM lParam) {
  const int present = lParam != 0 ? 1 : 0;
  m_nSavedProfile = -1;
  std::u16string version(kUnknownVersion);
  if (present != 0) {
    version = ReadFirmwareVersion(m_usbDriver);
    if (m_usbDriver.GetDeviceMode(nullptr) == device::kCommandOk) {
      ApplyProfile(Settings().Profile, true);
    }
    NotifyConfigApp(1);
    os::Windows().SetTimer(Handle(), TIMER_FOREGROUND, kForegroundPeriodMs);
  } else {
    os::Windows().KillTimer(Handle(), TIMER_FOREGROUND);
    NotifyConfigApp(0);
  }
  protocol::PostToTitle(protocol::kTrayTitle, protocol::WM_DEVICE_PLUG,
                        static_cast<WPARAM>(present), 0);
  profiles::WriteFirmwareVersion(version);
  WriteRegistryText(kFirmwareVersionValue, version);
  profiles::WriteDevicePresence(present);
  WriteRegistryNumber(kDevicePlugValue, static_cast<DWORD>(present));
  return 1;
}

}  // namespace kx::core
