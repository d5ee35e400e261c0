#include "device/report_decoder.h"

#include <algorithm>

#include "protocol/messages.h"

namespace kx::device {

namespace {

constexpr std::size_t kPatternBytes = 9;  // b0-b8

DeviceMessage Event(WPARAM value, LPARAM lParam) {
  return {ReportTarget::kMainWindow, protocol::WM_DEVICE_EVENT, value, lParam};
}

DeviceMessage Toggle(WPARAM on) {
  return {ReportTarget::kAgentWindow, protocol::WM_DEVICE_TOGGLE, on, 0};
}

DeviceMessage Switch(WPARAM on) {
  return {ReportTarget::kConfigInnerWindow, protocol::WM_DEVICE_SWITCH, on, 0};
}

}  // namespace

DecodedReport DecodeReport(std::span<const BYTE> report) {
  std::array<BYTE, kPatternBytes> b{};
  std::copy_n(report.begin(), std::min(report.size(), kPatternBytes), b.begin());

  DecodedReport out;
  // Step A: the lighting toggle notice (b0 and b6 aside, a fixed pattern).
  const bool toggleReport = b[1] == 0x00 && b[2] == 0x07 && b[3] == 0x00 && b[4] == 0x03 &&
                            b[5] == 0xD6 && b[7] == 0x00 && b[8] == 0x00;
  if (toggleReport && (b[6] == 0 || b[6] == 1)) {
    out.Add(Toggle(b[6]));
    return out;
  }
  // Step B: changes made with the keyboard's own keys. A toggle pattern with another b6 skips it.
  if (!toggleReport) {
    if (b[0] == 0x0D && b[1] == 0x03) {
      out.Add(Event(b[2], kQualifierKeyboard | kEventModeSelected));
    } else if (b[0] == 0x0D && b[1] == 0x05) {
      // The report byte goes into lParam here, the event code into wParam.
      out.Add(Event(kEventMatrixKey, kQualifierKeyboard | b[3]));
    } else if (b[2] == 0x01 && b[3] == 0x01) {
      out.Add(Event(b[4], kQualifierKeyboard | kEventEffect));
    } else if (b[1] == 0x02 && b[2] == 0x0C) {
      out.Add(Event(b[3], kQualifierKeyboard | kEventEffectOption));
    } else if (b[2] == 0x01 && b[3] == 0x07) {
      out.Add(Event(b[4], kQualifierKeyboard | kEventEffectLevel));
    }
  }
  // Step C: key reports (0x08), except those with b3 = 0xAC.
  if (b[0] == 0x08 && b[3] != 0xAC) {
    if (b[1] == 0xFE && b[2] == 0x06) {
      out.Add(Switch(1));
    } else if (b[1] == 0xFE && b[2] == 0x05) {
      out.Add(Switch(0));
    } else {
      out.Add(Event(b[3], (static_cast<LPARAM>(b[2]) << 16) | b[1]));
    }
  }
  return out;
}

}  // namespace kx::device
