// The library's state: the filter, the report callback, the watched collections with their
// device ids, the library's own window on the thread that started watching (arrival and
// removal are delivered there, synchronously), and the thread that reads input reports.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "hid_collections.h"
#include "platform/hid_library.h"

#include <windows.h>

namespace kx::hid_device {

class HidMonitor {
 public:
  static HidMonitor& Instance();

  void SetDeviceFilter(const kx::DEVICE_FILTER* filter);
  void SetReportCallback(kx::ReportCallback callback);
  BOOL StartMonitor(::HWND window, UINT message);
  void StopMonitor();
  BOOL WriteReport(DWORD deviceId, const BYTE* buffer, DWORD length);
  BOOL ReadReport(DWORD deviceId, BYTE* buffer, DWORD length);

  // The library window's procedure (device-change notifications and the settle timer).
  ::LRESULT OnWindowMessage(::HWND hwnd, ::UINT message, ::WPARAM wParam, ::LPARAM lParam);

 private:
  HidMonitor() = default;

  // Compares what is present with what is watched: MONITORCLOSE for every collection that
  // left, then MONITOROPEN for every one that arrived, all sent before this returns. present:
  // the matching collections found just now.
  void Rescan(std::vector<CollectionInfo> present);
  // Delays the rescan after a device change until the keyboard's collections have all shown
  // up, so the agent learns of them together.
  void ScheduleRescan();
  void Notify(const OpenCollection& collection, DWORD event);
  WORD IdFor(const std::wstring& path);
  std::shared_ptr<OpenCollection> FindById(DWORD deviceId) const;

  void StartReader();
  void StopReader();
  void ReaderLoop();
  void Deliver(WORD deviceId, const BYTE* report, DWORD length);

  // Set on the watching thread only.
  kx::DEVICE_FILTER filter_{};
  kx::DEVICE_FILTER watchedFilter_{};
  ::HWND target_ = nullptr;
  UINT targetMessage_ = 0;
  ::HWND window_ = nullptr;
  ::HDEVNOTIFY notification_ = nullptr;
  std::uint64_t settleStartMs_ = 0;
  std::map<std::wstring, WORD> ids_;  // stable device ids by interface path
  WORD nextId_ = 1;

  mutable std::mutex mutex_;  // guards collections_ and generation_
  std::vector<std::shared_ptr<OpenCollection>> collections_;
  std::uint64_t generation_ = 0;

  std::mutex callbackMutex_;  // held while the callback runs
  kx::ReportCallback callback_ = nullptr;

  std::thread reader_;
  ::HANDLE wake_ = nullptr;  // tells the reader that collections changed or it must stop
  bool stopping_ = false;    // guarded by mutex_
};

}  // namespace kx::hid_device
