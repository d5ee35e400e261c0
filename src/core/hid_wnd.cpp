// The main window's life: creation, the window procedure with its dispatch, the timers, the
// small handlers and the end.
#include "core/hid_wnd.h"

#include "core/launcher.h"
#include "platform/hid_library.h"
#include "platform/messages.h"
#include "platform/platform.h"
#include "platform/window_system.h"
#include "profiles/defaults.h"
#include "protocol/messages.h"
#include "protocol/windows.h"
#include "ui/progress_dlg.h"

namespace kx::core {

namespace {

constexpr int kHighestMode = profiles::MODE_COUNT - 1;

bool IsMode(LPARAM value) {
  return value >= 0 && value <= kHighestMode;
}

}  // namespace

CHidWnd::CHidWnd()
    : m_settings(std::make_unique<profiles::AGENT_SETTINGS>()),
      m_linkExe(std::make_unique<profiles::LINK_EXE_LIST[]>(profiles::MODE_COUNT)) {}

CHidWnd::~CHidWnd() {
  // Gone while the object is whole, so WM_DESTROY still reaches this class's handler.
  if (InstalledPlatform().windows != nullptr) DestroyWindowObject();
  EndProgressWindow();
}

bool CHidWnd::CreateMainWindow() {
  WindowSpec spec;
  spec.title = std::u16string(protocol::kAgentTitle);
  spec.style = WS_POPUP;
  spec.rect = RECT{1, 1, 2, 2};
  return CreateWindowObject(spec);
}

LRESULT CHidWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  using namespace protocol;
  if (message == WM_RELINK_DEVICE) OnRelinkDevice();
  if (m_nSyncMsg != 0 && message == m_nSyncMsg && !OnDevSync(wParam, lParam)) return 1;

  switch (message) {
    case WM_CREATE:
      return OnCreate();
    case WM_TIMER:
      OnTimer(static_cast<UINT_PTR>(wParam));
      break;  // every timer message also gets default processing
    case WM_DEVICE_PLUG:
      return OnDevicePlug(wParam, lParam);
    case WM_PROFILE_SYNC:
      return OnProfileSync(lParam);
    case WM_SHOW_PROGRESS:
      return OnShowProgress();
    case WM_LIGHT_SYNC:
      return OnLightSync(wParam);
    case WM_PROFILE_SELECT:
      OnProfileSelect(wParam);
      return 1;
    case WM_DEVICE_EVENT:
      return OnDeviceEvent(wParam, lParam);
    case WM_DEVICE_OPTION:
      OnDeviceOption(wParam, lParam);
      return 1;
    case WM_LAUNCH_KEY_PROGRAM:
      return LaunchKeyProgram(wParam, lParam);
    case WM_AGENT_NOOP:
      return 1;
    case WM_RELOAD_SETTINGS:
      ReloadAll();
      return 1;
    case WM_DESTROY:
      OnDestroy();
      break;
    default:
      break;
  }
  return DefaultProc(message, wParam, lParam);
}

LRESULT CHidWnd::OnCreate() {
  if (DefaultProc(WM_CREATE, 0, 0) == -1) return -1;
  WindowSystem& windows = os::Windows();
  m_nSyncMsg = windows.RegisterMessage(protocol::kSyncMessageName);
  m_mouseSettingsKey.OpenRegistryPath();
  windows.SetText(Handle(), protocol::kAgentTitle);
  // From here on the device link posts its messages to this window.
  m_usbDriver.m_hMainWnd = Handle();
  if (m_usbDriver.OpenLink()) StartTrayProgram();
  ReloadAll();
  profiles::CreateFactoryProfiles(*m_settings);
  return 0;
}

void CHidWnd::OnTimer(UINT_PTR id) {
  if (id == TIMER_FOREGROUND) {
    WatchForeground();
  } else if (id == TIMER_LAUNCH_GUARD) {
    m_bLaunchGuard = 0;
    os::Windows().KillTimer(Handle(), TIMER_LAUNCH_GUARD);
  }
}

void CHidWnd::OnDestroy() {
  // Ending the agent ends the OSD program too.
  protocol::PostToTitle(protocol::kOsdTitle, WM_DESTROY, 0, 0);
  os::Windows().KillTimer(Handle(), TIMER_FOREGROUND);
  EndProgressWindow();
}

void CHidWnd::OnProfileSelect(WPARAM mode) {
  // A mode the keyboard does not have names no mode slot: refused, nothing stored or sent.
  if (mode > static_cast<WPARAM>(kHighestMode)) return;
  // Only the mode is stored: no save, no profile load, no notice.
  m_settings->Profile = static_cast<BYTE>(mode);
  m_usbDriver.SetDeviceMode(static_cast<BYTE>(mode));
}

void CHidWnd::OnDeviceOption(WPARAM option, LPARAM value) {
  const BYTE byte = static_cast<BYTE>(value);
  if (option == 0) {
    m_settings->PollingRate = byte;
    // The keyboard takes the rate as the mask 1 << PollingRate.
    m_usbDriver.SetPollingRate(3 - static_cast<int>(byte));
  } else {
    m_settings->KeyMode = byte;
    m_usbDriver.SetKeyMode(byte);
  }
}

void CHidWnd::OnRelinkDevice() {
  HidLibrary& hid = os::Hid();
  const DEVICE_FILTER none{};
  hid.SetDeviceFilter(&none);
  hid.SetReportCallback(nullptr);
  hid.StopMonitor();
  m_usbDriver.m_bLinkOpen = 0;
  m_usbDriver.OpenLink();
}

bool CHidWnd::OnDevSync(WPARAM code, LPARAM value) {
  using namespace protocol;
  if (code == SYNC_PROFILE || code == SYNC_PROFILE_ALT) {
    SelectSyncedMode(value);
  } else if (code == SYNC_TEMP_PROFILE) {
    LPARAM mode = 0;
    if (value == -1) {
      if (m_nSavedProfile == -1) return false;  // nothing to return to
      mode = m_nSavedProfile;
      m_nSavedProfile = -1;
    } else {
      mode = value - 1;
      if (m_nSavedProfile == -1) m_nSavedProfile = m_settings->Profile;
    }
    SelectSyncedMode(mode);
  }
  return true;
}

void CHidWnd::SelectSyncedMode(LPARAM mode) {
  // A mode outside 0..5 changes nothing here and is not sent to the keyboard either.
  if (!IsMode(mode)) return;
  ApplyProfile(static_cast<UINT>(mode), false);
  m_usbDriver.SetDeviceMode(static_cast<BYTE>(mode));
}

}  // namespace kx::core
