// ReloadAll and ApplyProfile: the two operations almost every handler of the main window uses.

#include "core/hid_wnd.h"
#include "profiles/defaults.h"
#include "profiles/fixed_text.h"
#include "profiles/profile_file.h"
#include "profiles/settings_file.h"
#include "protocol/messages.h"
#include "protocol/windows.h"

namespace kx::core {

void CHidWnd::ReloadAll() {
  profiles::AGENT_SETTINGS& settings = *m_settings;
  profiles::ResetSettings(settings);
  profiles::LoadSettings(settings);
  profiles::CheckSettings(settings);
  ApplyProfile(settings.Profile, true);
  for (int mode = 0; mode < profiles::MODE_COUNT; ++mode) {
    profiles::LoadModeLinks(profiles::FixedText(settings.Modes[mode].ProfileName), m_linkExe[mode]);
  }
}

void CHidWnd::ApplyProfile(UINT n, bool force) {
  if (n >= static_cast<UINT>(profiles::MODE_COUNT)) return;
  profiles::AGENT_SETTINGS& settings = *m_settings;
  // A change of mode always loads the new mode's profile; only an unchanged mode needs force.
  const bool changed = n != settings.Profile;
  if (changed) {
    settings.Profile = static_cast<BYTE>(n);
    profiles::SaveSettings(settings);
    protocol::NotifyConfigWindow(protocol::WM_PROFILE_SELECT, 0, static_cast<LPARAM>(n));
    if (settings.OSD_Profile != 0) ShowModeOsd(n);
  }
  if (!changed && !force) return;
  profiles::LoadCurrentProfile(settings);
}

}  // namespace kx::core
