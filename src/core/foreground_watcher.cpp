#include "core/foreground_watcher.h"

#include <string>

#include "core/hid_wnd.h"
#include "core/paths.h"
#include "platform/platform.h"
#include "platform/processes.h"
#include "platform/text_util.h"
#include "profiles/fixed_text.h"

namespace kx::core {

namespace {

constexpr std::size_t kExeFileChars = 259;

}  // namespace

std::optional<BYTE> FindLinkedMode(std::u16string_view exeFile,
                                   const profiles::LINK_EXE_LIST* links) {
  for (std::u16string_view ignored : kIgnoredForegroundPrograms) {
    if (EqualsIgnoreCase(exeFile, ignored)) return std::nullopt;
  }
  for (int mode = 0; mode < profiles::MODE_COUNT; ++mode) {
    for (const profiles::TextField& link : links[mode]) {
      const std::u16string_view linked = SplitPath(profiles::FixedText(link)).fileName;
      if (!linked.empty() && EqualsIgnoreCase(linked, exeFile)) return static_cast<BYTE>(mode);
    }
  }
  return std::nullopt;
}

std::optional<std::u16string> ForegroundExecutable() {
  Processes& processes = os::Processes();
  const HWND foreground = processes.GetForegroundWindow();
  if (foreground == nullptr) return std::nullopt;
  const DWORD processId = processes.GetWindowProcessId(foreground);
  const auto snapshot = processes.Snapshot();
  if (!snapshot) return std::nullopt;
  for (const ProcessEntry& entry : *snapshot) {
    if (entry.processId == processId) return entry.exeFile.substr(0, kExeFileChars);
  }
  return std::nullopt;
}

void CHidWnd::WatchForeground() {
  const auto exeFile = ForegroundExecutable();
  if (!exeFile) return;
  const auto mode = FindLinkedMode(*exeFile, m_linkExe.get());
  if (!mode || *mode == Settings().Profile) return;
  m_usbDriver.SetDeviceMode(*mode);
  ApplyProfile(*mode, false);
}

}  // namespace kx::core
