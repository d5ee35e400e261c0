// The keyboard failing during a profile write: a write or read refused at every step in turn,
// and the keyboard pulled out in the middle. The agent finishes the request (the progress
// window goes, "DLGLoading" hears of the end), keeps running, changes no file, and the next
// write leaves the keyboard holding exactly the profile.
#include <string>

#include "agent_fixture.h"
#include "file_state.h"

namespace kx::core::testing {
namespace {

using hardening::FileState;
using hardening::ReadFileState;

class DeviceFaultTest : public AgentTest {
 protected:
  void SetUp() override {
    keyboard_.Plug();
    StartAgent();
    loading_ = &companions_.OpenWindow(protocol::kLoadingTitle);
    Agent().ApplyProfile(kMode, false);
    // Keys of every kind, two of them macros, so the write has every kind of chunk run.
    EditProfile(kMode, [](profiles::PROFILE_DATA& p) {
      p.Keys[0].Kind = profiles::KIND_DISABLED;
      p.Keys[1].Kind = profiles::KIND_FUNCTION;
      p.Keys[1].Function = 260;
      for (BYTE* data : {p.Keys[2].MacroData, p.GKeys[1].MacroData}) {
        for (int i = 0; i < 240; ++i)
          data[i] = static_cast<BYTE>(i * 7 + 1);
      }
      p.Keys[2].Kind = p.GKeys[1].Kind = profiles::KIND_FUNCTION;
      p.Keys[2].Function = 900;
      p.GKeys[1].Function = 901;
    });
    desktop_.RunUntilIdle();
    // The keyboard as a write leaves it, and what the write takes.
    WriteProfile();
    want_ = keyboard_.Memory().modes[kMode];
    writesPerRun_ = keyboard_.Writes().size();
    files_ = HostFiles();
  }

  // Another program asks for the current profile on the keyboard, as the configuration
  // program does.
  void WriteProfile() {
    keyboard_.ClearTransfers();
    PostToAgent(protocol::WM_SHOW_PROGRESS);
    PostToAgent(protocol::WM_PROFILE_SYNC, 0, 0);
  }

  FileState HostFiles() { return ReadFileState(desktop_.HostAppData() / "Kestrix"); }

  // What must hold after a write that went wrong: the request was finished, the agent runs,
  // the files are as they were, and a write without faults puts the whole profile on the
  // keyboard.
  void ExpectRecovered(std::size_t loadingNoticesBefore) {
    EXPECT_EQ(AgentWindow(), agentWindow_);
    EXPECT_EQ(ProgressWindows(), 0u);
    EXPECT_EQ(loading_->ReceivedOf(protocol::WM_PROFILE_SYNC).size(), loadingNoticesBefore + 1);
    EXPECT_TRUE(HostFiles() == files_) << "a profile write changed a file";

    keyboard_.FailNth(HidTransfer::Kind::kWrite, 0);
    keyboard_.FailNth(HidTransfer::Kind::kRead, 0);
    keyboard_.FailTransfersWhen(nullptr);
    WriteProfile();
    const sim::KeyboardMemory memory = keyboard_.Memory();  // a snapshot
    EXPECT_EQ(memory.modes[kMode].keyMatrix, want_.keyMatrix);
    EXPECT_EQ(memory.modes[kMode].macros, want_.macros);
    EXPECT_EQ(memory.mode, kMode);
  }

  static constexpr BYTE kMode = 3;
  sim::RecordingWindow* loading_ = nullptr;
  HWND agentWindow_ = nullptr;
  sim::ModeMemory want_;
  std::size_t writesPerRun_ = 0;
  FileState files_;
};

TEST_F(DeviceFaultTest, AWriteRefusedAtAnyStepIsFinishedAndRepairedByTheNextWrite) {
  agentWindow_ = AgentWindow();
  ASSERT_GT(writesPerRun_, 2 * 42u + 24u);  // two macro runs and the key matrix, at least
  RecordProperty("writes_per_profile_write", static_cast<int>(writesPerRun_));
  for (std::size_t n = 1; n <= writesPerRun_; ++n) {
    SCOPED_TRACE("write " + std::to_string(n) + " of " + std::to_string(writesPerRun_));
    const std::size_t notices = loading_->ReceivedOf(protocol::WM_PROFILE_SYNC).size();
    keyboard_.FailNth(HidTransfer::Kind::kWrite, n);
    WriteProfile();
    const auto writes = keyboard_.Writes();
    ASSERT_EQ(writes.size(), writesPerRun_);  // the write went on to its end
    EXPECT_FALSE(writes[n - 1].ok);
    ExpectRecovered(notices);
  }
}

TEST_F(DeviceFaultTest, AKeyboardPulledOutMidWriteIsFinishedAndWritableOnceBack) {
  agentWindow_ = AgentWindow();
  for (std::size_t n = 1; n <= writesPerRun_; n += 7) {
    SCOPED_TRACE("pulled out at write " + std::to_string(n));
    const std::size_t notices = loading_->ReceivedOf(protocol::WM_PROFILE_SYNC).size();
    // From write n on the keyboard is gone; its removal reaches the agent once the write's
    // handler has returned, as the system delivers it.
    std::size_t seen = 0;
    keyboard_.FailTransfersWhen([&](const HidTransfer&) { return ++seen >= n; });
    WriteProfile();
    keyboard_.FailTransfersWhen(nullptr);
    keyboard_.Unplug();
    desktop_.RunUntilIdle();
    EXPECT_EQ(AgentWindow(), agentWindow_);
    EXPECT_EQ(ProgressWindows(), 0u);
    // A write while it is away fails quietly, and is finished too.
    WriteProfile();
    EXPECT_EQ(ProgressWindows(), 0u);
    PlugKeyboard();
    ExpectRecovered(notices + 1);
  }
}

TEST_F(DeviceFaultTest, ReadsAndWritesRefusedDuringAnArrivalLeaveAWorkingLink) {
  agentWindow_ = AgentWindow();
  keyboard_.Unplug();
  desktop_.RunUntilIdle();
  keyboard_.ClearTransfers();
  PlugKeyboard();
  const std::size_t reads = keyboard_.Reads().size();
  const std::size_t writes = keyboard_.Writes().size();
  ASSERT_GT(reads, 0u);
  RecordProperty("arrival_reads", static_cast<int>(reads));
  RecordProperty("arrival_writes", static_cast<int>(writes));
  for (const auto kind : {HidTransfer::Kind::kRead, HidTransfer::Kind::kWrite}) {
    const std::size_t count = kind == HidTransfer::Kind::kRead ? reads : writes;
    for (std::size_t n = 1; n <= count; ++n) {
      SCOPED_TRACE(std::string(kind == HidTransfer::Kind::kRead ? "read " : "write ") +
                   std::to_string(n));
      keyboard_.Unplug();
      desktop_.RunUntilIdle();
      keyboard_.FailNth(kind, n);
      PlugKeyboard();
      files_ = HostFiles();  // an arrival writes the presence and version: not compared
      const std::size_t notices = loading_->ReceivedOf(protocol::WM_PROFILE_SYNC).size();
      WriteProfile();
      ExpectRecovered(notices);
    }
  }
}

}  // namespace
}  // namespace kx::core::testing
