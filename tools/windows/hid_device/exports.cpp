// The six functions of HidDevice.dll, exported by ordinal (hid_device.def).
#include "hid_monitor.h"

using kx::hid_device::HidMonitor;

extern "C" {

void HidSetDeviceFilter(const kx::DEVICE_FILTER* filter, kx::DWORD) {
  HidMonitor::Instance().SetDeviceFilter(filter);
}

void HidSetReportCallback(kx::ReportCallback callback, kx::DWORD) {
  HidMonitor::Instance().SetReportCallback(callback);
}

kx::BOOL HidStartMonitor(kx::HWND window, kx::UINT message, kx::DWORD) {
  return HidMonitor::Instance().StartMonitor(reinterpret_cast<::HWND>(window), message);
}

void HidStopMonitor(kx::DWORD) {
  HidMonitor::Instance().StopMonitor();
}

kx::BOOL HidWriteReport(kx::DWORD deviceId, const kx::BYTE* buffer, kx::DWORD length, kx::DWORD) {
  return HidMonitor::Instance().WriteReport(deviceId, buffer, length);
}

kx::BOOL HidReadReport(kx::DWORD deviceId, kx::BYTE* buffer, kx::DWORD length, kx::DWORD) {
  return HidMonitor::Instance().ReadReport(deviceId, buffer, length);
}

}  // extern "C"
