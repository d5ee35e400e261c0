#include "platform/win32/win32_debug_output.h"

#include "platform/win32/wide.h"

#include <windows.h>

namespace kx::win32 {

void Win32DebugOutput::Write(std::u16string_view text) {
  ::OutputDebugStringW(WideZ(text).Get());
}

}  // namespace kx::win32
