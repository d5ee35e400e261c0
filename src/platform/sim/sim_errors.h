// The calling thread's last error, and the system's English messages for the errors the agent
// meets.
#pragma once

#include "platform/errors.h"

namespace kx::sim {

class SimErrors final : public Errors {
 public:
  DWORD GetLastError() const override;
  void SetLastError(DWORD code) override;
  std::u16string SystemMessage(DWORD code) const override;
};

}  // namespace kx::sim
