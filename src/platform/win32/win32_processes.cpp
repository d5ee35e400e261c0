#include "platform/win32/win32_processes.h"

#include "platform/win32/wide.h"

#include <windows.h>

#include <tlhelp32.h>

// Taken outside our namespace: the system's macro names HANDLE, which means another type in
// ours.
static const ::HANDLE kInvalidHandle = INVALID_HANDLE_VALUE;

namespace kx::win32 {

HWND Win32Processes::GetForegroundWindow() const {
  return reinterpret_cast<HWND>(::GetForegroundWindow());
}

DWORD Win32Processes::GetWindowProcessId(HWND window) const {
  ::DWORD processId = 0;
  if (::GetWindowThreadProcessId(reinterpret_cast<::HWND>(window), &processId) == 0) return 0;
  return processId;
}

std::optional<std::vector<ProcessEntry>> Win32Processes::Snapshot() const {
  ::HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == kInvalidHandle) return std::nullopt;
  std::vector<ProcessEntry> entries;
  ::PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (::BOOL more = ::Process32FirstW(snapshot, &entry); more;
       more = ::Process32NextW(snapshot, &entry)) {
    entries.push_back(ProcessEntry{entry.th32ProcessID, FromWide(entry.szExeFile)});
  }
  ::CloseHandle(snapshot);
  return entries;
}

}  // namespace kx::win32
