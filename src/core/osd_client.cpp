#include "core/osd_client.h"

#include <cstdio>

#include "core/hid_wnd.h"
#include "core/osd_request.h"
#include "core/paths.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/platform.h"
#include "platform/shell.h"
#include "platform/text_util.h"
#include "platform/window_system.h"
#include "protocol/messages.h"

namespace kx::core {

namespace {

HWND FindOsdWindow() {
  return os::Windows().Find(protocol::kOsdClass, protocol::kOsdTitle);
}

}  // namespace

bool ShowOsd(std::u16string_view text, COLORREF colour) {
  HWND osd = FindOsdWindow();
  for (int attempt = 0; osd == nullptr && attempt < kOsdStartAttempts; ++attempt) {
    const std::u16string program = ModuleFolder() + std::u16string(kOsdProgramFile);
    os::Shell().Execute(u"", program, u"", u"", SW_SHOWNORMAL);
    os::Clock().Sleep(kOsdStartWaitMs);
    osd = FindOsdWindow();
  }
  if (osd == nullptr) return false;
  const OsdRequest record = BuildOsdRequest(text, colour);
  COPYDATASTRUCT copyData;
  copyData.dwData = 0;
  copyData.cbData = static_cast<DWORD>(record.size());
  copyData.lpData = record.data();
  os::Windows().Send(osd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copyData));
  return true;
}

void CHidWnd::ShowModeOsd(UINT mode) {
  std::u16string text;
  if (mode == 0) {
    text = std::u16string(kPcModeText);
  } else {
    char formatted[32];
    std::snprintf(formatted, sizeof formatted, kProfileTextFormat, static_cast<int>(mode));
    text = Widen(formatted);
  }
  ShowOsd(text, OsdColour(Settings().OSD_Color));
}

}  // namespace kx::core
