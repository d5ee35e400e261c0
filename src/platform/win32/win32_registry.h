// The registry below the predefined roots.
#pragma once

#include "platform/registry.h"

namespace kx::win32 {

class Win32Registry final : public Registry {
 public:
  LONG OpenKey(HKEY root, std::u16string_view subKey, DWORD access, HKEY* key) override;
  LONG CreateKey(HKEY root, std::u16string_view subKey, HKEY* key) override;
  LONG SetValue(HKEY key, std::u16string_view name, DWORD type, const void* data,
                DWORD size) override;
  LONG CloseKey(HKEY key) override;
};

}  // namespace kx::win32
