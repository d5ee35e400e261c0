#include "platform/win32/win32_clock.h"

#include <windows.h>

namespace kx::win32 {

Win32Clock::Win32Clock() : start_(::GetTickCount64()) {}

std::uint64_t Win32Clock::NowMs() const {
  return ::GetTickCount64() - start_;
}

void Win32Clock::Sleep(std::uint32_t ms) {
  ::Sleep(ms);
}

}  // namespace kx::win32
