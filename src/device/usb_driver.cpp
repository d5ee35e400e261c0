#include "device/usb_driver.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "device/report_trace.h"
#include "platform/debug_output.h"
#include "platform/messages.h"
#include "platform/platform.h"
#include "platform/window_system.h"
#include "protocol/messages.h"
#include "protocol/windows.h"

namespace kx::device {

namespace {

// The one link the report callback serves. Set by the constructor, cleared by the destructor
// before the library is stopped, so a report arriving at shutdown never reaches a dead object.
std::atomic<CUSBDriver*> g_pUSBDriver{nullptr};

constexpr WORD LowWord(DWORD value) {
  return static_cast<WORD>(value & 0xFFFF);
}

void TraceCollection(const char* event, const _DEVICE_STATE& state) {
  char line[96];
  const int n =
      std::snprintf(line, sizeof line, "%s:dwDeviceID=%x,usage:0x%x,uagePage:0x%x\n", event,
                    static_cast<unsigned>(LowWord(state.dwDeviceID)),
                    static_cast<unsigned>(state.usage), static_cast<unsigned>(state.usagePage));
  if (n > 0) os::Debug().WriteAscii(std::string_view(line, static_cast<std::size_t>(n)));
}

}  // namespace

DEVICE_FILTER KeyboardFilter() {
  DEVICE_FILTER filter{};
  filter.vendorId = kKeyboardVendorId;
  filter.productId = kKeyboardProductId;
  filter.entryCount = kCollectionCount;
  for (WORD i = 0; i < kCollectionCount; ++i) {
    filter.entries[i].usage = kFirstCollectionUsage + i;
    filter.entries[i].usagePage = kVendorUsagePage;
  }
  return filter;
}

CUSBDriver::CUSBDriver() {
  WindowSpec spec;
  spec.style = WS_POPUP;
  spec.rect = RECT{1, 1, 2, 2};
  CreateWindowObject(spec);
  g_pUSBDriver.store(this);
}

CUSBDriver::~CUSBDriver() {
  if (g_pUSBDriver.load(std::memory_order_acquire) == this && InstalledPlatform().hid != nullptr) {
    // Both calls return only once no callback is running, and none runs afterwards: a report
    // the library still hands over meanwhile reaches this link whole, never a cleared pointer.
    os::Hid().SetReportCallback(nullptr);
    os::Hid().StopMonitor();
  }
  CUSBDriver* self = this;
  g_pUSBDriver.compare_exchange_strong(self, nullptr);
  DestroyWindowObject();
}

bool CUSBDriver::OpenLink() {
  HidLibrary& hid = os::Hid();
  if (m_bLinkOpen != 0) hid.StopMonitor();
  const DEVICE_FILTER filter = KeyboardFilter();
  hid.SetDeviceFilter(&filter);
  hid.SetReportCallback(&CUSBDriver::ReportCallback);
  m_bLinkOpen = hid.StartMonitor(Handle(), protocol::WM_HID_NOTIFY);
  return m_bLinkOpen != 0;
}

WORD CUSBDriver::FindDeviceId(WORD usage) const {
  for (const _DEVICE_STATE& state : m_DeviceList) {
    if (state.usage == usage && state.usagePage == kVendorUsagePage) {
      return LowWord(state.dwDeviceID);
    }
  }
  return m_DeviceList.empty() ? 0 : LowWord(m_DeviceList.back().dwDeviceID);
}

LRESULT CUSBDriver::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // The library sends its notification with a record that lives while it is handled; the
  // same number posted by any other program carries no record of ours and is not read.
  if (message == protocol::WM_HID_NOTIFY && wParam == 1 && lParam != 0 &&
      os::Windows().HandlingSentMessage()) {
    _DEVICE_STATE state;
    std::memcpy(&state, reinterpret_cast<const void*>(lParam), sizeof state);
    if (state.event == MONITOROPEN) {
      if (!OnCollectionOpen(state)) return 1;
    } else if (state.event == MONITORCLOSE) {
      OnCollectionClose(state);
    }
  }
  return DefaultProc(message, wParam, lParam);
}

bool CUSBDriver::OnCollectionOpen(const _DEVICE_STATE& state) {
  TraceCollection("MONITOROPEN", state);
  auto same = std::find_if(m_DeviceList.begin(), m_DeviceList.end(), [&](const _DEVICE_STATE& s) {
    return s.usage == state.usage && s.usagePage == state.usagePage;
  });
  if (same != m_DeviceList.end()) {
    *same = state;  // the collection came back under a new id
    return false;
  }
  m_DeviceList.push_back(state);
  m_bLinkOpen = 1;
  PostToMain(protocol::WM_DEVICE_PLUG, 0, 1);
  return true;
}

void CUSBDriver::OnCollectionClose(const _DEVICE_STATE& state) {
  TraceCollection("MONITORCLOSE", state);
  if (m_DeviceList.empty()) {
    m_bLinkOpen = 0;
    PostToMain(protocol::WM_DEVICE_PLUG, 0, 0);
    return;
  }
  auto gone = std::find_if(m_DeviceList.begin(), m_DeviceList.end(), [&](const _DEVICE_STATE& s) {
    return LowWord(s.dwDeviceID) == LowWord(state.dwDeviceID);
  });
  if (gone != m_DeviceList.end()) m_DeviceList.erase(gone);
  if (m_DeviceList.empty() && m_bLinkOpen != 0) {
    m_bLinkOpen = 0;
    PostToMain(protocol::WM_DEVICE_PLUG, 0, 0);
  }
}

void CUSBDriver::PostToMain(UINT message, WPARAM wParam, LPARAM lParam) const {
  HWND main = m_hMainWnd.load(std::memory_order_acquire);
  if (main != nullptr) os::Windows().Post(main, message, wParam, lParam);
}

void CUSBDriver::ReportCallback(DWORD deviceId, const BYTE* report, DWORD length) {
  CUSBDriver* driver = g_pUSBDriver.load(std::memory_order_acquire);
  if (driver != nullptr) driver->DecodeInputReport(deviceId, report, length);
}

void CUSBDriver::DecodeInputReport(DWORD deviceId, const BYTE* report, DWORD length) {
  if (report == nullptr || length == 0) return;
  const std::span<const BYTE> bytes(report, length);
  const ReportTrace trace(deviceId, reinterpret_cast<std::uintptr_t>(report), length, bytes);
  DebugOutput& debug = os::Debug();
  debug.WriteAscii(trace.HeaderLine());
  debug.WriteAscii(trace.BytesLine());
  PostDecoded(DecodeReport(bytes));
}

void CUSBDriver::PostDecoded(const DecodedReport& decoded) const {
  for (const DeviceMessage& m : decoded) {
    switch (m.target) {
      case ReportTarget::kMainWindow:
        PostToMain(m.message, m.wParam, m.lParam);
        break;
      case ReportTarget::kConfigInnerWindow:
        protocol::NotifyConfigWindow(m.message, m.wParam, m.lParam);
        break;
      case ReportTarget::kAgentWindow:
        protocol::PostToTitle(protocol::kAgentTitle, m.message, m.wParam, m.lParam);
        break;
    }
  }
}

}  // namespace kx::device
