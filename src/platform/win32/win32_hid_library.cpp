#include "platform/win32/win32_hid_library.h"

#include "platform/win32/wide.h"

#include <windows.h>

namespace kx::win32 {

namespace {

template <typename Fn>
Fn Ordinal(::HMODULE module, unsigned ordinal) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(::GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
}

}  // namespace

Win32HidLibrary::~Win32HidLibrary() {
  // The library's threads and window must be gone before its code is unmapped.
  if (module_ != nullptr) {
    stopMonitor_(0);
    ::FreeLibrary(static_cast<::HMODULE>(module_));
  }
}

bool Win32HidLibrary::Load(const std::u16string& path) {
  if (module_ != nullptr) return true;
  // Only the named file: the library is never looked for along the search path.
  ::HMODULE module = ::LoadLibraryExW(AsWide(path.c_str()), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module == nullptr) return false;
  setDeviceFilter_ = Ordinal<hid_abi::SetDeviceFilterFn>(module, hid_abi::kSetDeviceFilterOrdinal);
  setReportCallback_ =
      Ordinal<hid_abi::SetReportCallbackFn>(module, hid_abi::kSetReportCallbackOrdinal);
  startMonitor_ = Ordinal<hid_abi::StartMonitorFn>(module, hid_abi::kStartMonitorOrdinal);
  stopMonitor_ = Ordinal<hid_abi::StopMonitorFn>(module, hid_abi::kStopMonitorOrdinal);
  writeReport_ = Ordinal<hid_abi::WriteReportFn>(module, hid_abi::kWriteReportOrdinal);
  readReport_ = Ordinal<hid_abi::ReadReportFn>(module, hid_abi::kReadReportOrdinal);
  if (setDeviceFilter_ == nullptr || setReportCallback_ == nullptr || startMonitor_ == nullptr ||
      stopMonitor_ == nullptr || writeReport_ == nullptr || readReport_ == nullptr) {
    ::FreeLibrary(module);
    setDeviceFilter_ = nullptr;
    setReportCallback_ = nullptr;
    startMonitor_ = nullptr;
    stopMonitor_ = nullptr;
    writeReport_ = nullptr;
    readReport_ = nullptr;
    ::SetLastError(ERROR_PROC_NOT_FOUND);
    return false;
  }
  module_ = module;
  return true;
}

void Win32HidLibrary::SetDeviceFilter(const DEVICE_FILTER* filter) {
  if (setDeviceFilter_ != nullptr) setDeviceFilter_(filter, 0);
}

void Win32HidLibrary::SetReportCallback(ReportCallback callback) {
  if (setReportCallback_ != nullptr) setReportCallback_(callback, 0);
}

BOOL Win32HidLibrary::StartMonitor(HWND window, UINT message) {
  return startMonitor_ != nullptr ? startMonitor_(window, message, 0) : FALSE;
}

void Win32HidLibrary::StopMonitor() {
  if (stopMonitor_ != nullptr) stopMonitor_(0);
}

BOOL Win32HidLibrary::WriteReport(DWORD deviceId, const BYTE* buffer, DWORD length) {
  return writeReport_ != nullptr ? writeReport_(deviceId, buffer, length, 0) : FALSE;
}

BOOL Win32HidLibrary::ReadReport(DWORD deviceId, BYTE* buffer, DWORD length) {
  return readReport_ != nullptr ? readReport_(deviceId, buffer, length, 0) : FALSE;
}

}  // namespace kx::win32
