// CHidWnd: the agent's hidden main window "Kestrix_Hid" and the owner of all program state:
// the device link, the settings with the current profile, the linked programs of every mode,
// the mouse-settings key and the progress window while one is shown. It is never shown; it
// receives the device link's messages, the other programs' requests and its own timers, and
// runs every action of the agent in their handlers, on the one user-interface thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "core/mouse_settings_key.h"
#include "device/key_blocks.h"
#include "device/usb_driver.h"
#include "platform/types.h"
#include "platform/window.h"
#include "profiles/records.h"

namespace kx::ui {
class CProgressDlg;
}

namespace kx::core {

// Timers of the main window.
inline constexpr UINT_PTR TIMER_FOREGROUND = 0x1001;  // while the keyboard is present
inline constexpr UINT kForegroundPeriodMs = 2000;
inline constexpr UINT_PTR TIMER_LAUNCH_GUARD = 0x689;  // one-shot after a guarded launch
inline constexpr UINT kLaunchGuardMs = 500;

// The texts the OSD program shows for a mode.
inline constexpr std::u16string_view kPcModeText = u"PC Mode";
inline constexpr char kProfileTextFormat[] = "Profile %d";

class CHidWnd : public Window {
 public:
  CHidWnd();
  ~CHidWnd() override;

  // Creates the hidden window: no class style, title "Kestrix_Hid", WS_POPUP only, at (1, 1)
  // with size 1 x 1. WM_CREATE does the start-up work before this returns.
  bool CreateMainWindow();

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  // Re-reads the settings, the current mode's profile and the linked programs of all modes.
  void ReloadAll();
  // Makes mode n current (saving the settings, telling the configuration program and showing
  // the mode on screen when it changes) and loads its profile into Current. An unchanged mode
  // without force does nothing; a mode above 5 does nothing. Writes nothing to the keyboard.
  void ApplyProfile(UINT n, bool force);

  // --- Read by the companions' tests and the main job ---
  const profiles::AGENT_SETTINGS& Settings() const { return *m_settings; }
  std::int32_t SavedProfile() const { return m_nSavedProfile; }
  std::int32_t HeldFunction() const { return m_nHeldFunction; }
  bool LaunchGuard() const { return m_bLaunchGuard != 0; }
  UINT SyncMessage() const { return m_nSyncMsg; }
  const device::CUSBDriver& Driver() const { return m_usbDriver; }
  const MouseSettingsKey& MouseKey() const { return m_mouseSettingsKey; }
  // The progress window while one is shown, else null.
  const ui::CProgressDlg* ProgressDialog() const { return m_pProgressDlg.get(); }

 private:
  // Window lifecycle and the small handlers (hid_wnd.cpp).
  LRESULT OnCreate();
  void OnTimer(UINT_PTR id);
  void OnDestroy();
  void OnProfileSelect(WPARAM mode);
  void OnDeviceOption(WPARAM option, LPARAM value);
  void OnRelinkDevice();
  // WM_DEV_SYNC; false when the message is finished without default processing.
  bool OnDevSync(WPARAM code, LPARAM value);
  // Applies mode and sends it to the keyboard, for a mode named by another program.
  void SelectSyncedMode(LPARAM mode);

  // Device events (device_events.cpp).
  LRESULT OnDeviceEvent(WPARAM wParam, LPARAM lParam);
  void DispatchKeyFunction(int group, UINT code, bool pressed);
  // Asks the keyboard for its mode; on an answer applies it and, with SyncMode, tells the
  // other programs.
  void FollowKeyboardMode();
  void Broadcast(WPARAM code, LPARAM value);
  void SaveCurrentProfile();

  // Arrival and removal (device_plug.cpp).
  LRESULT OnDevicePlug(WPARAM wParam, LPARAM lParam);

  // On-screen display, foreground watcher, launches (osd_client.cpp, foreground_watcher.cpp,
  // launcher.cpp).
  void ShowModeOsd(UINT mode);
  void WatchForeground();
  LRESULT LaunchKeyProgram(WPARAM group, LPARAM index);

  // Writing profiles to the keyboard (profile_write.cpp).
  LRESULT OnShowProgress();
  LRESULT OnLightSync(WPARAM mode);
  LRESULT OnProfileSync(LPARAM flag);
  void ShowProgressWindow();
  void EndProgressWindow();
  void SetProgress(int position);
  void NotifyLoadingWindow();
  void PushKeyAssignments(BYTE mode, const profiles::PROFILE_DATA& data);
  void PushKeyColours(BYTE mode, const profiles::PROFILE_DATA& data);

  std::unique_ptr<ui::CProgressDlg> m_pProgressDlg;
  UINT m_nSyncMsg = 0;
  BYTE m_bLaunchGuard = 0;
  device::CUSBDriver m_usbDriver;
  MouseSettingsKey m_mouseSettingsKey;
  // The settings with the current profile: large, so on the heap with the window object.
  std::unique_ptr<profiles::AGENT_SETTINGS> m_settings;
  std::unique_ptr<profiles::LINK_EXE_LIST[]> m_linkExe;
  std::int32_t m_nHeldFunction = 0;
  std::int32_t m_nSavedProfile = -1;
};

}  // namespace kx::core
