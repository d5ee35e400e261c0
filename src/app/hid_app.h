// CHidApp: the agent's application object. Start-up refuses a second agent of the same
// log-on, fixes the program and data folders, reads the language file and creates the hidden
// main window; exit deletes the main window object and gives up the instance mutex.
#pragma once

#include <memory>
#include <string_view>

#include "core/hid_wnd.h"
#include "platform/application.h"
#include "platform/types.h"

namespace kx::app {

inline constexpr std::u16string_view kInstanceMutexName = u"Kestrix_Hid_MUTEX";

class CHidApp : public Application {
 public:
  CHidApp() = default;
  ~CHidApp() override;

  // False ends the process at once: another agent runs, or the main window could not be made.
  bool InitInstance() override;
  int ExitInstance() override;

  core::CHidWnd* MainHidWnd() const { return m_pHidWnd.get(); }
  HANDLE InstanceMutex() const { return m_hMutex; }

 private:
  void ReleaseInstanceMutex();

  HANDLE m_hMutex = 0;
  std::unique_ptr<core::CHidWnd> m_pHidWnd;
};

}  // namespace kx::app
