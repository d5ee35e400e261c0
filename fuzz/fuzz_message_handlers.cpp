// The agent's main window (and now and then any other window a program can find) under
// arbitrary messages from other programs, in sequence, mixed with input reports from the
// keyboard, the keyboard coming and going, and time passing (the clock is virtual, so pauses
// cost nothing). Each input runs a fresh agent on a fresh desktop.
// Invariants: every message is handled and the agent stays up; its settings stay in range;
// the settings and profile files stay readable and in range; once it exits, it leaves no
// window, drawing object or device context behind.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "agent_session.h"
#include "fuzz_input.h"
#include "fuzz_support.h"
#include "platform/graphics.h"
#include "platform/messages.h"
#include "platform/sim/temp_folder.h"
#include "platform/text_util.h"
#include "profiles/fixed_text.h"
#include "profiles/ini/ini_document.h"
#include "profiles/ini/ini_struct.h"
#include "profiles/records.h"
#include "protocol/messages.h"

namespace {

using namespace kx;

// What other programs post to "Kestrix_Hid": every custom message, and the system messages
// that can be posted at all (those that carry pointers can only be sent, within a process).
constexpr UINT kMessages[] = {
    protocol::WM_DEVICE_PLUG,
    protocol::WM_DEVICE_EVENT,
    protocol::WM_PROFILE_SYNC,
    protocol::WM_RELOAD_SETTINGS,
    protocol::WM_PROFILE_SELECT,
    protocol::WM_DEVICE_OPTION,
    protocol::WM_LAUNCH_KEY_PROGRAM,
    protocol::WM_LIGHT_SYNC,
    protocol::WM_AGENT_NOOP,
    protocol::WM_SHOW_PROGRESS,
    protocol::WM_RELINK_DEVICE,
    protocol::WM_HID_NOTIFY,
    protocol::WM_DEVICE_TOGGLE,
    protocol::WM_DEVICE_SWITCH,
    WM_TIMER,
    WM_NULL,
    WM_DESTROY,
    WM_PAINT,
    WM_ERASEBKGND,
    WM_SHOWWINDOW,
    WM_KEYDOWN,
    WM_COMMAND,
    WM_LBUTTONDOWN,
    WM_POWERBROADCAST,
};

// A parameter: small numbers (modes, codes, keys), then the edges of the types.
LPARAM Parameter(fuzz::FuzzInput& in) {
  const std::uint8_t shape = in.U8();
  switch (shape % 8) {
    case 0:
    case 1:
    case 2:
      return in.U8() % 16;
    case 3:
      return in.U8();
    case 4:
      return static_cast<std::int16_t>(in.U16());
    case 5:
      return static_cast<std::int32_t>(in.U32());
    case 6:
      return static_cast<LPARAM>(in.U32()) << 32 | in.U32();
    default: {
      constexpr LPARAM kEdges[] = {-1, 0x7FFFFFFF, -0x7FFFFFFF - 1, 0x10000, 0x1FFFF, 0xDE, 0xDA};
      return kEdges[in.U8() % std::size(kEdges)];
    }
  }
}

UINT Message(fuzz::FuzzInput& in, UINT sync) {
  const std::uint8_t pick = in.U8();
  if (pick < std::size(kMessages) * 8) return kMessages[pick % std::size(kMessages)];
  if (pick < 0xF0) return sync;
  return static_cast<UINT>(WM_USER + in.U16() % (0xC000 - WM_USER));  // any private number
}

void CheckSettings(const profiles::AGENT_SETTINGS& s) {
  KX_FUZZ_CHECK(s.Profile < profiles::MODE_COUNT);
  const profiles::LIGHT_INFO& light = s.Current.LightInfo;
  KX_FUZZ_CHECK(light.Effect <= 10 && light.EffectOption <= 2 && light.EffectParam <= 5);
  KX_FUZZ_CHECK(light.EffectLevel >= 1 && light.EffectLevel <= 5 && light.Color <= 0xFFFFFF);
}

// Every settings and profile file is readable and holds a mode in range.
void CheckFiles(sim::Desktop& desktop) {
  const std::filesystem::path data = desktop.HostAppData() / "Kestrix";
  std::error_code ec;
  if (!std::filesystem::is_directory(data, ec)) return;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(data)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".ini") continue;
    KX_FUZZ_CHECK(entry.file_size() > 0);
  }
  auto config = desktop.Files().ReadAll(std::u16string(sim::Desktop::kAppDataFolder) +
                                        u"\\Kestrix\\config.ini");
  if (!config) return;
  const auto doc = profiles::IniDocument::Parse(*config);
  KX_FUZZ_CHECK(doc.GetInt(u"Setting", u"Profile", 0) < profiles::MODE_COUNT);
}

// A data folder as the configuration program leaves it: the settings file with the profile
// list, and small profile files (a name, a lighting header, a link). Made once per process.
std::filesystem::path DataFiles() {
  static const sim::TempFolder folder("kx-fuzz-data");
  static const bool made = [] {
    auto write = [](const std::filesystem::path& path, std::u16string_view text) {
      std::filesystem::create_directories(path.parent_path());
      std::ofstream out(path, std::ios::binary);
      out.put('\xFF').put('\xFE');
      for (char16_t c : text)
        out.put(static_cast<char>(c & 0xFF)).put(static_cast<char>(c >> 8));
    };
    std::u16string config =
        u"[Setting]\r\nProfile=1\r\nSyncMode=1\r\nOSD_Profile=1\r\n"
        u"[MyXlistNumber]\r\nTotalListNumber=6\r\n[ProfileData]\r\n";
    for (int m = 0; m < profiles::MODE_COUNT; ++m) {
      const std::u16string n = Widen(std::to_string(m));
      config += u"Mode_" + Widen(std::to_string(m + 1)) + u"=" + n + u"\r\n";
    }
    for (int m = 0; m < profiles::MODE_COUNT; ++m) {
      const std::u16string n = Widen(std::to_string(m));
      config += u"[MyXlistIconInfo" + n + u"]\r\nProfileID=" + n + u"\r\nProfileName=Profile " + n +
                u"\r\n";
      // Effect m, option 1, level 3, colour red.
      const std::uint8_t light[profiles::LIGHT_INFO_SIZE] = {
          static_cast<std::uint8_t>(m), 1, 3, 0, 0, 0, 0, 0, 0xFF, 0, 0, 0};
      write(folder.Path() / "Profiles" / ("Profile " + std::to_string(m) + ".ini"),
            u"[GROUP]\r\nCurrentProfileName=Profile " + n + u"\r\nLinkExe0=C:\\Games\\game" + n +
                u".exe\r\nLIGHT_INFO=" + profiles::FormatStructValue(light) + u"\r\n");
    }
    write(folder.Path() / "config.ini", config);
    return true;
  }();
  (void)made;
  return folder.Path();
}

std::filesystem::path AgentFiles() {
#ifdef KX_AGENT_DIR
  return KX_AGENT_DIR;
#else
  return {};
#endif
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::AgentSession session(AgentFiles(), DataFiles());
  sim::Desktop& desktop = session.Desktop();
  WindowSystem& windows = desktop.Windows();
  const UINT sync = windows.RegisterMessage(protocol::kSyncMessageName);
  const HWND agent = session.AgentWindow();
  KX_FUZZ_CHECK(agent != nullptr);

  fuzz::FuzzInput in(data, size);
  for (int op = 0; op < 200 && !in.Empty(); ++op) {
    const std::uint8_t kind = in.U8();
    switch (kind % 8) {
      case 0:
      case 1:
      case 2:
      case 3: {
        const UINT message = Message(in, sync);
        const auto wParam = static_cast<WPARAM>(Parameter(in));
        const LPARAM lParam = Parameter(in);
        // Mostly to the agent's window; or to every top-level window; or to any one of them
        // (other programs can find the agent's hidden windows too).
        HWND target = agent;
        if (kind & 0x80) {
          target = HwndBroadcast();
        } else if (kind & 0x40) {
          const std::vector<HWND> all = desktop.Windows().TopLevelWindows();
          target = all[in.U8() % all.size()];
        }
        windows.Post(target, message, wParam, lParam);
        break;
      }
      case 4: {
        // An input report on the keyboard's own thread.
        std::vector<BYTE> report(in.U8() % 16);
        for (BYTE& b : report)
          b = in.U8();
        if (!report.empty() && (kind & 0x80)) report[0] = (kind & 0x40) ? 0x0D : 0x08;
        desktop.Keyboard().SendInputReport(std::move(report));
        desktop.Keyboard().WaitForInputReports();
        break;
      }
      case 5:
        desktop.RunFor(in.U16());
        break;
      case 6:
        if (desktop.Keyboard().IsPresent(1)) {
          if (kind & 0x80) {
            desktop.Keyboard().UnplugCollection(static_cast<WORD>(1 + in.U8() % 5));
          } else {
            desktop.Keyboard().Unplug();
          }
        } else {
          desktop.Keyboard().Plug();
        }
        break;
      default:
        desktop.Keyboard().SelectModeOnKeyboard(in.U8() % 6);
        desktop.Keyboard().WaitForInputReports();
        break;
    }
    desktop.RunUntilIdle();
    KX_FUZZ_CHECK(session.AgentWindow() == agent);
    CheckSettings(session.App()->MainHidWnd()->Settings());
  }
  desktop.RunFor(5000);
  CheckFiles(desktop);

  session.CloseAgent();
  KX_FUZZ_CHECK(session.AgentWindow() == nullptr);
  KX_FUZZ_CHECK(desktop.Graphics().ObjectCount() == 0 && desktop.Graphics().DcCount() == 0);
  return 0;
}
