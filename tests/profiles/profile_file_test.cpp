// Profile files: save and load, damaged values, repair on load, the repeat delay.
#include <cstring>
#include <memory>

#include "profiles/defaults.h"
#include "profiles/fixed_text.h"
#include "profiles/ini/ini_file.h"
#include "profiles/profile_file.h"
#include "profiles/record_bytes.h"
#include "profiles/settings_file.h"
#include "profiles_fixture.h"

namespace kx::profiles::testing {
namespace {

class ProfileFileTest : public ProfilesTest {
 protected:
  ProfileFileTest() { MakeProfilesFolder(); }

  // Every stored byte different, reserved bytes included.
  static void FillPattern(PROFILE_DATA& p) {
    std::uint8_t seed = 1;
    auto next = [&] { return seed = static_cast<std::uint8_t>(seed * 73 + 41); };
    std::array<std::uint8_t, BUTTON_INFO_SIZE> button{};
    for (BUTTON_INFO* keys : {p.Keys, p.GKeys}) {
      int count = keys == p.Keys ? KEY_COUNT : G_KEY_COUNT;
      for (int i = 0; i < count; ++i) {
        for (auto& b : button)
          b = next();
        DecodeRecord(button, keys[i]);
      }
    }
    std::array<std::uint8_t, LIGHT_DATA_SIZE> layout{};
    for (LIGHT_DATA& d : p.LightData) {
      for (auto& b : layout)
        b = next();
      DecodeRecord(layout, d);
      d.Name[0] = u'N';  // named, so a load keeps it as stored
    }
    std::array<std::uint8_t, LIGHT_INFO_SIZE> light{3, 1, 2, 4, 0xAA, 0xBB, 0xCC, 0xDD, 1, 2, 3, 0};
    DecodeRecord(light, p.LightInfo);
    for (int i = 0; i < LINK_EXE_COUNT; ++i) {
      SetFixedText(p.LinkExe[i],
                   i == 2 ? u"" : u"C:\\Games\\g\u00E9" + Widen(std::to_string(i)) + u".exe");
    }
    p.RepeatDelayStep = 2;
  }

  static void ExpectSameStoredBytes(const PROFILE_DATA& a, const PROFILE_DATA& b) {
    EXPECT_EQ(std::memcmp(a.LinkExe, b.LinkExe, sizeof a.LinkExe), 0);
    EXPECT_EQ(std::memcmp(a.Keys, b.Keys, sizeof a.Keys), 0);
    EXPECT_EQ(std::memcmp(a.GKeys, b.GKeys, sizeof a.GKeys), 0);
    EXPECT_EQ(std::memcmp(&a.LightInfo, &b.LightInfo, sizeof a.LightInfo), 0);
    EXPECT_EQ(std::memcmp(a.LightData, b.LightData, sizeof a.LightData), 0);
  }

  // The current mode's profile is "P"; its file is written by SaveProfile of source.
  AGENT_SETTINGS& Current(const PROFILE_DATA* source) {
    ResetSettings(*settings_);
    settings_->Profile = 2;
    SetFixedText(settings_->Modes[2].ProfileName, u"P");
    if (source != nullptr) SaveProfile(u"P", *source);
    LoadCurrentProfile(*settings_);
    return *settings_;
  }

  void StoreStruct(std::u16string_view key, std::span<const std::uint8_t> bytes) {
    IniFile(ProfileFilePath(u"P")).WriteStruct(kProfileSection, key, bytes);
  }

  std::unique_ptr<PROFILE_DATA> source_ = std::make_unique<PROFILE_DATA>();
  std::unique_ptr<PROFILE_DATA> loaded_ = std::make_unique<PROFILE_DATA>();
  std::unique_ptr<AGENT_SETTINGS> settings_ = std::make_unique<AGENT_SETTINGS>();
};

TEST_F(ProfileFileTest, SaveThenLoadGivesBackEveryStoredByte) {
  FillPattern(*source_);
  EXPECT_TRUE(SaveProfile(u"Full", *source_));
  BlankProfile(*loaded_);
  LoadProfile(u"Full", *loaded_);
  ExpectSameStoredBytes(*source_, *loaded_);
  EXPECT_EQ(loaded_->RepeatDelayStep, 0);
  EXPECT_EQ(IniFile(ProfileFilePath(u"Full")).ReadText(kProfileSection, u"CurrentProfileName", u""),
            u"Full");
  // A second save of the same data leaves the file as it is.
  auto stamp = std::filesystem::last_write_time(HostProfile("Full"));
  EXPECT_TRUE(SaveProfile(u"Full", *source_));
  EXPECT_EQ(std::filesystem::last_write_time(HostProfile("Full")), stamp);
}

TEST_F(ProfileFileTest, OneDamagedStructIsSkippedAlone) {
  FillPattern(*source_);
  SaveProfile(u"P", *source_);
  // One hex digit of part 3 changed.
  IniEdit edit(ProfileFilePath(u"P"));
  auto stored = edit.Document().FindValue(kProfileSection, u"BUTTON_INFO_PART3");
  ASSERT_TRUE(stored);
  ASSERT_EQ(stored->size(), 13920u * 2 + 2);
  std::u16string damaged(*stored);
  damaged[100] = damaged[100] == u'0' ? u'1' : u'0';
  edit.WriteText(kProfileSection, u"BUTTON_INFO_PART3", damaged);
  ASSERT_TRUE(edit.Commit());

  BlankProfile(*loaded_);
  LoadProfile(u"P", *loaded_);
  for (int i = 0; i < KEY_COUNT; ++i) {
    bool damagedPart = i >= 20 && i < 30;
    const BUTTON_INFO& expected = damagedPart ? BUTTON_INFO{} : source_->Keys[i];
    EXPECT_EQ(std::memcmp(&loaded_->Keys[i], &expected, sizeof expected), 0) << "key " << i;
  }
  EXPECT_EQ(std::memcmp(loaded_->GKeys, source_->GKeys, sizeof source_->GKeys), 0);
}

TEST_F(ProfileFileTest, LoadingRepairsTheLightingHeaderAndUnnamedLayouts) {
  FillPattern(*source_);
  source_->LightInfo.Effect = 12;
  source_->LightInfo.EffectOption = 3;
  source_->LightInfo.EffectLevel = 0;
  source_->LightInfo.EffectParam = 6;
  source_->LightInfo.Color = 0x1000000;
  SetFixedText(source_->LightData[3].Name, u"");
  SetFixedText(source_->LightData[0].Name, u"");
  AGENT_SETTINGS& s = Current(source_.get());
  const LIGHT_INFO& info = s.Current.LightInfo;
  EXPECT_EQ(info.Effect, 5);
  EXPECT_EQ(info.EffectOption, 1);
  EXPECT_EQ(info.EffectLevel, 5);
  EXPECT_EQ(info.EffectParam, 0);
  EXPECT_EQ(info.Color, 0xFFFFFFu);
  EXPECT_EQ(std::memcmp(info.Reserved, source_->LightInfo.Reserved, 4), 0);
  EXPECT_EQ(FixedText(s.Current.LightData[3].Name), u"NEW");
  EXPECT_EQ(FixedText(s.Current.LightData[0].Name), u"DEFAULT");
  for (COLORREF c : s.Current.LightData[3].KeyColor)
    EXPECT_EQ(c, 0u);
  for (COLORREF c : s.Current.LightData[3].GKeyColor)
    EXPECT_EQ(c, 0u);
  // Named layouts keep everything.
  EXPECT_EQ(std::memcmp(&s.Current.LightData[1], &source_->LightData[1], sizeof(LIGHT_DATA)), 0);
  EXPECT_EQ(desktop_.System().DelaysSet(), std::vector<UINT>{3});
}

TEST_F(ProfileFileTest, AMissingFileLoadsBlankAndIsCreatedWithOnlyTheName) {
  AGENT_SETTINGS& s = Current(nullptr);
  EXPECT_EQ(ReadHostFile(HostProfile("P")), Utf16Le(u"[GROUP]\r\nCurrentProfileName=P\r\n"));
  std::unique_ptr<PROFILE_DATA> blank = std::make_unique<PROFILE_DATA>();
  BlankProfile(*blank);
  EXPECT_EQ(std::memcmp(&s.Current, blank.get(), sizeof(PROFILE_DATA)), 0);
  EXPECT_EQ(s.Current.LightInfo.EffectLevel, 5);
  EXPECT_EQ(FixedText(s.Current.LightData[4].Name), u"NEW");
}

TEST_F(ProfileFileTest, TwoModesWithTheSameNameShareOneFile) {
  ResetSettings(*settings_);
  SetFixedText(settings_->Modes[1].ProfileName, u"Shared");
  SetFixedText(settings_->Modes[4].ProfileName, u"Shared");
  FillPattern(*source_);
  settings_->Profile = 1;
  LoadCurrentProfile(*settings_);
  settings_->Current.LightInfo.Effect = 7;
  SaveProfile(u"Shared", settings_->Current);
  settings_->Profile = 4;
  LoadCurrentProfile(*settings_);
  EXPECT_EQ(settings_->Current.LightInfo.Effect, 7);
  EXPECT_EQ(std::filesystem::directory_entry(HostProfiles()).exists(), true);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(HostProfiles()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST_F(ProfileFileTest, ANameThatReachesOutsideTheFolderNamesNoFile) {
  WriteHostFile(HostConfig(), Utf16Le(u"[Setting]\r\nProfile=1\r\n"));
  Bytes config = ReadHostFile(HostConfig());
  FillPattern(*source_);
  for (std::u16string_view name : {u"..\\config", u"../config", u"C:config", u"sub\\x"}) {
    EXPECT_FALSE(SaveProfile(name, *source_));
    BlankProfile(*loaded_);
    LoadProfile(name, *loaded_);
    EXPECT_EQ(FixedText(loaded_->LinkExe[0]), u"");
  }
  EXPECT_EQ(ReadHostFile(HostConfig()), config);
  EXPECT_TRUE(std::filesystem::is_empty(HostProfiles()));
  // An empty name is the file ".ini" in the folder.
  EXPECT_TRUE(SaveProfile(u"", *source_));
  EXPECT_TRUE(std::filesystem::exists(HostProfiles() / ".ini"));
}

TEST_F(ProfileFileTest, AFileOfTheConfigurationProgramKeepsItsOtherContent) {
  // UTF-8 with a mark, comments, another section and a lower-case key.
  std::string text =
      "\xEF\xBB\xBF; written elsewhere\n[Extra]\nkeep=1\n[group]\nlinkexe0=C:\\\xC3\xA9.exe\n"
      "CurrentProfileName=P\nUnknown=x\n";
  WriteHostFile(HostProfile("P"), BytesOf(text));
  BlankProfile(*loaded_);
  LoadProfile(u"P", *loaded_);
  EXPECT_EQ(FixedText(loaded_->LinkExe[0]), u"C:\\\u00E9.exe");
  EXPECT_EQ(ReadHostFile(HostProfile("P")), BytesOf(text));  // the name was already right
  SetFixedText(loaded_->LinkExe[1], u"D:\\x.exe");
  ASSERT_TRUE(SaveProfile(u"P", *loaded_));
  Bytes saved = ReadHostFile(HostProfile("P"));
  std::string savedText(saved.begin(), saved.end());
  EXPECT_EQ(savedText.rfind(text.substr(0, text.find("Unknown=x\n") + 10), 0), 0u);
  EXPECT_NE(savedText.find("\nLinkExe1=D:\\x.exe\r\n"), std::string::npos);
  BlankProfile(*source_);
  LoadProfile(u"P", *source_);
  ExpectSameStoredBytes(*loaded_, *source_);
}

TEST_F(ProfileFileTest, DamagedFilesLoadAsBlankProfiles) {
  Bytes garbage(70000);
  for (std::size_t i = 0; i < garbage.size(); ++i)
    garbage[i] = static_cast<std::uint8_t>(i * 13 + (i >> 7));
  Bytes odd = {0xFF, 0xFE, 0x41};
  for (const Bytes& bytes : {garbage, odd}) {
    WriteHostFile(HostProfile("P"), bytes);
    AGENT_SETTINGS& s = Current(nullptr);
    EXPECT_EQ(s.Current.Keys[0].Kind, 0);
    EXPECT_EQ(s.Current.LightInfo.EffectLevel, 5);
    EXPECT_EQ(FixedText(s.Current.LightData[0].Name), u"DEFAULT");
  }
}

TEST_F(ProfileFileTest, ModeLinksAreReadWithoutWriting) {
  WriteHostFile(HostProfile("L"), Utf16Le(u"[GROUP]\r\nLinkExe0=a.exe\r\nLinkExe4=" +
                                          std::u16string(400, u'z') + u"\r\n"));
  Bytes before = ReadHostFile(HostProfile("L"));
  LINK_EXE_LIST links;
  for (auto& link : links)
    SetFixedText(link, u"stale");
  LoadModeLinks(u"L", links);
  EXPECT_EQ(FixedText(links[0]), u"a.exe");
  EXPECT_EQ(FixedText(links[1]), u"");
  EXPECT_EQ(FixedText(links[4]).size(), 259u);
  EXPECT_EQ(ReadHostFile(HostProfile("L")), before);
  LoadModeLinks(u"Missing", links);
  EXPECT_FALSE(std::filesystem::exists(HostProfile("Missing")));
}

TEST_F(ProfileFileTest, ASaveIsOneReplacementAndAnInterruptedOneLeavesTheOldFile) {
  FillPattern(*source_);
  SaveProfile(u"P", *source_);
  Bytes before = ReadHostFile(HostProfile("P"));
  int renames = 0;
  desktop_.Files().SetFaultHook([&](sim::FileStep step, std::u16string_view) -> DWORD {
    if (step == sim::FileStep::Rename) ++renames;
    return step == sim::FileStep::Rename && renames == 2 ? ERROR_ACCESS_DENIED : 0;
  });
  source_->LightInfo.Effect = 9;
  for (BUTTON_INFO& key : source_->Keys)
    key.Kind = 1;
  EXPECT_TRUE(SaveProfile(u"P", *source_));
  EXPECT_EQ(renames, 1);
  Bytes after = ReadHostFile(HostProfile("P"));
  source_->LightInfo.Effect = 8;
  EXPECT_FALSE(SaveProfile(u"P", *source_));
  EXPECT_EQ(ReadHostFile(HostProfile("P")), after);
  EXPECT_NE(after, before);
}

}  // namespace
}  // namespace kx::profiles::testing
