#include "platform/win32/win32_sync.h"

#include "platform/win32/wide.h"

#include <windows.h>

namespace kx::win32 {

namespace {
::HANDLE ToSystem(HANDLE handle) {
  return reinterpret_cast<::HANDLE>(handle);
}
}  // namespace

HANDLE Win32Sync::CreateNamedMutex(std::u16string_view name, bool* alreadyExisted) {
  ::HANDLE mutex = ::CreateMutexW(nullptr, FALSE, WideZ(name).Get());
  // Read before anything else can overwrite the thread's last error.
  const bool existed = mutex != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS;
  if (alreadyExisted != nullptr) *alreadyExisted = existed;
  return reinterpret_cast<HANDLE>(mutex);
}

bool Win32Sync::ReleaseMutex(HANDLE mutex) {
  return ::ReleaseMutex(ToSystem(mutex)) != FALSE;
}

bool Win32Sync::CloseHandle(HANDLE handle) {
  return ::CloseHandle(ToSystem(handle)) != FALSE;
}

}  // namespace kx::win32
