#include "core/launcher.h"

#include <cstdint>

#include "core/hid_wnd.h"
#include "core/paths.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/platform.h"
#include "platform/shell.h"
#include "platform/window_system.h"
#include "profiles/fixed_text.h"
#include "profiles/folders.h"
#include "protocol/messages.h"

namespace kx::core {

namespace {

constexpr std::size_t kTargetChars = 260;
// Component states with an installed path (the component is on this computer or runs from
// its source).
constexpr int kInstallStateLocal = INSTALLSTATE_LOCAL;
constexpr int kInstallStateSource = 4;

}  // namespace

void StartTrayProgram() {
  if (os::Windows().Find(u"", protocol::kTrayTitle) != nullptr) return;
  std::u16string folder(profiles::FixedText(profiles::g_szAppDir));
  const std::size_t slash = folder.find_last_of(u'\\');
  // Without the agent's own folder there is no tray program to name.
  if (slash == std::u16string::npos) return;
  folder.resize(slash);
  os::Shell().Execute(u"open", folder + u"\\" + std::u16string(kTrayProgramFile), u"", u"",
                      SW_SHOW);
}

int ResolveShortcut(std::u16string_view path, std::u16string& target) {
  target.clear();
  Shell& shell = os::Shell();
  char16_t product[kTargetChars] = {};
  char16_t feature[kTargetChars] = {};
  char16_t component[kTargetChars] = {};
  const UINT advertised = shell.GetAdvertisedShortcutTarget(path, product, feature, component);
  if (advertised != ERROR_FUNCTION_FAILED) {
    // Only an installed component gives a path; otherwise the shortcut is started as it is
    // and the system installs or repairs the product.
    if (advertised != ERROR_SUCCESS) return 0;
    char16_t installed[kTargetChars] = {};
    DWORD length = kTargetChars;
    const int state = shell.GetComponentPath(product, component, installed, &length);
    if ((state == kInstallStateLocal || state == kInstallStateSource) && installed[0] != 0) {
      target = profiles::FixedText(installed);
      return 1;
    }
    return 0;
  }
  std::u16string linked;
  if (shell.ResolveShellLink(path, linked) != S_OK) return 0;
  target = linked.substr(0, kTargetChars - 1);
  return 1;
}

void LaunchProgram(std::u16string_view path) {
  std::u16string program(path);
  std::u16string target;
  if (ResolveShortcut(path, target) == 1) {
    program = target;
    // A 64-bit system's shortcut may name the 32-bit program folder of a program installed
    // in the other one.
    if (!os::Files().Exists(program)) program = RemoveAll(program, kX86FolderMarker);
  }
  os::Shell().Execute(u"open", program, u"", u"", SW_SHOWNORMAL);
  os::Clock().Sleep(kAfterLaunchPauseMs);
}

LRESULT CHidWnd::LaunchKeyProgram(WPARAM group, LPARAM index) {
  const profiles::PROFILE_DATA& current = Settings().Current;
  const profiles::BUTTON_INFO* key = nullptr;
  if (group == 0 && index >= 0 && index < profiles::KEY_COUNT) {
    key = &current.Keys[index];
  } else if (group == 1 && index >= 0 && index < profiles::G_KEY_COUNT) {
    key = &current.GKeys[index];
  }
  if (key == nullptr) return 1;
  const std::u16string_view path = profiles::FixedText(key->ProgramPath);
  if (path.empty()) return 1;
  LaunchProgram(path);
  return 1;
}

}  // namespace kx::core
