#include "app/hid_app.h"

#include <string>

#include "platform/platform.h"
#include "platform/sync.h"
#include "profiles/fixed_text.h"
#include "profiles/folders.h"
#include "text/language_file.h"

namespace kx::app {

CHidApp::~CHidApp() {
  // Normally ExitInstance has done this; it covers an application object that never ran.
  m_pHidWnd.reset();
  ReleaseInstanceMutex();
}

bool CHidApp::InitInstance() {
  if (!Application::InitInstance()) return false;

  // One agent per log-on: a second one ends without a window and without a word.
  bool existed = false;
  m_hMutex = os::Sync().CreateNamedMutex(kInstanceMutexName, &existed);
  if (existed) {
    os::Sync().CloseHandle(m_hMutex);
    m_hMutex = 0;
    return false;
  }

  profiles::InitAppDir();
  profiles::InitDataDir();
  // Nothing the agent does depends on the language file; a missing one leaves it empty.
  const std::u16string languageFile(profiles::FixedText(profiles::g_szAppDir));
  text::ReadLanguageFile(languageFile + std::u16string(text::kLanguageFileName),
                         text::g_LanguageDoc);

  m_pHidWnd = std::make_unique<core::CHidWnd>();
  if (!m_pHidWnd->CreateMainWindow()) {
    // Without its main window the agent can do nothing; let the next start try again.
    m_pHidWnd.reset();
    ReleaseInstanceMutex();
    return false;
  }
  SetMainWindow(m_pHidWnd.get());
  return true;
}

int CHidApp::ExitInstance() {
  m_pHidWnd.reset();
  ReleaseInstanceMutex();
  return Application::ExitInstance();
}

void CHidApp::ReleaseInstanceMutex() {
  if (m_hMutex == 0) return;
  os::Sync().ReleaseMutex(m_hMutex);
  os::Sync().CloseHandle(m_hMutex);
  m_hMutex = 0;
}

}  // namespace kx::app
