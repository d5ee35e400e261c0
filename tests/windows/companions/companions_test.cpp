// The OSD and tray programs as the agent meets them: started as processes, found by their
// windows, driven by messages, ended as the agent ends them.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../platform/win32_test_support.h"
#include "osd_record.h"
#include "platform/messages.h"
#include "platform/platform.h"
#include "platform/window_system.h"
#include "protocol/messages.h"

#include <windows.h>

namespace kx::win32::testing {
namespace {

using osd::DecodeOsdRecord;
using osd::kRecordSize;

std::vector<std::uint8_t> Record(std::u16string_view text, std::uint32_t displayMs,
                                 std::uint32_t colour, std::u16string_view face = u"Arial") {
  std::vector<std::uint8_t> bytes(kRecordSize, 0);
  auto putText = [&](std::size_t offset, std::u16string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
      bytes[offset + 2 * i] = static_cast<std::uint8_t>(s[i] & 0xFF);
      bytes[offset + 2 * i + 1] = static_cast<std::uint8_t>(s[i] >> 8);
    }
  };
  auto putNumber = [&](std::size_t offset, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
      bytes[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  putText(0, text);
  putNumber(512, 0);
  putNumber(516, displayMs);
  putNumber(520, 0);
  putNumber(524, colour);
  putNumber(528, 40);
  putText(532, face);
  return bytes;
}

TEST(OsdRecord, DecodesTheAgentsRecord) {
  const std::optional<osd::OsdRequest> request =
      DecodeOsdRecord(0, Record(u"Profile 3", 1500, 0xFF));
  ASSERT_TRUE(request.has_value());
  EXPECT_EQ(request->text, u"Profile 3");
  EXPECT_EQ(request->displayMs, 1500u);
  EXPECT_EQ(request->colour, 0x0000FFu);
  EXPECT_EQ(request->fontHeight, 40);
  EXPECT_EQ(request->fontFace, u"Arial");
}

TEST(OsdRecord, RefusesOtherRecordsAndCutsUnterminatedFields) {
  EXPECT_FALSE(DecodeOsdRecord(1, Record(u"x", 1500, 0)).has_value());
  std::vector<std::uint8_t> shortRecord = Record(u"x", 1500, 0);
  shortRecord.pop_back();
  EXPECT_FALSE(DecodeOsdRecord(0, shortRecord).has_value());

  // A text field without terminator gives 255 characters; a cut pair half is dropped.
  std::u16string full(256, u'a');
  full[254] = 0xD83D;
  full[255] = 0xDE00;
  std::vector<std::uint8_t> bytes = Record(full, 0, 0x01FFFFFF, std::u16string(256, u'f'));
  const std::optional<osd::OsdRequest> request = DecodeOsdRecord(0, bytes);
  ASSERT_TRUE(request.has_value());
  EXPECT_EQ(request->text, std::u16string(254, u'a'));
  EXPECT_EQ(request->displayMs, 1500u);      // 0: the default time
  EXPECT_EQ(request->colour, 0x00FFFFFFu);   // the top byte is no colour
  EXPECT_EQ(request->fontFace.size(), 31u);  // the longest face name the system takes
}

// A program beside this test, started as the agent starts it.
class Process : public ChildProcess {
 public:
  explicit Process(const std::wstring& name) : ChildProcess(ProgramFolder() + name) {}
};

HWND WaitForWindow(std::u16string_view cls, std::u16string_view title) {
  HWND found = nullptr;
  PumpUntil([&] { return (found = os::Windows().Find(cls, title)) != nullptr; }, 10000);
  return found;
}

TEST(OsdProgram, ShowsEachTextForItsTimeAndEndsOnDestroy) {
  Process osdProgram(L"OSD.exe");
  ASSERT_TRUE(osdProgram.Started());
  const HWND osdWindow = WaitForWindow(protocol::kOsdClass, protocol::kOsdTitle);
  ASSERT_NE(osdWindow, nullptr);
  EXPECT_FALSE(os::Windows().IsVisible(osdWindow));
  // Top-most and click-through.
  const DWORD exStyle = os::Windows().GetExStyle(osdWindow);
  EXPECT_NE(exStyle & WS_EX_TOPMOST, 0u);
  EXPECT_NE(exStyle & WS_EX_TRANSPARENT, 0u);

  const std::vector<std::uint8_t> record = Record(u"Profile 3", 400, 0x000000FF);
  COPYDATASTRUCT data;
  data.dwData = 0;
  data.cbData = static_cast<DWORD>(record.size());
  data.lpData = record.data();
  EXPECT_EQ(os::Windows().Send(osdWindow, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), 1);
  EXPECT_TRUE(os::Windows().IsVisible(osdWindow));
  EXPECT_GT(os::Windows().GetWindowRect(osdWindow).Width(), 40);
  // Hidden again after its display time (the second number), well before a second.
  EXPECT_TRUE(PumpUntil([&] { return !os::Windows().IsVisible(osdWindow); }, 3000));

  data.cbData = 100;  // not the record
  EXPECT_EQ(os::Windows().Send(osdWindow, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), 0);
  EXPECT_FALSE(os::Windows().IsVisible(osdWindow));

  // A second start finds the window and ends at once.
  Process second(L"OSD.exe");
  ASSERT_TRUE(second.Started());
  EXPECT_EQ(second.WaitForExit(10000), std::optional<std::uint32_t>(0));

  // The agent posts WM_DESTROY as it ends.
  os::Windows().Post(osdWindow, WM_DESTROY, 0, 0);
  EXPECT_EQ(osdProgram.WaitForExit(10000), std::optional<std::uint32_t>(0));
  EXPECT_EQ(os::Windows().Find(protocol::kOsdClass, protocol::kOsdTitle), nullptr);
}

TEST(TrayProgram, FollowsThePresenceAndEndsTheAgentFromItsMenu) {
  RecordingWindow agent;
  agent.watch = {WM_CLOSE};
  agent.answer = [](UINT, WPARAM, LPARAM) -> LRESULT { return 0; };  // stays open
  WindowSpec spec;
  spec.title = std::u16string(protocol::kAgentTitle);
  spec.style = WS_POPUP;
  ASSERT_TRUE(agent.CreateWindowObject(spec));

  Process tray(L"trayicon.exe");
  ASSERT_TRUE(tray.Started());
  const HWND trayWindow = WaitForWindow(u"", protocol::kTrayTitle);
  ASSERT_NE(trayWindow, nullptr);
  constexpr UINT kQueryPresence = WM_APP + 2;
  EXPECT_EQ(os::Windows().Send(trayWindow, kQueryPresence, 0, 0), 0);
  os::Windows().Post(trayWindow, protocol::WM_DEVICE_PLUG, 1, 0);
  EXPECT_TRUE(
      PumpUntil([&] { return os::Windows().Send(trayWindow, kQueryPresence, 0, 0) == 1; }, 5000));
  os::Windows().Post(trayWindow, protocol::WM_DEVICE_PLUG, 0, 0);
  EXPECT_TRUE(
      PumpUntil([&] { return os::Windows().Send(trayWindow, kQueryPresence, 0, 0) == 0; }, 5000));

  // The menu's Exit: WM_CLOSE to "Kestrix_Hid", and the tray program ends.
  constexpr WPARAM kMenuExit = 2;
  os::Windows().Post(trayWindow, WM_COMMAND, kMenuExit, 0);
  EXPECT_TRUE(PumpUntil([&] { return agent.Count(WM_CLOSE) == 1; }, 5000));
  EXPECT_EQ(tray.WaitForExit(10000), std::optional<std::uint32_t>(0));
}

}  // namespace
}  // namespace kx::win32::testing
