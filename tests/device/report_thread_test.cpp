// The keyboard sends a long stream of key reports from its own thread while the user-interface
// thread pumps: every event the link posts arrives once, in the order the keys were reported.
#include <gtest/gtest.h>

#include <thread>

#include "device_fixture.h"

namespace kx::device::testing {
namespace {

constexpr std::size_t kReports = 100000;

// A key report (08) that decodes to exactly one WM_DEVICE_EVENT, carrying n in its three key
// bytes: b1 = 0x80 + n % 100 keeps clear of 0xFE and 0x02, b3 >= 0x20 keeps clear of 0x01,
// 0x07 and 0xAC.
Bytes KeyReport(std::size_t n) {
  return {0x08,
          static_cast<BYTE>(0x80 + n % 100),
          static_cast<BYTE>(n / 100 % 256),
          static_cast<BYTE>(0x20 + n / 25600),
          0,
          0,
          0,
          0,
          0};
}

std::size_t SequenceOf(WPARAM wParam, LPARAM lParam) {
  const std::size_t b1 = static_cast<std::size_t>(lParam & 0xFF);
  const std::size_t b2 = static_cast<std::size_t>((lParam >> 16) & 0xFF);
  return (wParam - 0x20) * 25600 + b2 * 100 + (b1 - 0x80);
}

class ReportThreadTest : public DeviceTest {};

TEST_F(ReportThreadTest, EveryEventArrivesOnceAndInOrder) {
  PlugAndOpen();
  desktop_.Debug().SetCapacity(0);  // two trace lines per report: keep none
  std::size_t traced = 0;
  desktop_.Debug().SetLineObserver([&traced](const std::u16string&) { ++traced; });

  std::thread sender([this] {
    for (std::size_t n = 0; n < kReports; ++n)
      keyboard_.SendInputReport(KeyReport(n));
  });
  std::size_t received = 0;
  while (received < kReports) {
    if (desktop_.RunUntilIdle() == 0) std::this_thread::yield();
    received = main_.Received().size();
  }
  sender.join();
  keyboard_.WaitForInputReports();
  desktop_.RunUntilIdle();

  const std::vector<sim::ReceivedMessage>& got = main_.Received();
  ASSERT_EQ(got.size(), kReports);
  std::size_t outOfOrder = 0;
  for (std::size_t n = 0; n < kReports; ++n) {
    if (got[n].message != protocol::WM_DEVICE_EVENT ||
        SequenceOf(got[n].wParam, got[n].lParam) != n) {
      ++outOfOrder;
    }
  }
  EXPECT_EQ(outOfOrder, 0u);
  EXPECT_EQ(keyboard_.DeliveredReports(), kReports);
  desktop_.Debug().SetLineObserver(nullptr);
  EXPECT_EQ(traced, 2 * kReports);
}

}  // namespace
}  // namespace kx::device::testing
