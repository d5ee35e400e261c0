// The foreground watcher: a program linked in a mode's profile selects that mode when it comes
// to the foreground while the keyboard is present.
#include "agent_fixture.h"
#include "core/foreground_watcher.h"

namespace kx::core::testing {
namespace {

class ForegroundTest : public AgentTest {
 protected:
  void SetUp() override {
    WriteSetting(u"Profile", 1);
    keyboard_.Plug();
    StartAgent();
  }
  void Link(int mode, int slot, std::u16string_view path) {
    EditProfile(mode,
                [&](profiles::PROFILE_DATA& p) { profiles::SetFixedText(p.LinkExe[slot], path); });
  }
  // A program of this executable name with a window in the foreground.
  void BringToForeground(std::u16string_view exeFile) {
    sim::SimWindowSystem& windows = desktop_.Windows();
    const DWORD previous = windows.CreatingProcess();
    windows.SetCreatingProcess(desktop_.Processes().StartProcess(exeFile));
    sim::RecordingWindow& window = companions_.OpenWindow(u"A game");
    windows.SetCreatingProcess(previous);
    desktop_.Processes().SetForeground(window.Handle());
  }
  // Reloads the links, forgets the transfers so far and lets one tick pass.
  void Tick() {
    PostToAgent(protocol::WM_RELOAD_SETTINGS);
    keyboard_.ClearTransfers();
    desktop_.RunFor(kForegroundPeriodMs);
  }
};

TEST_F(ForegroundTest, LinkedProgramInTheForegroundSelectsItsMode) {
  companions_.StartConfigProgram().Inner().ClearReceived();
  Link(2, 0, u"C:\\Games\\Racer.exe");
  BringToForeground(u"racer.EXE");
  Tick();
  EXPECT_EQ(ModesSent(), std::vector<BYTE>{2});
  EXPECT_EQ(Settings().Profile, 2);
  EXPECT_EQ(ReadSetting(u"Profile"), 2);
  EXPECT_EQ(Params(companions_.Config().Inner(), protocol::WM_PROFILE_SELECT),
            (std::vector<std::pair<WPARAM, LPARAM>>{{0, 2}}));
  EXPECT_EQ(companions_.OsdTexts(), std::vector<std::u16string>{u"Profile 2"});
  // The mode stays when the program is still there on the next tick.
  keyboard_.ClearTransfers();
  desktop_.RunFor(kForegroundPeriodMs);
  EXPECT_TRUE(ModesSent().empty());
}

TEST_F(ForegroundTest, MatchingCases) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, std::u16string>> links;  // (mode, path), in slots 0, 1 ...
    std::u16string foreground;
    std::vector<BYTE> sent;
  };
  const Case cases[] = {
      {"first mode wins", {{4, u"C:\\Games\\Racer.exe"}, {2, u"E:\\racer.exe"}}, u"racer.exe", {2}},
      {"any folder", {{3, u"D:\\Other\\racer.exe"}}, u"racer.exe", {3}},
      {"a later slot", {{5, u"x.exe"}, {5, u"C:\\Racer.exe"}}, u"RACER.exe", {5}},
      {"current mode", {{1, u"C:\\Games\\Racer.exe"}}, u"racer.exe", {}},
      {"other name", {{2, u"C:\\Games\\Racer.exe"}}, u"racer2.exe", {}},
      {"no extension", {{2, u"C:\\Games\\Racer"}}, u"racer.exe", {}},
      {"OSD program", {{2, u"C:\\Program Files\\Kestrix\\OSD.exe"}}, u"osd.EXE", {}},
      {"other agent", {{2, u"vanta.exe"}}, u"Vanta.exe", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (int mode = 0; mode < profiles::MODE_COUNT; ++mode) {
      EditProfile(mode, [](profiles::PROFILE_DATA& p) {
        for (auto& link : p.LinkExe)
          profiles::SetFixedText(link, u"");
      });
    }
    std::vector<int> slots(profiles::MODE_COUNT, 0);
    for (const auto& [mode, path] : c.links)
      Link(mode, slots[mode]++, path);
    Agent().ApplyProfile(1, false);
    BringToForeground(c.foreground);
    Tick();
    EXPECT_EQ(ModesSent(), c.sent);
  }
}

TEST_F(ForegroundTest, NothingHappensWithoutForegroundSnapshotOrKeyboard) {
  Link(2, 0, u"racer.exe");
  Tick();  // no foreground window
  EXPECT_TRUE(ModesSent().empty());

  BringToForeground(u"racer.exe");
  desktop_.Processes().SetSnapshotFails(true);
  Tick();
  EXPECT_TRUE(ModesSent().empty());
  desktop_.Processes().SetSnapshotFails(false);

  keyboard_.Unplug();
  desktop_.RunUntilIdle();
  Tick();
  EXPECT_EQ(Settings().Profile, 1);
  // Back again: the watcher runs from the arrival on.
  PlugKeyboard();
  desktop_.RunFor(kForegroundPeriodMs);
  EXPECT_EQ(Settings().Profile, 2);
}

TEST(FindLinkedModeTest, EmptyLinksNeverMatch) {
  auto links = std::make_unique<profiles::LINK_EXE_LIST[]>(profiles::MODE_COUNT);
  EXPECT_FALSE(FindLinkedMode(u"", links.get()));
  profiles::SetFixedText(links[3][4], u"C:\\Folder\\");  // a folder: no file name
  EXPECT_FALSE(FindLinkedMode(u"", links.get()));
  profiles::SetFixedText(links[3][2], u"C:tool.exe");
  EXPECT_EQ(FindLinkedMode(u"TOOL.EXE", links.get()), 3);
}

}  // namespace
}  // namespace kx::core::testing
