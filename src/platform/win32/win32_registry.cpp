#include "platform/win32/win32_registry.h"

#include "platform/win32/wide.h"

#include <windows.h>

namespace kx::win32 {

namespace {

// Our predefined roots are the system's values without their sign extension.
::HKEY ToSystem(HKEY key) {
  const auto value = reinterpret_cast<std::uintptr_t>(key);
  if (value >= 0x80000000u && value <= 0x80000006u) {
    return reinterpret_cast<::HKEY>(
        static_cast<std::intptr_t>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value))));
  }
  return reinterpret_cast<::HKEY>(key);
}

HKEY FromSystem(::HKEY key) {
  return reinterpret_cast<HKEY>(key);
}

}  // namespace

LONG Win32Registry::OpenKey(HKEY root, std::u16string_view subKey, DWORD access, HKEY* key) {
  ::HKEY opened = nullptr;
  const ::LONG result = ::RegOpenKeyExW(ToSystem(root), WideZ(subKey).Get(), 0, access, &opened);
  if (key != nullptr) *key = result == ERROR_SUCCESS ? FromSystem(opened) : nullptr;
  return result;
}

LONG Win32Registry::CreateKey(HKEY root, std::u16string_view subKey, HKEY* key) {
  ::HKEY opened = nullptr;
  const ::LONG result = ::RegCreateKeyW(ToSystem(root), WideZ(subKey).Get(), &opened);
  if (key != nullptr) *key = result == ERROR_SUCCESS ? FromSystem(opened) : nullptr;
  return result;
}

LONG Win32Registry::SetValue(HKEY key, std::u16string_view name, DWORD type, const void* data,
                             DWORD size) {
  return ::RegSetValueExW(ToSystem(key), WideZ(name).Get(), 0, type,
                          static_cast<const ::BYTE*>(data), size);
}

LONG Win32Registry::CloseKey(HKEY key) {
  return ::RegCloseKey(ToSystem(key));
}

}  // namespace kx::win32
