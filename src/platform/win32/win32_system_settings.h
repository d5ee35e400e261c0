// The keyboard repeat delay and the screen size.
#pragma once

#include "platform/system_settings.h"

namespace kx::win32 {

class Win32SystemSettings final : public SystemSettings {
 public:
  bool SetKeyboardDelay(UINT delay) override;
  bool GetKeyboardDelay(UINT* delay) const override;
  int GetSystemMetrics(int index) const override;
};

}  // namespace kx::win32
