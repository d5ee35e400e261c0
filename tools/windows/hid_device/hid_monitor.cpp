#include "hid_monitor.h"

#include <algorithm>

#include "system_hid.h"

#include <dbt.h>

// Taken outside our namespace: the system's macro names HWND, which means another type there.
static const ::HWND kMessageOnlyParent = HWND_MESSAGE;

namespace kx::hid_device {

namespace {

constexpr wchar_t kWindowClass[] = L"KestrixHidDeviceMonitor";
constexpr ::UINT_PTR kSettleTimer = 1;
// After a device change, the rescan waits this long for further changes ...
constexpr ::UINT kSettleMs = 200;
// ... and, while fewer collections than the filter names are present, re-checks this often up
// to this long after the first change.
constexpr ::UINT kSettleRetryMs = 100;
constexpr std::uint64_t kSettleLimitMs = 2000;
// Posted by the reader thread when a collection stopped answering (it was unplugged).
constexpr ::UINT kRescanMessage = WM_APP + 1;

::LRESULT CALLBACK MonitorWindowProc(::HWND hwnd, ::UINT message, ::WPARAM wParam,
                                     ::LPARAM lParam) {
  return HidMonitor::Instance().OnWindowMessage(hwnd, message, wParam, lParam);
}

::HINSTANCE ThisLibrary() {
  ::HMODULE module = nullptr;
  ::GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<const wchar_t*>(&MonitorWindowProc), &module);
  return module;
}

// How many different (usage, page) pairs the filter names: the collections one keyboard has.
std::size_t ExpectedCollections(const kx::DEVICE_FILTER& filter) {
  const std::size_t used = std::min<std::size_t>(filter.entryCount, 10);
  std::size_t distinct = 0;
  for (std::size_t i = 0; i < used; ++i) {
    bool seen = false;
    for (std::size_t j = 0; j < i; ++j) {
      seen = seen || (filter.entries[j].usage == filter.entries[i].usage &&
                      filter.entries[j].usagePage == filter.entries[i].usagePage);
    }
    if (!seen) ++distinct;
  }
  return distinct;
}

}  // namespace

HidMonitor& HidMonitor::Instance() {
  // Never destroyed: a process may end without stopping the library, its reader thread still
  // running, and a joinable thread must not be destroyed.
  static HidMonitor* monitor = new HidMonitor;
  return *monitor;
}

void HidMonitor::SetDeviceFilter(const kx::DEVICE_FILTER* filter) {
  filter_ = filter != nullptr ? *filter : kx::DEVICE_FILTER{};
  filter_.entryCount = std::min<DWORD>(filter_.entryCount, 10);
}

void HidMonitor::SetReportCallback(kx::ReportCallback callback) {
  // Waits for a callback that is running to return.
  std::lock_guard lock(callbackMutex_);
  callback_ = callback;
}

BOOL HidMonitor::StartMonitor(::HWND window, UINT message) {
  if (window == nullptr || !::IsWindow(window)) return FALSE;
  StopMonitor();

  ::WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = &MonitorWindowProc;
  windowClass.hInstance = ThisLibrary();
  windowClass.lpszClassName = kWindowClass;
  if (!::RegisterClassExW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return FALSE;
  }
  // A message-only window on the calling thread: arrival and removal reach the agent on it.
  window_ = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, kMessageOnlyParent, nullptr,
                              ThisLibrary(), nullptr);
  if (window_ == nullptr) return FALSE;
  ::DEV_BROADCAST_DEVICEINTERFACE_W filter{};
  filter.dbcc_size = sizeof(filter);
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  ::HidD_GetHidGuid(&filter.dbcc_classguid);
  // Without notifications (some systems lack them) present collections still work.
  notification_ = ::RegisterDeviceNotificationW(window_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);

  target_ = window;
  targetMessage_ = message;
  watchedFilter_ = filter_;
  {
    std::lock_guard lock(mutex_);
    stopping_ = false;
  }
  Rescan(EnumerateMatching(watchedFilter_));
  StartReader();
  return TRUE;
}

void HidMonitor::StopMonitor() {
  StopReader();
  if (notification_ != nullptr) ::UnregisterDeviceNotification(notification_);
  notification_ = nullptr;
  if (window_ != nullptr) {
    if (::GetWindowThreadProcessId(window_, nullptr) == ::GetCurrentThreadId()) {
      ::DestroyWindow(window_);
    } else {
      ::PostMessageW(window_, WM_CLOSE, 0, 0);
    }
  }
  window_ = nullptr;
  target_ = nullptr;
  targetMessage_ = 0;
  std::lock_guard lock(mutex_);
  collections_.clear();
  ++generation_;
}

WORD HidMonitor::IdFor(const std::wstring& path) {
  auto it = ids_.find(path);
  if (it != ids_.end()) return it->second;
  const WORD id = nextId_;
  nextId_ = static_cast<WORD>(nextId_ == 0xFFFF ? 1 : nextId_ + 1);
  ids_.emplace(path, id);
  return id;
}

std::shared_ptr<OpenCollection> HidMonitor::FindById(DWORD deviceId) const {
  std::lock_guard lock(mutex_);
  for (const auto& c : collections_) {
    if (c->DeviceId() == (deviceId & 0xFFFF)) return c;
  }
  return nullptr;
}

void HidMonitor::Notify(const OpenCollection& collection, DWORD event) {
  if (target_ == nullptr) return;
  // Valid while the window handles the message: it is sent, not posted.
  kx::_DEVICE_STATE state{};
  state.event = event;
  state.dwDeviceID = collection.DeviceId();
  state.usage = collection.Info().usage;
  state.usagePage = collection.Info().usagePage;
  ::SendMessageW(target_, targetMessage_, 1, reinterpret_cast<::LPARAM>(&state));
}

void HidMonitor::Rescan(std::vector<CollectionInfo> present) {
  std::sort(present.begin(), present.end(),
            [](const CollectionInfo& a, const CollectionInfo& b) { return a.usage < b.usage; });

  std::vector<std::shared_ptr<OpenCollection>> left;
  std::vector<std::shared_ptr<OpenCollection>> arrived;
  {
    std::lock_guard lock(mutex_);
    for (auto it = collections_.begin(); it != collections_.end();) {
      const bool stays = std::any_of(present.begin(), present.end(), [&](const CollectionInfo& p) {
        return p.path == (*it)->Info().path;
      });
      if (stays) {
        ++it;
      } else {
        left.push_back(*it);
        it = collections_.erase(it);
      }
    }
  }
  for (const CollectionInfo& info : present) {
    bool known = false;
    {
      std::lock_guard lock(mutex_);
      known = std::any_of(collections_.begin(), collections_.end(),
                          [&](const auto& c) { return c->Info().path == info.path; });
    }
    if (known) continue;
    if (auto opened = OpenCollection::Open(info, IdFor(info.path))) arrived.push_back(opened);
  }
  {
    std::lock_guard lock(mutex_);
    collections_.insert(collections_.end(), arrived.begin(), arrived.end());
    ++generation_;
  }
  if (wake_ != nullptr) ::SetEvent(wake_);
  for (const auto& c : left)
    Notify(*c, kx::MONITORCLOSE);
  for (const auto& c : arrived)
    Notify(*c, kx::MONITOROPEN);
}

void HidMonitor::ScheduleRescan() {
  if (window_ == nullptr) return;
  if (settleStartMs_ == 0) settleStartMs_ = ::GetTickCount64();
  ::SetTimer(window_, kSettleTimer, kSettleMs, nullptr);
}

::LRESULT HidMonitor::OnWindowMessage(::HWND hwnd, ::UINT message, ::WPARAM wParam,
                                      ::LPARAM lParam) {
  switch (message) {
    case WM_DEVICECHANGE:
      if (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE) ScheduleRescan();
      return TRUE;
    case kRescanMessage:
      ScheduleRescan();
      return 0;
    case WM_TIMER: {
      if (wParam != kSettleTimer || hwnd != window_) break;
      ::KillTimer(hwnd, kSettleTimer);
      // Wait on while a keyboard is only partly there, so all its collections come together.
      const std::vector<CollectionInfo> present = EnumerateMatching(watchedFilter_);
      std::size_t known = 0;
      {
        std::lock_guard lock(mutex_);
        for (const CollectionInfo& p : present) {
          known += std::any_of(collections_.begin(), collections_.end(),
                               [&](const auto& c) { return c->Info().path == p.path; });
        }
      }
      const bool partial = present.size() > known &&
                           present.size() < ExpectedCollections(watchedFilter_) &&
                           ::GetTickCount64() - settleStartMs_ < kSettleLimitMs;
      if (partial) {
        ::SetTimer(hwnd, kSettleTimer, kSettleRetryMs, nullptr);
        return 0;
      }
      settleStartMs_ = 0;
      Rescan(present);
      return 0;
    }
    default:
      break;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

BOOL HidMonitor::WriteReport(DWORD deviceId, const BYTE* buffer, DWORD length) {
  std::shared_ptr<OpenCollection> collection = FindById(deviceId);
  return collection != nullptr && collection->Write(buffer, length) ? TRUE : FALSE;
}

BOOL HidMonitor::ReadReport(DWORD deviceId, BYTE* buffer, DWORD length) {
  std::shared_ptr<OpenCollection> collection = FindById(deviceId);
  return collection != nullptr && collection->Read(buffer, length) ? TRUE : FALSE;
}

void HidMonitor::Deliver(WORD deviceId, const BYTE* report, DWORD length) {
  std::lock_guard lock(callbackMutex_);
  if (callback_ != nullptr) callback_(deviceId, report, length);
}

void HidMonitor::StartReader() {
  wake_ = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (wake_ == nullptr) return;
  reader_ = std::thread([this] { ReaderLoop(); });
}

void HidMonitor::StopReader() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  if (wake_ != nullptr) ::SetEvent(wake_);
  if (reader_.joinable()) reader_.join();
  if (wake_ != nullptr) ::CloseHandle(wake_);
  wake_ = nullptr;
}

void HidMonitor::ReaderLoop() {
  struct Read {
    std::shared_ptr<OpenCollection> collection;
    ::OVERLAPPED overlapped{};
    std::vector<BYTE> buffer;
    bool busy = false;
    bool failed = false;  // stopped answering; left alone until the collections change
  };
  auto cancel = [](Read& read) {
    if (!read.busy) return;
    ::DWORD ignored = 0;
    ::CancelIoEx(read.collection->Handle(), &read.overlapped);
    ::GetOverlappedResult(read.collection->Handle(), &read.overlapped, &ignored, TRUE);
    read.busy = false;
  };
  std::vector<std::unique_ptr<Read>> reads;
  std::uint64_t seen = ~std::uint64_t{0};

  for (;;) {
    std::vector<std::shared_ptr<OpenCollection>> watched;
    bool changed = false;
    {
      std::lock_guard lock(mutex_);
      if (stopping_) break;
      if (generation_ != seen) {
        seen = generation_;
        watched = collections_;
        changed = true;
      }
    }
    if (changed) {
      // Forget collections that went; read from every new one that sends input reports.
      for (auto it = reads.begin(); it != reads.end();) {
        const bool stays =
            std::find(watched.begin(), watched.end(), (*it)->collection) != watched.end();
        if (stays) {
          (*it)->failed = false;
          ++it;
          continue;
        }
        cancel(**it);
        ::CloseHandle((*it)->overlapped.hEvent);
        it = reads.erase(it);
      }
      for (const auto& c : watched) {
        if (c->Info().inputLength == 0) continue;
        if (std::any_of(reads.begin(), reads.end(),
                        [&](const auto& r) { return r->collection == c; })) {
          continue;
        }
        auto read = std::make_unique<Read>();
        read->collection = c;
        read->buffer.resize(c->Info().inputLength);
        read->overlapped.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (read->overlapped.hEvent != nullptr) reads.push_back(std::move(read));
      }
    }

    std::vector<::HANDLE> events{wake_};
    std::vector<Read*> waiting;
    for (auto& read : reads) {
      if (!read->busy && !read->failed) {
        ::ResetEvent(read->overlapped.hEvent);
        const bool done =
            ::ReadFile(read->collection->Handle(), read->buffer.data(),
                       static_cast<::DWORD>(read->buffer.size()), nullptr, &read->overlapped);
        if (done || ::GetLastError() == ERROR_IO_PENDING) {
          read->busy = true;  // a read done at once still signals its event
        } else {
          read->failed = true;
          if (window_ != nullptr) ::PostMessageW(window_, kRescanMessage, 0, 0);
        }
      }
      if (read->busy && events.size() < MAXIMUM_WAIT_OBJECTS) {
        events.push_back(read->overlapped.hEvent);
        waiting.push_back(read.get());
      }
    }

    const ::DWORD signalled = ::WaitForMultipleObjects(static_cast<::DWORD>(events.size()),
                                                       events.data(), FALSE, INFINITE);
    if (signalled == WAIT_OBJECT_0 || signalled >= WAIT_OBJECT_0 + events.size()) continue;
    Read& read = *waiting[signalled - WAIT_OBJECT_0 - 1];
    ::DWORD length = 0;
    const bool ok =
        ::GetOverlappedResult(read.collection->Handle(), &read.overlapped, &length, FALSE);
    read.busy = false;
    if (ok) {
      if (length > 0) Deliver(read.collection->DeviceId(), read.buffer.data(), length);
    } else {
      read.failed = true;
      if (window_ != nullptr) ::PostMessageW(window_, kRescanMessage, 0, 0);
    }
  }

  for (auto& read : reads) {
    cancel(*read);
    ::CloseHandle(read->overlapped.hEvent);
  }
}

}  // namespace kx::hid_device
