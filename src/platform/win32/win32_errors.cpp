#include "platform/win32/win32_errors.h"

#include "platform/win32/wide.h"

#include <windows.h>

namespace kx::win32 {

DWORD Win32Errors::GetLastError() const {
  return ::GetLastError();
}

void Win32Errors::SetLastError(DWORD code) {
  ::SetLastError(code);
}

std::u16string Win32Errors::SystemMessage(DWORD code) const {
  wchar_t* buffer = nullptr;
  const ::DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::u16string text;
  if (length != 0 && buffer != nullptr) text = FromWide(buffer, length);
  if (buffer != nullptr) ::LocalFree(buffer);
  return text;
}

}  // namespace kx::win32
