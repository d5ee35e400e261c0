// The simulated desktop's registry: keys and values below the predefined roots, kept in a
// text file in the desktop's folder (rewritten after every change) so a person can read it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace kx::sim {

struct RegistryValue {
  DWORD type = 0;
  std::vector<std::uint8_t> data;
  // REG_SZ text up to its terminator; a DWORD as a number.
  std::u16string Text() const;
  DWORD Number() const;
};

class SimRegistry final : public Registry {
 public:
  // storeFile: where the registry is kept; loaded when it exists. Empty: kept in memory only.
  explicit SimRegistry(std::filesystem::path storeFile);

  LONG OpenKey(HKEY root, std::u16string_view subKey, DWORD access, HKEY* key) override;
  LONG CreateKey(HKEY root, std::u16string_view subKey, HKEY* key) override;
  LONG SetValue(HKEY key, std::u16string_view name, DWORD type, const void* data,
                DWORD size) override;
  LONG CloseKey(HKEY key) override;

  // --- The desktop's own controls ---
  bool KeyExists(HKEY root, std::u16string_view subKey) const;
  void CreateKeyPath(HKEY root, std::u16string_view subKey);
  // Deletes the key with everything below it.
  void DeleteKeyTree(HKEY root, std::u16string_view subKey);
  std::optional<RegistryValue> GetValue(HKEY root, std::u16string_view subKey,
                                        std::u16string_view name) const;
  // Refuses opening the key with any of these access rights (ERROR_ACCESS_DENIED), and
  // refuses creating it: a key the user may not write to.
  void DenyAccess(HKEY root, std::u16string_view subKey, DWORD deniedAccess);
  // Called after every value written through the registry functions.
  void SetValueObserver(std::function<void(const std::u16string& keyPath,
                                           const std::u16string& name, const RegistryValue& value)>
                            observer);
  // Open handles (a key the agent holds open shows here).
  std::size_t OpenHandleCount() const;

 private:
  struct Key {
    std::u16string name;  // full path as first written, e.g. HKEY_CURRENT_USER\SOFTWARE\Kestrix
    std::map<std::u16string, std::pair<std::u16string, RegistryValue>> values;  // by upper name
    DWORD denied = 0;
  };
  struct OpenHandle {
    std::u16string key;  // upper-case full path
    DWORD access = 0;
  };

  static std::u16string FullPath(HKEY root, std::u16string_view subKey);
  void CreateKeyPathLocked(const std::u16string& fullPath);
  void SaveLocked() const;
  void Load();

  const std::filesystem::path storeFile_;
  mutable std::mutex mutex_;
  std::map<std::u16string, Key> keys_;  // by upper-case full path
  std::map<std::uintptr_t, OpenHandle> handles_;
  std::uintptr_t nextHandle_ = 0x200;
  std::function<void(const std::u16string&, const std::u16string&, const RegistryValue&)> observer_;
};

}  // namespace kx::sim
