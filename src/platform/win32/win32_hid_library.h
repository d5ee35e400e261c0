// The HID access library, loaded from the agent's folder at run time and called by ordinal.
#pragma once

#include <string>

#include "platform/hid_library.h"
#include "platform/win32/hid_device_abi.h"

namespace kx::win32 {

class Win32HidLibrary final : public HidLibrary {
 public:
  Win32HidLibrary() = default;
  ~Win32HidLibrary() override;
  Win32HidLibrary(const Win32HidLibrary&) = delete;
  Win32HidLibrary& operator=(const Win32HidLibrary&) = delete;

  // Loads the library by its full path and takes its six functions; false (nothing kept) when
  // the file is missing or lacks one of them.
  bool Load(const std::u16string& path);

  void SetDeviceFilter(const DEVICE_FILTER* filter) override;
  void SetReportCallback(ReportCallback callback) override;
  BOOL StartMonitor(HWND window, UINT message) override;
  void StopMonitor() override;
  BOOL WriteReport(DWORD deviceId, const BYTE* buffer, DWORD length) override;
  BOOL ReadReport(DWORD deviceId, BYTE* buffer, DWORD length) override;

 private:
  void* module_ = nullptr;
  hid_abi::SetDeviceFilterFn setDeviceFilter_ = nullptr;
  hid_abi::SetReportCallbackFn setReportCallback_ = nullptr;
  hid_abi::StartMonitorFn startMonitor_ = nullptr;
  hid_abi::StopMonitorFn stopMonitor_ = nullptr;
  hid_abi::WriteReportFn writeReport_ = nullptr;
  hid_abi::ReadReportFn readReport_ = nullptr;
};

}  // namespace kx::win32
