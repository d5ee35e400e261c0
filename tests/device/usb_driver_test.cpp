#include "device/usb_driver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "device_fixture.h"
#include "platform/messages.h"

namespace kx::device::testing {
namespace {

using PlugMessages = std::vector<std::pair<WPARAM, LPARAM>>;
const PlugMessages kFiveArrivals(5, {0, 1});

class UsbDriverTest : public DeviceTest {
 protected:
  // A notification as the library delivers it.
  LRESULT Notify(DWORD event, DWORD deviceId, WORD usage, WORD usagePage = kVendorUsagePage,
                 WPARAM wParam = 1) {
    _DEVICE_STATE state{};
    state.event = event;
    state.dwDeviceID = deviceId;
    state.usage = usage;
    state.usagePage = usagePage;
    return desktop_.Windows().Send(driver_.Handle(), protocol::WM_HID_NOTIFY, wParam,
                                   reinterpret_cast<LPARAM>(&state));
  }

  std::vector<WORD> ListedUsages() const {
    std::vector<WORD> out;
    for (const _DEVICE_STATE& s : driver_.m_DeviceList)
      out.push_back(s.usage);
    return out;
  }
};

TEST_F(UsbDriverTest, OwnsAnInvisibleOnePixelPopupAndStartsClosed) {
  sim::SimWindowSystem& windows = desktop_.Windows();
  ASSERT_TRUE(windows.IsWindow(driver_.Handle()));
  EXPECT_EQ(windows.GetStyle(driver_.Handle()),
            WS_POPUP | WS_CLIPSIBLINGS);  // the system clips top-level windows
  EXPECT_EQ(windows.GetWindowRect(driver_.Handle()), (RECT{1, 1, 2, 2}));
  EXPECT_EQ(windows.GetText(driver_.Handle()), u"");
  EXPECT_EQ(windows.GetParent(driver_.Handle()), nullptr);
  EXPECT_EQ(driver_.m_nCommandDelay, 20u);
  EXPECT_EQ(driver_.m_bLinkOpen, 0);
  EXPECT_TRUE(driver_.m_DeviceList.empty());
}

TEST_F(UsbDriverTest, FilterNamesTheFiveVendorCollectionsInUsageOrder) {
  const DEVICE_FILTER filter = KeyboardFilter();
  unsigned char bytes[sizeof filter];
  std::memcpy(bytes, &filter, sizeof filter);
  unsigned char expected[92] = {0x8A, 0x25, 0, 0, 0x90, 0, 0, 0, 5, 0, 0, 0};
  for (int i = 0; i < 5; ++i) {
    expected[12 + 8 * i] = static_cast<unsigned char>(i + 1);
    expected[16 + 8 * i] = 0x00;
    expected[17 + 8 * i] = 0xFF;
  }
  EXPECT_EQ(std::memcmp(bytes, expected, sizeof expected), 0);
}

TEST_F(UsbDriverTest, ArrivingKeyboardListsFiveCollectionsBeforeTheFirstPlugIsHandled) {
  std::vector<std::size_t> listedWhenHandled;
  main_.SetHandler([&](UINT message, WPARAM, LPARAM, bool*) -> LRESULT {
    if (message == protocol::WM_DEVICE_PLUG)
      listedWhenHandled.push_back(driver_.m_DeviceList.size());
    return 0;
  });
  ASSERT_TRUE(driver_.OpenLink());
  EXPECT_TRUE(driver_.m_DeviceList.empty());
  keyboard_.Plug();
  desktop_.RunUntilIdle();

  EXPECT_EQ(ListedUsages(), (std::vector<WORD>{1, 2, 3, 4, 5}));
  EXPECT_EQ(Received(protocol::WM_DEVICE_PLUG), kFiveArrivals);
  EXPECT_EQ(listedWhenHandled, std::vector<std::size_t>(5, 5));
  EXPECT_EQ(driver_.m_bLinkOpen, 1);
  for (WORD usage = 1; usage <= 5; ++usage) {
    EXPECT_EQ(driver_.FindDeviceId(usage), keyboard_.DeviceId(usage));
  }
  const std::vector<std::string> lines = DebugLines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "MONITOROPEN:dwDeviceID=4b11,usage:0x1,uagePage:0xff00");
  EXPECT_EQ(lines[4], "MONITOROPEN:dwDeviceID=4b15,usage:0x5,uagePage:0xff00");
}

TEST_F(UsbDriverTest, OpeningWhilePluggedReportsThePresentCollections) {
  keyboard_.Plug();  // nobody is watching yet
  EXPECT_TRUE(driver_.m_DeviceList.empty());
  ASSERT_TRUE(driver_.OpenLink());
  desktop_.RunUntilIdle();
  EXPECT_EQ(ListedUsages(), (std::vector<WORD>{1, 2, 3, 4, 5}));
  EXPECT_EQ(Received(protocol::WM_DEVICE_PLUG), kFiveArrivals);
}

TEST_F(UsbDriverTest, ReopeningReplacesRecordsInPlaceWithoutPosting) {
  PlugAndOpen();
  keyboard_.SetDeviceId(3, 0x7777);
  ASSERT_TRUE(driver_.OpenLink());  // stops and restarts the monitor, which reports all five
  desktop_.RunUntilIdle();
  EXPECT_EQ(ListedUsages(), (std::vector<WORD>{1, 2, 3, 4, 5}));
  EXPECT_EQ(driver_.FindDeviceId(3), 0x7777);
  EXPECT_TRUE(main_.Received().empty());
  EXPECT_EQ(DebugLines().size(), 5u);
}

TEST_F(UsbDriverTest, LastCollectionLeavingClosesTheLinkAndPostsOnce) {
  PlugAndOpen();
  keyboard_.UnplugCollection(3);
  desktop_.RunUntilIdle();
  EXPECT_EQ(ListedUsages(), (std::vector<WORD>{1, 2, 4, 5}));
  EXPECT_TRUE(main_.Received().empty());

  keyboard_.Unplug();
  desktop_.RunUntilIdle();
  EXPECT_TRUE(driver_.m_DeviceList.empty());
  EXPECT_EQ(driver_.m_bLinkOpen, 0);
  EXPECT_EQ(Received(protocol::WM_DEVICE_PLUG), (PlugMessages{{0, 0}}));
  EXPECT_EQ(DebugLines().back(), "MONITORCLOSE:dwDeviceID=4b15,usage:0x5,uagePage:0xff00");

  // The library keeps watching: plugging in again brings the keyboard back without OpenLink.
  main_.ClearReceived();
  keyboard_.Plug();
  desktop_.RunUntilIdle();
  EXPECT_EQ(Received(protocol::WM_DEVICE_PLUG), kFiveArrivals);
  EXPECT_EQ(driver_.m_bLinkOpen, 1);
}

TEST_F(UsbDriverTest, CloseWithAnEmptyListAlwaysReportsTheKeyboardGone) {
  ASSERT_EQ(driver_.m_bLinkOpen, 0);
  Notify(MONITORCLOSE, 0x4B12, 2);
  Notify(MONITORCLOSE, 0x4B12, 2);
  desktop_.RunUntilIdle();
  EXPECT_EQ(Received(protocol::WM_DEVICE_PLUG), (PlugMessages{{0, 0}, {0, 0}}));
}

TEST_F(UsbDriverTest, CloseMatchesTheLowSixteenBitsOfTheIdOnly) {
  PlugAndOpen();
  Notify(MONITORCLOSE, 0x12340000 | keyboard_.DeviceId(2), 2);
  EXPECT_EQ(ListedUsages(), (std::vector<WORD>{1, 3, 4, 5}));
  Notify(MONITORCLOSE, 0x9999, 4);  // an id the list does not hold
  EXPECT_EQ(ListedUsages(), (std::vector<WORD>{1, 3, 4, 5}));
  desktop_.RunUntilIdle();
  EXPECT_TRUE(main_.Received().empty());
}

TEST_F(UsbDriverTest, IgnoresOtherNotifications) {
  PlugAndOpen();
  const std::vector<_DEVICE_STATE> before = driver_.m_DeviceList;
  Notify(MONITOROPEN, 0x1111, 6, kVendorUsagePage, /*wParam=*/0);
  Notify(MONITORCLOSE, keyboard_.DeviceId(2), 2, kVendorUsagePage, /*wParam=*/2);
  Notify(/*event=*/2, keyboard_.DeviceId(2), 2);
  desktop_.Windows().Send(driver_.Handle(), protocol::WM_HID_NOTIFY, 1, 0);  // no record
  desktop_.RunUntilIdle();
  ASSERT_EQ(driver_.m_DeviceList.size(), before.size());
  EXPECT_EQ(std::memcmp(driver_.m_DeviceList.data(), before.data(),
                        before.size() * sizeof(_DEVICE_STATE)),
            0);
  EXPECT_TRUE(main_.Received().empty());
  EXPECT_TRUE(DebugLines().empty());
}

TEST_F(UsbDriverTest, NotificationsPostedByOtherProgramsAreNotRead) {
  // Only the library's notification, sent while its record lives, carries a record: the same
  // message posted by any other program carries a number that is no pointer of ours.
  PlugAndOpen();
  const std::vector<_DEVICE_STATE> before = driver_.m_DeviceList;
  _DEVICE_STATE close{};
  close.event = MONITORCLOSE;
  close.dwDeviceID = keyboard_.DeviceId(2);
  close.usage = 2;
  close.usagePage = kVendorUsagePage;
  desktop_.Windows().Post(driver_.Handle(), protocol::WM_HID_NOTIFY, 1,
                          reinterpret_cast<LPARAM>(&close));
  for (LPARAM junk : {LPARAM{0x10}, LPARAM{-1}, LPARAM{0x7FFF0000}})
    desktop_.Windows().Post(driver_.Handle(), protocol::WM_HID_NOTIFY, 1, junk);
  desktop_.RunUntilIdle();
  ASSERT_EQ(driver_.m_DeviceList.size(), before.size());
  EXPECT_EQ(driver_.m_bLinkOpen, 1);
  EXPECT_TRUE(main_.Received().empty());
}

TEST_F(UsbDriverTest, FindDeviceIdFallsBackToTheLastRecord) {
  EXPECT_EQ(driver_.FindDeviceId(2), 0);  // empty list
  Notify(MONITOROPEN, 0xA001, 1);
  Notify(MONITOROPEN, 0xA003, 3, /*usagePage=*/0xFF01);  // right usage, wrong page
  Notify(MONITOROPEN, 0x5A005, 5);
  EXPECT_EQ(driver_.FindDeviceId(1), 0xA001);
  EXPECT_EQ(driver_.FindDeviceId(3), 0xA005);  // the last record, low 16 bits
  EXPECT_EQ(driver_.FindDeviceId(5), 0xA005);
}

TEST_F(UsbDriverTest, WithoutAMainWindowTheListIsKeptButNothingIsPosted) {
  driver_.m_hMainWnd = nullptr;
  ASSERT_TRUE(driver_.OpenLink());
  keyboard_.Plug();
  keyboard_.Unplug();
  desktop_.RunUntilIdle();
  EXPECT_TRUE(Received(protocol::WM_DEVICE_PLUG).empty());
  EXPECT_EQ(DebugLines().size(), 10u);
}

TEST_F(UsbDriverTest, FailedStartLeavesTheLinkClosed) {
  keyboard_.FailStartMonitor(true);
  keyboard_.Plug();
  EXPECT_FALSE(driver_.OpenLink());
  EXPECT_EQ(driver_.m_bLinkOpen, 0);
  EXPECT_TRUE(driver_.m_DeviceList.empty());
}

// --- Input reports through the link ---

class InputReportTest : public UsbDriverTest {
 protected:
  void SetUp() override {
    config_.Open(protocol::kConfigTitle);
    inner_.Open(protocol::kConfigTitle, u"", config_.Handle());
    PlugAndOpen();
  }
  void Send(Bytes report) {
    keyboard_.SendInputReport(std::move(report));
    keyboard_.WaitForInputReports();
    desktop_.RunUntilIdle();
  }
  sim::RecordingWindow config_, inner_;
};

TEST_F(InputReportTest, EventsReachTheMainWindowWithTwoTraceLines) {
  Send({0x0D, 0x03, 0x02, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(Received(protocol::WM_DEVICE_EVENT), (PlugMessages{{0x02, 0x000100DA}}));
  const std::vector<std::string> lines = DebugLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(lines[0].starts_with("ID:0x4b11,pBuffer=0x")) << lines[0];
  EXPECT_TRUE(lines[0].ends_with(" , Length=0x9")) << lines[0];
  EXPECT_EQ(lines[1], "0d 03 02 00 00 00 00 00");
}

TEST_F(InputReportTest, NoticesGoToTheirOwnWindows) {
  Send({0x08, 0xFE, 0x06, 0x00, 0, 0, 0, 0, 0});
  Send({0x08, 0xFE, 0x05, 0x00, 0, 0, 0, 0, 0});
  Send({0x08, 0x00, 0x07, 0x00, 0x03, 0xD6, 0x01, 0x00, 0x00});
  auto switches = inner_.ReceivedOf(protocol::WM_DEVICE_SWITCH);
  ASSERT_EQ(switches.size(), 2u);
  EXPECT_EQ(switches[0].wParam, 1u);
  EXPECT_EQ(switches[1].wParam, 0u);
  EXPECT_TRUE(config_.ReceivedOf(protocol::WM_DEVICE_SWITCH).empty());
  EXPECT_EQ(Received(protocol::WM_DEVICE_TOGGLE), (PlugMessages{{1, 0}}));
  EXPECT_TRUE(Received(protocol::WM_DEVICE_EVENT).empty());
}

TEST_F(InputReportTest, MissingReceiversAreSkipped) {
  inner_.DestroyWindowObject();
  driver_.m_hMainWnd = nullptr;
  Send({0x08, 0xFE, 0x06, 0x00, 0, 0, 0, 0, 0});     // no configuration program: nothing at all
  Send({0x08, 0x02, 0x01, 0x01, 0x05, 0, 0, 0, 0});  // two events, no main window
  Send({0x08, 0x00, 0x07, 0x00, 0x03, 0xD6, 0x00, 0x00, 0x00});  // "Kestrix_Hid" still there
  EXPECT_TRUE(config_.ReceivedOf(protocol::WM_DEVICE_SWITCH).empty());
  EXPECT_TRUE(Received(protocol::WM_DEVICE_EVENT).empty());
  EXPECT_EQ(Received(protocol::WM_DEVICE_TOGGLE), (PlugMessages{{0, 0}}));
}

TEST_F(InputReportTest, NullOrEmptyReportsAreDroppedSilently) {
  Send({});
  driver_.DecodeInputReport(0x4B11, nullptr, 9);
  EXPECT_TRUE(DebugLines().empty());
  EXPECT_TRUE(main_.Received().empty());
}

TEST_F(InputReportTest, TraceShowsTheReportAddressAndPadsShortReports) {
  const BYTE report[3] = {0x08, 0x05, 0x01};
  driver_.DecodeInputReport(0x4B12, report, 3);
  char expected[80];
  std::snprintf(expected, sizeof expected, "ID:0x4b12,pBuffer=0x%jx , Length=0x3",
                static_cast<std::uintmax_t>(reinterpret_cast<std::uintptr_t>(report)));
  EXPECT_EQ(DebugLines(), (std::vector<std::string>{expected, "08 05 01 00 00 00 00 00"}));
  desktop_.RunUntilIdle();
  EXPECT_EQ(Received(protocol::WM_DEVICE_EVENT), (PlugMessages{{0x00, 0x00010005}}));
}

TEST_F(InputReportTest, NoReportReachesALinkThatIsGone) {
  auto link = std::make_unique<CUSBDriver>();  // takes over the report callback
  link->m_hMainWnd = main_.Handle();
  ASSERT_TRUE(link->OpenLink());
  desktop_.RunUntilIdle();
  main_.ClearReceived();
  for (int i = 0; i < 200; ++i)
    keyboard_.SendInputReport({0x0D, 0x03, 0x01});
  link.reset();  // while the keyboard's thread is delivering
  const std::size_t delivered = keyboard_.DeliveredReports();
  EXPECT_FALSE(keyboard_.Monitoring());
  keyboard_.SendInputReport({0x0D, 0x03, 0x01});
  keyboard_.WaitForInputReports();
  EXPECT_EQ(keyboard_.DeliveredReports(), delivered);
  desktop_.RunUntilIdle();
  EXPECT_EQ(Received(protocol::WM_DEVICE_EVENT).size(), delivered);
}

}  // namespace
}  // namespace kx::device::testing
