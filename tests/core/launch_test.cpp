// Starting programs: the tray program when the agent comes up, and the program of a key,
// following shell links and advertised shortcuts.
#include "agent_fixture.h"
#include "core/launcher.h"

namespace kx::core::testing {
namespace {

const std::u16string kTray = u"C:\\Program Files\\Kestrix\\trayicon.exe";

class LaunchTest : public AgentTest {
 protected:
  // Puts a file at a Windows path on drive C, making its folders.
  void PutFile(std::u16string_view path) {
    for (std::size_t slash = path.find(u'\\', 3); slash != std::u16string_view::npos;
         slash = path.find(u'\\', slash + 1)) {
      desktop_.Files().MakeDirectory(path.substr(0, slash));
    }
    const std::uint8_t bytes[] = {'M', 'Z'};
    ASSERT_TRUE(desktop_.Files().WriteFileAtomically(path, bytes));
  }
  // Gives main key 0 of the current mode the launch function and a program path.
  void AssignProgram(std::u16string_view path) {
    EditProfile(Settings().Profile, [&](profiles::PROFILE_DATA& p) {
      p.Keys[0].Function = 223;
      profiles::SetFixedText(p.Keys[0].ProgramPath, path);
    });
    PostToAgent(protocol::WM_RELOAD_SETTINGS);
  }
  // The files started for key presses since the agent started.
  std::vector<std::u16string> Started() {
    std::vector<std::u16string> files;
    for (const sim::Launch& launch : desktop_.Shell().Launches()) {
      if (launch.file != kTray) files.push_back(launch.file);
    }
    return files;
  }
};

TEST_F(LaunchTest, TheAgentsStartOpensTheTrayProgram) {
  StartAgent();
  const auto starts = LaunchesOf(kTray);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].verb, u"open");
  EXPECT_EQ(starts[0].parameters, u"");
  EXPECT_EQ(starts[0].folder, u"");
  EXPECT_EQ(starts[0].show, SW_SHOW);
  EXPECT_NE(companions_.Tray(), nullptr);
}

TEST_F(LaunchTest, ARunningTrayProgramIsNotStartedAgain) {
  companions_.StartTrayProgram();
  StartAgent();
  EXPECT_TRUE(LaunchesOf(kTray).empty());
  EXPECT_EQ(companions_.TrayStarts(), 1u);
}

TEST_F(LaunchTest, WithoutADeviceLinkTheTrayProgramIsNotStarted) {
  keyboard_.FailStartMonitor(true);
  StartAgent();
  EXPECT_TRUE(LaunchesOf(kTray).empty());
  EXPECT_EQ(companions_.Tray(), nullptr);
}

TEST_F(LaunchTest, KeyProgramsFollowShortcuts) {
  const std::u16string x86Tool = u"C:\\Program Files (x86)\\Tool\\tool.exe";
  const std::u16string tool = u"C:\\Program Files\\Tool\\tool.exe";
  const std::u16string links = u"C:\\Users\\User\\Links\\";
  PutFile(tool);
  PutFile(links + u"placeholder");
  sim::SimShell& shell = desktop_.Shell();
  ASSERT_TRUE(shell.CreateShellLink(links + u"tool.lnk", x86Tool));
  ASSERT_TRUE(shell.CreateShellLink(links + u"direct.lnk", tool));
  PutFile(u"C:\\Program Files (x86)\\Old\\old.exe");
  ASSERT_TRUE(shell.CreateShellLink(links + u"old.lnk", u"C:\\Program Files (x86)\\Old\\old.exe"));
  ASSERT_TRUE(shell.CreateAdvertisedShortcut(links + u"suite.lnk", u"{PRODUCT}", u"Main",
                                             u"{COMPONENT}", u"C:\\Suite\\suite.exe"));
  StartAgent();

  struct Case {
    std::u16string keyProgram;
    std::u16string started;
  };
  const Case cases[] = {
      // The target is missing; without " (x86)" it exists.
      {links + u"tool.lnk", tool},
      {links + u"direct.lnk", tool},
      // The target exists where the shortcut says: " (x86)" stays.
      {links + u"old.lnk", u"C:\\Program Files (x86)\\Old\\old.exe"},
      {links + u"suite.lnk", u"C:\\Suite\\suite.exe"},
      // A program file is no shortcut: started as it stands.
      {tool, tool},
      // A shortcut that cannot be read is started as it stands for the shell to try.
      {links + u"missing.lnk", links + u"missing.lnk"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.keyProgram));
    AssignProgram(c.keyProgram);
    const std::size_t before = Started().size();
    const std::uint64_t pressed = Now();
    KeyEvent(1, 0x04, true);  // main key 0
    ASSERT_EQ(Started().size(), before + 1);
    EXPECT_EQ(Started().back(), c.started);
    EXPECT_EQ(Now() - pressed, 5u);
  }
}

TEST_F(LaunchTest, AnAdvertisedShortcutOfAProductNotInstalledIsStartedItself) {
  const std::u16string link = u"C:\\Users\\User\\gone.lnk";
  PutFile(u"C:\\Users\\User\\placeholder");
  ASSERT_TRUE(desktop_.Shell().CreateAdvertisedShortcut(link, u"{P}", u"F", u"{C}", u"C:\\x.exe"));
  std::u16string target = u"stale";
  ASSERT_EQ(ResolveShortcut(link, target), 1);
  EXPECT_EQ(target, u"C:\\x.exe");
  desktop_.Shell().UninstallComponent(u"{P}", u"{C}");
  EXPECT_EQ(ResolveShortcut(link, target), 0);
  EXPECT_EQ(target, u"");
  // The key then starts the shortcut itself, for the system to install or repair the product.
  StartAgent();
  AssignProgram(link);
  KeyEvent(1, 0x04, true);
  EXPECT_EQ(Started(), std::vector<std::u16string>{link});
}

TEST_F(LaunchTest, NothingIsStartedForAnEmptyPathOrAKeyThatDoesNotExist) {
  StartAgent();
  AssignProgram(u"");
  KeyEvent(1, 0x04, true);
  const std::uint64_t before = Now();
  for (auto [group, index] : {std::pair<WPARAM, LPARAM>{0, 111}, {1, 6}, {2, 0}, {0, -1}}) {
    EXPECT_EQ(desktop_.Windows().Send(AgentWindow(), protocol::WM_LAUNCH_KEY_PROGRAM, group, index),
              1);
  }
  EXPECT_TRUE(Started().empty());
  EXPECT_EQ(Now(), before);
}

}  // namespace
}  // namespace kx::core::testing
