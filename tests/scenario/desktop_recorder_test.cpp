#include "desktop_recorder.h"

#include <gtest/gtest.h>

#include "platform/sim/recording_window.h"
#include "platform/sim/temp_folder.h"

namespace kx::simtool {
namespace {

// Windows of another program on a desktop whose messages are being recorded.
class DesktopRecorderTest : public ::testing::Test {
 protected:
  DesktopRecorderTest() {
    recorder_.Start();
    desktop_.Windows().SetCreatingProcess(desktop_.Processes().StartProcess(u"other.exe"));
  }

  std::vector<std::string> Lines() {
    std::vector<std::string> lines;
    for (const Event& e : log_.Events())
      lines.push_back(FormatEvent(e));
    return lines;
  }

  sim::TempFolder folder_;
  sim::Desktop desktop_{sim::DesktopOptions{folder_.Path()}};
  EventLog log_;
  DesktopRecorder recorder_{desktop_, log_};
};

TEST_F(DesktopRecorderTest, PostedMessagesAreLoggedButNotTheWindowSystemsOwn) {
  sim::RecordingWindow a;
  ASSERT_TRUE(a.Open(u"Kestrix"));
  desktop_.Windows().Post(a.Handle(), 0x658, 0, 3);
  desktop_.Windows().Send(a.Handle(), 0x659, 1, 1);  // sent, not posted
  desktop_.Windows().Post(a.Handle(), 2 /* WM_DESTROY */, 0, 0);
  desktop_.RunUntilIdle();
  a.DestroyWindowObject();  // the system's WM_DESTROY and WM_NCDESTROY
  EXPECT_EQ(Lines(), (std::vector<std::string>{"0 MSG \"Kestrix\" 0x658 0x0 0x3",
                                               "0 MSG \"Kestrix\" 0x2 0x0 0x0"}));
}

TEST_F(DesktopRecorderTest, EachBroadcastIsLoggedOnceHoweverManyWindowsGetIt) {
  sim::RecordingWindow a, b, c;
  ASSERT_TRUE(a.Open(u"A") && b.Open(u"B") && c.Open(u"C"));
  const UINT sync = desktop_.Windows().RegisterMessage(u"VELT_DEV_SYNC");
  // Two equal broadcasts in a row are two broadcasts.
  desktop_.Windows().Post(HwndBroadcast(), sync, 1, -1);
  desktop_.Windows().Post(HwndBroadcast(), sync, 1, -1);
  // The first window to get the next one is gone before it does: still one line.
  desktop_.Windows().Post(HwndBroadcast(), sync, 0, 2);
  c.DestroyWindowObject();
  desktop_.RunUntilIdle();
  EXPECT_EQ(Lines(), (std::vector<std::string>{"0 MSG \"*\" 0xc000 0x1 0xffffffffffffffff",
                                               "0 MSG \"*\" 0xc000 0x1 0xffffffffffffffff",
                                               "0 MSG \"*\" 0xc000 0x0 0x2"}));
  EXPECT_EQ(a.ReceivedOf(sync).size(), 3u);
}

TEST_F(DesktopRecorderTest, MessagesToTheAgentsOwnWindowsAreNotLogged) {
  desktop_.Windows().SetCreatingProcess(sim::Desktop::kAgentProcessId);
  sim::RecordingWindow agent;
  ASSERT_TRUE(agent.Open(u"Kestrix_Hid"));
  desktop_.Windows().Post(agent.Handle(), 0x651, 0, 0);
  desktop_.RunUntilIdle();
  EXPECT_TRUE(Lines().empty());
  EXPECT_EQ(agent.ReceivedOf(0x651).size(), 1u);
}

TEST_F(DesktopRecorderTest, WritesAreLoggedWithTheUsageTheirIdNamesReadsOnlyWhenAnswered) {
  sim::VirtualKeyboard& keyboard = desktop_.Keyboard();
  sim::RecordingWindow link;
  ASSERT_TRUE(link.Open(u""));
  DEVICE_FILTER filter{};
  filter.vendorId = sim::VirtualKeyboard::kVendorId;
  filter.productId = sim::VirtualKeyboard::kProductId;
  filter.entryCount = 5;
  for (DWORD usage = 1; usage <= 5; ++usage)
    filter.entries[usage - 1] = DEVICE_FILTER::Entry{usage, sim::VirtualKeyboard::kUsagePage};
  keyboard.SetDeviceFilter(&filter);
  keyboard.Plug();
  ASSERT_TRUE(keyboard.StartMonitor(link.Handle(), 0x502));
  const BYTE query[8] = {0x07, 0x80};
  BYTE answer[8] = {0x07};
  keyboard.WriteReport(keyboard.DeviceId(2), query, 8);
  keyboard.ReadReport(keyboard.DeviceId(2), answer, 8);
  keyboard.ReadReport(keyboard.DeviceId(2), answer, 8);  // nothing waiting: not logged
  keyboard.WriteReport(0, query, 2);                     // names no collection
  EXPECT_EQ(Lines(), (std::vector<std::string>{"0 W u2 07 80 00 00 00 00 00 00",
                                               "0 R u2 07 80 01 03 00 00 00 00", "0 W u0 07 80"}));
}

}  // namespace
}  // namespace kx::simtool
