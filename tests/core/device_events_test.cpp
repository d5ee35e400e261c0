// What the agent does with the keyboard's events: lighting changes made on the keyboard are
// saved and reported, and keys run the functions the current profile gives them.
#include "agent_fixture.h"

namespace kx::core::testing {
namespace {

using Broadcasts = std::vector<std::pair<WPARAM, LPARAM>>;

constexpr BYTE kMainKey37Code = 47;        // row 2, column 1
constexpr BYTE kGKey2Code = 46;            // row 2, column 0
constexpr BYTE kPlainKeyboardCode = 0x04;  // no row of the function table has it

class DeviceEventsTest : public AgentTest {
 protected:
  void SetUp() override {
    keyboard_.Plug();
    StartAgent();
    companions_.StartConfigProgram().Inner().ClearReceived();
    other_ = &companions_.OpenWindow(u"Another device agent");
    keyboard_.ClearTransfers();
  }
  // Gives a key of the current mode a function (and a program) and reloads the agent.
  void AssignKey(bool gKey, int index, std::int32_t function, std::u16string_view program = u"") {
    EditProfile(Settings().Profile, [&](profiles::PROFILE_DATA& p) {
      profiles::BUTTON_INFO& key = gKey ? p.GKeys[index] : p.Keys[index];
      key.Kind = profiles::KIND_FUNCTION;
      key.Function = function;
      profiles::SetFixedText(key.ProgramPath, program);
    });
    PostToAgent(protocol::WM_RELOAD_SETTINGS);
  }
  Broadcasts Heard() { return SyncBroadcasts(*other_); }
  sim::RecordingWindow& Inner() { return companions_.Config().Inner(); }

  sim::RecordingWindow* other_ = nullptr;
};

TEST_F(DeviceEventsTest, LightingChangesOnTheKeyboardAreSavedAndReported) {
  struct Case {
    Bytes report;
    UINT notice;
    LPARAM noticed;  // the value the configuration program is sent
    BYTE profiles::LIGHT_INFO::*field;
  };
  const Case cases[] = {
      {{0x04, 0x00, 0x01, 0x01, 7},
       protocol::WM_LIGHT_EFFECT_CHANGED,
       7,
       &profiles::LIGHT_INFO::Effect},
      {{0x04, 0x02, 0x0C, 1},
       protocol::WM_LIGHT_OPTION_CHANGED,
       1,
       &profiles::LIGHT_INFO::EffectOption},
      {{0x04, 0x00, 0x01, 0x07, 4},
       protocol::WM_LIGHT_LEVEL_CHANGED,
       5,
       &profiles::LIGHT_INFO::EffectLevel},
  };
  PostToAgent(protocol::WM_PROFILE_SELECT, 2);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.notice);
    Inner().ClearReceived();
    KeyboardReports(c.report);
    EXPECT_EQ(Params(Inner(), c.notice), (Broadcasts{{2, c.noticed}}));
    EXPECT_EQ(Settings().Current.LightInfo.*c.field, c.noticed);
    EXPECT_EQ(ReadProfile(2).get()->LightInfo.*c.field, c.noticed);
  }
}

TEST_F(DeviceEventsTest, OutOfRangeLightingValuesAreDropped) {
  const auto before = ReadProfile(0);
  for (const Bytes& report : {Bytes{0x04, 0x00, 0x01, 0x01, 12}, Bytes{0x04, 0x02, 0x0C, 2},
                              Bytes{0x04, 0x00, 0x01, 0x07, 5}}) {
    KeyboardReports(report);
  }
  EXPECT_TRUE(Inner().Received().empty());
  const auto after = ReadProfile(0);
  EXPECT_EQ(after->LightInfo.Effect, before->LightInfo.Effect);
  EXPECT_EQ(after->LightInfo.EffectOption, before->LightInfo.EffectOption);
  EXPECT_EQ(after->LightInfo.EffectLevel, before->LightInfo.EffectLevel);
}

TEST_F(DeviceEventsTest, KeyFunctionsBroadcastTheirCodes) {
  struct Case {
    std::int32_t function;
    Broadcasts onPress;
    Broadcasts onRelease;
  };
  using protocol::SYNC_INDEX, protocol::SYNC_LEVEL, protocol::SYNC_SELECT, protocol::SYNC_STATE;
  const Case cases[] = {
      {263, {{SYNC_INDEX, 0}}, {}},
      {268, {{SYNC_INDEX, 5}}, {}},
      {289, {{SYNC_LEVEL, 0}}, {{SYNC_LEVEL, -1}}},
      {291, {{SYNC_LEVEL, 2}}, {{SYNC_LEVEL, -1}}},
      {353, {{SYNC_LEVEL, 0}}, {{SYNC_LEVEL, 0}}},
      {355, {{SYNC_LEVEL, 2}}, {{SYNC_LEVEL, 2}}},
      {400, {{SYNC_STATE, 1}}, {{SYNC_STATE, 0}}},
      {401, {{SYNC_SELECT, 0}}, {}},
      {404, {{SYNC_SELECT, 3}}, {}},
      {405, {{SYNC_SELECT, 5}}, {}},
      {406, {{SYNC_SELECT, 4}}, {}},
      {407, {{SYNC_SELECT, 6}}, {}},
      {999, {}, {}},
      {0, {}, {}},
  };
  for (bool gKey : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << "function " << c.function << " G key " << gKey);
      AssignKey(gKey, gKey ? 2 : 37, c.function);
      const BYTE code = gKey ? kGKey2Code : kMainKey37Code;
      other_->ClearReceived();
      KeyEvent(code, kPlainKeyboardCode, true);
      EXPECT_EQ(Heard(), c.onPress);
      other_->ClearReceived();
      KeyEvent(code, kPlainKeyboardCode, false);
      EXPECT_EQ(Heard(), c.onRelease);
    }
  }
}

TEST_F(DeviceEventsTest, TheToggleNoticeCausesNothing) {
  KeyboardReports({0x08, 0x00, 0x07, 0x00, 0x03, 0xD6, 0x01, 0x00, 0x00});
  KeyboardReports({0x08, 0x00, 0x07, 0x00, 0x03, 0xD6, 0x00, 0x00, 0x00});
  EXPECT_TRUE(keyboard_.Writes().empty());
  EXPECT_TRUE(Heard().empty());
  EXPECT_TRUE(Inner().Received().empty());
  EXPECT_EQ(Settings().Profile, 0);
}

TEST_F(DeviceEventsTest, KeyEventsFromTheKeyboardReachTheKeysFunction) {
  AssignKey(false, 37, 400);
  KeyboardReports({0x08, kMainKey37Code, 0x01, kPlainKeyboardCode});
  KeyboardReports({0x08, kMainKey37Code, 0x00, kPlainKeyboardCode});
  EXPECT_EQ(Heard(), (Broadcasts{{protocol::SYNC_STATE, 1}, {protocol::SYNC_STATE, 0}}));
  // A matrix code that names no key does nothing.
  other_->ClearReceived();
  KeyEvent(60, kPlainKeyboardCode, true);  // an empty cell
  EXPECT_TRUE(Heard().empty());
}

TEST_F(DeviceEventsTest, AHeldLevelIsLetGoByTheNextHoldingKeyEvent) {
  AssignKey(false, 37, 353);
  AssignKey(false, 38, 263);
  KeyEvent(kMainKey37Code, kPlainKeyboardCode, true);
  KeyEvent(kMainKey37Code, kPlainKeyboardCode, false);
  EXPECT_EQ(Agent().HeldFunction(), 353);
  other_->ClearReceived();
  keyboard_.SetMode(4);

  // Keyboard code 196 maps to a holding function: the level goes back instead of key 38's
  // own function, and the keyboard's mode is taken over.
  KeyEvent(48, 196, true);
  EXPECT_EQ(Heard(), (Broadcasts{{protocol::SYNC_LEVEL, -1}}));
  EXPECT_EQ(Agent().HeldFunction(), 0);
  EXPECT_EQ(Settings().Profile, 4);
  EXPECT_EQ(CommandsWritten(0x07, 0x81).size(), 1u);

  // With nothing held, the same event runs the key's function (of the mode now current).
  AssignKey(false, 38, 263);
  other_->ClearReceived();
  KeyEvent(48, 196, true);
  EXPECT_EQ(Heard(), (Broadcasts{{protocol::SYNC_INDEX, 0}}));
}

TEST_F(DeviceEventsTest, AHoldingKeyStillRunsItsFunctionWhenTheModeQueryFails) {
  AssignKey(false, 38, 264);
  keyboard_.FailTransfersWhen([](const HidTransfer& t) { return t.bytes[0] == 0x07; });
  KeyEvent(48, 165, true);  // keyboard code 165: function 455
  EXPECT_EQ(Heard(), (Broadcasts{{protocol::SYNC_INDEX, 1}}));
  EXPECT_EQ(Settings().Profile, 0);
}

TEST_F(DeviceEventsTest, ModeFunctionsFollowTheKeyboardsMode) {
  WriteSetting(u"SyncMode", 1);
  PostToAgent(protocol::WM_RELOAD_SETTINGS);
  AssignKey(false, 37, 258);
  keyboard_.SetMode(3);
  KeyEvent(kMainKey37Code, kPlainKeyboardCode, false);  // a release does nothing
  EXPECT_EQ(Settings().Profile, 0);
  KeyEvent(kMainKey37Code, kPlainKeyboardCode, true);
  EXPECT_EQ(Settings().Profile, 3);
  EXPECT_EQ(Heard(), (Broadcasts{{protocol::SYNC_PROFILE, 3}}));

  // Keyboard code 249 is function 260 whatever the key: a press follows the mode too.
  keyboard_.SetMode(0);
  other_->ClearReceived();
  KeyEvent(5, 249, false);
  EXPECT_EQ(Settings().Profile, 3);
  KeyEvent(5, 249, true);
  EXPECT_EQ(Settings().Profile, 0);
  EXPECT_EQ(Heard(), (Broadcasts{{protocol::SYNC_PROFILE, 0}}));
}

TEST_F(DeviceEventsTest, ModeKeyEventCarriesTheModePlusOne) {
  PostToAgent(protocol::WM_DEVICE_EVENT, 3, 0x000400FE);
  EXPECT_EQ(Settings().Profile, 2);
  PostToAgent(protocol::WM_DEVICE_EVENT, 0, 0x000400FE);  // no mode
  PostToAgent(protocol::WM_DEVICE_EVENT, 5, 0x000100FE);  // another qualifier
  EXPECT_EQ(Settings().Profile, 2);
}

TEST_F(DeviceEventsTest, ModeReportWithSyncModeBroadcastsTheMode) {
  WriteSetting(u"SyncMode", 1);
  WriteSetting(u"Profile", 3);
  PostToAgent(protocol::WM_RELOAD_SETTINGS);
  KeyboardReports({0x0D, 0x03, 0x06});
  EXPECT_EQ(Settings().Profile, 0);
  EXPECT_EQ(companions_.OsdTexts(), std::vector<std::u16string>{u"PC Mode"});
  EXPECT_EQ(Heard(), (Broadcasts{{protocol::SYNC_PROFILE, 0}}));
}

TEST_F(DeviceEventsTest, LaunchKeysStartTheirProgram) {
  companions_.InstallProgramFile(u"tool.exe");
  const std::u16string tool = AgentFolderFile(u"tool.exe");
  AssignKey(false, 37, 223, tool);
  AssignKey(true, 2, 223, tool);
  KeyEvent(kMainKey37Code, kPlainKeyboardCode, true);
  KeyEvent(kMainKey37Code, kPlainKeyboardCode, false);
  KeyEvent(kGKey2Code, kPlainKeyboardCode, true);
  KeyEvent(kMainKey37Code, kPlainKeyboardCode, true);
  const auto starts = LaunchesOf(tool);
  ASSERT_EQ(starts.size(), 3u);
  EXPECT_EQ(starts[0].verb, u"open");
  EXPECT_EQ(starts[0].parameters, u"");
  EXPECT_EQ(starts[0].folder, u"");
  EXPECT_EQ(starts[0].show, SW_SHOWNORMAL);
}

TEST_F(DeviceEventsTest, GuardedLaunchStartsOncePerHalfSecond) {
  companions_.InstallProgramFile(u"tool.exe");
  const std::u16string tool = AgentFolderFile(u"tool.exe");
  AssignKey(false, 37, 384, tool);
  const std::uint64_t start = Now();
  for (int press = 0; press < 3; ++press) {
    KeyEvent(kMainKey37Code, 254, true);  // keyboard code 254 is the guarded launch
    KeyEvent(kMainKey37Code, 254, false);
    desktop_.RunFor(100);
  }
  EXPECT_EQ(LaunchesOf(tool).size(), 1u);
  EXPECT_TRUE(Agent().LaunchGuard());
  desktop_.RunFor(start + 500 - Now());
  EXPECT_FALSE(Agent().LaunchGuard());
  EXPECT_TRUE(desktop_.Windows().Timers(AgentWindow()).count(TIMER_LAUNCH_GUARD) == 0);
  KeyEvent(kMainKey37Code, 254, true);
  EXPECT_EQ(LaunchesOf(tool).size(), 2u);
}

}  // namespace
}  // namespace kx::core::testing
