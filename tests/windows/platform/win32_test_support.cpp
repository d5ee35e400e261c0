#include "win32_test_support.h"

#include <algorithm>
#include <memory>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/win32/win32_platform.h"
#include "platform/window_system.h"

#include <windows.h>

#include <shellapi.h>

namespace kx::win32::testing {

bool PumpUntil(const std::function<bool()>& condition, int timeoutMs) {
  const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
  for (;;) {
    ::MSG m;
    while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      Window::TranslateAndDispatch(
          Msg{reinterpret_cast<HWND>(m.hwnd), m.message, m.wParam, m.lParam});
    }
    if (condition && condition()) return true;
    const ULONGLONG now = ::GetTickCount64();
    if (now >= end) return condition ? condition() : true;
    ::MsgWaitForMultipleObjects(
        0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(end - now, 50)), QS_ALLINPUT);
  }
}

void PumpFor(int ms) {
  PumpUntil(nullptr, ms);
}

std::wstring ProgramFolder() {
  wchar_t module[MAX_PATH];
  const ::DWORD length = ::GetModuleFileNameW(nullptr, module, MAX_PATH);
  std::wstring path(module, length);
  path.erase(path.find_last_of(L'\\') + 1);
  return path;
}

ChildProcess::ChildProcess(const std::wstring& exe, const std::wstring& folder) {
  std::wstring commandLine = L"\"" + exe + L"\"";
  ::STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  ::PROCESS_INFORMATION info{};
  started_ = ::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              folder.empty() ? nullptr : folder.c_str(), &startup, &info) != FALSE;
  if (started_) {
    process_ = info.hProcess;
    thread_ = info.hThread;
  }
}

ChildProcess::~ChildProcess() {
  if (!started_) return;
  if (::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) ::TerminateProcess(process_, 9);
  ::CloseHandle(thread_);
  ::CloseHandle(process_);
}

std::optional<std::uint32_t> ChildProcess::WaitForExit(int timeoutMs) {
  if (!started_ ||
      !PumpUntil([&] { return ::WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }, timeoutMs)) {
    return std::nullopt;
  }
  ::DWORD code = 0;
  ::GetExitCodeProcess(process_, &code);
  return code;
}

ScratchFolder::ScratchFolder() {
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  static int counter = 0;
  std::wstring path = std::wstring(temp) + L"kx-test-" + std::to_wstring(::GetCurrentProcessId()) +
                      L"-" + std::to_wstring(++counter);
  ::CreateDirectoryW(path.c_str(), nullptr);
  path_.assign(path.begin(), path.end());
}

ScratchFolder::~ScratchFolder() {
  std::wstring from(path_.begin(), path_.end());
  from.push_back(L'\0');  // a list of names ends with an empty one
  ::SHFILEOPSTRUCTW op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NO_UI;
  ::SHFileOperationW(&op);
}

LRESULT RecordingWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (watch.empty() || std::find(watch.begin(), watch.end(), message) != watch.end()) {
    received.push_back(Received{message, wParam, lParam});
    if (answer) return answer(message, wParam, lParam);
  }
  return Window::WindowProc(message, wParam, lParam);
}

std::size_t RecordingWindow::Count(UINT message) const {
  return static_cast<std::size_t>(std::count_if(
      received.begin(), received.end(), [&](const Received& r) { return r.message == message; }));
}

namespace {

class PlatformEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override {
    platform_ = std::make_unique<Win32Platform>();
    platform_->LoadHidLibrary();  // a HidDevice.dll beside the program, for those that have one
  }
  void TearDown() override { platform_.reset(); }

 private:
  std::unique_ptr<Win32Platform> platform_;
};

}  // namespace

}  // namespace kx::win32::testing

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new kx::win32::testing::PlatformEnvironment);
  return RUN_ALL_TESTS();
}
