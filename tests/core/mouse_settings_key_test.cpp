#include "core/mouse_settings_key.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/sim/desktop.h"
#include "platform/sim/temp_folder.h"

namespace kx::core {
namespace {

class MouseSettingsKeyTest : public ::testing::Test {
 protected:
  sim::TempFolder folder_;
  sim::Desktop desktop_{sim::DesktopOptions{folder_.Path()}};
  sim::SimRegistry& registry_ = desktop_.Registry();
};

TEST_F(MouseSettingsKeyTest, SplitsTheRootNameFromThePath) {
  struct Case {
    std::u16string_view path;
    HKEY root;
    std::u16string_view subKey;
  };
  const Case cases[] = {
      {u"HKEY_CURRENT_USER\\Control Panel\\Mouse", HkeyCurrentUser(), u"Control Panel\\Mouse"},
      {u"hkey_local_machine\\SOFTWARE", HkeyLocalMachine(), u"SOFTWARE"},
      {u"HKEY_CURRENT_CONFIG\\a", HkeyCurrentConfig(), u"a"},
      {u"HKEY_CLASSES_ROOT\\", HkeyClassesRoot(), u""},
      // An unknown root name: the whole path below HKEY_LOCAL_MACHINE.
      {u"HKCU\\Control Panel", HkeyLocalMachine(), u"HKCU\\Control Panel"},
  };
  for (const Case& c : cases) {
    MouseSettingsKey key;
    ASSERT_TRUE(key.SplitRegistryPath(c.path));
    EXPECT_EQ(key.Root(), c.root);
    EXPECT_EQ(key.SubKey(), c.subKey);
  }
  MouseSettingsKey key;
  ASSERT_TRUE(key.SplitRegistryPath());
  EXPECT_FALSE(key.SplitRegistryPath(u"HKEY_CURRENT_USER"));
  EXPECT_EQ(key.SubKey(), u"Control Panel\\Mouse");  // unchanged by the failed split
}

TEST_F(MouseSettingsKeyTest, CreatesAMissingKeyAndHoldsItOpenUntilDestroyed) {
  ASSERT_FALSE(registry_.KeyExists(HkeyCurrentUser(), u"Control Panel\\Mouse"));
  {
    MouseSettingsKey key;
    EXPECT_TRUE(key.OpenRegistryPath());
    EXPECT_NE(key.Key(), nullptr);
    EXPECT_TRUE(registry_.KeyExists(HkeyCurrentUser(), u"Control Panel\\Mouse"));
    EXPECT_EQ(registry_.OpenHandleCount(), 1u);
    // Opening again closes the first handle.
    EXPECT_TRUE(key.OpenRegistryPath());
    EXPECT_EQ(registry_.OpenHandleCount(), 1u);
  }
  EXPECT_EQ(registry_.OpenHandleCount(), 0u);
}

TEST_F(MouseSettingsKeyTest, AKeyThatCannotBeOpenedLeavesTheHandleNull) {
  registry_.CreateKeyPath(HkeyCurrentUser(), u"Control Panel\\Mouse");
  registry_.DenyAccess(HkeyCurrentUser(), u"Control Panel\\Mouse", KEY_ALL_ACCESS);
  MouseSettingsKey key;
  EXPECT_FALSE(key.OpenRegistryPath());
  EXPECT_EQ(key.Key(), nullptr);
  EXPECT_EQ(registry_.OpenHandleCount(), 0u);
  key.Close();  // nothing to close
  EXPECT_EQ(key.SubKey(), u"");
}

}  // namespace
}  // namespace kx::core
