// File faults during every write of the settings and profile files: a step of the file work
// failing (disk full, access denied, a write fault) or the process dying there, at every step
// in turn. Afterwards each file is its old or its new version, byte for byte, never a mix and
// never empty; a save that says it worked has written the new version; and the next save
// after a failure works.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "file_faults.h"
#include "file_state.h"
#include "platform/errors.h"
#include "platform/sim/desktop.h"
#include "platform/sim/temp_folder.h"
#include "platform/text_util.h"
#include "profiles/defaults.h"
#include "profiles/fixed_text.h"
#include "profiles/folders.h"
#include "profiles/profile_file.h"
#include "profiles/records.h"
#include "profiles/settings_file.h"

namespace kx::hardening {
namespace {

using profiles::AGENT_SETTINGS;
using profiles::FixedText;
using profiles::PROFILE_DATA;
using profiles::SetFixedText;
using sim::FileStep;

// Thrown by the fault hook: the process dies at that step, nothing after it runs.
struct ProcessKilled {};

using testsupport::Utf16Le;

// A settings file as the configuration program leaves it: its own sections around ours.
const std::u16string kOldConfig =
    u"[Setting]\r\nProfile=1\r\nKeyMode=0\r\nPollingRate=3\r\nLanguage=102\r\nOSD_Color=1\r\n"
    u"OSD_Profile=1\r\nOSD_Effect=1\r\nUI_Autorun=1\r\nSyncMode=0\r\nFWVersion=1.2\r\nPlug=1\r\n"
    u"[MyXlistNumber]\r\nTotalListNumber=6\r\n[ProfileData]\r\nMode_1=0\r\nMode_2=1\r\n"
    u"Mode_3=2\r\nMode_4=3\r\nMode_5=4\r\nMode_6=5\r\n[MyXlistIconInfo1]\r\nProfileID=1\r\n"
    u"ProfileName=Profile 1\r\nProfileIconName=icon1\r\nProfileColor=255\r\n[Window]\r\nX=10\r\n";

class FileFaultTest : public ::testing::Test {
 protected:
  FileFaultTest() {
    profiles::InitAppDir();
    profiles::InitDataDir();
  }

  std::filesystem::path HostData() const { return desktop_.HostAppData() / "Kestrix"; }

  // One write of the agent's: how to lay out the files before it, and the write itself
  // (true when it reports success; writes that report nothing give true).
  struct Operation {
    const char* name;
    std::function<void()> prepare;
    std::function<bool()> run;
    bool reportsResult;  // a save that says whether it worked; running it again completes it
  };

  // Runs the operation with the fault at every step in turn until a run passes every step
  // unharmed, checking the files after each run.
  void InjectEverywhere(const Operation& op, const Fault& fault) {
    SCOPED_TRACE(std::string(op.name) + ", " + fault.name);
    op.prepare();
    const FileState before = ReadFileState(HostData());
    ASSERT_TRUE(op.run());
    const FileState after = ReadFileState(HostData());
    ASSERT_TRUE(before != after) << "the operation writes nothing";

    for (int failAt = 1;; ++failAt) {
      SCOPED_TRACE("fault at step " + std::to_string(failAt));
      op.prepare();
      int step = 0;
      desktop_.Files().SetFaultHook([&](FileStep, std::u16string_view) -> DWORD {
        if (++step != failAt) return 0;
        if (fault.error == 0) throw ProcessKilled{};
        return fault.error;
      });
      bool reported = false;
      bool killed = false;
      try {
        reported = op.run();
      } catch (const ProcessKilled&) {
        killed = true;
      }
      desktop_.Files().SetFaultHook(nullptr);
      const bool reached = step >= failAt;
      ++stepsInjected_;

      const FileState now = ReadFileState(HostData());
      ExpectEachFileOldOrNew(before, after, now);
      if (op.reportsResult) {
        if (!killed && reported) {
          EXPECT_TRUE(now == after) << "success reported for a failed write";
        }
        EXPECT_TRUE(op.run());
        EXPECT_TRUE(ReadFileState(HostData()) == after) << "the next save after the failure";
      }
      if (!reached) break;  // the whole operation ran without meeting the fault
    }
  }

  void ExpectEachFileOldOrNew(const FileState& before, const FileState& after,
                              const FileState& now) {
    std::set<std::string> names;
    for (const FileState* s : {&before, &after, &now}) {
      for (const auto& [name, bytes] : *s)
        names.insert(name);
    }
    for (const std::string& name : names) {
      ++filesChecked_;
      const auto old = before.find(name);
      const auto fresh = after.find(name);
      const auto current = now.find(name);
      if (current == now.end()) {
        EXPECT_TRUE(old == before.end()) << name << " was lost";
        continue;
      }
      EXPECT_FALSE(current->second.empty()) << name << " is empty";
      const bool isOld = old != before.end() && old->second == current->second;
      const bool isNew = fresh != after.end() && fresh->second == current->second;
      EXPECT_TRUE(isOld || isNew) << name << " is neither the old nor the new version";
    }
  }

  void WriteConfig(std::u16string_view text) {
    WriteHostFile(HostData() / "config.ini", Utf16Le(text));
  }

  sim::TempFolder folder_;
  sim::Desktop desktop_{sim::DesktopOptions{folder_.Path()}};
  std::unique_ptr<AGENT_SETTINGS> settings_ = std::make_unique<AGENT_SETTINGS>();
  std::unique_ptr<PROFILE_DATA> profile_ = std::make_unique<PROFILE_DATA>();
  int stepsInjected_ = 0;
  int filesChecked_ = 0;
};

// A profile with something in every stored part.
void FillProfile(PROFILE_DATA& p, int seed) {
  profiles::FactoryProfile(p, true, 1 + seed % 5);
  SetFixedText(p.LinkExe[0], u"C:\\Games\\game" + Widen(std::to_string(seed)) + u".exe");
  p.Keys[7].Kind = profiles::KIND_FUNCTION;
  p.Keys[7].Function = 600 + seed;
  SetFixedText(p.Keys[7].ProgramPath, u"C:\\Tools\\run.exe");
  p.GKeys[2].MacroData[0] = static_cast<BYTE>(seed);
  p.LightInfo.Color = 0x102030u * static_cast<COLORREF>(seed);
}

TEST_F(FileFaultTest, EveryFileIsOldOrNewWhateverStepFails) {
  const std::filesystem::path profiles = HostData() / "Profiles";
  auto reset = [&](const FileState& files) {
    WriteFileState(HostData(), files);
    std::filesystem::create_directories(profiles);
  };
  FileState oldFiles;
  oldFiles["config.ini"] = Utf16Le(kOldConfig);
  {
    // An existing profile file, as the agent saved it earlier.
    reset({});
    FillProfile(*profile_, 1);
    ASSERT_TRUE(profiles::SaveProfile(u"Profile 1", *profile_));
    oldFiles["Profiles/Profile 1.ini"] = ReadHostFile(profiles / "Profile 1.ini");
  }

  const Operation operations[] = {
      {"settings save", [&] { reset(oldFiles); },
       [&] {
         profiles::ResetSettings(*settings_);
         settings_->Profile = 4;
         settings_->PollingRate = 1;
         settings_->OSD_Color = 2;
         return profiles::SaveSettings(*settings_);
       },
       true},
      {"profile save", [&] { reset(oldFiles); },
       [&] {
         FillProfile(*profile_, 2);
         return profiles::SaveProfile(u"Profile 1", *profile_);
       },
       true},
      {"new profile file", [&] { reset(oldFiles); },
       [&] {
         FillProfile(*profile_, 3);
         return profiles::SaveProfile(u"Fresh", *profile_);
       },
       true},
      {"firmware version", [&] { reset(oldFiles); },
       [&] { return profiles::WriteFirmwareVersion(u"3.4"); }, true},
      {"device presence", [&] { reset(oldFiles); },
       [&] { return profiles::WriteDevicePresence(0); }, true},
      {"first start", [&] { reset({}); },
       [&] {
         profiles::ResetSettings(*settings_);
         profiles::LoadSettings(*settings_);
         return true;
       },
       false},
      {"profile load names its file",
       [&] {
         reset(oldFiles);
         WriteHostFile(profiles / "Profile 1.ini", Utf16Le(u"[GROUP]\r\nLinkExe0=a.exe\r\n"));
       },
       [&] {
         profiles::ResetSettings(*settings_);
         settings_->Profile = 1;
         profiles::LoadCurrentProfile(*settings_);
         return true;
       },
       false},
      {"factory profiles",
       [&] {
         // Modes 3 (the current one) and 5 have no file yet.
         reset(oldFiles);
         for (const char* other : {"Profile 0.ini", "Profile 2.ini", "Profile 4.ini"})
           WriteHostFile(profiles / other, Utf16Le(u"[GROUP]\r\n"));
       },
       [&] {
         profiles::ResetSettings(*settings_);
         settings_->Profile = 3;
         profiles::CreateFactoryProfiles(*settings_);
         return true;
       },
       false},
  };
  for (const Operation& op : operations) {
    for (const Fault& fault : kFaults)
      InjectEverywhere(op, fault);
  }
  // Every operation has several steps, each met by every fault.
  EXPECT_GT(stepsInjected_, 200);
  RecordProperty("steps_injected", stepsInjected_);
  RecordProperty("files_checked", filesChecked_);
}

TEST_F(FileFaultTest, AReadOnlyFolderRefusesSavesAndLosesNothing) {
  std::filesystem::create_directories(HostData() / "Profiles");
  WriteConfig(kOldConfig);
  FillProfile(*profile_, 1);
  ASSERT_TRUE(profiles::SaveProfile(u"Profile 1", *profile_));
  const FileState before = ReadFileState(HostData());

  desktop_.Files().SetReadOnly(profiles::g_szDataDir, true);
  profiles::ResetSettings(*settings_);
  profiles::LoadSettings(*settings_);
  EXPECT_EQ(FixedText(settings_->Modes[1].ProfileIconName), u"icon1");
  settings_->Profile = 5;
  EXPECT_FALSE(profiles::SaveSettings(*settings_));
  FillProfile(*profile_, 2);
  EXPECT_FALSE(profiles::SaveProfile(u"Profile 1", *profile_));
  EXPECT_FALSE(profiles::SaveProfile(u"New", *profile_));
  EXPECT_FALSE(profiles::WriteDevicePresence(0));
  settings_->Profile = 1;
  profiles::LoadCurrentProfile(*settings_);
  EXPECT_EQ(settings_->Current.LightInfo.Color, 0x102030u);  // read, though not writable
  EXPECT_TRUE(ReadFileState(HostData()) == before);

  desktop_.Files().SetReadOnly(profiles::g_szDataDir, false);
  EXPECT_TRUE(profiles::SaveSettings(*settings_));
  EXPECT_TRUE(profiles::SaveProfile(u"Profile 1", *profile_));
}

TEST_F(FileFaultTest, AFolderWhereAFileShouldBeIsLeftAlone) {
  // config.ini and a profile file are folders (with something inside).
  std::filesystem::create_directories(HostData() / "config.ini" / "inside");
  std::filesystem::create_directories(HostData() / "Profiles" / "Profile 1.ini");
  WriteHostFile(HostData() / "config.ini" / "inside" / "keep.txt", {'k'});

  profiles::ResetSettings(*settings_);
  profiles::LoadSettings(*settings_);
  profiles::CheckSettings(*settings_);
  EXPECT_EQ(settings_->Profile, 0);  // the defaults
  EXPECT_EQ(FixedText(settings_->Modes[1].ProfileName), u"Profile 1");
  settings_->Profile = 1;
  EXPECT_FALSE(profiles::SaveSettings(*settings_));
  EXPECT_FALSE(profiles::WriteFirmwareVersion(u"1.0"));

  profiles::LoadCurrentProfile(*settings_);
  EXPECT_EQ(FixedText(settings_->Current.LightData[0].Name), u"DEFAULT");  // a blank profile
  FillProfile(*profile_, 1);
  EXPECT_FALSE(profiles::SaveProfile(u"Profile 1", *profile_));
  profiles::CreateFactoryProfiles(*settings_);

  EXPECT_TRUE(std::filesystem::is_directory(HostData() / "config.ini"));
  EXPECT_EQ(ReadHostFile(HostData() / "config.ini" / "inside" / "keep.txt"), Bytes{'k'});
  EXPECT_TRUE(std::filesystem::is_directory(HostData() / "Profiles" / "Profile 1.ini"));
}

}  // namespace
}  // namespace kx::hardening
