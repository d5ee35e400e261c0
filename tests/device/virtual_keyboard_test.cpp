#include "platform/sim/virtual_keyboard.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/sim/desktop.h"
#include "platform/sim/recording_window.h"
#include "platform/sim/temp_folder.h"

namespace kx::sim {
namespace {

using Bytes = std::vector<BYTE>;
using Kind = HidTransfer::Kind;

constexpr UINT kNotify = 0x502;

DEVICE_FILTER FilterFor(std::initializer_list<WORD> usages, DWORD vendor = 0x258A) {
  DEVICE_FILTER filter{};
  filter.vendorId = vendor;
  filter.productId = 0x0090;
  for (WORD usage : usages) {
    filter.entries[filter.entryCount].usage = usage;
    filter.entries[filter.entryCount].usagePage = 0xFF00;
    ++filter.entryCount;
  }
  return filter;
}

struct Seen {
  DWORD event;
  WORD usage;
  friend bool operator==(const Seen&, const Seen&) = default;
};

class VirtualKeyboardTest : public ::testing::Test {
 protected:
  VirtualKeyboardTest() {
    monitor_.Open(u"monitor");
    monitor_.SetHandler([this](UINT message, WPARAM wParam, LPARAM lParam, bool*) -> LRESULT {
      if (message == kNotify && wParam == 1) {
        const auto* state = reinterpret_cast<const _DEVICE_STATE*>(lParam);
        EXPECT_EQ(state->dwDeviceID, keyboard_.DeviceId(state->usage));
        EXPECT_EQ(state->usagePage, 0xFF00);
        seen_.push_back({state->event, state->usage});
      }
      return 0;
    });
  }

  void Watch(std::initializer_list<WORD> usages = {1, 2, 3, 4, 5}) {
    const DEVICE_FILTER filter = FilterFor(usages);
    keyboard_.SetDeviceFilter(&filter);
    ASSERT_TRUE(keyboard_.StartMonitor(monitor_.Handle(), kNotify));
  }

  BOOL Write(WORD usage, Bytes bytes) {
    return keyboard_.WriteReport(keyboard_.DeviceId(usage), bytes.data(),
                                 static_cast<DWORD>(bytes.size()));
  }

  TempFolder folder_;
  Desktop desktop_{DesktopOptions{folder_.Path()}};
  VirtualKeyboard& keyboard_ = desktop_.Keyboard();
  RecordingWindow monitor_;
  std::vector<Seen> seen_;
};

TEST_F(VirtualKeyboardTest, NotifiesMatchingCollectionsInUsageOrder) {
  Watch({4, 2});
  keyboard_.Plug();
  keyboard_.Unplug();
  EXPECT_EQ(seen_, (std::vector<Seen>{
                       {MONITOROPEN, 2}, {MONITOROPEN, 4}, {MONITORCLOSE, 2}, {MONITORCLOSE, 4}}));
  keyboard_.Plug();
  seen_.clear();
  keyboard_.StopMonitor();
  keyboard_.Unplug();
  EXPECT_TRUE(seen_.empty());
}

TEST_F(VirtualKeyboardTest, StartingToWatchReportsWhatIsPresent) {
  keyboard_.Plug();
  Watch();
  EXPECT_EQ(seen_.size(), 5u);
  seen_.clear();
  const DEVICE_FILTER other = FilterFor({1, 2, 3, 4, 5}, /*vendor=*/0x1234);
  keyboard_.SetDeviceFilter(&other);
  EXPECT_TRUE(keyboard_.StartMonitor(monitor_.Handle(), kNotify));
  EXPECT_TRUE(seen_.empty());
  EXPECT_FALSE(keyboard_.StartMonitor(nullptr, kNotify));
}

TEST_F(VirtualKeyboardTest, WritesReachOnlyPresentWatchedCollectionsThatTakeTheReport) {
  keyboard_.Plug();
  EXPECT_FALSE(Write(2, {0x0A, 0x0F}));  // not watched yet
  Watch({2, 3});
  EXPECT_TRUE(Write(2, {0x0A, 0x0F}));
  EXPECT_TRUE(Write(2, {0x07, 0x11, 1}));
  EXPECT_FALSE(Write(2, {0x0B, 0x01}));  // collection 2 takes no 0B
  EXPECT_TRUE(Write(3, {0x0B, 0x01}));
  EXPECT_FALSE(Write(4, {0x0C, 0x01}));  // present, not watched
  EXPECT_FALSE(keyboard_.WriteReport(0x9999, Bytes{0x0A, 0x0F}.data(), 2));
  keyboard_.Unplug();
  EXPECT_FALSE(Write(2, {0x0A, 0x0F}));
  EXPECT_EQ(keyboard_.Memory().command0FCount, 1u);
  const std::vector<HidTransfer> writes = keyboard_.Writes();
  ASSERT_EQ(writes.size(), 8u);
  EXPECT_EQ(writes[6].usage, 0);  // an id no collection has
  EXPECT_EQ(writes[4].usage, 3);
}

TEST_F(VirtualKeyboardTest, QueriesAreAnsweredOnceOnCollectionTwo) {
  keyboard_.Plug();
  Watch();
  keyboard_.SetFirmwareVersion(4, 2);
  Bytes buffer(8, 0);
  buffer[0] = 0x07;
  EXPECT_FALSE(keyboard_.ReadReport(keyboard_.DeviceId(2), buffer.data(), 8));  // nothing asked
  ASSERT_TRUE(Write(2, {0x07, 0x80, 0, 0, 0, 0, 0, 0}));
  EXPECT_FALSE(keyboard_.ReadReport(keyboard_.DeviceId(3), buffer.data(), 8));
  EXPECT_TRUE(keyboard_.ReadReport(keyboard_.DeviceId(2), buffer.data(), 8));
  EXPECT_EQ(buffer, (Bytes{0x07, 0x80, 4, 2, 0, 0, 0, 0}));
  EXPECT_FALSE(keyboard_.ReadReport(keyboard_.DeviceId(2), buffer.data(), 8));
  EXPECT_EQ(buffer, (Bytes{0x07, 0x80, 4, 2, 0, 0, 0, 0}));  // a failed read leaves it alone
}

TEST_F(VirtualKeyboardTest, FailuresCanBeInjected) {
  keyboard_.Plug();
  Watch();
  keyboard_.FailTransfersWhen([](const HidTransfer& t) { return t.bytes.at(1) == 0x11; });
  keyboard_.FailNth(Kind::kWrite, 2);
  EXPECT_TRUE(Write(2, {0x07, 0x01, 0x08}));
  EXPECT_FALSE(Write(2, {0x07, 0x01, 0x04}));  // the second write
  EXPECT_FALSE(Write(2, {0x07, 0x11, 0x01}));  // the predicate
  EXPECT_TRUE(Write(2, {0x07, 0x01, 0x02}));
  keyboard_.FailTransfersWhen(nullptr);
  EXPECT_TRUE(Write(2, {0x07, 0x11, 0x01}));
  const KeyboardMemory memory = keyboard_.Memory();
  EXPECT_EQ(memory.pollingRateMask, 0x02);
  EXPECT_EQ(memory.keyMode, 1);  // only the write that got through
}

TEST_F(VirtualKeyboardTest, ChunksCountOnlyAsACompleteRunAfterTheirHeader) {
  keyboard_.Plug();
  Watch();
  Write(3, {0x0B, 0x01, 9, 9, 9, 9, 9, 9});  // no header yet: ignored
  EXPECT_EQ(keyboard_.Memory().modes[1].keyMatrix[0], 0);
  Write(2, {0x0A, 0x04, 0x01});
  for (BYTE k = 1; k <= 23; ++k) {
    if (k != 7) Write(3, {0x0B, k, k, k, k, k, k, k});
  }
  ModeMemory mode = keyboard_.Memory().modes[1];
  EXPECT_EQ(mode.keyMatrixWrites, 0u);  // chunk 7 never came
  EXPECT_EQ(mode.keyMatrix[0], 1);
  EXPECT_EQ(mode.keyMatrix[6 * 6], 0);
  EXPECT_EQ(mode.keyMatrix[137], 23);
  Write(2, {0x0A, 0x04, 0x09});  // no such mode: the chunks that follow are ignored
  Write(3, {0x0B, 0x01, 5, 5, 5, 5, 5, 5});
  EXPECT_EQ(keyboard_.Memory().modes[1].keyMatrix[0], 1);
}

TEST_F(VirtualKeyboardTest, ModeCommandAndQuerySpeakSixForModeZero) {
  keyboard_.Plug();
  Watch();
  Write(2, {0x0A, 0x03, 0x04});
  EXPECT_EQ(keyboard_.Mode(), 4);
  Write(2, {0x0A, 0x03, 0x06});
  EXPECT_EQ(keyboard_.Mode(), 0);
  Write(2, {0x0A, 0x03, 0x07});  // no such mode
  EXPECT_EQ(keyboard_.Mode(), 0);
  Write(2, {0x07, 0x81});
  Bytes answer(264, 0);
  answer[0] = 0x07;
  ASSERT_TRUE(keyboard_.ReadReport(keyboard_.DeviceId(2), answer.data(), 264));
  EXPECT_EQ(answer[2], 6);
}

// --- Input reports on the keyboard's thread ---

std::atomic<int> g_calls{0};
std::atomic<bool> g_inCallback{false};
std::atomic<DWORD> g_lastId{0};

void CountingCallback(DWORD deviceId, const BYTE*, DWORD) {
  g_inCallback = true;
  g_lastId = deviceId;
  std::this_thread::sleep_for(std::chrono::microseconds(50));
  ++g_calls;
  g_inCallback = false;
}

TEST_F(VirtualKeyboardTest, InputReportsNeedACallbackAWatcherAndTheCollection) {
  g_calls = 0;
  auto send = [this](WORD usage) {
    keyboard_.SendInputReport({0x0D, 0x03, 0x01}, usage);
    keyboard_.WaitForInputReports();
  };
  keyboard_.Plug();
  keyboard_.SetReportCallback(&CountingCallback);
  send(1);  // nobody watching
  Watch({1, 2});
  keyboard_.SetReportCallback(nullptr);
  send(1);  // no callback
  keyboard_.SetReportCallback(&CountingCallback);
  send(5);  // not watched
  keyboard_.UnplugCollection(1);
  send(1);  // gone
  send(2);
  EXPECT_EQ(g_calls, 1);
  EXPECT_EQ(g_lastId, keyboard_.DeviceId(2));
  EXPECT_EQ(keyboard_.DeliveredReports(), 1u);
}

TEST_F(VirtualKeyboardTest, NoCallbackRunsAfterItIsCleared) {
  keyboard_.Plug();
  Watch();
  for (bool stopByMonitor : {false, true}) {
    g_calls = 0;
    keyboard_.SetReportCallback(&CountingCallback);
    if (stopByMonitor) Watch();
    for (int i = 0; i < 2000; ++i)
      keyboard_.SendInputReport({0x08, 0x01, 0x01, 0x04});
    while (g_calls < 10)
      std::this_thread::yield();
    if (stopByMonitor) {
      keyboard_.StopMonitor();
    } else {
      keyboard_.SetReportCallback(nullptr);
    }
    EXPECT_FALSE(g_inCallback);
    const int calls = g_calls;
    keyboard_.WaitForInputReports();
    EXPECT_EQ(g_calls, calls);
  }
}

}  // namespace
}  // namespace kx::sim
