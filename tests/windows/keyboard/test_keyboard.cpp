// The substitute HidDevice.dll of the Wine tests. It plays a Kestrix keyboard behind the six
// functions the agent takes by ordinal: five vendor collections (usages 1-5, page 0xFF00),
// the keyboard's firmware answering what the agent writes, input reports from a thread of
// its own, and a log of every transfer with its time, so the tests see the real wire and the
// real pauses.
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/hid_library.h"
#include "platform/sim/virtual_keyboard_firmware.h"
#include "test_keyboard_control.h"

#include <windows.h>

namespace kx::test_keyboard {
namespace {

constexpr DWORD kVendorId = 0x258A;
constexpr DWORD kProductId = 0x0090;
constexpr WORD kUsagePage = 0xFF00;
constexpr WORD kFirstUsage = 1;
constexpr WORD kLastUsage = 5;

std::wstring BesideLibrary(const char16_t* name);

class Keyboard {
 public:
  // Never destroyed: its report thread may still run when the process ends.
  static Keyboard& Instance() {
    static Keyboard* keyboard = new Keyboard;
    return *keyboard;
  }

  void SetFilter(const DEVICE_FILTER* filter) {
    std::lock_guard lock(mutex_);
    filter_ = filter != nullptr ? *filter : DEVICE_FILTER{};
  }

  void SetCallback(ReportCallback callback) {
    std::lock_guard lock(callbackMutex_);
    callback_ = callback;
  }

  BOOL Start(::HWND window, UINT message) {
    if (!::IsWindow(window)) return FALSE;
    EnsureControlWindow();
    {
      std::lock_guard lock(mutex_);
      monitoring_ = true;
      target_ = window;
      message_ = message;
      watched_ = filter_;
    }
    Announce(MONITOROPEN, present_);  // every collection present now
    return TRUE;
  }

  void Stop() {
    std::lock_guard callbackLock(callbackMutex_);
    std::lock_guard lock(mutex_);
    monitoring_ = false;
    target_ = nullptr;
  }

  BOOL Write(DWORD deviceId, const BYTE* buffer, DWORD length) {
    std::lock_guard lock(mutex_);
    const WORD usage = UsageOf(deviceId);
    const bool ok = buffer != nullptr && length > 0 && usage != 0 && WatchedLocked(usage) &&
                    present_[usage - kFirstUsage] &&
                    sim::KeyboardFirmware::Accepts(usage, buffer[0]);
    if (ok) firmware_.Receive(usage, std::span<const BYTE>(buffer, length));
    LogLocked('W', deviceId, usage, ok, buffer, buffer != nullptr ? length : 0);
    return ok ? TRUE : FALSE;
  }

  BOOL Read(DWORD deviceId, BYTE* buffer, DWORD length) {
    std::lock_guard lock(mutex_);
    const WORD usage = UsageOf(deviceId);
    const bool ok = buffer != nullptr && length > 0 && usage != 0 && WatchedLocked(usage) &&
                    present_[usage - kFirstUsage] &&
                    firmware_.Answer(usage, std::span<BYTE>(buffer, length));
    LogLocked('R', deviceId, usage, ok, buffer, buffer != nullptr ? length : 0);
    return ok ? TRUE : FALSE;
  }

  ::LRESULT Control(::HWND hwnd, ::UINT message, ::WPARAM wParam, ::LPARAM lParam) {
    switch (message) {
      case kPlug:
        SetPresence(true);
        return 1;
      case kUnplug:
        SetPresence(false);
        return 1;
      case kSelectMode: {
        const BYTE mode = static_cast<BYTE>(wParam);
        {
          std::lock_guard lock(mutex_);
          firmware_.Memory().mode = mode;
        }
        QueueReport({0x0D, 0x03, static_cast<BYTE>(mode == 0 ? 6 : mode), 0, 0, 0, 0, 0, 0});
        return 1;
      }
      case kSetFirmware: {
        std::lock_guard lock(mutex_);
        firmware_.Memory().firmwareMajor = static_cast<BYTE>(wParam);
        firmware_.Memory().firmwareMinor = static_cast<BYTE>(lParam);
        return 1;
      }
      case kGetMode: {
        std::lock_guard lock(mutex_);
        return firmware_.Memory().mode;
      }
      case kDumpMemory:
        DumpMemory();
        return 1;
      case WM_COPYDATA: {
        const auto* data = reinterpret_cast<const ::COPYDATASTRUCT*>(lParam);
        if (data == nullptr || data->dwData != kInputReportCopyId || data->lpData == nullptr) {
          return 0;
        }
        const auto* bytes = static_cast<const BYTE*>(data->lpData);
        QueueReport(std::vector<BYTE>(bytes, bytes + data->cbData));
        return 1;
      }
      default:
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
  }

 private:
  Keyboard() : start_(::GetTickCount64()) {
    // A fresh log for each process that loads the library.
    if (FILE* log = _wfopen(BesideLibrary(kTransferLog).c_str(), L"wb")) std::fclose(log);
    present_.fill(false);
  }

  static WORD UsageOf(DWORD deviceId) {
    const DWORD usage = deviceId - 0x100;
    return usage >= kFirstUsage && usage <= kLastUsage ? static_cast<WORD>(usage) : 0;
  }

  bool WatchedLocked(WORD usage) const {
    return monitoring_ && kx::FilterSelects(watched_, kVendorId, kProductId, usage, kUsagePage);
  }

  void EnsureControlWindow();

  // Sends the notifications one after the other on this (the agent's) thread, so all of them
  // are handled before the first message they cause.
  void Announce(DWORD event, const std::array<bool, kLastUsage>& which) {
    ::HWND target = nullptr;
    UINT message = 0;
    std::vector<_DEVICE_STATE> states;
    {
      std::lock_guard lock(mutex_);
      target = target_;
      message = message_;
      for (WORD usage = kFirstUsage; usage <= kLastUsage; ++usage) {
        if (!which[usage - kFirstUsage] || !WatchedLocked(usage)) continue;
        _DEVICE_STATE state{};
        state.event = event;
        state.dwDeviceID = DeviceIdOf(usage);
        state.usage = usage;
        state.usagePage = kUsagePage;
        states.push_back(state);
      }
    }
    for (_DEVICE_STATE& state : states) {
      if (target != nullptr) ::SendMessageW(target, message, 1, reinterpret_cast<::LPARAM>(&state));
    }
  }

  void SetPresence(bool present) {
    std::array<bool, kLastUsage> changed{};
    {
      std::lock_guard lock(mutex_);
      for (std::size_t i = 0; i < present_.size(); ++i) {
        changed[i] = present_[i] != present;
        present_[i] = present;
      }
    }
    Announce(present ? MONITOROPEN : MONITORCLOSE, changed);
  }

  void QueueReport(std::vector<BYTE> report) {
    {
      std::lock_guard lock(queueMutex_);
      queue_.push_back(std::move(report));
      if (!thread_.joinable()) thread_ = std::thread([this] { ReportLoop(); });
    }
    queued_.notify_all();
  }

  // The keyboard's own thread: reports reach the callback from here, never from the agent's.
  void ReportLoop() {
    for (;;) {
      std::vector<BYTE> report;
      {
        std::unique_lock lock(queueMutex_);
        queued_.wait(lock, [this] { return !queue_.empty(); });
        report = std::move(queue_.front());
        queue_.pop_front();
      }
      bool deliver = false;
      {
        std::lock_guard lock(mutex_);
        deliver = present_[0] && WatchedLocked(kFirstUsage);
      }
      std::lock_guard callbackLock(callbackMutex_);
      if (deliver && callback_ != nullptr) {
        callback_(DeviceIdOf(kFirstUsage), report.data(), static_cast<DWORD>(report.size()));
      }
    }
  }

  void LogLocked(char kind, DWORD deviceId, WORD usage, bool ok, const BYTE* bytes, DWORD length) {
    FILE* log = _wfopen(BesideLibrary(kTransferLog).c_str(), L"ab");
    if (log == nullptr) return;
    std::fprintf(log, "%c %llu %x %u %d ", kind,
                 static_cast<unsigned long long>(::GetTickCount64() - start_),
                 static_cast<unsigned>(deviceId), static_cast<unsigned>(usage), ok ? 1 : 0);
    for (DWORD i = 0; i < length; ++i)
      std::fprintf(log, "%02X", bytes[i]);
    std::fputc('\n', log);
    std::fclose(log);
  }

  void DumpMemory() {
    std::lock_guard lock(mutex_);
    FILE* out = _wfopen(BesideLibrary(kMemoryLog).c_str(), L"wb");
    if (out == nullptr) return;
    const sim::KeyboardMemory& memory = firmware_.Memory();
    std::fprintf(out, "mode %u\ncommand0F %zu\n", memory.mode, memory.command0FCount);
    for (std::size_t m = 0; m < memory.modes.size(); ++m) {
      const sim::ModeMemory& mode = memory.modes[m];
      std::fprintf(out, "matrix %zu %zu ", m, mode.keyMatrixWrites);
      for (BYTE b : mode.keyMatrix)
        std::fprintf(out, "%02X", b);
      std::fputc('\n', out);
      for (const auto& [code, count] : mode.macroWrites)
        std::fprintf(out, "macro %zu %u %zu\n", m, code, count);
    }
    std::fclose(out);
  }

  std::mutex mutex_;  // the keyboard's state
  sim::KeyboardFirmware firmware_;
  std::array<bool, kLastUsage> present_{};
  DEVICE_FILTER filter_{};
  DEVICE_FILTER watched_{};
  bool monitoring_ = false;
  ::HWND target_ = nullptr;
  UINT message_ = 0;
  ::HWND control_ = nullptr;
  ULONGLONG start_ = 0;

  std::mutex callbackMutex_;
  ReportCallback callback_ = nullptr;

  std::mutex queueMutex_;
  std::condition_variable queued_;
  std::deque<std::vector<BYTE>> queue_;
  std::thread thread_;
};

::HMODULE ThisLibrary() {
  ::HMODULE module = nullptr;
  ::GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<const wchar_t*>(&ThisLibrary), &module);
  return module;
}

std::wstring BesideLibrary(const char16_t* name) {
  wchar_t path[MAX_PATH] = {};
  const ::DWORD length = ::GetModuleFileNameW(ThisLibrary(), path, MAX_PATH);
  std::wstring result(path, length);
  result.erase(result.find_last_of(L'\\') + 1);
  for (const char16_t* p = name; *p != 0; ++p)
    result.push_back(static_cast<wchar_t>(*p));
  return result;
}

::LRESULT CALLBACK ControlProc(::HWND hwnd, ::UINT message, ::WPARAM wParam, ::LPARAM lParam) {
  return Keyboard::Instance().Control(hwnd, message, wParam, lParam);
}

void Keyboard::EnsureControlWindow() {
  if (control_ != nullptr && ::IsWindow(control_)) return;
  ::WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = &ControlProc;
  windowClass.hInstance = ThisLibrary();
  windowClass.lpszClassName = L"KestrixTestKeyboard";
  ::RegisterClassExW(&windowClass);
  const std::wstring title(kControlTitle,
                           kControlTitle + std::char_traits<char16_t>::length(kControlTitle));
  control_ = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"KestrixTestKeyboard", title.c_str(), WS_POPUP, 0,
                               0, 1, 1, nullptr, nullptr, ThisLibrary(), nullptr);
}

}  // namespace
}  // namespace kx::test_keyboard

using kx::test_keyboard::Keyboard;

extern "C" {

void HidSetDeviceFilter(const kx::DEVICE_FILTER* filter, kx::DWORD) {
  Keyboard::Instance().SetFilter(filter);
}
void HidSetReportCallback(kx::ReportCallback callback, kx::DWORD) {
  Keyboard::Instance().SetCallback(callback);
}
kx::BOOL HidStartMonitor(kx::HWND window, kx::UINT message, kx::DWORD) {
  return Keyboard::Instance().Start(reinterpret_cast<::HWND>(window), message);
}
void HidStopMonitor(kx::DWORD) {
  Keyboard::Instance().Stop();
}
kx::BOOL HidWriteReport(kx::DWORD deviceId, const kx::BYTE* buffer, kx::DWORD length, kx::DWORD) {
  return Keyboard::Instance().Write(deviceId, buffer, length);
}
kx::BOOL HidReadReport(kx::DWORD deviceId, kx::BYTE* buffer, kx::DWORD length, kx::DWORD) {
  return Keyboard::Instance().Read(deviceId, buffer, length);
}

}  // extern "C"
