// What the Windows backend's tests share: the platform installed for the whole program (on the
// main thread, which runs every test and owns every window), a message pump through our
// framework, and a window that records what it receives.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/window.h"

namespace kx::win32::testing {

// Dispatches messages through the framework's pre-translation until the condition holds or
// the time is up; gives the condition's last answer.
bool PumpUntil(const std::function<bool()>& condition, int timeoutMs);
void PumpFor(int ms);

// A folder of its own under the system's temporary folder, removed with its content.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::u16string& Path() const { return path_; }  // without a trailing backslash
  std::u16string File(std::u16string_view name) const {
    return path_ + u"\\" + std::u16string(name);
  }

 private:
  std::u16string path_;
};

// The folder of this test program, with its trailing backslash.
std::wstring ProgramFolder();

// Another program, started as the agent starts its companions; ended when the object goes if
// it still runs.
class ChildProcess {
 public:
  // exe: a full path; folder: the working folder (empty: this program's).
  explicit ChildProcess(const std::wstring& exe, const std::wstring& folder = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  bool Started() const { return started_; }
  // Its exit code once it ended within the time, else nothing. Our windows keep answering
  // meanwhile: the program may send to them.
  std::optional<std::uint32_t> WaitForExit(int timeoutMs);

 private:
  bool started_ = false;
  void* process_ = nullptr;
  void* thread_ = nullptr;
};

struct Received {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

class RecordingWindow : public Window {
 public:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Messages of these numbers are recorded (all, when empty) ...
  std::vector<UINT> watch;
  std::vector<Received> received;
  // ... and answered by this when set.
  std::function<LRESULT(UINT, WPARAM, LPARAM)> answer;
  std::size_t Count(UINT message) const;
};

}  // namespace kx::win32::testing
