// The registry: keys below the predefined roots, string and number values.
#pragma once

#include <string_view>

#include "platform/types.h"

namespace kx {

inline HKEY HkeyClassesRoot() {
  return reinterpret_cast<HKEY>(std::uintptr_t{0x80000000});
}
inline HKEY HkeyCurrentUser() {
  return reinterpret_cast<HKEY>(std::uintptr_t{0x80000001});
}
inline HKEY HkeyLocalMachine() {
  return reinterpret_cast<HKEY>(std::uintptr_t{0x80000002});
}
inline HKEY HkeyCurrentConfig() {
  return reinterpret_cast<HKEY>(std::uintptr_t{0x80000005});
}

inline constexpr DWORD KEY_READ = 0x20019;
inline constexpr DWORD KEY_WRITE = 0x20006;
inline constexpr DWORD KEY_ALL_ACCESS = 0xF003F;

inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_DWORD = 4;

class Registry {
 public:
  virtual ~Registry() = default;
  // Results are system error codes: ERROR_SUCCESS (0), ERROR_FILE_NOT_FOUND for a missing key,
  // ERROR_ACCESS_DENIED when the access asked for is not granted.
  virtual LONG OpenKey(HKEY root, std::u16string_view subKey, DWORD access, HKEY* key) = 0;
  // RegCreateKeyW: opens the key, creating every missing level.
  virtual LONG CreateKey(HKEY root, std::u16string_view subKey, HKEY* key) = 0;
  // RegSetValueExW; data holds size bytes (for REG_SZ the UTF-16 text and its terminator).
  virtual LONG SetValue(HKEY key, std::u16string_view name, DWORD type, const void* data,
                        DWORD size) = 0;
  virtual LONG CloseKey(HKEY key) = 0;
};

}  // namespace kx
