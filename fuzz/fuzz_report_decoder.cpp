// Input reports from the keyboard: any length, any bytes. The decoder alone must give the same
// messages as for the report cut or zero-padded to its nine pattern bytes; the whole path
// (library thread -> report callback -> posts) must deliver exactly what the decoder gives,
// each message to its own window.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/report_decoder.h"
#include "device/usb_driver.h"
#include "fuzz_support.h"
#include "platform/sim/recording_window.h"
#include "protocol/messages.h"

namespace {

using kx::device::DecodedReport;
using kx::device::DeviceMessage;
using kx::device::ReportTarget;

struct Link {
  Link() {
    agent.Open(kx::protocol::kAgentTitle);
    configOuter.Open(kx::protocol::kConfigTitle);
    configInner.Open(kx::protocol::kConfigTitle, u"", configOuter.Handle());
    driver.m_hMainWnd = agent.Handle();
    desktop.Keyboard().Plug();
    KX_FUZZ_CHECK(driver.OpenLink());
    desktop.RunUntilIdle();
    agent.ClearReceived();
    configOuter.ClearReceived();
    configInner.ClearReceived();
    desktop.Debug().Clear();
  }

  kx::sim::Desktop& desktop = kx::fuzz::FuzzDesktop::Get().Desktop();
  kx::sim::RecordingWindow agent;  // the main window and the window titled "Kestrix_Hid"
  kx::sim::RecordingWindow configOuter;
  kx::sim::RecordingWindow configInner;
  kx::device::CUSBDriver driver;
};

// What one window should have received: the messages for its targets, in order.
std::vector<DeviceMessage> For(const DecodedReport& decoded, ReportTarget a, ReportTarget b) {
  std::vector<DeviceMessage> out;
  for (const DeviceMessage& m : decoded) {
    if (m.target == a || m.target == b) out.push_back(m);
  }
  return out;
}

bool Received(const kx::sim::RecordingWindow& window, const std::vector<DeviceMessage>& want) {
  const auto& got = window.Received();
  if (got.size() != want.size()) return false;
  for (std::size_t i = 0; i < got.size(); ++i) {
    if (got[i].message != want[i].message || got[i].wParam != want[i].wParam ||
        got[i].lParam != want[i].lParam) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The decoder alone, on a copy of exactly the report's bytes (so ASan sees any read past it).
  const std::vector<kx::BYTE> report(data, data + size);
  const DecodedReport decoded = kx::device::DecodeReport(report);
  KX_FUZZ_CHECK(decoded.size() <= DecodedReport::kCapacity);

  std::vector<kx::BYTE> padded(report.begin(), report.begin() + std::min<std::size_t>(size, 9));
  padded.resize(9, 0);
  const DecodedReport fromPattern = kx::device::DecodeReport(padded);
  KX_FUZZ_CHECK(std::equal(decoded.begin(), decoded.end(), fromPattern.begin(), fromPattern.end()));

  // The whole path, on the keyboard's own thread.
  static Link link;
  link.desktop.Keyboard().SendInputReport(report);
  link.desktop.Keyboard().WaitForInputReports();
  link.desktop.RunUntilIdle();
  // An empty report is dropped before decoding.
  const DecodedReport expected = size == 0 ? DecodedReport{} : decoded;
  KX_FUZZ_CHECK(
      Received(link.agent, For(expected, ReportTarget::kMainWindow, ReportTarget::kAgentWindow)));
  KX_FUZZ_CHECK(Received(link.configInner, For(expected, ReportTarget::kConfigInnerWindow,
                                               ReportTarget::kConfigInnerWindow)));
  KX_FUZZ_CHECK(link.configOuter.Received().empty());
  // Two trace lines per delivered report, none for a dropped one.
  KX_FUZZ_CHECK(link.desktop.Debug().Lines().size() == (size == 0 ? 0u : 2u));

  link.agent.ClearReceived();
  link.configInner.ClearReceived();
  link.desktop.Debug().Clear();
  return 0;
}
