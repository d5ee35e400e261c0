// The current user's mouse settings key, held open with full access for the main window's
// whole life. Nothing is read or written through it; holding it open is the point.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/types.h"

namespace kx::core {

class MouseSettingsKey {
 public:
  static constexpr char16_t kPath[] = u"HKEY_CURRENT_USER\\Control Panel\\Mouse";
  static constexpr std::size_t kSubKeyChars = 260;

  MouseSettingsKey() = default;
  ~MouseSettingsKey() { Close(); }
  MouseSettingsKey(const MouseSettingsKey&) = delete;
  MouseSettingsKey& operator=(const MouseSettingsKey&) = delete;

  // Closes a key already open, then opens the key of kPath with full access, creating it when
  // opening fails. False only when both failed; the handle then stays null.
  bool OpenRegistryPath();
  // Fills the root key and sub-key from a path "ROOT\sub\key". The root name is compared
  // without regard to case with HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_CURRENT_CONFIG
  // and HKEY_CLASSES_ROOT; any other gives HKEY_LOCAL_MACHINE with the whole path as sub-key.
  // False, with nothing changed, when the path holds no backslash.
  bool SplitRegistryPath(std::u16string_view path = kPath);
  // Closes the key if one is open and empties the sub-key.
  void Close();

  HKEY Key() const { return m_hKey; }
  HKEY Root() const { return m_hRoot; }
  std::u16string_view SubKey() const;

 private:
  HKEY m_hKey = nullptr;
  HKEY m_hRoot = nullptr;
  char16_t m_szSubKey[kSubKeyChars] = {};
};

}  // namespace kx::core
