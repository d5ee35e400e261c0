// The agent end to end on real Windows messages: kestrix-hid.exe runs as its own process in an
// installed folder with the substitute HidDevice.dll playing the keyboard and the real tray
// program; this program plays the configuration program ("Kestrix" with its inner window),
// the OSD program's window, "DLGLoading" and a listener of the broadcast, as other processes.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../platform/win32_test_support.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/platform.h"
#include "platform/text_util.h"
#include "platform/window_system.h"
#include "protocol/messages.h"
#include "test_keyboard_control.h"
#include "transfer_log.h"

#include <windows.h>

// Taken outside our namespace, where HKEY is the system's type.
static const ::HKEY kCurrentUser = HKEY_CURRENT_USER;

namespace kx::win32::testing {
namespace {

namespace tk = test_keyboard;
using namespace protocol;

constexpr int kArrivalTimeoutMs = 60000;  // five collections, each asked for its version after 3 s

std::wstring Wide(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

// The installed folder beside this program.
std::wstring AgentFolder() {
  return ProgramFolder() + L"Kestrix\\";
}

std::wstring DataFolder() {
  wchar_t appData[MAX_PATH];
  ::GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH);
  return std::wstring(appData) + L"\\Kestrix\\";
}

class AgentProcess : public ChildProcess {
 public:
  AgentProcess() : ChildProcess(AgentFolder() + L"kestrix-hid.exe", AgentFolder()) {}
};

std::size_t CountTopLevel(std::u16string_view title) {
  struct Search {
    std::wstring title;
    std::size_t count = 0;
  } search{Wide(title)};
  ::EnumWindows(
      [](::HWND hwnd, ::LPARAM lParam) -> ::BOOL {
        auto* s = reinterpret_cast<Search*>(lParam);
        wchar_t text[64] = {};
        ::GetWindowTextW(hwnd, text, 64);
        if (s->title == text) ++s->count;
        return TRUE;
      },
      reinterpret_cast<::LPARAM>(&search));
  return search.count;
}

std::vector<tk::Transfer> Transfers() {
  const std::wstring path = AgentFolder() + Wide(tk::kTransferLog);
  return tk::ReadTransferLog(std::u16string(path.begin(), path.end()));
}

std::wstring RegistryText(const wchar_t* value) {
  wchar_t text[64] = {};
  ::DWORD size = sizeof(text);
  if (::RegGetValueW(kCurrentUser, L"SOFTWARE\\Kestrix", value, RRF_RT_REG_SZ, nullptr, text,
                     &size) != ERROR_SUCCESS) {
    return L"<none>";
  }
  return text;
}

::DWORD RegistryNumber(const wchar_t* value) {
  ::DWORD number = 0xFFFFFFFF;
  ::DWORD size = sizeof(number);
  ::RegGetValueW(kCurrentUser, L"SOFTWARE\\Kestrix", value, RRF_RT_REG_DWORD, nullptr, &number,
                 &size);
  return number;
}

// The other programs, as windows of this process.
class OtherPrograms {
 public:
  OtherPrograms() {
    syncMessage = os::Windows().RegisterMessage(kSyncMessageName);
    config.watch = {WM_DEVICE_PLUG, syncMessage};
    inner.watch = {WM_PROFILE_SELECT, WM_LIGHT_EFFECT_CHANGED};
    loading.watch = {WM_PROFILE_SYNC};
    osd.watch = {WM_COPYDATA};
    osd.answer = [this](UINT message, WPARAM, LPARAM lParam) -> LRESULT {
      if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        const auto* bytes = static_cast<const std::uint8_t*>(data->lpData);
        osdRecords.emplace_back(bytes, bytes + data->cbData);
        osdIds.push_back(data->dwData);
      }
      return 1;
    };
    Make(config, u"", std::u16string(kConfigTitle), nullptr, false);
    Make(inner, u"", std::u16string(kConfigTitle), config.Handle(), true);
    Make(loading, u"", std::u16string(kLoadingTitle), nullptr, false);
    Make(osd, std::u16string(kOsdClass), std::u16string(kOsdTitle), nullptr, false);
  }

  static void Make(RecordingWindow& window, std::u16string cls, std::u16string title, HWND parent,
                   bool child) {
    WindowSpec spec;
    spec.className = std::move(cls);
    spec.title = std::move(title);
    spec.style = child ? WS_CHILD : WS_POPUP;
    spec.parent = parent;
    spec.rect = RECT{0, 0, 1, 1};
    EXPECT_TRUE(window.CreateWindowObject(spec));
  }

  UINT syncMessage = 0;
  RecordingWindow config;
  RecordingWindow inner;
  RecordingWindow loading;
  RecordingWindow osd;
  std::vector<std::vector<std::uint8_t>> osdRecords;
  std::vector<std::uintptr_t> osdIds;
};

std::u16string RecordText(const std::vector<std::uint8_t>& record) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < 512; i += 2) {
    const auto unit = static_cast<char16_t>(record[i] | (record[i + 1] << 8));
    if (unit == 0) break;
    text.push_back(unit);
  }
  return text;
}
std::uint32_t RecordNumber(const std::vector<std::uint8_t>& record, std::size_t offset) {
  return static_cast<std::uint32_t>(record[offset]) | (record[offset + 1] << 8) |
         (record[offset + 2] << 16) | (static_cast<std::uint32_t>(record[offset + 3]) << 24);
}

TEST(AgentEndToEnd, TheOverviewsFlowsOnRealMessages) {
  // The installer creates the agent's registry key; the agent only writes into it.
  ::HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyW(kCurrentUser, L"SOFTWARE\\Kestrix", &key), ERROR_SUCCESS);
  ::RegCloseKey(key);
  OtherPrograms others;
  AgentProcess agent;
  ASSERT_TRUE(agent.Started());
  HWND agentWindow = nullptr;
  ASSERT_TRUE(PumpUntil(
      [&] { return (agentWindow = os::Windows().Find(u"", kAgentTitle)) != nullptr; }, 20000));
  // The agent starts the tray program when none runs.
  HWND tray = nullptr;
  ASSERT_TRUE(
      PumpUntil([&] { return (tray = os::Windows().Find(u"", kTrayTitle)) != nullptr; }, 20000));
  HWND keyboard = os::Windows().Find(u"", tk::kControlTitle);
  ASSERT_NE(keyboard, nullptr);

  // --- Start once per user: a second agent ends without a window ---
  {
    AgentProcess second;
    ASSERT_TRUE(second.Started());
    EXPECT_EQ(second.WaitForExit(20000), std::optional<std::uint32_t>(0));
    EXPECT_EQ(CountTopLevel(kAgentTitle), 1u);
  }

  // The configuration program turns the broadcast of mode changes on, as a user would.
  const std::wstring configFile = DataFolder() + L"config.ini";
  ASSERT_TRUE(PumpUntil(
      [&] { return ::GetFileAttributesW(configFile.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000));
  ASSERT_TRUE(::WritePrivateProfileStringW(L"Setting", L"SyncMode", L"1", configFile.c_str()));
  os::Windows().Post(agentWindow, WM_RELOAD_SETTINGS, 0, 0);

  // --- Arrival: firmware 1.5, five collections ---
  ASSERT_EQ(os::Windows().Send(keyboard, tk::kSetFirmware, 1, 5), 1);
  ASSERT_EQ(os::Windows().Send(keyboard, tk::kPlug, 0, 0), 1);
  ASSERT_TRUE(
      PumpUntil([&] { return others.config.Count(WM_DEVICE_PLUG) >= 5; }, kArrivalTimeoutMs));
  for (const Received& r : others.config.received) {
    if (r.message == WM_DEVICE_PLUG) {
      EXPECT_EQ(r.wParam, 1u);
      EXPECT_EQ(r.lParam, 0);
    }
  }
  constexpr UINT kTrayQueryPresence = WM_APP + 2;
  EXPECT_TRUE(
      PumpUntil([&] { return os::Windows().Send(tray, kTrayQueryPresence, 0, 0) == 1; }, 5000));
  EXPECT_EQ(RegistryText(L"FWVersion"), L"15");
  EXPECT_EQ(RegistryNumber(L"DevicePlug"), 1u);
  wchar_t version[16] = {};
  ::GetPrivateProfileStringW(L"Setting", L"FWVersion", L"", version, 16, configFile.c_str());
  EXPECT_EQ(std::wstring(version), L"15");

  // --- A mode change made on the keyboard ---
  const std::size_t writesBefore = Transfers().size();
  ASSERT_EQ(os::Windows().Send(keyboard, tk::kSelectMode, 3, 0), 1);
  ASSERT_TRUE(PumpUntil([&] { return others.inner.Count(WM_PROFILE_SELECT) >= 1; }, 10000));
  EXPECT_EQ(others.inner.received.back().lParam, 3);
  ASSERT_TRUE(PumpUntil([&] { return !others.osdRecords.empty(); }, 10000));
  const std::vector<std::uint8_t>& record = others.osdRecords.back();
  ASSERT_EQ(record.size(), 1044u);
  EXPECT_EQ(others.osdIds.back(), 0u);
  EXPECT_EQ(RecordText(record), u"Profile 3");
  EXPECT_EQ(RecordNumber(record, 516), 1500u);
  EXPECT_EQ(RecordNumber(record, 524), 0x000000FFu);  // OSD_Color 0
  EXPECT_EQ(RecordNumber(record, 528), 40u);
  // The broadcast reaches us, and the agent itself, which sets the keyboard's mode.
  ASSERT_TRUE(PumpUntil([&] { return others.config.Count(others.syncMessage) >= 1; }, 10000));
  for (const Received& r : others.config.received) {
    if (r.message == others.syncMessage) {
      EXPECT_EQ(r.wParam, SYNC_PROFILE);
      EXPECT_EQ(r.lParam, 3);
    }
  }
  ASSERT_TRUE(PumpUntil(
      [&] {
        const std::vector<tk::Transfer> t = Transfers();
        return std::any_of(
            t.begin() + static_cast<std::ptrdiff_t>(std::min(writesBefore, t.size())), t.end(),
            [](const tk::Transfer& x) { return x.kind == 'W' && x.bytes.rfind("0A0303", 0) == 0; });
      },
      10000));
  wchar_t profile[8] = {};
  ::GetPrivateProfileStringW(L"Setting", L"Profile", L"", profile, 8, configFile.c_str());
  EXPECT_EQ(std::wstring(profile), L"3");

  // --- A profile written to the keyboard ---
  const std::size_t before = Transfers().size();
  os::Windows().Post(agentWindow, WM_SHOW_PROGRESS, 0, 0);
  os::Windows().Post(agentWindow, WM_PROFILE_SYNC, 0, 0);
  bool sawProgress = false;
  ASSERT_TRUE(PumpUntil(
      [&] {
        sawProgress =
            sawProgress || os::Windows().Find(u"#32770", u"ZULQuarvexProgressbar") != nullptr;
        return others.loading.Count(WM_PROFILE_SYNC) >= 1;
      },
      30000));
  EXPECT_TRUE(sawProgress);
  EXPECT_EQ(others.loading.received.back().wParam, 0u);
  EXPECT_TRUE(
      PumpUntil([] { return os::Windows().Find(u"", u"ZULQuarvexProgressbar") == nullptr; }, 5000));
  std::vector<tk::Transfer> written = Transfers();
  written.erase(written.begin(), written.begin() + static_cast<std::ptrdiff_t>(before));
  std::vector<std::size_t> headers;
  std::size_t chunks = 0;
  for (std::size_t i = 0; i < written.size(); ++i) {
    if (written[i].bytes.rfind("0A0403", 0) == 0) headers.push_back(i);
    if (written[i].usage == 3 && written[i].bytes.rfind("0B", 0) == 0) ++chunks;
  }
  ASSERT_EQ(headers.size(), 1u);
  EXPECT_EQ(chunks, 23u);
  ASSERT_FALSE(written.empty());
  EXPECT_EQ(written.back().bytes.substr(0, 6), "0A0303");  // the mode command ends it
  // Real pauses: 200 ms after the header, 60 ms after each chunk.
  const std::size_t h = headers.front();
  ASSERT_LT(h + 23, written.size());
  EXPECT_GE(written[h + 1].ms - written[h].ms, 200u - 2u);
  EXPECT_GE(written[h + 23].ms - written[h + 1].ms, 22u * 60u - 2u);

  // --- Without its window, the OSD program is started from the agent's folder ---
  ASSERT_TRUE(others.osd.DestroyWindowObject());
  ASSERT_EQ(os::Windows().Send(keyboard, tk::kSelectMode, 0, 0), 1);
  HWND realOsd = nullptr;
  ASSERT_TRUE(PumpUntil(
      [&] {
        realOsd = os::Windows().Find(kOsdClass, kOsdTitle);
        return realOsd != nullptr && os::Windows().IsVisible(realOsd);
      },
      15000));

  // --- Removal ---
  ASSERT_EQ(os::Windows().Send(keyboard, tk::kUnplug, 0, 0), 1);
  ASSERT_TRUE(PumpUntil(
      [&] {
        return std::any_of(
            others.config.received.begin(), others.config.received.end(),
            [](const Received& r) { return r.message == WM_DEVICE_PLUG && r.wParam == 0; });
      },
      20000));
  EXPECT_TRUE(PumpUntil([&] { return RegistryNumber(L"DevicePlug") == 0; }, 5000));
  EXPECT_EQ(RegistryText(L"FWVersion"), L" ");
  EXPECT_TRUE(
      PumpUntil([&] { return os::Windows().Send(tray, kTrayQueryPresence, 0, 0) == 0; }, 5000));

  // --- The end: WM_CLOSE, status 0, the OSD program told to end ---
  os::Windows().Post(agentWindow, WM_CLOSE, 0, 0);
  EXPECT_EQ(agent.WaitForExit(20000), std::optional<std::uint32_t>(0));
  // The OSD program ends on the WM_DESTROY the agent posts it.
  EXPECT_TRUE(PumpUntil([] { return os::Windows().Find(kOsdClass, kOsdTitle) == nullptr; }, 10000));
  EXPECT_EQ(os::Windows().Find(u"", kAgentTitle), nullptr);
  // The tray program stays; it is the user's to end.
  os::Windows().Post(tray, WM_CLOSE, 0, 0);
}

TEST(AgentEndToEnd, WithoutItsHidLibraryTheAgentDoesNotStart) {
  // The agent alone in a folder of its own: no HidDevice.dll beside it.
  ScratchFolder folder;
  const std::wstring lone =
      std::wstring(folder.Path().begin(), folder.Path().end()) + L"\\kestrix-hid.exe";
  ASSERT_TRUE(::CopyFileW((AgentFolder() + L"kestrix-hid.exe").c_str(), lone.c_str(), FALSE));
  std::wstring commandLine = L"\"" + lone + L"\"";
  ::STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  ::PROCESS_INFORMATION info{};
  ASSERT_TRUE(::CreateProcessW(lone.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                               nullptr, nullptr, &startup, &info));
  EXPECT_EQ(::WaitForSingleObject(info.hProcess, 20000), WAIT_OBJECT_0);
  ::DWORD code = 0;
  ::GetExitCodeProcess(info.hProcess, &code);
  EXPECT_EQ(code, 1u);
  EXPECT_EQ(os::Windows().Find(u"", kAgentTitle), nullptr);
  ::CloseHandle(info.hThread);
  ::CloseHandle(info.hProcess);
}

}  // namespace
}  // namespace kx::win32::testing
