// What the main window does with the keyboard's events: keeps the settings and profile files
// in step with lighting and mode changes made on the keyboard, tells the configuration
// program, and runs the function the current profile gives a key.
#include "core/hid_wnd.h"
#include "core/key_assignments.h"
#include "core/key_tables.h"
#include "device/report_decoder.h"
#include "platform/platform.h"
#include "platform/window_system.h"
#include "profiles/fixed_text.h"
#include "profiles/profile_file.h"
#include "protocol/messages.h"
#include "protocol/windows.h"

namespace kx::core {

namespace {

using device::kEventEffect;
using device::kEventEffectLevel;
using device::kEventEffectOption;
using device::kEventModeSelected;
// The event code, besides the device link's own, that is not a key position.
constexpr BYTE kEventModeKey = 254;
// The qualifier of event 254 that carries a mode plus one.
constexpr BYTE kModeKeyQualifier = 4;
constexpr BYTE kHighestEffect = 9;
constexpr BYTE kHighestEffectOption = 1;
constexpr BYTE kHighestEffectLevelReport = 4;  // the level minus one

// Function codes the key events act on.
constexpr std::int32_t kFirstModeFunction = 257;
constexpr std::int32_t kLastModeFunction = 260;
constexpr std::int32_t kFirstHoldingFunction = 323;  // and every function code above it

bool InRange(std::int32_t f, std::int32_t first, std::int32_t last) {
  return f >= first && f <= last;
}

}  // namespace

LRESULT CHidWnd::OnDeviceEvent(WPARAM wParam, LPARAM lParam) {
  using namespace protocol;
  const BYTE event = static_cast<BYTE>(lParam & 0xFF);
  const BYTE qualifier = static_cast<BYTE>((lParam >> 16) & 0xFF);
  const BYTE value = static_cast<BYTE>(wParam & 0xFF);
  profiles::AGENT_SETTINGS& settings = *m_settings;
  profiles::LIGHT_INFO& light = settings.Current.LightInfo;

  switch (event) {
    case kEventEffect:
      if (value > kHighestEffect) return 1;
      NotifyConfigWindow(WM_LIGHT_EFFECT_CHANGED, settings.Profile, value);
      light.Effect = value;
      SaveCurrentProfile();
      return 1;
    case kEventEffectOption:
      if (value > kHighestEffectOption) return 1;
      NotifyConfigWindow(WM_LIGHT_OPTION_CHANGED, settings.Profile, value);
      light.EffectOption = value;
      SaveCurrentProfile();
      return 1;
    case kEventEffectLevel:
      if (value > kHighestEffectLevelReport) return 1;
      NotifyConfigWindow(WM_LIGHT_LEVEL_CHANGED, settings.Profile, value + 1);
      light.EffectLevel = static_cast<BYTE>(value + 1);
      SaveCurrentProfile();
      return 1;
    case kEventModeSelected: {
      const BYTE mode = device::ModeFromWire(value);
      ApplyProfile(mode, false);
      if (settings.SyncMode != 0) Broadcast(SYNC_PROFILE, mode);
      return 1;
    }
    case kEventModeKey:
      // value - 1 of 0 wraps to a mode that ApplyProfile refuses.
      if (qualifier == kModeKeyQualifier) ApplyProfile(static_cast<UINT>(value) - 1, false);
      return 1;
    default:
      break;
  }

  // A key event: the key's matrix code in the event code, its keyboard function code in the
  // value, and a non-zero qualifier while the key is down.
  const bool pressed = qualifier != 0;
  const std::int32_t f = FunctionOfKeyboardCode(value);
  if (f == 0) {
    DispatchKeyFunction(event % device::kMatrixColumns == 0 ? kGKeyGroup : kMainKeyGroup, event,
                        pressed);
  } else if (f == kFunctionGuardedLaunch) {
    DispatchKeyFunction(kMainKeyGroup, event, pressed);
  } else if (f >= kFirstHoldingFunction) {
    BYTE mode = settings.Profile;
    const bool answered = m_usbDriver.GetDeviceMode(&mode) == device::kCommandOk;
    if (m_nHeldFunction != 0) {
      // The key that latched a level is let go of: the level goes back.
      Broadcast(SYNC_LEVEL, -1);
      m_nHeldFunction = 0;
    } else {
      DispatchKeyFunction(kMainKeyGroup, event, pressed);
    }
    if (answered) ApplyProfile(mode, false);
  } else if (InRange(f, kFirstModeFunction, kLastModeFunction) && pressed) {
    FollowKeyboardMode();
  }
  return 1;
}

void CHidWnd::DispatchKeyFunction(int group, UINT code, bool pressed) {
  using namespace protocol;
  const BYTE index = FindKeyIndex(group, code);
  if (index == kNoKey) return;
  const profiles::PROFILE_DATA& current = m_settings->Current;
  const std::int32_t f =
      group == kMainKeyGroup ? current.Keys[index].Function : current.GKeys[index].Function;

  if (f == kFunctionLaunch) {
    if (pressed) os::Windows().Post(Handle(), WM_LAUNCH_KEY_PROGRAM, group, index);
  } else if (f == kFunctionGuardedLaunch) {
    // One launch per 500 ms, however often the key is pressed meanwhile.
    if (pressed && m_bLaunchGuard == 0) {
      m_bLaunchGuard = 1;
      os::Windows().SetTimer(Handle(), TIMER_LAUNCH_GUARD, kLaunchGuardMs);
      os::Windows().Post(Handle(), WM_LAUNCH_KEY_PROGRAM, group, index);
    }
  } else if (InRange(f, 257, 259)) {
    if (pressed) FollowKeyboardMode();
  } else if (InRange(f, 263, 268)) {
    if (pressed) Broadcast(SYNC_INDEX, f - 263);
  } else if (InRange(f, 289, 291)) {
    Broadcast(SYNC_LEVEL, pressed ? f - 289 : -1);
  } else if (InRange(f, 353, 355)) {
    // Latched on press and release alike, until the next holding key event lets it go.
    m_nHeldFunction = f;
    Broadcast(SYNC_LEVEL, f - 353);
  } else if (f == 400) {
    Broadcast(SYNC_STATE, pressed ? 1 : 0);
  } else if (InRange(f, 401, 407)) {
    if (pressed) {
      LPARAM selection = f - 401;
      if (f == 405) selection = 5;
      if (f == 406) selection = 4;
      Broadcast(SYNC_SELECT, selection);
    }
  }
}

void CHidWnd::FollowKeyboardMode() {
  BYTE mode = m_settings->Profile;
  if (m_usbDriver.GetDeviceMode(&mode) != device::kCommandOk) return;
  ApplyProfile(mode, false);
  if (m_settings->SyncMode != 0) Broadcast(protocol::SYNC_PROFILE, mode);
}

void CHidWnd::Broadcast(WPARAM code, LPARAM value) {
  os::Windows().Post(HwndBroadcast(), m_nSyncMsg, code, value);
}

void CHidWnd::SaveCurrentProfile() {
  const profiles::AGENT_SETTINGS& settings = *m_settings;
  if (settings.Profile >= profiles::MODE_COUNT) return;  // no slot to name the file
  profiles::SaveProfile(profiles::FixedText(settings.Modes[settings.Profile].ProfileName),
                        settings.Current);
}

}  // namespace kx::core
