// Turning the keyboard's vendor input reports into window messages. The decoding itself is a
// pure function of the report's bytes (fuzzed and benchmarked on its own); CUSBDriver looks the
// targets up and posts.
#pragma once

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/types.h"

namespace kx::device {

// Event codes in bits 0-7 of a WM_DEVICE_EVENT's lParam (bits 16-23 hold the qualifier).
inline constexpr BYTE kEventModeSelected = 0xDA;  // wParam: the mode now selected (6: mode 0)
inline constexpr BYTE kEventEffectOption = 0xDB;  // wParam: the new effect option
inline constexpr BYTE kEventEffectLevel = 0xDC;   // wParam: the new effect level minus 1
inline constexpr BYTE kEventMatrixKey = 0xDE;     // the wParam of a 0D 05 report
inline constexpr BYTE kEventEffect = 0xDF;        // wParam: the new effect
inline constexpr LPARAM kQualifierKeyboard = 0x00010000;  // qualifier 1: the keyboard's own keys

// Where a decoded message goes.
enum class ReportTarget : std::uint8_t {
  kMainWindow,         // the agent's main window (the link's m_hMainWnd), when set
  kConfigInnerWindow,  // the configuration program's inner window, when found
  kAgentWindow,        // the top-level window titled "Kestrix_Hid", when found
};

struct DeviceMessage {
  ReportTarget target = ReportTarget::kMainWindow;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  friend bool operator==(const DeviceMessage&, const DeviceMessage&) = default;
};

// The messages one report produces, in posting order: at most two.
class DecodedReport {
 public:
  static constexpr std::size_t kCapacity = 2;
  void Add(const DeviceMessage& message) {
    assert(count_ < kCapacity);
    messages_[count_++] = message;
  }
  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  const DeviceMessage& operator[](std::size_t i) const { return messages_[i]; }
  const DeviceMessage* begin() const { return messages_.data(); }
  const DeviceMessage* end() const { return messages_.data() + count_; }

 private:
  std::array<DeviceMessage, kCapacity> messages_{};
  std::size_t count_ = 0;
};

// Compares b0-b8 of the report with the keyboard's patterns. A report shorter than nine bytes
// reads as if the missing bytes were zero; nothing past its end is read.
DecodedReport DecodeReport(std::span<const BYTE> report);

}  // namespace kx::device
