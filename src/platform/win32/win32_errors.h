// The thread's last error and the system's message table (FormatMessageW).
#pragma once

#include "platform/errors.h"

namespace kx::win32 {

class Win32Errors final : public Errors {
 public:
  DWORD GetLastError() const override;
  void SetLastError(DWORD code) override;
  std::u16string SystemMessage(DWORD code) const override;
};

}  // namespace kx::win32
