// A flood: 100 000 random messages from other programs (on a thread of their own), most to
// "Kestrix_Hid" and some to every other window they can find, while the keyboard sends random
// input reports (on its own thread), all at once. The agent handles every one of them and
// stays responsive, its memory stays bounded, and no settings or profile file is damaged.
#include <atomic>
#include <random>
#include <string>
#include <thread>

#include "agent_fixture.h"
#include "heap_usage.h"
#include "profiles/ini/ini_document.h"
#include "profiles/records.h"

namespace kx::core::testing {
namespace {

constexpr int kMessages = 100000;
constexpr int kBatches = 5;
constexpr int kReports = 20000;

// What another program might post to "Kestrix_Hid", weighted as a flood would be: mostly
// numbers the agent does not know and cheap requests, rarely the requests that reload the files
// or write the whole profile to the keyboard.
struct RandomMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

class MessageSource {
 public:
  MessageSource(std::uint32_t seed, UINT sync) : random_(seed), sync_(sync) {}

  RandomMessage Next() {
    const std::uint32_t roll = random_() % 1000;
    UINT message;
    if (roll < 2) {
      constexpr UINT kHeavy[] = {protocol::WM_PROFILE_SYNC, protocol::WM_LIGHT_SYNC,
                                 protocol::WM_RELOAD_SETTINGS, protocol::WM_DEVICE_PLUG};
      message = kHeavy[random_() % std::size(kHeavy)];
    } else if (roll < 400) {
      constexpr UINT kCheap[] = {protocol::WM_DEVICE_EVENT,
                                 protocol::WM_PROFILE_SELECT,
                                 protocol::WM_DEVICE_OPTION,
                                 protocol::WM_AGENT_NOOP,
                                 protocol::WM_LAUNCH_KEY_PROGRAM,
                                 protocol::WM_SHOW_PROGRESS,
                                 protocol::WM_HID_NOTIFY,
                                 protocol::WM_DEVICE_TOGGLE,
                                 WM_TIMER,
                                 WM_NULL,
                                 WM_PAINT};
      message = kCheap[random_() % std::size(kCheap)];
    } else if (roll < 550) {
      message = sync_;
    } else {
      message = WM_USER + random_() % (0xC000 - WM_USER);
    }
    return {message, static_cast<WPARAM>(Parameter()), Parameter()};
  }

  std::vector<BYTE> Report() {
    std::vector<BYTE> report(random_() % 12);
    for (BYTE& b : report)
      b = static_cast<BYTE>(random_());
    // Half of them look like the keyboard's own reports.
    if (report.size() >= 3 && random_() % 2 == 0) {
      constexpr BYTE kStarts[][2] = {{0x0D, 0x03}, {0x0D, 0x05}, {0x08, 0x01}, {0x08, 0xFE}};
      const auto& start = kStarts[random_() % std::size(kStarts)];
      report[0] = start[0];
      report[1] = start[1];
      report[2] = static_cast<BYTE>(random_() % 8);
    }
    return report;
  }

 private:
  LPARAM Parameter() {
    switch (random_() % 4) {
      case 0:
        return random_() % 8;
      case 1:
        return static_cast<LPARAM>(0x10000 |
                                   (random_() % 8 == 0 ? 0xDA + random_() % 6 : random_() % 256));
      case 2:
        return static_cast<std::int32_t>(random_());
      default:
        return -1;
    }
  }

  std::mt19937 random_;
  UINT sync_;
};

class MessageFloodTest : public AgentTest {
 protected:
  void SetUp() override {
    keyboard_.Plug();
    StartAgent();
    config_ = &companions_.StartConfigProgram();
    loading_ = &companions_.OpenWindow(protocol::kLoadingTitle);
    desktop_.RunUntilIdle();
  }

  // Forgets what the desktop recorded (the wire, debugger output, received messages): the
  // agent's memory is what is measured.
  void ForgetRecords() {
    keyboard_.ClearTransfers();
    desktop_.Debug().Clear();
    config_->Outer().ClearReceived();
    config_->Inner().ClearReceived();
    loading_->ClearReceived();
    if (sim::RecordingWindow* tray = companions_.Tray()) tray->ClearReceived();
  }

  // Every settings and profile file parses, and each struct value the agent keeps in it reads
  // back with the record's size and checksum.
  void ExpectFilesIntact() {
    const std::filesystem::path data = desktop_.HostAppData() / "Kestrix";
    int profilesChecked = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(data)) {
      if (!entry.is_regular_file() || entry.path().extension() != ".ini") continue;
      const auto bytes = desktop_.Files().ReadAll(
          DataFolder() + Widen(std::filesystem::relative(entry.path(), data).string()));
      ASSERT_TRUE(bytes.has_value()) << entry.path();
      ASSERT_GT(bytes->size(), 2u) << entry.path();
      const auto doc = profiles::IniDocument::Parse(*bytes);
      if (entry.path().filename() == "config.ini") {
        EXPECT_LT(doc.GetInt(u"Setting", u"Profile", 0), UINT{profiles::MODE_COUNT});
        continue;
      }
      std::vector<std::uint8_t> light(profiles::LIGHT_INFO_SIZE);
      EXPECT_TRUE(doc.GetStruct(u"GROUP", u"LIGHT_INFO", light)) << entry.path();
      std::vector<std::uint8_t> layout(profiles::LIGHT_DATA_SIZE);
      EXPECT_TRUE(doc.GetStruct(u"GROUP", u"LIGHT_DATA_0", layout)) << entry.path();
      std::vector<std::uint8_t> keys(10 * profiles::BUTTON_INFO_SIZE);
      EXPECT_TRUE(doc.GetStruct(u"GROUP", u"BUTTON_INFO_PART1", keys)) << entry.path();
      ++profilesChecked;
    }
    EXPECT_EQ(profilesChecked, profiles::MODE_COUNT);
  }

  companions::ConfigProgram* config_ = nullptr;
  sim::RecordingWindow* loading_ = nullptr;
};

TEST_F(MessageFloodTest, AgentHandlesEveryMessageAndReportWithBoundedMemory) {
  const HWND agent = AgentWindow();
  const UINT sync = desktop_.Windows().RegisterMessage(protocol::kSyncMessageName);

  // Other programs post in batches; after each, the user-interface thread catches up and the
  // heap is measured.
  std::atomic<int> batchesPosted{0};
  std::atomic<int> batchesHandled{0};
  std::atomic<bool> reportsDone{false};
  std::thread others([&] {
    MessageSource source(20240611, sync);
    for (int batch = 0; batch < kBatches; ++batch) {
      // Any program can find every top-level window, the agent's hidden ones included (the
      // device link's, the progress window while it shows): one message in ten goes to one.
      const std::vector<HWND> everyWindow = desktop_.Windows().TopLevelWindows();
      for (int i = 0; i < kMessages / kBatches; ++i) {
        const RandomMessage m = source.Next();
        HWND target = agent;
        if (m.message == sync && i % 4 == 0) {
          target = HwndBroadcast();
        } else if (i % 10 == 0) {
          target = everyWindow[static_cast<std::size_t>(i / 10) % everyWindow.size()];
        }
        desktop_.Windows().Post(target, m.message, m.wParam, m.lParam);
      }
      ++batchesPosted;
      while (batchesHandled.load() <= batch)
        std::this_thread::yield();
    }
  });
  std::thread keyboard([&] {
    MessageSource source(7, sync);
    for (int i = 0; i < kReports; ++i) {
      keyboard_.SendInputReport(source.Report());
      if (i % 64 == 0) std::this_thread::yield();
    }
    keyboard_.WaitForInputReports();
    reportsDone = true;
  });

  std::vector<std::size_t> heap;
  std::size_t handled = 0;
  while (batchesHandled.load() < kBatches) {
    handled += desktop_.RunUntilIdle();
    if (batchesPosted.load() > batchesHandled.load() && desktop_.Windows().QueuedCount() == 0) {
      ForgetRecords();
      heap.push_back(hardening::HeapInUse());
      ++batchesHandled;
    }
    std::this_thread::yield();
  }
  others.join();
  keyboard.join();
  handled += desktop_.RunUntilIdle();
  ASSERT_TRUE(reportsDone.load());
  EXPECT_GE(handled, std::size_t{kMessages});
  EXPECT_EQ(keyboard_.DeliveredReports() >= kReports / 2, true);

  // Still the same agent, and it answers at once.
  EXPECT_EQ(AgentWindow(), agent);
  EXPECT_EQ(desktop_.Windows().Send(agent, protocol::WM_AGENT_NOOP, 0, 0), 1);
  // Memory grew by less than a small fixed amount from the first batch to the last.
  ASSERT_EQ(heap.size(), std::size_t{kBatches});
  const auto growth = static_cast<std::int64_t>(heap.back()) - static_cast<std::int64_t>(heap[0]);
  EXPECT_LT(growth, 4 << 20) << "heap after each batch: " << ::testing::PrintToString(heap);
  RecordProperty("messages_handled", static_cast<int>(handled));
  RecordProperty("reports_delivered", static_cast<int>(keyboard_.DeliveredReports()));
  RecordProperty("heap_growth_bytes", static_cast<int>(growth));
  // The files are whole, and the agent still follows the keyboard.
  ExpectFilesIntact();
  keyboard_.SelectModeOnKeyboard(2);
  keyboard_.WaitForInputReports();
  desktop_.RunUntilIdle();
  EXPECT_EQ(Settings().Profile, 2);
  EXPECT_EQ(ReadSetting(u"Profile"), 2);
}

}  // namespace
}  // namespace kx::core::testing
