// Mode changes from every side: the keyboard's mode key, other programs' requests and the
// synchronisation broadcast, and what the configuration program, the OSD program, the settings
// file and the keyboard see of them.
#include "agent_fixture.h"

namespace kx::core::testing {
namespace {

using protocol::WM_PROFILE_SELECT;

class ModeChangeTest : public AgentTest {
 protected:
  // The agent running with the keyboard present and the configuration program open; the
  // transfers and messages of the start are forgotten.
  void StartWithKeyboard() {
    keyboard_.Plug();
    StartAgent();
    companions_.StartConfigProgram().Inner().ClearReceived();
    other_ = &companions_.OpenWindow(u"Another device agent");
    keyboard_.ClearTransfers();
  }
  sim::RecordingWindow& Inner() { return companions_.Config().Inner(); }

  sim::RecordingWindow* other_ = nullptr;
};

TEST_F(ModeChangeTest, ModeKeyOnTheKeyboardRunsTheWholeChange) {
  WriteSetting(u"SyncMode", 1);
  StartWithKeyboard();
  // Something of mode 3's own, to see its profile arrive in Current.
  EditProfile(3, [](profiles::PROFILE_DATA& p) { p.Keys[5].Function = 401; });
  ASSERT_EQ(Settings().Profile, 0);

  keyboard_.SelectModeOnKeyboard(3);  // reports 0D 03 03
  keyboard_.WaitForInputReports();
  desktop_.RunUntilIdle();

  EXPECT_EQ(Settings().Profile, 3);
  EXPECT_EQ(ReadSetting(u"Profile"), 3);
  EXPECT_EQ(Params(Inner(), WM_PROFILE_SELECT), (std::vector<std::pair<WPARAM, LPARAM>>{{0, 3}}));
  EXPECT_EQ(companions_.OsdTexts(), std::vector<std::u16string>{u"Profile 3"});
  EXPECT_EQ(Settings().Current.Keys[5].Function, 401);
  // The broadcast reaches other programs and the agent itself, which sends the mode.
  EXPECT_EQ(SyncBroadcasts(*other_),
            (std::vector<std::pair<WPARAM, LPARAM>>{{protocol::SYNC_PROFILE, 3}}));
  EXPECT_EQ(ModesSent(), std::vector<BYTE>{3});
}

TEST_F(ModeChangeTest, PcModeIsReportedAsSixAndShownAsPcMode) {
  WriteSetting(u"Profile", 3);
  WriteSetting(u"OSD_Color", 1);
  StartWithKeyboard();
  keyboard_.SelectModeOnKeyboard(0);
  keyboard_.WaitForInputReports();
  desktop_.RunUntilIdle();

  EXPECT_EQ(Settings().Profile, 0);
  ASSERT_NE(companions_.RunningOsd(), nullptr);
  const auto shown = companions_.RunningOsd()->Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, u"PC Mode");
  EXPECT_EQ(shown[0].colour, 0x000055FFu);
  // Without SyncMode nothing is broadcast and the keyboard is sent nothing.
  EXPECT_TRUE(SyncBroadcasts(*other_).empty());
  EXPECT_TRUE(ModesSent().empty());
}

TEST_F(ModeChangeTest, OsdRecordCarriesTheFixedNumbersFontAndColourOfTheSetting) {
  struct Case {
    int osdColor;
    std::uint32_t colour;
  };
  for (const Case c : {Case{0, 0x000000FF}, Case{1, 0x000055FF}, Case{2, 0x0000FF00}}) {
    SCOPED_TRACE(c.osdColor);
    WriteSetting(u"OSD_Color", c.osdColor);
    if (!app_) StartAgent();
    PostToAgent(protocol::WM_RELOAD_SETTINGS);
    Agent().ApplyProfile(Settings().Profile == 2 ? 4 : 2, false);
    const auto shown = companions_.RunningOsd()->Shown();
    ASSERT_FALSE(shown.empty());
    const protocol::OsdRecord& record = shown.back();
    EXPECT_EQ(record.colour, c.colour);
    EXPECT_EQ(record.param1, 0u);
    EXPECT_EQ(record.param2, 1500u);
    EXPECT_EQ(record.param3, 0u);
    EXPECT_EQ(record.param5, 40u);
    EXPECT_EQ(record.fontFace, u"Arial");
  }
  // One OSD program served every text.
  EXPECT_EQ(companions_.OsdRuns().size(), 1u);
}

TEST_F(ModeChangeTest, WithoutTheOsdProgramAModeChangeWaitsFiveTimesAndStillHappens) {
  std::filesystem::remove(desktop_.HostProgramFolder() / "OSD.exe");
  StartAgent();
  const std::uint64_t before = Now();
  Agent().ApplyProfile(2, false);
  EXPECT_EQ(Now() - before, 2500u);
  EXPECT_EQ(Settings().Profile, 2);
  EXPECT_EQ(ReadSetting(u"Profile"), 2);
  const auto starts = LaunchesOf(AgentFolderFile(u"OSD.exe"));
  ASSERT_EQ(starts.size(), 5u);
  for (std::size_t i = 0; i < starts.size(); ++i) {
    EXPECT_EQ(starts[i].verb, u"");
    EXPECT_EQ(starts[i].show, SW_SHOWNORMAL);
    EXPECT_EQ(starts[i].timeMs, before + 500 * i);
  }
  EXPECT_TRUE(companions_.OsdRuns().empty());
}

TEST_F(ModeChangeTest, OsdProfileZeroNeitherStartsNorTellsTheOsdProgram) {
  WriteSetting(u"OSD_Profile", 0);
  StartAgent();
  Agent().ApplyProfile(4, false);
  EXPECT_EQ(Settings().Profile, 4);
  EXPECT_TRUE(companions_.OsdRuns().empty());
  EXPECT_TRUE(LaunchesOf(AgentFolderFile(u"OSD.exe")).empty());
}

TEST_F(ModeChangeTest, ApplyProfileReloadsOnlyWhenTheModeChangesOrWhenForced) {
  WriteSetting(u"Profile", 0);
  StartAgent();
  companions_.StartConfigProgram();
  EditProfile(0, [](profiles::PROFILE_DATA& p) { p.Keys[0].Function = 263; });
  const UINT delaysBefore = static_cast<UINT>(desktop_.System().DelaysSet().size());

  Agent().ApplyProfile(0, false);  // unchanged, not forced: nothing at all
  EXPECT_EQ(Settings().Current.Keys[0].Function, 0);
  EXPECT_EQ(desktop_.System().DelaysSet().size(), delaysBefore);

  Agent().ApplyProfile(0, true);  // forced: the file is read again, silently
  EXPECT_EQ(Settings().Current.Keys[0].Function, 263);
  EXPECT_EQ(desktop_.System().DelaysSet().back(), 3u);
  EXPECT_TRUE(companions_.Config().Inner().ReceivedOf(WM_PROFILE_SELECT).empty());
  EXPECT_TRUE(companions_.OsdTexts().empty());

  for (UINT beyond : {6u, 7u, 255u, 0xFFFFFFFFu})
    Agent().ApplyProfile(beyond, true);
  EXPECT_EQ(Settings().Profile, 0);
  EXPECT_EQ(ReadSetting(u"Profile"), 0);
  EXPECT_TRUE(companions_.OsdTexts().empty());
}

TEST_F(ModeChangeTest, ProfileSelectStoresAndSendsTheModeOnly) {
  WriteSetting(u"Profile", 0);
  StartWithKeyboard();
  PostToAgent(WM_PROFILE_SELECT, 4);
  EXPECT_EQ(Settings().Profile, 4);
  EXPECT_EQ(ModesSent(), std::vector<BYTE>{4});
  // Not saved, not loaded, nobody told.
  EXPECT_EQ(ReadSetting(u"Profile"), 0);
  EXPECT_TRUE(Inner().Received().empty());
  EXPECT_TRUE(companions_.OsdTexts().empty());

  // A mode the keyboard does not have is refused.
  PostToAgent(WM_PROFILE_SELECT, 6);
  PostToAgent(WM_PROFILE_SELECT, 0x103);
  EXPECT_EQ(Settings().Profile, 4);
  EXPECT_EQ(ModesSent(), std::vector<BYTE>{4});

  // A later change to a valid mode is a change again.
  Agent().ApplyProfile(1, false);
  EXPECT_EQ(ReadSetting(u"Profile"), 1);
}

TEST_F(ModeChangeTest, SyncProfileFromAnotherProgramAppliesAndSendsTheMode) {
  StartWithKeyboard();
  BroadcastSync(protocol::SYNC_PROFILE, 2);
  BroadcastSync(protocol::SYNC_PROFILE_ALT, 5);
  EXPECT_EQ(Settings().Profile, 5);
  EXPECT_EQ(ModesSent(), (std::vector<BYTE>{2, 5}));
  EXPECT_EQ(Params(Inner(), WM_PROFILE_SELECT),
            (std::vector<std::pair<WPARAM, LPARAM>>{{0, 2}, {0, 5}}));

  // The mode already current: only the keyboard is told once more.
  BroadcastSync(protocol::SYNC_PROFILE, 5);
  EXPECT_EQ(ModesSent(), (std::vector<BYTE>{2, 5, 5}));
  EXPECT_EQ(Inner().ReceivedOf(WM_PROFILE_SELECT).size(), 2u);

  // Modes outside 0..5 send nothing; the other codes change nothing.
  for (LPARAM bad : {LPARAM{6}, LPARAM{-1}, LPARAM{262}})
    BroadcastSync(protocol::SYNC_PROFILE, bad);
  for (WPARAM code : {protocol::SYNC_LEVEL, protocol::SYNC_FLAG, protocol::SYNC_INDEX,
                      protocol::SYNC_STATE, protocol::SYNC_SELECT}) {
    BroadcastSync(code, 1);
  }
  EXPECT_EQ(ModesSent(), (std::vector<BYTE>{2, 5, 5}));
  EXPECT_EQ(Settings().Profile, 5);
}

TEST_F(ModeChangeTest, TemporaryProfileSwitchesAndReturns) {
  WriteSetting(u"Profile", 5);
  StartWithKeyboard();
  BroadcastSync(protocol::SYNC_TEMP_PROFILE, 3);  // mode 2 for a while
  EXPECT_EQ(Settings().Profile, 2);
  EXPECT_EQ(Agent().SavedProfile(), 5);
  BroadcastSync(protocol::SYNC_TEMP_PROFILE, 4);  // mode 3, still returning to 5
  EXPECT_EQ(Settings().Profile, 3);
  EXPECT_EQ(Agent().SavedProfile(), 5);
  BroadcastSync(protocol::SYNC_TEMP_PROFILE, -1);  // back
  EXPECT_EQ(Settings().Profile, 5);
  EXPECT_EQ(Agent().SavedProfile(), -1);
  BroadcastSync(protocol::SYNC_TEMP_PROFILE, -1);  // nothing to return to
  EXPECT_EQ(ModesSent(), (std::vector<BYTE>{2, 3, 5}));
  // A temporary mode the keyboard does not have is not sent.
  BroadcastSync(protocol::SYNC_TEMP_PROFILE, 9);
  EXPECT_EQ(ModesSent(), (std::vector<BYTE>{2, 3, 5}));
  EXPECT_EQ(Settings().Profile, 5);
}

TEST_F(ModeChangeTest, DeviceOptionsGoToTheKeyboardWithoutASave) {
  WriteSetting(u"PollingRate", 3);
  WriteSetting(u"KeyMode", 0);
  StartWithKeyboard();
  PostToAgent(protocol::WM_DEVICE_OPTION, 0, 2);
  PostToAgent(protocol::WM_DEVICE_OPTION, 1, 1);
  EXPECT_EQ(Settings().PollingRate, 2);
  EXPECT_EQ(Settings().KeyMode, 1);
  EXPECT_EQ(keyboard_.Memory().pollingRateMask, 0x04);
  EXPECT_EQ(keyboard_.Memory().keyMode, 1);
  EXPECT_EQ(ReadSetting(u"PollingRate"), 3);  // still the value the file had
  EXPECT_EQ(ReadSetting(u"KeyMode"), 0);
}

TEST_F(ModeChangeTest, ReloadSettingsAndNoopAnswerOne) {
  StartAgent();
  WriteSetting(u"Profile", 2);
  EXPECT_EQ(desktop_.Windows().Send(AgentWindow(), protocol::WM_AGENT_NOOP, 0, 0), 1);
  EXPECT_EQ(Settings().Profile, 0);
  EXPECT_EQ(desktop_.Windows().Send(AgentWindow(), protocol::WM_RELOAD_SETTINGS, 0, 0), 1);
  EXPECT_EQ(Settings().Profile, 2);
  EXPECT_TRUE(companions_.OsdTexts().empty());  // a reload is not a mode change
}

}  // namespace
}  // namespace kx::core::testing
