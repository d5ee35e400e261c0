// Start-up and exit of the agent: one agent per log-on, its folders, its language file, its
// hidden main window and what its start leaves behind.
#include <fstream>

#include "../core/agent_fixture.h"
#include "text/language_file.h"

namespace kx::app {
namespace {

using core::testing::AgentTest;

class HidAppTest : public AgentTest {
 protected:
  int MutexCount() { return desktop_.Sync().OpenCount(kInstanceMutexName); }
  std::size_t AgentWindows() { return TopLevelWindowsTitled(protocol::kAgentTitle); }
};

TEST_F(HidAppTest, StartCreatesTheHiddenMainWindowAndWhatTheAgentNeeds) {
  ASSERT_FALSE(desktop_.Registry().KeyExists(HkeyCurrentUser(), u"Control Panel\\Mouse"));
  StartAgent();
  const HWND main = AgentWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(app_->MainWindow(), &Agent());
  EXPECT_EQ(desktop_.Windows().GetStyle(main),
            WS_POPUP | WS_CLIPSIBLINGS);  // the system clips top-level windows
  EXPECT_FALSE(desktop_.Windows().IsVisible(main));
  EXPECT_EQ(desktop_.Windows().GetWindowRect(main), (RECT{1, 1, 2, 2}));
  EXPECT_EQ(MutexCount(), 1);
  EXPECT_EQ(profiles::FixedText(profiles::g_szAppDir), u"C:\\Program Files\\Kestrix\\");
  EXPECT_EQ(profiles::FixedText(profiles::g_szDataDir), DataFolder());
  // The broadcast is registered, the mouse settings key is held open, the device link
  // reports here and the factory profiles are written.
  EXPECT_EQ(Agent().SyncMessage(), desktop_.Windows().RegisterMessage(protocol::kSyncMessageName));
  EXPECT_TRUE(desktop_.Registry().KeyExists(HkeyCurrentUser(), u"Control Panel\\Mouse"));
  EXPECT_NE(Agent().MouseKey().Key(), nullptr);
  EXPECT_EQ(Agent().Driver().m_hMainWnd.load(), main);
  for (int mode = 0; mode < profiles::MODE_COUNT; ++mode) {
    EXPECT_TRUE(desktop_.Files().Exists(profiles::ProfileFilePath(ProfileName(mode)))) << mode;
  }
}

TEST_F(HidAppTest, OnTheFirstStartTheFactoryProfilesAreReadByTheNextReload) {
  StartAgent();
  // The files did not exist when the profile was loaded: the blank profile stays current.
  EXPECT_EQ(Settings().Current.LightInfo.Effect, 0);
  EXPECT_EQ(Settings().Current.LightInfo.Color, 0u);
  PostToAgent(protocol::WM_RELOAD_SETTINGS);
  EXPECT_EQ(Settings().Current.LightInfo.Effect, 5);
  EXPECT_EQ(Settings().Current.LightInfo.Color, 0xFFFFFFu);
}

TEST_F(HidAppTest, AMouseSettingsKeyThatCannotBeOpenedDoesNotStopTheStart) {
  desktop_.Registry().CreateKeyPath(HkeyCurrentUser(), u"Control Panel\\Mouse");
  desktop_.Registry().DenyAccess(HkeyCurrentUser(), u"Control Panel\\Mouse", KEY_ALL_ACCESS);
  StartAgent();
  EXPECT_EQ(Agent().MouseKey().Key(), nullptr);
  EXPECT_NE(AgentWindow(), nullptr);
}

TEST_F(HidAppTest, ASecondAgentEndsWithoutAWindowAndLeavesTheFirstAlone) {
  keyboard_.Plug();
  StartAgent();
  {
    CHidApp second;
    EXPECT_FALSE(second.InitInstance());
    EXPECT_EQ(second.MainHidWnd(), nullptr);
    EXPECT_EQ(second.InstanceMutex(), 0u);
  }
  EXPECT_EQ(AgentWindows(), 1u);
  EXPECT_EQ(MutexCount(), 1);
  EXPECT_EQ(Agent().Driver().m_bLinkOpen, 1);
  EXPECT_EQ(LaunchesOf(AgentFolderFile(u"trayicon.exe")).size(), 1u);
}

TEST_F(HidAppTest, TheLanguageFileIsReadWhenPresentAndNotNeeded) {
  StartAgent();
  EXPECT_TRUE(text::g_LanguageDoc.Text.empty());
  app_.reset();

  std::ofstream(desktop_.HostProgramFolder() / "Strings.xml")
      << "<?xml version=\"1.0\"?><Strings><Language id=\"en\"/></Strings>";
  StartAgent();
  EXPECT_NE(text::g_LanguageDoc.Text.find(u"<Strings>"), std::u16string::npos);
}

TEST_F(HidAppTest, AMainWindowThatCannotBeMadeEndsTheStartAndFreesTheName) {
  desktop_.Windows().SetCreateRefusal(
      [](const WindowSpec& spec) { return spec.title == protocol::kAgentTitle; });
  {
    CHidApp app;
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.MainHidWnd(), nullptr);
    EXPECT_EQ(MutexCount(), 0);
    EXPECT_EQ(app.ExitInstance(), 0);
  }
  desktop_.Windows().SetCreateRefusal(nullptr);
  StartAgent();
  EXPECT_EQ(AgentWindows(), 1u);
}

TEST_F(HidAppTest, ClosingTheMainWindowEndsTheAgentAndTheOsdProgram) {
  keyboard_.Plug();
  StartAgent();
  Agent().ApplyProfile(3, false);  // the OSD program runs now
  ASSERT_NE(companions_.RunningOsd(), nullptr);
  ASSERT_FALSE(desktop_.Windows().Timers(AgentWindow()).empty());

  desktop_.Windows().Post(AgentWindow(), WM_CLOSE, 0, 0);
  EXPECT_EQ(app_->Run(), 0);

  EXPECT_EQ(AgentWindow(), nullptr);
  EXPECT_EQ(app_->MainHidWnd(), nullptr);
  EXPECT_EQ(MutexCount(), 0);
  EXPECT_EQ(companions_.RunningOsd(), nullptr);
  EXPECT_FALSE(companions_.OsdRuns().back()->Window().ReceivedOf(WM_DESTROY).empty());
  const auto processes = desktop_.Processes().Snapshot();
  for (const ProcessEntry& process : *processes)
    EXPECT_NE(process.exeFile, u"OSD.exe");
  EXPECT_EQ(desktop_.Registry().OpenHandleCount(), 0u);  // the mouse settings key is closed
}

}  // namespace
}  // namespace kx::app
