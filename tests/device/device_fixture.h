// A simulated desktop with the keyboard on it, the agent's main window (a recording window
// titled "Kestrix_Hid") and a device link that reports to it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "device/usb_driver.h"
#include "platform/sim/desktop.h"
#include "platform/sim/recording_window.h"
#include "platform/sim/temp_folder.h"
#include "platform/sim/virtual_keyboard.h"
#include "protocol/messages.h"

namespace kx::device::testing {

using sim::HidTransfer;
using Bytes = std::vector<BYTE>;

inline std::vector<std::string> Narrow(const std::vector<std::u16string>& lines) {
  std::vector<std::string> out;
  for (const std::u16string& line : lines)
    out.emplace_back(line.begin(), line.end());
  return out;
}

class DeviceTest : public ::testing::Test {
 protected:
  DeviceTest() {
    main_.Open(protocol::kAgentTitle);
    driver_.m_hMainWnd = main_.Handle();
  }

  // Plugs the keyboard in, opens the link and forgets what that took.
  void PlugAndOpen() {
    keyboard_.Plug();
    ASSERT_TRUE(driver_.OpenLink());
    desktop_.RunUntilIdle();
    main_.ClearReceived();
    keyboard_.ClearTransfers();
    desktop_.Debug().Clear();
  }

  std::vector<std::pair<WPARAM, LPARAM>> Received(UINT message) const {
    return main_.ParamsOf(message);
  }

  std::vector<std::string> DebugLines() { return Narrow(desktop_.Debug().Lines()); }

  std::uint64_t Now() { return desktop_.Clock().NowMs(); }

  sim::TempFolder folder_;
  sim::Desktop desktop_{sim::DesktopOptions{folder_.Path()}};
  sim::VirtualKeyboard& keyboard_ = desktop_.Keyboard();
  sim::RecordingWindow main_;
  CUSBDriver driver_;
};

}  // namespace kx::device::testing
