// The keyboard comes and goes: what the settings file, the registry, the configuration and
// tray programs, the configuration program's dialogs and the foreground watcher see of it.
#include <optional>

#include "agent_fixture.h"
#include "core/plug_notices.h"

namespace kx::core::testing {
namespace {

using Notices = std::vector<std::pair<WPARAM, LPARAM>>;

class DevicePlugTest : public AgentTest {
 protected:
  void CreateRegistryKey() { desktop_.Registry().CreateKeyPath(HkeyCurrentUser(), kKey); }
  std::optional<sim::RegistryValue> RegistryValue(std::u16string_view name) {
    return desktop_.Registry().GetValue(HkeyCurrentUser(), kKey, name);
  }
  bool ForegroundTimerRuns() {
    return desktop_.Windows().Timers(AgentWindow()).count(TIMER_FOREGROUND) == 1;
  }
  static constexpr std::u16string_view kKey = u"SOFTWARE\\Kestrix";
};

TEST_F(DevicePlugTest, ArrivalRecordsTheKeyboardAndTellsTheOtherPrograms) {
  CreateRegistryKey();
  keyboard_.SetFirmwareVersion(1, 5);
  StartAgent();
  companions::ConfigProgram& config = companions_.StartConfigProgram();
  sim::RecordingWindow* tray = companions_.Tray();
  ASSERT_NE(tray, nullptr);  // started by the agent
  sim::RecordingWindow& manage = companions_.OpenWindow(u"ManageProfile");
  sim::RecordingWindow& launch = companions_.OpenWindow(u"Launch_Program");
  config.Outer().ClearReceived();
  tray->ClearReceived();
  const std::uint64_t plugged = Now();

  PlugKeyboard();

  // One arrival per collection, each waiting 3 s before it asks for the version.
  const auto queries = keyboard_.Writes();
  std::vector<std::uint64_t> versionQueries;
  for (const HidTransfer& t : queries) {
    if (t.bytes[0] == 0x07 && t.bytes[1] == 0x80) versionQueries.push_back(t.timeMs);
  }
  ASSERT_EQ(versionQueries.size(), 5u);
  EXPECT_EQ(versionQueries[0] - plugged, 3000u);
  EXPECT_GE(versionQueries[1] - versionQueries[0], 3000u);
  EXPECT_EQ(CommandsWritten(0x07, 0x81).size(), 5u);

  EXPECT_EQ(ReadSettingText(u"FWVersion"), u"15");
  EXPECT_EQ(ReadSetting(u"Plug"), 1);
  ASSERT_TRUE(RegistryValue(u"FWVersion"));
  EXPECT_EQ(RegistryValue(u"FWVersion")->type, REG_SZ);
  EXPECT_EQ(RegistryValue(u"FWVersion")->data, (std::vector<std::uint8_t>{'1', 0, '5', 0, 0, 0}));
  EXPECT_EQ(RegistryValue(u"DevicePlug")->type, REG_DWORD);
  EXPECT_EQ(RegistryValue(u"DevicePlug")->Number(), 1u);
  EXPECT_EQ(Params(config.Outer(), protocol::WM_DEVICE_PLUG), Notices(5, {1, 0}));
  EXPECT_EQ(Params(*tray, protocol::WM_DEVICE_PLUG), Notices(5, {1, 0}));
  EXPECT_EQ(manage.Handle(), nullptr);  // closed
  EXPECT_EQ(launch.Handle(), nullptr);
  EXPECT_TRUE(ForegroundTimerRuns());
  EXPECT_EQ(desktop_.Windows().Timers(AgentWindow()).at(TIMER_FOREGROUND), 2000u);
}

TEST_F(DevicePlugTest, RemovalRecordsTheAbsenceAndStopsTheWatcher) {
  CreateRegistryKey();
  keyboard_.Plug();
  StartAgent();
  companions::ConfigProgram& config = companions_.StartConfigProgram();
  companions_.Tray()->ClearReceived();
  config.Outer().ClearReceived();
  ASSERT_TRUE(ForegroundTimerRuns());

  keyboard_.Unplug();
  desktop_.RunUntilIdle();

  // The private-profile functions drop a value's leading spaces: " " is stored empty.
  EXPECT_EQ(ReadSettingText(u"FWVersion"), u"");
  EXPECT_EQ(ReadSetting(u"Plug"), 0);
  EXPECT_EQ(RegistryValue(u"FWVersion")->Text(), u" ");
  EXPECT_EQ(RegistryValue(u"DevicePlug")->Number(), 0u);
  EXPECT_EQ(Params(config.Outer(), protocol::WM_DEVICE_PLUG), (Notices{{0, 0}}));
  EXPECT_EQ(Params(*companions_.Tray(), protocol::WM_DEVICE_PLUG), (Notices{{0, 0}}));
  EXPECT_FALSE(ForegroundTimerRuns());
}

TEST_F(DevicePlugTest, WithoutTheRegistryKeyOnlyTheSettingsFileIsWritten) {
  keyboard_.SetFirmwareVersion(2, 11);
  keyboard_.Plug();
  StartAgent();
  EXPECT_EQ(ReadSettingText(u"FWVersion"), u"211");
  EXPECT_EQ(ReadSetting(u"Plug"), 1);
  EXPECT_FALSE(desktop_.Registry().KeyExists(HkeyCurrentUser(), kKey));
}

TEST_F(DevicePlugTest, VersionWhenTheQueryCannotRunOrItsAnswerIsLost) {
  // The link will not open: the version is unknown.
  keyboard_.FailStartMonitor(true);
  StartAgent();
  CreateRegistryKey();
  PostToAgent(protocol::WM_DEVICE_PLUG, 0, 1);
  EXPECT_EQ(RegistryValue(u"FWVersion")->Text(), u" ");
  EXPECT_EQ(ReadSetting(u"Plug"), 1);

  // The answer is lost: the two bytes of the query buffer are what the query left there.
  keyboard_.FailStartMonitor(false);
  PlugKeyboard();
  PostToAgent(protocol::WM_RELINK_DEVICE);  // the link opens: five arrivals
  ASSERT_EQ(ReadSettingText(u"FWVersion"), u"13");
  keyboard_.FailNth(HidTransfer::Kind::kRead, 1);
  PostToAgent(protocol::WM_DEVICE_PLUG, 0, 1);
  EXPECT_EQ(ReadSettingText(u"FWVersion"), u"00");
}

TEST_F(DevicePlugTest, ArrivalForgetsATemporaryModeAndReloadsTheProfile) {
  keyboard_.Plug();
  StartAgent();
  BroadcastSync(protocol::SYNC_TEMP_PROFILE, 3);
  ASSERT_EQ(Agent().SavedProfile(), 0);
  EditProfile(2, [](profiles::PROFILE_DATA& p) { p.GKeys[1].Function = 400; });
  PostToAgent(protocol::WM_DEVICE_PLUG, 0, 1);
  EXPECT_EQ(Agent().SavedProfile(), -1);
  EXPECT_EQ(Settings().Current.GKeys[1].Function, 400);
  BroadcastSync(protocol::SYNC_TEMP_PROFILE, -1);  // nothing to return to any more
  EXPECT_EQ(Settings().Profile, 2);
}

TEST_F(DevicePlugTest, DialogsAreClosedAndTheConfigurationProgramIsToldOnlyWhenPresent) {
  keyboard_.Plug();
  StartAgent();
  sim::RecordingWindow& macro = companions_.OpenWindow(u"BrenvoMacro");
  sim::RecordingWindow& single = companions_.OpenWindow(u"BRENVO_SingleKey_Dlg");
  keyboard_.Unplug();
  desktop_.RunUntilIdle();
  // Without the configuration program the notice is dropped; the dialogs still close.
  EXPECT_EQ(macro.Handle(), nullptr);
  EXPECT_EQ(single.Handle(), nullptr);
  EXPECT_EQ(NotifyConfigApp(1), 0);
  // A configuration program without its inner window gets the presence notice only.
  companions_.StartConfigProgram(false);
  EXPECT_EQ(NotifyConfigApp(1), 1);
  Agent().ApplyProfile(2, false);
  desktop_.RunUntilIdle();
  EXPECT_EQ(Params(companions_.Config().Outer(), protocol::WM_DEVICE_PLUG), (Notices{{1, 0}}));
  EXPECT_TRUE(companions_.Config().Outer().ReceivedOf(protocol::WM_PROFILE_SELECT).empty());
}

}  // namespace
}  // namespace kx::core::testing
