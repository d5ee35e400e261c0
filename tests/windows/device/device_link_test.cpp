// The device link on real Windows messages, with the substitute HidDevice.dll loaded by
// ordinal from beside the program: arrival delivered on this thread before the first
// WM_DEVICE_PLUG is handled, input reports from the keyboard's own thread, and the commands'
// bytes and pauses on the wire.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../platform/win32_test_support.h"
#include "device/report_decoder.h"
#include "device/usb_driver.h"
#include "platform/files.h"
#include "platform/hid_library.h"
#include "platform/platform.h"
#include "platform/text_util.h"
#include "platform/window_system.h"
#include "protocol/messages.h"
#include "test_keyboard_control.h"
#include "transfer_log.h"

#include <windows.h>

namespace kx::win32::testing {
namespace {

namespace tk = test_keyboard;

std::u16string BesideProgram(std::u16string_view name) {
  std::u16string path = os::Files().ModulePath();
  path.erase(path.find_last_of(u'\\') + 1);
  return path + std::u16string(name);
}

std::vector<tk::Transfer> ReadTransfers() {
  return tk::ReadTransferLog(BesideProgram(tk::kTransferLog));
}

class DeviceLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    main_.watch = {protocol::WM_DEVICE_PLUG, protocol::WM_DEVICE_EVENT};
    WindowSpec spec;
    spec.title = u"Kestrix_Hid_Test";
    spec.style = WS_POPUP;
    ASSERT_TRUE(main_.CreateWindowObject(spec));
    driver_.m_hMainWnd = main_.Handle();
    ASSERT_TRUE(driver_.OpenLink());
    keyboard_ = os::Windows().Find(u"", tk::kControlTitle);
    ASSERT_NE(keyboard_, nullptr);
  }
  void TearDown() override {
    os::Windows().Send(keyboard_, tk::kUnplug, 0, 0);
    PumpFor(50);
  }
  void Plug() {
    ASSERT_EQ(os::Windows().Send(keyboard_, tk::kPlug, 0, 0), 1);
    ASSERT_TRUE(PumpUntil([&] { return main_.Count(protocol::WM_DEVICE_PLUG) >= 5; }, 5000));
  }

  RecordingWindow main_;
  device::CUSBDriver driver_;
  HWND keyboard_ = nullptr;
};

TEST_F(DeviceLinkTest, AllCollectionsOfAnArrivalAreListedBeforeTheFirstPlugIsHandled) {
  std::vector<std::pair<std::size_t, WORD>> seen;  // list size and usage-2 id at each plug
  main_.answer = [&](UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message == protocol::WM_DEVICE_PLUG) {
      seen.emplace_back(driver_.m_DeviceList.size(), driver_.FindDeviceId(device::kCommandUsage));
    }
    return 1;
  };
  Plug();
  ASSERT_EQ(seen.size(), 5u);
  for (const auto& [size, id] : seen) {
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(id, tk::DeviceIdOf(2));
  }
  EXPECT_EQ(main_.received.front().lParam, 1);  // a collection was added
  EXPECT_TRUE(driver_.m_bLinkOpen);

  ASSERT_EQ(os::Windows().Send(keyboard_, tk::kUnplug, 0, 0), 1);
  ASSERT_TRUE(PumpUntil([&] { return main_.Count(protocol::WM_DEVICE_PLUG) == 6; }, 5000));
  EXPECT_EQ(main_.received.back().lParam, 0);  // the keyboard is gone, once
  PumpFor(100);
  EXPECT_EQ(main_.Count(protocol::WM_DEVICE_PLUG), 6u);
  EXPECT_FALSE(driver_.m_bLinkOpen);
}

TEST_F(DeviceLinkTest, AModeChosenOnTheKeyboardArrivesAsADeviceEvent) {
  Plug();
  ASSERT_EQ(os::Windows().Send(keyboard_, tk::kSelectMode, 3, 0), 1);
  ASSERT_TRUE(PumpUntil([&] { return main_.Count(protocol::WM_DEVICE_EVENT) == 1; }, 5000));
  const Received& event = main_.received.back();
  EXPECT_EQ(event.wParam, 3u);
  EXPECT_EQ(event.lParam & 0xFF, device::kEventModeSelected);
}

TEST_F(DeviceLinkTest, CommandsGoOnTheWireWithTheirPauses) {
  Plug();
  const std::size_t before = ReadTransfers().size();
  EXPECT_EQ(driver_.SetDeviceMode(3), device::kCommandOk);
  device::KEY_MATRIX matrix{};
  for (std::size_t i = 0; i < matrix.size(); ++i)
    matrix[i] = static_cast<BYTE>(i);
  EXPECT_EQ(driver_.WriteKeyMatrix(2, matrix), device::kCommandOk);

  std::vector<tk::Transfer> transfers = ReadTransfers();
  transfers.erase(transfers.begin(), transfers.begin() + static_cast<std::ptrdiff_t>(before));
  ASSERT_EQ(transfers.size(), 1u + 1u + 23u);
  EXPECT_EQ(transfers[0].bytes.substr(0, 6), "0A0303");
  EXPECT_EQ(transfers[0].usage, 2u);
  EXPECT_EQ(transfers[1].bytes.substr(0, 6), "0A0402");
  for (std::size_t i = 2; i < transfers.size(); ++i) {
    EXPECT_EQ(transfers[i].usage, 3u);
    EXPECT_TRUE(transfers[i].ok);
  }
  // The pauses are lower bounds: the mode command's 20 ms, the header's 200 ms, 60 ms a chunk.
  EXPECT_GE(transfers[1].ms - transfers[0].ms, 20u - 2u);
  EXPECT_GE(transfers[2].ms - transfers[1].ms, 200u - 2u);
  EXPECT_GE(transfers.back().ms - transfers[2].ms, 22u * 60u - 2u);
  EXPECT_EQ(os::Windows().Send(keyboard_, tk::kGetMode, 0, 0), 3);
}

TEST_F(DeviceLinkTest, TheFirmwareVersionIsAskedAfterThreeSeconds) {
  Plug();
  ASSERT_EQ(os::Windows().Send(keyboard_, tk::kSetFirmware, 1, 5), 1);
  const ULONGLONG start = ::GetTickCount64();
  BYTE a = 0;
  BYTE b = 0;
  EXPECT_EQ(driver_.GetFirmwareVersion(&a, &b), device::kCommandOk);
  EXPECT_GE(::GetTickCount64() - start, 3000u - 16u);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 5);
  const std::vector<tk::Transfer> transfers = ReadTransfers();
  ASSERT_GE(transfers.size(), 2u);
  EXPECT_EQ(transfers[transfers.size() - 2].bytes.substr(0, 4), "0780");
  EXPECT_EQ(transfers.back().kind, 'R');
}

TEST(HidLibraryLoading, TheRealLibraryExportsOnlyByOrdinal) {
  // HidDevice.dll of the package, copied beside this program as HidDeviceReal.dll.
  ::HMODULE real = ::LoadLibraryW(L"HidDeviceReal.dll");
  ASSERT_NE(real, nullptr);
  EXPECT_NE(::GetProcAddress(real, MAKEINTRESOURCEA(2)), nullptr);
  EXPECT_NE(::GetProcAddress(real, MAKEINTRESOURCEA(8)), nullptr);
  EXPECT_EQ(::GetProcAddress(real, MAKEINTRESOURCEA(6)), nullptr);
  EXPECT_EQ(::GetProcAddress(real, "HidStartMonitor"), nullptr);
  // Without a keyboard on this system: watching starts, nothing arrives, writes are refused.
  using StartFn = BOOL (*)(::HWND, UINT, DWORD);
  using WriteFn = BOOL (*)(DWORD, const BYTE*, DWORD, DWORD);
  using StopFn = void (*)(DWORD);
  auto start = reinterpret_cast<StartFn>(
      reinterpret_cast<void*>(::GetProcAddress(real, MAKEINTRESOURCEA(2))));
  auto write = reinterpret_cast<WriteFn>(
      reinterpret_cast<void*>(::GetProcAddress(real, MAKEINTRESOURCEA(7))));
  auto stop = reinterpret_cast<StopFn>(
      reinterpret_cast<void*>(::GetProcAddress(real, MAKEINTRESOURCEA(3))));
  RecordingWindow window;
  window.watch = {WM_HID_NOTIFY};
  WindowSpec spec;
  spec.title = u"Kx Hid Real";
  spec.style = WS_POPUP;
  ASSERT_TRUE(window.CreateWindowObject(spec));
  EXPECT_EQ(start(nullptr, WM_HID_NOTIFY, 0), FALSE);
  EXPECT_NE(start(reinterpret_cast<::HWND>(window.Handle()), WM_HID_NOTIFY, 0), FALSE);
  const BYTE report[8] = {0x0A, 0x03, 0x01};
  EXPECT_EQ(write(0x102, report, 8, 0), FALSE);
  PumpFor(100);
  EXPECT_EQ(window.Count(WM_HID_NOTIFY), 0u);
  stop(0);
  ::FreeLibrary(real);
}

}  // namespace
}  // namespace kx::win32::testing
