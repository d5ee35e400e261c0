// The program folder and the per-user data folder.
#include "profiles/fixed_text.h"
#include "profiles_fixture.h"

namespace kx::profiles::testing {
namespace {

class FoldersTest : public ProfilesTest {
 protected:
  std::filesystem::path Roaming() const { return desktop_.HostAppData(); }
};

TEST_F(FoldersTest, TheProgramFolderEndsInABackslash) {
  EXPECT_EQ(FixedText(g_szAppDir), u"C:\\Program Files\\Kestrix\\");
}

TEST_F(FoldersTest, EnsureDataFolderCreatesEachMissingLevelOutermostFirst) {
  std::filesystem::remove_all(Roaming() / "Kestrix");
  std::vector<std::u16string> made;
  desktop_.Files().SetFaultHook([&](sim::FileStep step, std::u16string_view path) -> DWORD {
    if (step == sim::FileStep::MakeDirectory) made.emplace_back(path);
    return 0;
  });
  EXPECT_EQ(EnsureDataFolder(kProfilesFolderSuffix),
            u"C:\\Users\\User\\AppData\\Roaming\\Kestrix\\Profiles\\");
  EXPECT_TRUE(std::filesystem::is_directory(Roaming() / "Kestrix" / "Profiles"));
  EXPECT_EQ(made,
            (std::vector<std::u16string>{u"C:\\Users\\User\\AppData\\Roaming\\Kestrix",
                                         u"C:\\Users\\User\\AppData\\Roaming\\Kestrix\\Profiles"}));
  made.clear();
  EXPECT_EQ(EnsureDataFolder(kDataFolderSuffix), u"C:\\Users\\User\\AppData\\Roaming\\Kestrix\\");
  EXPECT_TRUE(made.empty());  // nothing to create
}

TEST_F(FoldersTest, AFileInTheWayMakesTheCreationFailButNotTheResult) {
  std::filesystem::remove_all(Roaming() / "Kestrix");
  WriteHostFile(Roaming() / "Kestrix", BytesOf("a file"));
  EXPECT_EQ(EnsureDataFolder(kDataFolderSuffix), u"C:\\Users\\User\\AppData\\Roaming\\Kestrix\\");
  EXPECT_TRUE(std::filesystem::is_regular_file(Roaming() / "Kestrix"));
}

TEST_F(FoldersTest, NoApplicationDataFolderGivesAnEmptyFolder) {
  desktop_.Files().SetRoamingAppData(std::nullopt);
  EXPECT_EQ(EnsureDataFolder(kDataFolderSuffix), u"");
  InitDataDir();
  EXPECT_EQ(FixedText(g_szDataDir), u"");
}

TEST_F(FoldersTest, AFolderTooLongForItsBufferLeavesItEmpty) {
  char16_t buffer[FOLDER_BUFFER_CHARS];
  SetFolderBuffer(buffer, std::u16string(259, u'a'));
  EXPECT_EQ(FixedText(buffer).size(), 259u);
  SetFolderBuffer(buffer, std::u16string(260, u'a'));
  EXPECT_EQ(FixedText(buffer), u"");
}

}  // namespace
}  // namespace kx::profiles::testing
