// Reset state, range repair, factory profiles and the first start's factory files.
#include <cstring>
#include <memory>

#include "profiles/defaults.h"
#include "profiles/fixed_text.h"
#include "profiles/ini/ini_file.h"
#include "profiles/profile_file.h"
#include "profiles/settings_file.h"
#include "profiles_fixture.h"

namespace kx::profiles::testing {
namespace {

class DefaultsTest : public ProfilesTest {
 protected:
  std::unique_ptr<AGENT_SETTINGS> settings_ = std::make_unique<AGENT_SETTINGS>();
  std::unique_ptr<PROFILE_DATA> profile_ = std::make_unique<PROFILE_DATA>();
};

TEST_F(DefaultsTest, ResetStateBeforeAnyLoad) {
  std::memset(settings_.get(), 0x5A, sizeof(AGENT_SETTINGS));
  ResetSettings(*settings_);
  EXPECT_EQ(settings_->PollingRate, 0);
  EXPECT_EQ(settings_->OSD_Profile, 0);
  EXPECT_EQ(settings_->Language, 101);
  EXPECT_EQ(settings_->Profile, 0);
  EXPECT_EQ(settings_->Modes[5].ProfileID, 5);
  EXPECT_EQ(FixedText(settings_->Modes[5].ProfileName), u"Profile 5");
  EXPECT_EQ(FixedText(settings_->Modes[5].ProfileIconName), u"");
  EXPECT_EQ(settings_->Current.LightInfo.Effect, 0);
  EXPECT_EQ(settings_->Current.LightInfo.EffectLevel, 5);
  EXPECT_EQ(FixedText(settings_->Current.LightData[0].Name), u"DEFAULT");
  EXPECT_EQ(FixedText(settings_->Current.LightData[1].Name), u"NEW");
  EXPECT_EQ(settings_->Current.Keys[7].Kind, 0);
}

TEST_F(DefaultsTest, CheckBringsEachFieldIntoRange) {
  struct Case {
    const char* field;
    void (*set)(AGENT_SETTINGS&);
    int (*get)(const AGENT_SETTINGS&);
    int expected;
  };
  const Case cases[] = {
      {"PollingRate 4", [](AGENT_SETTINGS& s) { s.PollingRate = 4; },
       [](const AGENT_SETTINGS& s) -> int { return s.PollingRate; }, 3},
      {"PollingRate 3", [](AGENT_SETTINGS& s) { s.PollingRate = 3; },
       [](const AGENT_SETTINGS& s) -> int { return s.PollingRate; }, 3},
      {"Language 100", [](AGENT_SETTINGS& s) { s.Language = 100; },
       [](const AGENT_SETTINGS& s) -> int { return s.Language; }, 101},
      {"Language 107", [](AGENT_SETTINGS& s) { s.Language = 107; },
       [](const AGENT_SETTINGS& s) -> int { return s.Language; }, 107},
      {"OSD_Color 3", [](AGENT_SETTINGS& s) { s.OSD_Color = 3; },
       [](const AGENT_SETTINGS& s) -> int { return s.OSD_Color; }, 0},
      {"OSD_Profile 2", [](AGENT_SETTINGS& s) { s.OSD_Profile = 2; },
       [](const AGENT_SETTINGS& s) { return s.OSD_Profile; }, 1},
      {"OSD_Effect -1", [](AGENT_SETTINGS& s) { s.OSD_Effect = -1; },
       [](const AGENT_SETTINGS& s) { return s.OSD_Effect; }, 1},
      {"UI_Autorun 2", [](AGENT_SETTINGS& s) { s.UI_Autorun = 2; },
       [](const AGENT_SETTINGS& s) { return s.UI_Autorun; }, 1},
      {"UI_Autorun 0", [](AGENT_SETTINGS& s) { s.UI_Autorun = 0; },
       [](const AGENT_SETTINGS& s) { return s.UI_Autorun; }, 0},
      {"KeyMode 2", [](AGENT_SETTINGS& s) { s.KeyMode = 2; },
       [](const AGENT_SETTINGS& s) -> int { return s.KeyMode; }, 0},
      {"SyncMode 255", [](AGENT_SETTINGS& s) { s.SyncMode = 255; },
       [](const AGENT_SETTINGS& s) -> int { return s.SyncMode; }, 0},
      {"Profile 6", [](AGENT_SETTINGS& s) { s.Profile = 6; },
       [](const AGENT_SETTINGS& s) -> int { return s.Profile; }, 1},
      {"Profile 5", [](AGENT_SETTINGS& s) { s.Profile = 5; },
       [](const AGENT_SETTINGS& s) -> int { return s.Profile; }, 5},
  };
  for (const Case& c : cases) {
    ResetSettings(*settings_);
    c.set(*settings_);
    CheckSettings(*settings_);
    EXPECT_EQ(c.get(*settings_), c.expected) << c.field;
  }
}

TEST_F(DefaultsTest, FactoryProfilesOfEachMode) {
  struct Case {
    int mode;
    BYTE effect, option;
    COLORREF color;
    std::vector<std::pair<int, COLORREF>> keyColors;  // spot checks of layout 0
  };
  const Case cases[] = {
      {0, 5, 1, 0xFFFFFF, {{0, 0}, {108, 0}}},
      {1, 6, 1, 0x0000FF, {{0, 0}}},
      {2,
       6,
       0,
       0xFF0000,
       {{0, 0xFFFFFF},
        {5, 0x00FF00},
        {105, 0xFFFFFF},
        {106, 0x0000FF},
        {108, 0x0000FF},
        {109, 0},
        {110, 0}}},
      {3,
       6,
       1,
       0x00FF00,
       {{16, 0x00D7FF}, {17, 0xEEE471}, {20, 0xFFFFFF}, {108, 0x00D7FF}, {110, 0}}},
      {4,
       6,
       1,
       0x00FFFF,
       {{3, 0x19668D}, {4, 0x34FF00}, {39, 0xFFFFFF}, {61, 0xFFFFFF}, {94, 0x19668D}, {109, 0}}},
      {5,
       6,
       1,
       0xFF00FF,
       {{1, 0x0066FF},
        {2, 0xFFFFFF},
        {63, 0x0066FF},
        {64, 0},
        {65, 0x0066FF},
        {98, 0xFFFFFF},
        {108, 0x0066FF},
        {109, 0},
        {110, 0}}},
  };
  for (const Case& c : cases) {
    std::memset(profile_.get(), 0x77, sizeof(PROFILE_DATA));
    FactoryProfile(*profile_, true, c.mode);
    const PROFILE_DATA& p = *profile_;
    EXPECT_EQ(p.LightInfo.Effect, c.effect) << c.mode;
    EXPECT_EQ(p.LightInfo.EffectOption, c.option) << c.mode;
    EXPECT_EQ(p.LightInfo.EffectLevel, 5) << c.mode;
    EXPECT_EQ(p.LightInfo.EffectParam, 0) << c.mode;
    EXPECT_EQ(p.LightInfo.Color, c.color) << c.mode;
    for (auto [key, color] : c.keyColors) {
      EXPECT_EQ(p.LightData[0].KeyColor[key], color) << "mode " << c.mode << " key " << key;
    }
    EXPECT_EQ(FixedText(p.LightData[0].Name), u"DEFAULT");
    for (int i = 1; i < LIGHT_DATA_COUNT; ++i) {
      EXPECT_EQ(FixedText(p.LightData[i].Name), u"NEW");
      for (COLORREF color : p.LightData[i].KeyColor)
        EXPECT_EQ(color, 0u);
    }
    for (const BUTTON_INFO& key : p.Keys)
      EXPECT_EQ(key.Kind, 0);
    EXPECT_EQ(FixedText(p.LinkExe[0]), u"");
  }
}

TEST_F(DefaultsTest, RepairWithoutTheFactoryFlagTouchesOnlyWhatIsOutOfRange) {
  FactoryProfile(*profile_, true, 3);
  profile_->LightInfo = LIGHT_INFO{4, 2, 3, 5, {}, 0x123456};
  profile_->LightData[0].KeyColor[0] = 0x010203;
  SetFixedText(profile_->LightData[0].Name, u"Mine");
  FactoryProfile(*profile_, false, 3);
  EXPECT_EQ(profile_->LightInfo.Effect, 4);
  EXPECT_EQ(profile_->LightInfo.Color, 0x123456u);
  EXPECT_EQ(profile_->LightData[0].KeyColor[0], 0x010203u);
  EXPECT_EQ(FixedText(profile_->LightData[0].Name), u"Mine");

  profile_->LightInfo = LIGHT_INFO{11, 3, 0, 6, {}, 0x1000000};
  SetFixedText(profile_->LightData[2].Name, u"");
  FactoryProfile(*profile_, false, 3);
  EXPECT_EQ(profile_->LightInfo.Effect, 6);
  EXPECT_EQ(profile_->LightInfo.EffectOption, 1);
  EXPECT_EQ(profile_->LightInfo.EffectLevel, 5);
  EXPECT_EQ(profile_->LightInfo.EffectParam, 0);
  EXPECT_EQ(profile_->LightInfo.Color, 0x00FF00u);
  EXPECT_EQ(FixedText(profile_->LightData[2].Name), u"NEW");
  // A reset layout stamps the mode's default key colours onto layout 0.
  EXPECT_EQ(FixedText(profile_->LightData[0].Name), u"Mine");
  EXPECT_EQ(profile_->LightData[0].KeyColor[0], 0x00D7FFu);
}

// The start-up order: reset, load, check, load the current profile, then the factory files.
TEST_F(DefaultsTest, FirstStartWritesTheSixFactoryFiles) {
  AGENT_SETTINGS& s = *settings_;
  ResetSettings(s);
  LoadSettings(s);
  CheckSettings(s);
  LoadCurrentProfile(s);
  EXPECT_FALSE(std::filesystem::exists(HostProfiles()));
  EXPECT_EQ(FixedText(s.Current.LightData[0].Name), u"DEFAULT");
  CreateFactoryProfiles(s);
  for (int m = 0; m < MODE_COUNT; ++m) {
    EXPECT_TRUE(std::filesystem::exists(HostProfile("Profile " + std::to_string(m)))) << m;
  }
  BlankProfile(*profile_);
  LoadProfile(u"Profile 2", *profile_);
  auto factory = std::make_unique<PROFILE_DATA>();
  FactoryProfile(*factory, true, 2);
  EXPECT_EQ(std::memcmp(&profile_->LightInfo, &factory->LightInfo, sizeof(LIGHT_INFO)), 0);
  EXPECT_EQ(std::memcmp(profile_->LightData, factory->LightData, sizeof factory->LightData), 0);
  EXPECT_EQ(profile_->LightInfo.Color, 0xFF0000u);
  EXPECT_EQ(profile_->LightData[0].KeyColor[106], 0x0000FFu);
}

TEST_F(DefaultsTest, FactoryFilesAreWrittenOnlyWhenTheCurrentFileIsMissing) {
  ResetSettings(*settings_);
  settings_->Profile = 1;
  MakeProfilesFolder();
  Bytes mine = Utf16Le(u"[GROUP]\r\nCurrentProfileName=Profile 4\r\nLinkExe0=mine.exe\r\n");
  WriteHostFile(HostProfile("Profile 4"), mine);
  CreateFactoryProfiles(*settings_);
  // The current file was missing: the missing files are written, the user's file stays.
  EXPECT_TRUE(std::filesystem::exists(HostProfile("Profile 1")));
  EXPECT_TRUE(std::filesystem::exists(HostProfile("Profile 5")));
  EXPECT_EQ(ReadHostFile(HostProfile("Profile 4")), mine);

  std::filesystem::remove(HostProfile("Profile 0"));
  CreateFactoryProfiles(*settings_);  // the current file exists: nothing happens
  EXPECT_FALSE(std::filesystem::exists(HostProfile("Profile 0")));
}

}  // namespace
}  // namespace kx::profiles::testing
