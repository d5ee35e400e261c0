#include "platform/sim/sim_files.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/errors.h"
#include "platform/sim/desktop.h"
#include "platform/sim/temp_folder.h"

namespace kx::sim {
namespace {

std::vector<std::uint8_t> Bytes(std::string_view s) {
  return {s.begin(), s.end()};
}

class SimFilesTest : public ::testing::Test {
 protected:
  TempFolder folder_;
  Desktop desktop_{DesktopOptions{folder_.Path()}};
  SimFileSystem& files_ = desktop_.Files();
};

TEST_F(SimFilesTest, WindowsPathsMapOntoHostFoldersWithoutRegardToCase) {
  auto appData = files_.RoamingAppDataFolder();
  ASSERT_TRUE(appData);
  EXPECT_EQ(*appData, u"C:\\Users\\User\\AppData\\Roaming");
  EXPECT_NE(files_.GetAttributes(*appData) & FILE_ATTRIBUTE_DIRECTORY, 0u);

  EXPECT_TRUE(files_.MakeDirectory(u"C:\\Users\\User\\AppData\\Roaming\\Kestrix"));
  EXPECT_TRUE(files_.WriteFileAtomically(u"c:/users/USER/appdata/roaming/kestrix/Config.ini",
                                         Bytes("abc")));
  // The name keeps the case it was created with; other spellings reach the same file.
  EXPECT_TRUE(std::filesystem::exists(desktop_.HostAppData() / "Kestrix" / "Config.ini"));
  auto read = files_.ReadAll(u"C:\\Users\\User\\AppData\\Roaming\\KESTRIX\\config.INI");
  ASSERT_TRUE(read);
  EXPECT_EQ(*read, Bytes("abc"));
  EXPECT_EQ(files_.ModulePath(), u"C:\\Program Files\\Kestrix\\kestrix-hid.exe");
}

TEST_F(SimFilesTest, FailuresSetTheSystemsErrorCodes) {
  struct Case {
    std::u16string path;
    DWORD error;
  };
  files_.MakeDirectory(u"C:\\Folder");
  const Case cases[] = {
      {u"C:\\Folder\\missing.txt", ERROR_FILE_NOT_FOUND},
      {u"C:\\Missing\\file.txt", ERROR_PATH_NOT_FOUND},
      {u"C:\\Folder\\bad|name.txt", ERROR_INVALID_NAME},
      {u"C:\\Folder", ERROR_ACCESS_DENIED},  // a folder cannot be opened as a file
      {u"Q:\\file.txt", ERROR_PATH_NOT_FOUND},
  };
  for (const Case& c : cases) {
    desktop_.Errors().SetLastError(0);
    EXPECT_EQ(files_.OpenRead(c.path), nullptr);
    EXPECT_EQ(desktop_.Errors().GetLastError(), c.error);
  }
  EXPECT_FALSE(files_.MakeDirectory(u"C:\\Folder"));
  EXPECT_EQ(desktop_.Errors().GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(files_.MakeDirectory(u"C:\\A\\B"));
  EXPECT_EQ(desktop_.Errors().GetLastError(), ERROR_PATH_NOT_FOUND);
  // Trailing dots and spaces of a name are dropped, as the system does.
  EXPECT_TRUE(files_.WriteFileAtomically(u"C:\\Folder\\name. ", Bytes("x")));
  EXPECT_TRUE(files_.Exists(u"C:\\Folder\\name"));
}

TEST_F(SimFilesTest, AnInterruptedWriteLeavesThePreviousFileWhole) {
  const std::u16string path = u"C:\\data.ini";
  ASSERT_TRUE(files_.WriteFileAtomically(path, Bytes("old content")));
  for (FileStep failing : {FileStep::WriteTemp, FileStep::FlushTemp, FileStep::Rename}) {
    files_.SetFaultHook([&](FileStep step, std::u16string_view) -> DWORD {
      return step == failing ? ERROR_DISK_FULL : 0;
    });
    EXPECT_FALSE(files_.WriteFileAtomically(path, Bytes("new content that is longer")));
    EXPECT_EQ(desktop_.Errors().GetLastError(), ERROR_DISK_FULL);
    EXPECT_EQ(*files_.ReadAll(path), Bytes("old content"));
  }
  files_.SetFaultHook(nullptr);
  // No temporary file is left behind.
  std::size_t entries = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(folder_.Path() / "C"))
    ++entries;
  EXPECT_EQ(entries, 3u);  // data.ini, Program Files, Users
}

TEST_F(SimFilesTest, ReadOnlyFoldersRefuseWrites) {
  files_.MakeDirectory(u"C:\\Locked");
  files_.SetReadOnly(u"C:\\Locked", true);
  EXPECT_FALSE(files_.WriteFileAtomically(u"C:\\Locked\\a.ini", Bytes("x")));
  EXPECT_EQ(desktop_.Errors().GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(files_.MakeDirectory(u"C:\\Locked\\Sub"));
  files_.SetReadOnly(u"C:\\Locked", false);
  EXPECT_TRUE(files_.WriteFileAtomically(u"C:\\Locked\\a.ini", Bytes("x")));
}

}  // namespace
}  // namespace kx::sim
