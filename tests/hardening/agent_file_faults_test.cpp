// File faults while the agent runs: a mode change selected on the keyboard (which saves the
// settings and loads the mode's profile) with a file step failing, or the process dying there,
// at every step in turn. A failure leaves the agent running and following the keyboard; a
// death leaves every file old or new, and the agent starts again on them.
#include <string>

#include "agent_fixture.h"
#include "file_faults.h"
#include "file_state.h"
#include "platform/errors.h"

namespace kx::core::testing {
namespace {

using hardening::Fault;
using hardening::FileState;
using hardening::kFaults;
using hardening::ReadFileState;
using hardening::WriteFileState;

struct ProcessKilled {};

class AgentFileFaultTest : public AgentTest {
 protected:
  std::filesystem::path HostData() { return desktop_.HostAppData() / "Kestrix"; }

  void SelectModeOnKeyboard(BYTE mode) {
    keyboard_.SelectModeOnKeyboard(mode);
    keyboard_.WaitForInputReports();
    desktop_.RunUntilIdle();
  }
  void StopAgent() {
    app_.reset();
    desktop_.RunUntilIdle();
  }

  void ExpectEachFileOldOrNew(const FileState& before, const FileState& after) {
    const FileState now = ReadFileState(HostData());
    EXPECT_EQ(now.size(), before.size());
    for (const auto& [name, bytes] : now) {
      EXPECT_FALSE(bytes.empty()) << name;
      const auto old = before.find(name);
      const auto fresh = after.find(name);
      const bool isOld = old != before.end() && old->second == bytes;
      const bool isNew = fresh != after.end() && fresh->second == bytes;
      EXPECT_TRUE(isOld || isNew) << name << " is neither the old nor the new version";
    }
  }
};

TEST_F(AgentFileFaultTest, AModeChangeSurvivesAFileFaultAtEveryStep) {
  keyboard_.Plug();
  StartAgent();  // the first start writes the settings and factory profiles
  StopAgent();
  const FileState before = ReadFileState(HostData());

  // The mode change without faults: the files it leaves and the file steps it takes.
  StartAgent();
  int steps = 0;
  desktop_.Files().SetFaultHook([&](sim::FileStep, std::u16string_view) -> DWORD {
    ++steps;
    return 0;
  });
  SelectModeOnKeyboard(4);
  desktop_.Files().SetFaultHook(nullptr);
  ASSERT_EQ(Settings().Profile, 4);
  StopAgent();
  const FileState after = ReadFileState(HostData());
  ASSERT_TRUE(before != after);
  ASSERT_GT(steps, 2);
  RecordProperty("file_steps_of_a_mode_change", steps);

  for (const Fault& fault : kFaults) {
    for (int failAt = 1; failAt <= steps; ++failAt) {
      SCOPED_TRACE(std::string(fault.name) + " at step " + std::to_string(failAt));
      WriteFileState(HostData(), before);
      StartAgent();
      const HWND agent = AgentWindow();
      int step = 0;
      desktop_.Files().SetFaultHook([&](sim::FileStep, std::u16string_view) -> DWORD {
        if (++step != failAt) return 0;
        if (fault.error == 0) throw ProcessKilled{};
        return fault.error;
      });
      bool killed = false;
      try {
        SelectModeOnKeyboard(4);
      } catch (const ProcessKilled&) {
        killed = true;
      }
      desktop_.Files().SetFaultHook(nullptr);
      EXPECT_EQ(killed, fault.error == 0);

      if (killed) {
        // What the system leaves of a process that died: its files, nothing else.
        StopAgent();
        ExpectEachFileOldOrNew(before, after);
        StartAgent();
        ASSERT_NE(AgentWindow(), nullptr);
        EXPECT_TRUE(Settings().Profile == 0 || Settings().Profile == 4);
      } else {
        EXPECT_EQ(AgentWindow(), agent);
        ExpectEachFileOldOrNew(before, after);
      }
      // Either way the agent follows the keyboard on.
      SelectModeOnKeyboard(2);
      EXPECT_EQ(Settings().Profile, 2);
      EXPECT_EQ(ReadSetting(u"Profile"), 2);
      StopAgent();
    }
  }
}

}  // namespace
}  // namespace kx::core::testing
