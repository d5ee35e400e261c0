#include "core/plug_notices.h"

#include <string>

#include "platform/errors.h"
#include "platform/messages.h"
#include "platform/platform.h"
#include "platform/registry.h"
#include "platform/window_system.h"
#include "protocol/messages.h"
#include "protocol/windows.h"

namespace kx::core {

namespace {

bool WriteRegistryValue(std::u16string_view name, DWORD type, const void* data, DWORD size) {
  Registry& registry = os::Registry();
  HKEY key = nullptr;
  if (registry.OpenKey(HkeyCurrentUser(), kRegistryKey, KEY_READ | KEY_WRITE, &key) !=
      static_cast<LONG>(ERROR_SUCCESS)) {
    return false;
  }
  const bool written =
      registry.SetValue(key, name, type, data, size) == static_cast<LONG>(ERROR_SUCCESS);
  registry.CloseKey(key);
  return written;
}

}  // namespace

bool WriteRegistryText(std::u16string_view name, std::u16string_view text) {
  const std::u16string terminated(text);  // the size given includes the terminator
  return WriteRegistryValue(name, REG_SZ, terminated.c_str(),
                            static_cast<DWORD>((terminated.size() + 1) * sizeof(char16_t)));
}

bool WriteRegistryNumber(std::u16string_view name, DWORD number) {
  return WriteRegistryValue(name, REG_DWORD, &number, sizeof number);
}

int NotifyConfigApp(int present) {
  using namespace protocol;
  const bool posted =
      PostToTitle(kConfigTitle, WM_DEVICE_PLUG, static_cast<WPARAM>(present != 0), 0);
  for (std::u16string_view dialog : kDialogsClosedOnPlug)
    PostToTitle(dialog, WM_CLOSE, 0, 0);
  return posted ? 1 : 0;
}

}  // namespace kx::core
