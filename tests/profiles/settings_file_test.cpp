// The settings file: first start, loading, saving, device presence.
#include <memory>

#include "profiles/defaults.h"
#include "profiles/fixed_text.h"
#include "profiles/ini/ini_file.h"
#include "profiles/settings_file.h"
#include "profiles_fixture.h"

namespace kx::profiles::testing {
namespace {

class SettingsFileTest : public ProfilesTest {
 protected:
  AGENT_SETTINGS& Loaded() {
    ResetSettings(*settings_);
    LoadSettings(*settings_);
    return *settings_;
  }
  void WriteConfig(std::u16string_view text) { WriteHostFile(HostConfig(), Utf16Le(text)); }
  IniFile Config() const { return IniFile(SettingsFilePath()); }

  std::unique_ptr<AGENT_SETTINGS> settings_ = std::make_unique<AGENT_SETTINGS>();
};

// What the first start's writes leave, in their order.
std::u16string FirstStartConfig() {
  std::u16string modes;
  std::u16string entries;
  for (int i = 0; i < MODE_COUNT; ++i) {
    std::u16string n = Widen(std::to_string(i));
    modes += u"Mode_" + Widen(std::to_string(i + 1)) + u"=" + n + u"\r\n";
  }
  std::u16string text = u"[MyXlistNumber]\r\nTotalListNumber=6\r\n[ProfileData]\r\n" + modes;
  for (int i = 0; i < MODE_COUNT; ++i) {
    std::u16string n = Widen(std::to_string(i));
    text += u"[MyXlistIconInfo" + n + u"]\r\nProfileID=" + n + u"\r\nProfileName=Profile " + n +
            u"\r\nProfileIconName=\r\nProfileColor=0\r\n";
  }
  return text;
}

TEST_F(SettingsFileTest, FirstStartCreatesTheListAndTheModeAssignments) {
  AGENT_SETTINGS& s = Loaded();
  EXPECT_EQ(ReadHostFile(HostConfig()), Utf16Le(FirstStartConfig()));
  for (int i = 0; i < MODE_COUNT; ++i) {
    EXPECT_EQ(s.Modes[i].ProfileID, i);
    EXPECT_EQ(FixedText(s.Modes[i].ProfileName), u"Profile " + Widen(std::to_string(i)));
  }
  // The profiles folder does not exist yet, so no profile file was written.
  EXPECT_FALSE(std::filesystem::exists(HostProfiles()));
  // Missing keys give the file's defaults; the range check then fixes Language.
  EXPECT_EQ(s.PollingRate, 3);
  EXPECT_EQ(s.OSD_Profile, 1);
  EXPECT_EQ(s.OSD_Effect, 1);
  EXPECT_EQ(s.UI_Autorun, 1);
  EXPECT_EQ(s.Language, 0);
  CheckSettings(s);
  EXPECT_EQ(s.Language, 101);
}

TEST_F(SettingsFileTest, FirstStartNamesEachNewProfileFileWhenTheFolderExists) {
  MakeProfilesFolder();
  Loaded();
  for (int i = 0; i < MODE_COUNT; ++i) {
    std::string name = "Profile " + std::to_string(i);
    EXPECT_EQ(ReadHostFile(HostProfile(name)),
              Utf16Le(u"[GROUP]\r\nCurrentProfileName=" + FromUtf8(name) + u"\r\n"));
  }
  // A second start finds everything in place and writes nothing.
  auto before = std::filesystem::last_write_time(HostConfig());
  Bytes content = ReadHostFile(HostConfig());
  Loaded();
  EXPECT_EQ(ReadHostFile(HostConfig()), content);
  EXPECT_EQ(std::filesystem::last_write_time(HostConfig()), before);
}

TEST_F(SettingsFileTest, ValuesAreStoredIntoTheirFieldsWidths) {
  WriteConfig(
      u"[Setting]\r\nProfile=261\r\nPlug=1\r\nLanguage=103\r\nOSD_Effect=-1\r\nUI_Autorun=2\r\n"
      u"PollingRate=0x2\r\nSyncMode=1\r\n"
      u"[MyXlistNumber]\r\nTotalListNumber=9\r\n");
  AGENT_SETTINGS& s = Loaded();
  EXPECT_EQ(s.Profile, 5);  // 261 keeps its low 8 bits
  EXPECT_EQ(s.Plug, 1);
  EXPECT_EQ(s.Language, 103);
  EXPECT_EQ(s.PollingRate, 2);
  EXPECT_EQ(s.SyncMode, 1);
  EXPECT_EQ(s.OSD_Effect, -1);  // not repaired while loading
  EXPECT_EQ(Config().ReadInt(u"MyXlistNumber", u"TotalListNumber", 0), 9u);  // 9 is kept

  WriteConfig(u"[Setting]\r\nProfile=262\r\n[MyXlistNumber]\r\nTotalListNumber=3\r\n");
  Loaded();
  EXPECT_EQ(settings_->Profile, 6);
  CheckSettings(*settings_);
  EXPECT_EQ(settings_->Profile, 1);
  EXPECT_EQ(Config().ReadInt(u"MyXlistNumber", u"TotalListNumber", 0), 6u);
}

TEST_F(SettingsFileTest, ModesReadTheEntriesTheyAreAssigned) {
  std::u16string longName(300, u'L');
  WriteConfig(
      u"[ProfileData]\r\nMode_1=0\r\nMode_2=7\r\nMode_3=2\r\nMode_4=3\r\nMode_5=4\r\n"
      u"Mode_6=2\r\n"
      u"[MyXlistIconInfo0]\r\nProfileID=99\r\nProfileName=Games\r\n"
      u"ProfileIconName=pad.ico\r\nProfileColor=-5\r\n"
      u"[MyXlistIconInfo7]\r\nProfileIconName=x\r\n"
      u"[MyXlistIconInfo2]\r\nProfileName=" +
      longName + u"\r\n");
  AGENT_SETTINGS& s = Loaded();
  EXPECT_EQ(s.Modes[0].ProfileID, 0);  // the entry's index, not its ProfileID key
  EXPECT_EQ(FixedText(s.Modes[0].ProfileName), u"Games");
  EXPECT_EQ(FixedText(s.Modes[0].ProfileIconName), u"pad.ico");
  EXPECT_EQ(s.Modes[0].ProfileColor, -5);
  EXPECT_EQ(s.Modes[1].ProfileID, 7);
  EXPECT_EQ(FixedText(s.Modes[1].ProfileName), u"");
  EXPECT_EQ(FixedText(s.Modes[2].ProfileName), longName.substr(0, 259));  // cut to fit
  EXPECT_EQ(FixedText(s.Modes[5].ProfileName), FixedText(s.Modes[2].ProfileName));
}

TEST_F(SettingsFileTest, AnExistingListEntryIsNotOverwrittenForAModeWithoutAssignment) {
  WriteConfig(u"[MyXlistIconInfo1]\r\nProfileID=1\r\nProfileName=Racing\r\nProfileColor=4\r\n");
  AGENT_SETTINGS& s = Loaded();
  EXPECT_EQ(FixedText(s.Modes[1].ProfileName), u"Racing");
  EXPECT_EQ(s.Modes[1].ProfileColor, 4);
  EXPECT_EQ(Config().ReadText(u"MyXlistIconInfo1", u"ProfileName", u""), u"Racing");
  EXPECT_EQ(Config().ReadInt(u"ProfileData", u"Mode_2", -1), 1u);
  EXPECT_EQ(FixedText(s.Modes[0].ProfileName), u"Profile 0");
}

TEST_F(SettingsFileTest, SaveWritesTheNineSettingsAndNothingElse) {
  WriteConfig(u"[Setting]\r\nPlug=1\r\nFWVersion=12\r\nOSD_Color=2\r\n[Other]\r\nx=1\r\n");
  AGENT_SETTINGS& s = Loaded();
  CheckSettings(s);
  Bytes afterLoad = ReadHostFile(HostConfig());
  s.Profile = 4;
  s.Plug = 0;
  s.OSD_Profile = 0;
  EXPECT_TRUE(SaveSettings(s));
  std::u16string text = FirstStartConfig();
  EXPECT_EQ(ReadHostFile(HostConfig()),
            Utf16Le(u"[Setting]\r\nPlug=1\r\nFWVersion=12\r\nOSD_Color=2\r\nProfile=4\r\n"
                    u"KeyMode=0\r\nPollingRate=3\r\nLanguage=101\r\nOSD_Profile=0\r\n"
                    u"OSD_Effect=1\r\nUI_Autorun=1\r\nSyncMode=0\r\n[Other]\r\nx=1\r\n" +
                    text));
  EXPECT_NE(afterLoad, ReadHostFile(HostConfig()));
}

TEST_F(SettingsFileTest, DevicePresenceAndFirmwareVersion) {
  EXPECT_TRUE(WriteDevicePresence(1));
  EXPECT_TRUE(WriteFirmwareVersion(u"105"));
  EXPECT_EQ(Config().ReadInt(u"Setting", u"Plug", -1), 1u);
  EXPECT_EQ(Config().ReadText(u"Setting", u"FWVersion", u"-"), u"105");
  EXPECT_TRUE(WriteFirmwareVersion(u" "));  // leading spaces are dropped, as the platform does
  EXPECT_EQ(Config().ReadText(u"Setting", u"FWVersion", u"-"), u"");
  EXPECT_EQ(ReadHostFile(HostConfig()), Utf16Le(u"[Setting]\r\nPlug=1\r\nFWVersion=\r\n"));
}

TEST_F(SettingsFileTest, WithoutADataFolderNothingIsWrittenAndDefaultsApply) {
  std::filesystem::remove_all(HostData());
  AGENT_SETTINGS& s = Loaded();
  EXPECT_EQ(s.PollingRate, 3);
  EXPECT_EQ(FixedText(s.Modes[3].ProfileName), u"Profile 3");
  EXPECT_FALSE(SaveSettings(s));
  EXPECT_FALSE(WriteDevicePresence(0));
  EXPECT_FALSE(std::filesystem::exists(HostData()));
}

}  // namespace
}  // namespace kx::profiles::testing
