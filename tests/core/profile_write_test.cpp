// Writing the current profile to the keyboard: what the keyboard holds afterwards, the order
// and timing on the wire, the progress window and the notice to "DLGLoading".
#include "agent_fixture.h"
#include "core/default_key_matrix.h"
#include "core/key_tables.h"
#include "ui/progress_dlg.h"

namespace kx::core::testing {
namespace {

class ProfileWriteTest : public AgentTest {
 protected:
  void SetUp() override {
    keyboard_.Plug();
    StartAgent();
    loading_ = &companions_.OpenWindow(protocol::kLoadingTitle);
    keyboard_.ClearTransfers();
    // At every transfer, where the progress bar stands (-1: no progress window).
    keyboard_.FailTransfersWhen([this](const HidTransfer&) {
      const ui::CProgressDlg* dialog = Agent().ProgressDialog();
      progressAtTransfer_.push_back(dialog == nullptr ? -1 : dialog->m_marker.m_nPos);
      return false;
    });
  }
  void TearDown() override { keyboard_.FailTransfersWhen(nullptr); }

  void SelectMode(int mode) { PostToAgent(protocol::WM_PROFILE_SELECT, static_cast<WPARAM>(mode)); }
  // Makes mode current in the settings file, so the write's reload keeps it.
  void MakeCurrent(int mode) {
    Agent().ApplyProfile(static_cast<UINT>(mode), false);
    keyboard_.ClearTransfers();
    progressAtTransfer_.clear();
  }
  // The progress positions seen at each transfer, one entry per run of equal positions.
  std::vector<int> ProgressSteps() {
    std::vector<int> steps;
    for (int p : progressAtTransfer_) {
      if (steps.empty() || steps.back() != p) steps.push_back(p);
    }
    return steps;
  }

  sim::RecordingWindow* loading_ = nullptr;
  std::vector<int> progressAtTransfer_;
};

profiles::BUTTON_INFO FunctionKey(std::int32_t function) {
  profiles::BUTTON_INFO key{};
  key.Kind = profiles::KIND_FUNCTION;
  key.Function = function;
  return key;
}

TEST_F(ProfileWriteTest, KeyboardHoldsExactlyTheProfilesKeyMatrixAndMacros) {
  MakeCurrent(3);
  EditProfile(3, [](profiles::PROFILE_DATA& p) {
    p.Keys[0].Kind = profiles::KIND_DISABLED;
    p.Keys[1] = FunctionKey(260);  // keyboard code 249
    p.Keys[2] = FunctionKey(999);  // a macro
    p.Keys[2].MacroOption1 = 0x11;
    p.Keys[2].MacroOption0 = 0x22;
    for (int i = 0; i < 240; ++i)
      p.Keys[2].MacroData[i] = static_cast<BYTE>(i + 1);
    p.Keys[3] = FunctionKey(465);  // the single key of macro byte 2
    p.Keys[3].MacroData[2] = 0x2C;
    p.Keys[4] = FunctionKey(466);
    p.Keys[5] = FunctionKey(481);
    p.Keys[6] = FunctionKey(467);
    p.Keys[7] = FunctionKey(1);    // no code of its own: the default stays
    p.Keys[8] = FunctionKey(355);  // keyboard code 198
    p.Keys[9].Function = 700;      // a macro on a key of the default kind
    p.GKeys[2] = FunctionKey(65535);
  });
  const std::uint64_t start = Now();
  PostToAgent(protocol::WM_PROFILE_SYNC, 0, 0);

  const sim::KeyboardMemory snapshot = keyboard_.Memory();
  const sim::ModeMemory& memory = snapshot.modes[3];
  device::KEY_MATRIX expected = kDefaultKeyMatrix;
  const std::pair<int, BYTE> changed[] = {{1, 0},    {3, 249}, {4, 0xCD}, {5, 0x2C}, {6, 0xE8},
                                          {7, 0xCD}, {8, 0},   {10, 198}, {46, 0xCD}};
  for (auto [code, cell] : changed)
    expected[static_cast<std::size_t>(code)] = cell;
  EXPECT_EQ(std::vector<BYTE>(memory.keyMatrix.begin(), memory.keyMatrix.end()),
            std::vector<BYTE>(expected.begin(), expected.begin() + 138));
  EXPECT_EQ(memory.keyMatrixWrites, 1u);
  ASSERT_EQ(memory.macros.size(), 3u);
  ASSERT_EQ(memory.macros.count(4), 1u);  // main key 2
  const auto& macro = memory.macros.at(4);
  EXPECT_EQ(macro[0], 0x11);
  EXPECT_EQ(macro[1], 0x22);
  EXPECT_EQ(macro[2], 1);
  EXPECT_EQ(macro[241], 240);
  EXPECT_EQ(memory.macros.count(11), 1u);  // main key 9
  EXPECT_EQ(memory.macros.count(46), 1u);  // G key 2
  EXPECT_EQ(ModesSent(), std::vector<BYTE>{3});
  EXPECT_EQ(WrittenReports().back(), (Bytes{0x0A, 0x03, 3, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Params(*loading_, protocol::WM_PROFILE_SYNC),
            (std::vector<std::pair<WPARAM, LPARAM>>{{0, 0}}));
  // Three macros (header, 41 chunks, then a pause), the matrix, a pause, the mode.
  EXPECT_EQ(Now() - start, 3 * (200 + 41 * 60 + 100) + (200 + 23 * 60) + 200 + 20);
}

TEST_F(ProfileWriteTest, PcModeGetsNoKeyAssignmentsButItsMode) {
  MakeCurrent(0);
  EditProfile(0, [](profiles::PROFILE_DATA& p) { p.Keys[2] = FunctionKey(999); });
  PostToAgent(protocol::WM_PROFILE_SYNC, 0, 1);  // with 0A 0F first
  EXPECT_EQ(WrittenReports(),
            (std::vector<Bytes>{{0x0A, 0x0F, 0, 0, 0, 0, 0, 0}, {0x0A, 0x03, 0, 0, 0, 0, 0, 0}}));
  EXPECT_EQ(keyboard_.Memory().command0FCount, 1u);
  EXPECT_EQ(Params(*loading_, protocol::WM_PROFILE_SYNC).size(), 1u);
}

TEST_F(ProfileWriteTest, TheWriteReadsTheFilesFirst) {
  // Another program chose mode 2 and wrote it to the settings file: the write follows it.
  WriteSetting(u"Profile", 2);
  EditProfile(2, [](profiles::PROFILE_DATA& p) { p.Keys[0].Kind = profiles::KIND_DISABLED; });
  PostToAgent(protocol::WM_PROFILE_SYNC);
  EXPECT_EQ(Settings().Profile, 2);
  EXPECT_EQ(keyboard_.Memory().modes[2].keyMatrix[1], 0);
  EXPECT_EQ(ModesSent(), std::vector<BYTE>{2});
}

TEST_F(ProfileWriteTest, ProgressWindowShowsTheStepsAndGoesAtTheEnd) {
  MakeCurrent(4);
  EditProfile(4, [](profiles::PROFILE_DATA& p) {
    p.Keys[2] = FunctionKey(999);
    p.GKeys[0] = FunctionKey(999);
  });
  PostToAgent(protocol::WM_SHOW_PROGRESS);
  const ui::CProgressDlg* dialog = Agent().ProgressDialog();
  ASSERT_NE(dialog, nullptr);
  const HWND window = dialog->Handle();
  EXPECT_EQ(desktop_.Windows().GetText(window), kProgressTitle);
  EXPECT_TRUE(desktop_.Windows().IsVisible(window));
  EXPECT_EQ(desktop_.Windows().TopLevelWindows().front(), window);
  EXPECT_NE(desktop_.Windows().GetExStyle(window) & WS_EX_TOPMOST, 0u);
  const RECT rect = desktop_.Windows().GetWindowRect(window);
  EXPECT_EQ(rect.left, (1920 - dialog->m_nWidth) / 2);
  EXPECT_EQ(rect.top, (1080 - dialog->m_nHeight) / 2);
  EXPECT_EQ(dialog->m_marker.m_nPos, 0);

  PostToAgent(protocol::WM_PROFILE_SYNC);
  // Main-key macros at 20, G-key macros at 40, the matrix at 50, the mode at 70.
  EXPECT_EQ(ProgressSteps(), (std::vector<int>{20, 40, 50, 70}));
  EXPECT_EQ(Agent().ProgressDialog(), nullptr);
  EXPECT_FALSE(desktop_.Windows().IsWindow(window));  // ended means gone
  EXPECT_EQ(ProgressWindows(), 0u);
}

TEST_F(ProfileWriteTest, WithoutShowProgressNoWindowAppears) {
  MakeCurrent(1);
  PostToAgent(protocol::WM_PROFILE_SYNC);
  ASSERT_FALSE(progressAtTransfer_.empty());
  EXPECT_EQ(ProgressSteps(), std::vector<int>{-1});
  EXPECT_EQ(keyboard_.Memory().modes[1].keyMatrixWrites, 1u);
}

TEST_F(ProfileWriteTest, ShowingTwiceLeavesOneWindow) {
  PostToAgent(protocol::WM_SHOW_PROGRESS);
  const HWND first = Agent().ProgressDialog()->Handle();
  PostToAgent(protocol::WM_SHOW_PROGRESS);
  EXPECT_FALSE(desktop_.Windows().IsWindow(first));
  EXPECT_EQ(ProgressWindows(), 1u);
  PostToAgent(protocol::WM_LIGHT_SYNC, 0);  // shows its own window and ends it
  EXPECT_EQ(ProgressWindows(), 0u);
}

TEST_F(ProfileWriteTest, PerKeyLightingSendsEveryKeyColourGKeysFirst) {
  MakeCurrent(2);
  EditProfile(2, [](profiles::PROFILE_DATA& p) {
    p.LightInfo.Effect = 10;
    for (int i = 0; i < profiles::KEY_COUNT; ++i)
      p.LightData[0].KeyColor[i] = Rgb(static_cast<BYTE>(i), 0x10, 0x20);
    for (int i = 0; i < profiles::G_KEY_COUNT; ++i)
      p.LightData[0].GKeyColor[i] = Rgb(0xA0, static_cast<BYTE>(i), 0xB0);
    p.LightData[1].KeyColor[0] = Rgb(1, 2, 3);  // other layouts are not sent
  });
  const std::uint64_t start = Now();
  PostToAgent(protocol::WM_LIGHT_SYNC, 5);  // the mode named by the request

  const auto writes = WrittenReports();
  ASSERT_EQ(writes.size(), 2u + 6 + 111 + 16);
  EXPECT_EQ(writes[0], (Bytes{0x0A, 0x03, 5, 0, 0, 0, 0, 0}));
  EXPECT_EQ(writes[1], (Bytes{0x0A, 0x0A, 5, 10, 0, 0, 0, 0}));
  EXPECT_EQ(writes[2], (Bytes{0x0A, 0x0C, 5, 1, 0xA0, 0, 0xB0, 0}));  // G key 0 at code 0
  EXPECT_EQ(writes[8], (Bytes{0x0A, 0x0C, 5, 2, 0, 0x10, 0x20, 0}));  // main key 0 at code 1
  EXPECT_EQ(writes.back(), (Bytes{0x0A, 0x0C, 5, 138, 0, 0, 0, 0}));  // the last empty cell

  const sim::KeyboardMemory snapshot = keyboard_.Memory();
  const sim::ModeMemory& memory = snapshot.modes[5];
  for (int i = 0; i < profiles::G_KEY_COUNT; ++i)
    EXPECT_EQ(memory.keyColors.at(GKeyMatrixCode(i)), Rgb(0xA0, static_cast<BYTE>(i), 0xB0));
  for (int i = 0; i < profiles::KEY_COUNT; ++i) {
    const BYTE code = MainKeyMatrixCode(i);
    // Cell 108 is also one of the empty cells, which are blacked out last.
    const COLORREF want = code == 108 ? 0 : Rgb(static_cast<BYTE>(i), 0x10, 0x20);
    EXPECT_EQ(memory.keyColors.at(code), want) << i;
  }
  for (const KeyPosition& cell : KeyPositionTable.emptyCells)
    EXPECT_EQ(memory.keyColors.at(cell.Code()), 0u);
  EXPECT_EQ(memory.lightEffect, 10);
  EXPECT_EQ(Now() - start, 20 + 200 + 100 + 133 * 10);
  EXPECT_EQ(ProgressSteps(), (std::vector<int>{20, 50, 80}));
  EXPECT_EQ(Params(*loading_, protocol::WM_PROFILE_SYNC).size(), 1u);
  EXPECT_EQ(ProgressWindows(), 0u);
}

TEST_F(ProfileWriteTest, SingleColourLightingSendsOneColour) {
  MakeCurrent(1);
  EditProfile(1, [](profiles::PROFILE_DATA& p) {
    p.LightInfo.Effect = 4;
    p.LightInfo.Color = Rgb(0x12, 0x34, 0x56);
  });
  const std::uint64_t start = Now();
  PostToAgent(protocol::WM_LIGHT_SYNC, 1);
  EXPECT_EQ(WrittenReports(), (std::vector<Bytes>{{0x0A, 0x03, 1, 0, 0, 0, 0, 0},
                                                  {0x0A, 0x0A, 1, 4, 0, 0, 0, 0},
                                                  {0x0A, 0x0B, 1, 4, 0x12, 0x34, 0x56, 0}}));
  EXPECT_EQ(keyboard_.Memory().modes[1].lightColor, Rgb(0x12, 0x34, 0x56));
  // The mode, the effect and its pause, the colour and its pause.
  EXPECT_EQ(Now() - start, 20 + 200 + 100 + 200 + 200);
}

TEST_F(ProfileWriteTest, WithoutTheKeyboardTheWriteStillEndsAndNotifies) {
  keyboard_.Unplug();
  desktop_.RunUntilIdle();
  keyboard_.ClearTransfers();
  PostToAgent(protocol::WM_SHOW_PROGRESS);
  PostToAgent(protocol::WM_PROFILE_SYNC);
  PostToAgent(protocol::WM_LIGHT_SYNC, 1);
  EXPECT_EQ(Params(*loading_, protocol::WM_PROFILE_SYNC).size(), 2u);
  EXPECT_EQ(ProgressWindows(), 0u);
  for (const HidTransfer& t : keyboard_.Transfers())
    EXPECT_FALSE(t.ok);
}

}  // namespace
}  // namespace kx::core::testing
