// System-wide parameters: the keyboard repeat delay and the screen size.
#pragma once

#include "platform/types.h"

namespace kx {

class SystemSettings {
 public:
  virtual ~SystemSettings() = default;
  // SystemParametersInfoW(SPI_SETKEYBOARDDELAY, delay, null, SPIF_SENDCHANGE): delay 0..3.
  virtual bool SetKeyboardDelay(UINT delay) = 0;
  // SystemParametersInfoW(SPI_GETKEYBOARDDELAY).
  virtual bool GetKeyboardDelay(UINT* delay) const = 0;
  // GetSystemMetrics (SM_CXSCREEN, SM_CYSCREEN of the primary screen).
  virtual int GetSystemMetrics(int index) const = 0;
};

}  // namespace kx
