// The debugger output: OutputDebugStringW.
#pragma once

#include "platform/debug_output.h"

namespace kx::win32 {

class Win32DebugOutput final : public DebugOutput {
 public:
  void Write(std::u16string_view text) override;
};

}  // namespace kx::win32
