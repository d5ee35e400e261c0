#include "platform/sim/sim_registry.h"

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/sim/temp_folder.h"

namespace kx::sim {
namespace {

TEST(SimRegistryTest, ValuesPersistInTheStoreFile) {
  TempFolder folder;
  auto store = folder.Path() / "registry.reg";
  {
    SimRegistry registry(store);
    HKEY key = nullptr;
    EXPECT_EQ(registry.OpenKey(HkeyCurrentUser(), u"SOFTWARE\\Kestrix", KEY_READ | KEY_WRITE, &key),
              static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    registry.CreateKeyPath(HkeyCurrentUser(), u"SOFTWARE\\Kestrix");
    ASSERT_EQ(registry.OpenKey(HkeyCurrentUser(), u"software\\kestrix", KEY_READ | KEY_WRITE, &key),
              0);
    const char16_t text[] = u"1\"5\\";
    DWORD one = 1;
    EXPECT_EQ(registry.SetValue(key, u"FWVersion", REG_SZ, text, sizeof text), 0);
    EXPECT_EQ(registry.SetValue(key, u"DevicePlug", REG_DWORD, &one, 4), 0);
    EXPECT_EQ(registry.CloseKey(key), 0);
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
  }
  SimRegistry reloaded(store);
  auto version = reloaded.GetValue(HkeyCurrentUser(), u"SOFTWARE\\KESTRIX", u"fwversion");
  ASSERT_TRUE(version);
  EXPECT_EQ(version->type, REG_SZ);
  EXPECT_EQ(version->Text(), u"1\"5\\");
  EXPECT_EQ(reloaded.GetValue(HkeyCurrentUser(), u"SOFTWARE\\Kestrix", u"DevicePlug")->Number(),
            1u);
}

TEST(SimRegistryTest, DeniedAccessAndDeletedKeys) {
  SimRegistry registry{std::filesystem::path()};
  registry.DenyAccess(HkeyCurrentUser(), u"Control Panel\\Mouse", KEY_ALL_ACCESS);
  HKEY key = nullptr;
  EXPECT_EQ(registry.OpenKey(HkeyCurrentUser(), u"Control Panel\\Mouse", KEY_ALL_ACCESS, &key),
            static_cast<LONG>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(registry.CreateKey(HkeyCurrentUser(), u"Control Panel\\Mouse", &key),
            static_cast<LONG>(ERROR_ACCESS_DENIED));
  ASSERT_EQ(registry.CreateKey(HkeyCurrentUser(), u"SOFTWARE\\Kestrix\\Sub", &key), 0);
  EXPECT_TRUE(registry.KeyExists(HkeyCurrentUser(), u"SOFTWARE"));
  registry.DeleteKeyTree(HkeyCurrentUser(), u"SOFTWARE\\Kestrix");
  EXPECT_FALSE(registry.KeyExists(HkeyCurrentUser(), u"SOFTWARE\\Kestrix\\Sub"));
  DWORD one = 1;
  EXPECT_NE(registry.SetValue(key, u"x", REG_DWORD, &one, 4), 0);  // its key is gone
}

}  // namespace
}  // namespace kx::sim
