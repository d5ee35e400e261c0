#include "core/mouse_settings_key.h"

#include <array>
#include <utility>

#include "platform/errors.h"
#include "platform/platform.h"
#include "platform/registry.h"
#include "platform/text_util.h"
#include "profiles/fixed_text.h"

namespace kx::core {

using profiles::SetFixedText;

std::u16string_view MouseSettingsKey::SubKey() const {
  return profiles::FixedText(m_szSubKey);
}

bool MouseSettingsKey::SplitRegistryPath(std::u16string_view path) {
  std::size_t slash = path.find(u'\\');
  if (slash == std::u16string_view::npos) return false;
  const std::array<std::pair<std::u16string_view, HKEY>, 4> roots = {{
      {u"HKEY_LOCAL_MACHINE", HkeyLocalMachine()},
      {u"HKEY_CURRENT_USER", HkeyCurrentUser()},
      {u"HKEY_CURRENT_CONFIG", HkeyCurrentConfig()},
      {u"HKEY_CLASSES_ROOT", HkeyClassesRoot()},
  }};
  std::u16string_view rootName = path.substr(0, slash);
  for (const auto& [name, root] : roots) {
    if (EqualsIgnoreCase(rootName, name)) {
      m_hRoot = root;
      SetFixedText(m_szSubKey, path.substr(slash + 1));
      return true;
    }
  }
  m_hRoot = HkeyLocalMachine();
  SetFixedText(m_szSubKey, path);
  return true;
}

bool MouseSettingsKey::OpenRegistryPath() {
  Close();
  SplitRegistryPath();
  Registry& registry = os::Registry();
  HKEY key = nullptr;
  if (registry.OpenKey(m_hRoot, SubKey(), KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
    key = nullptr;
    if (registry.CreateKey(m_hRoot, SubKey(), &key) != ERROR_SUCCESS) key = nullptr;
  }
  m_hKey = key;
  return m_hKey != nullptr;
}

void MouseSettingsKey::Close() {
  if (m_hKey != nullptr) {
    os::Registry().CloseKey(m_hKey);
    m_hKey = nullptr;
  }
  SetFixedText(m_szSubKey, u"");
}

}  // namespace kx::core
