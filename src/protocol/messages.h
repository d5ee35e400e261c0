// The window-message protocol between the agent, its device link, the configuration program,
// the tray program, the OSD program and other device agents: every custom message number, the
// registered broadcast and its codes, and the window titles that receivers are found by.
#pragma once

#include <array>
#include <string_view>

#include "platform/types.h"

namespace kx::protocol {

// Custom messages (the numbers are fixed by the programs that exchange them).
inline constexpr UINT WM_HID_NOTIFY = 0x502;            // library -> device link's window
inline constexpr UINT WM_DEVICE_PLUG = 0x5401;          // device link -> agent; agent -> others
inline constexpr UINT WM_DEVICE_EVENT = 0x656;          // report callback -> agent
inline constexpr UINT WM_DEVICE_TOGGLE = 0x5567;        // report callback -> "Kestrix_Hid"
inline constexpr UINT WM_DEVICE_SWITCH = 0x460;         // report callback -> configuration
inline constexpr UINT WM_PROFILE_SYNC = 0x650;          // others -> agent; agent -> "DLGLoading"
inline constexpr UINT WM_RELOAD_SETTINGS = 0x651;       // others -> agent
inline constexpr UINT WM_PROFILE_SELECT = 0x658;        // others -> agent; agent -> configuration
inline constexpr UINT WM_DEVICE_OPTION = 0x659;         // others -> agent
inline constexpr UINT WM_LIGHT_EFFECT_CHANGED = 0x65A;  // agent -> configuration
inline constexpr UINT WM_LIGHT_OPTION_CHANGED = 0x65C;  // agent -> configuration
inline constexpr UINT WM_LIGHT_LEVEL_CHANGED = 0x65D;   // agent -> configuration
inline constexpr UINT WM_LAUNCH_KEY_PROGRAM = 0x660;    // agent -> itself
inline constexpr UINT WM_LIGHT_SYNC = 0x668;            // others -> agent
inline constexpr UINT WM_AGENT_NOOP = 0x669;            // others -> agent
inline constexpr UINT WM_SHOW_PROGRESS = 0x670;         // others -> agent
inline constexpr UINT WM_RELINK_DEVICE = 0x900;         // others -> agent

// The registered broadcast: every process that registers this name gets the same id.
inline constexpr std::u16string_view kSyncMessageName = u"VELT_DEV_SYNC";

// Codes of the broadcast (its wParam).
inline constexpr WPARAM SYNC_PROFILE = 0;       // lParam: mode 0..5
inline constexpr WPARAM SYNC_TEMP_PROFILE = 1;  // lParam: mode + 1, or -1 to return
inline constexpr WPARAM SYNC_LEVEL = 2;         // lParam: 0..2, or -1
inline constexpr WPARAM SYNC_FLAG = 4;
inline constexpr WPARAM SYNC_INDEX = 10;        // lParam: 0..5
inline constexpr WPARAM SYNC_STATE = 11;        // lParam: 1 key down, 0 key up
inline constexpr WPARAM SYNC_SELECT = 12;       // lParam: 0..6
inline constexpr WPARAM SYNC_PROFILE_ALT = 20;  // lParam: mode 0..5

// Window titles (and the one class) receivers are found by.
inline constexpr std::u16string_view kAgentTitle = u"Kestrix_Hid";
inline constexpr std::u16string_view kConfigTitle = u"Kestrix";  // outer and inner window
inline constexpr std::u16string_view kTrayTitle = u"Kestrix_TrayIcon";
inline constexpr std::u16string_view kLoadingTitle = u"DLGLoading";
inline constexpr std::u16string_view kOsdClass = u"On Screen Display";
inline constexpr std::u16string_view kOsdTitle = u"Kestrix OSD";
// The configuration program's dialogs that a device arrival or removal closes, in order.
inline constexpr std::array<std::u16string_view, 4> kDialogsClosedOnPlug = {
    u"Launch_Program", u"BrenvoMacro", u"BRENVO_SingleKey_Dlg", u"ManageProfile"};

// One row of the protocol table: a message number and its name.
struct MessageName {
  UINT number;
  std::string_view name;
};

// Every custom message by number, for logs and tools.
inline constexpr std::array<MessageName, 17> kMessageNames = {{
    {WM_HID_NOTIFY, "WM_HID_NOTIFY"},
    {WM_DEVICE_PLUG, "WM_DEVICE_PLUG"},
    {WM_DEVICE_EVENT, "WM_DEVICE_EVENT"},
    {WM_DEVICE_TOGGLE, "WM_DEVICE_TOGGLE"},
    {WM_DEVICE_SWITCH, "WM_DEVICE_SWITCH"},
    {WM_PROFILE_SYNC, "WM_PROFILE_SYNC"},
    {WM_RELOAD_SETTINGS, "WM_RELOAD_SETTINGS"},
    {WM_PROFILE_SELECT, "WM_PROFILE_SELECT"},
    {WM_DEVICE_OPTION, "WM_DEVICE_OPTION"},
    {WM_LIGHT_EFFECT_CHANGED, "WM_LIGHT_EFFECT_CHANGED"},
    {WM_LIGHT_OPTION_CHANGED, "WM_LIGHT_OPTION_CHANGED"},
    {WM_LIGHT_LEVEL_CHANGED, "WM_LIGHT_LEVEL_CHANGED"},
    {WM_LAUNCH_KEY_PROGRAM, "WM_LAUNCH_KEY_PROGRAM"},
    {WM_LIGHT_SYNC, "WM_LIGHT_SYNC"},
    {WM_AGENT_NOOP, "WM_AGENT_NOOP"},
    {WM_SHOW_PROGRESS, "WM_SHOW_PROGRESS"},
    {WM_RELINK_DEVICE, "WM_RELINK_DEVICE"},
}};

// The name of a custom message, or empty for any other number.
constexpr std::string_view MessageNameOf(UINT number) {
  for (const MessageName& m : kMessageNames) {
    if (m.number == number) return m.name;
  }
  return {};
}

}  // namespace kx::protocol
