#include "platform/win32/win32_system_settings.h"

#include <windows.h>

namespace kx::win32 {

bool Win32SystemSettings::SetKeyboardDelay(UINT delay) {
  return ::SystemParametersInfoW(SPI_SETKEYBOARDDELAY, delay, nullptr, SPIF_SENDCHANGE) != FALSE;
}

bool Win32SystemSettings::GetKeyboardDelay(UINT* delay) const {
  int value = 0;
  if (!::SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &value, 0)) return false;
  if (delay != nullptr) *delay = static_cast<UINT>(value);
  return true;
}

int Win32SystemSettings::GetSystemMetrics(int index) const {
  return ::GetSystemMetrics(index);
}

}  // namespace kx::win32
