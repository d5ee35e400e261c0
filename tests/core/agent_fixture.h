// A simulated desktop with the agent's program folder (holding "OSD.exe" and "trayicon.exe"),
// the companion programs, the virtual keyboard and, once started, the agent itself. Tests
// drive it as the user and the other programs would and look at what those observe.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/hid_app.h"
#include "companions/companions.h"
#include "core/hid_wnd.h"
#include "platform/messages.h"
#include "platform/sim/desktop.h"
#include "platform/sim/recording_window.h"
#include "platform/sim/temp_folder.h"
#include "platform/sim/virtual_keyboard.h"
#include "platform/text_util.h"
#include "profiles/fixed_text.h"
#include "profiles/folders.h"
#include "profiles/ini/ini_file.h"
#include "profiles/profile_file.h"
#include "profiles/settings_file.h"
#include "protocol/messages.h"

namespace kx::core::testing {

// The title the progress window shows while a write runs.
inline constexpr std::u16string_view kProgressTitle = u"ZULQuarvexProgressbar";

using Bytes = std::vector<BYTE>;
using sim::HidTransfer;

class AgentTest : public ::testing::Test {
 protected:
  AgentTest() { companions_.InstallProgramFiles(); }
  ~AgentTest() override { app_.reset(); }  // the agent goes before its companions

  // Starts the agent as the system would and lets it handle what it posted itself.
  void StartAgent() {
    app_ = std::make_unique<app::CHidApp>();
    ASSERT_TRUE(app_->InitInstance());
    desktop_.RunUntilIdle();
  }
  CHidWnd& Agent() { return *app_->MainHidWnd(); }
  const profiles::AGENT_SETTINGS& Settings() { return Agent().Settings(); }
  HWND AgentWindow() { return desktop_.Windows().Find(u"", protocol::kAgentTitle); }

  // Posts to "Kestrix_Hid" as another program does, and lets the agent handle everything.
  void PostToAgent(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    ASSERT_TRUE(desktop_.Windows().Post(AgentWindow(), message, wParam, lParam));
    desktop_.RunUntilIdle();
  }
  // Broadcasts "VELT_DEV_SYNC" as another device agent does.
  void BroadcastSync(WPARAM code, LPARAM value) {
    const UINT sync = desktop_.Windows().RegisterMessage(protocol::kSyncMessageName);
    desktop_.Windows().Post(HwndBroadcast(), sync, code, value);
    desktop_.RunUntilIdle();
  }
  // The keyboard sends an input report; the agent handles what the device link posts.
  void KeyboardReports(Bytes report) {
    keyboard_.SendInputReport(std::move(report));
    keyboard_.WaitForInputReports();
    desktop_.RunUntilIdle();
  }
  // A key event as the device link posts it: matrix code, keyboard code, down or up.
  void KeyEvent(BYTE matrixCode, BYTE keyboardCode, bool down) {
    PostToAgent(protocol::WM_DEVICE_EVENT, keyboardCode,
                static_cast<LPARAM>(matrixCode) | (down ? 0x00010000 : 0));
  }
  void PlugKeyboard() {
    keyboard_.Plug();
    desktop_.RunUntilIdle();
  }

  // --- Files the agent shares with the configuration program ---
  static std::u16string DataFolder() {
    return std::u16string(sim::Desktop::kAppDataFolder) + u"\\Kestrix\\";
  }
  static std::u16string SettingsFile() { return DataFolder() + u"config.ini"; }
  // Writes Setting/key into the settings file as the configuration program does.
  void WriteSetting(std::u16string_view key, std::int32_t value) {
    profiles::EnsureDataFolder(profiles::kDataFolderSuffix);
    ASSERT_TRUE(profiles::IniFile(SettingsFile()).WriteInt(u"Setting", key, value));
  }
  std::int32_t ReadSetting(std::u16string_view key, std::int32_t missing = -99) {
    return static_cast<std::int32_t>(
        profiles::IniFile(SettingsFile()).ReadInt(u"Setting", key, missing));
  }
  // The text after "key=" on its line of the settings file, exactly as stored; "<missing>"
  // without such a line.
  std::u16string ReadSettingText(std::u16string_view key) {
    const auto bytes = desktop_.Files().ReadAll(SettingsFile());
    if (!bytes) return u"<missing>";
    std::u16string text;
    for (std::size_t i = 2; i + 1 < bytes->size(); i += 2)
      text.push_back(static_cast<char16_t>((*bytes)[i] | ((*bytes)[i + 1] << 8)));
    const std::u16string prefix = u"\n" + std::u16string(key) + u"=";
    const std::size_t at = (u"\n" + text).find(prefix);
    if (at == std::u16string::npos) return u"<missing>";
    const std::size_t start = at + prefix.size() - 1;
    return text.substr(start, text.find_first_of(u"\r\n", start) - start);
  }
  // The profile name of a mode as the agent has it.
  std::u16string ProfileName(int mode) {
    return std::u16string(profiles::FixedText(Settings().Modes[mode].ProfileName));
  }
  // Reads a mode's profile file, changes it and writes it back, as the configuration
  // program does (the agent sees it on its next reload).
  void EditProfile(int mode, const std::function<void(profiles::PROFILE_DATA&)>& edit) {
    auto data = std::make_unique<profiles::PROFILE_DATA>();
    profiles::ClearRecord(*data);
    profiles::LoadProfile(ProfileName(mode), *data);
    edit(*data);
    ASSERT_TRUE(profiles::SaveProfile(ProfileName(mode), *data));
  }
  std::unique_ptr<profiles::PROFILE_DATA> ReadProfile(int mode) {
    auto data = std::make_unique<profiles::PROFILE_DATA>();
    profiles::ClearRecord(*data);
    profiles::ReadProfileData(
        profiles::IniEdit(profiles::ProfileFilePath(ProfileName(mode))).Document(), *data);
    return data;
  }

  // --- What others observe ---
  std::vector<Bytes> WrittenReports() {
    std::vector<Bytes> out;
    for (const HidTransfer& t : keyboard_.Writes())
      out.push_back(t.bytes);
    return out;
  }
  // Writes to collection 2 whose first two bytes are these (commands and queries).
  std::vector<Bytes> CommandsWritten(BYTE reportId, BYTE command) {
    std::vector<Bytes> out;
    for (const HidTransfer& t : keyboard_.Writes()) {
      if (t.bytes.size() >= 2 && t.bytes[0] == reportId && t.bytes[1] == command) {
        out.emplace_back(t.bytes.begin(),
                         t.bytes.begin() + std::min<std::size_t>(8, t.bytes.size()));
      }
    }
    return out;
  }
  // The modes sent with 0A 03, in order.
  std::vector<BYTE> ModesSent() {
    std::vector<BYTE> modes;
    for (const Bytes& b : CommandsWritten(0x0A, 0x03))
      modes.push_back(b[2]);
    return modes;
  }
  // The broadcasts of "VELT_DEV_SYNC" a window of another program received: (code, value).
  std::vector<std::pair<WPARAM, LPARAM>> SyncBroadcasts(const sim::RecordingWindow& window) {
    return window.ParamsOf(desktop_.Windows().RegisterMessage(protocol::kSyncMessageName));
  }
  static std::vector<std::pair<WPARAM, LPARAM>> Params(const sim::RecordingWindow& window,
                                                       UINT message) {
    return window.ParamsOf(message);
  }
  // The top-level windows with this title, the agent's own included.
  std::size_t TopLevelWindowsTitled(std::u16string_view title) {
    std::size_t n = 0;
    for (HWND h : desktop_.Windows().TopLevelWindows())
      n += desktop_.Windows().GetText(h) == title ? 1 : 0;
    return n;
  }
  std::size_t ProgressWindows() { return TopLevelWindowsTitled(kProgressTitle); }
  // The shell's starts of this file (full Windows path, exact).
  std::vector<sim::Launch> LaunchesOf(std::u16string_view file) {
    std::vector<sim::Launch> out;
    for (const sim::Launch& launch : desktop_.Shell().Launches()) {
      if (launch.file == file) out.push_back(launch);
    }
    return out;
  }
  static std::u16string AgentFolderFile(std::u16string_view name) {
    return std::u16string(sim::Desktop::kProgramFolder) + u"\\" + std::u16string(name);
  }
  std::uint64_t Now() { return desktop_.Clock().NowMs(); }

  sim::TempFolder folder_;
  sim::Desktop desktop_{sim::DesktopOptions{folder_.Path()}};
  sim::VirtualKeyboard& keyboard_ = desktop_.Keyboard();
  companions::Companions companions_{desktop_};
  std::unique_ptr<app::CHidApp> app_;
};

}  // namespace kx::core::testing
