// The HID access library the agent reaches the keyboard through (six functions, imported by
// ordinal on Windows), and the two records it exchanges with it.
#pragma once

#include <cstddef>

#include "platform/types.h"

namespace kx {

inline constexpr UINT WM_HID_NOTIFY = 0x502;  // the library's notification to its window

// Identity filter handed to the library: vendor, product and up to ten (usage, page) pairs.
struct DEVICE_FILTER {
  struct Entry {
    DWORD usage;
    DWORD usagePage;
  };
  DWORD vendorId;
  DWORD productId;
  DWORD entryCount;  // at most 10
  Entry entries[10];
};
static_assert(sizeof(DEVICE_FILTER) == 92);
static_assert(offsetof(DEVICE_FILTER, entryCount) == 8);
static_assert(offsetof(DEVICE_FILTER, entries) == 12);

// Whether the filter selects a collection with this identity and top-level usage: the vendor
// and product ids match and one of its first entryCount entries (10 at most) names the usage.
constexpr bool FilterSelects(const DEVICE_FILTER& filter, DWORD vendorId, DWORD productId,
                             DWORD usage, DWORD usagePage) {
  if (filter.vendorId != vendorId || filter.productId != productId) return false;
  const DWORD used = filter.entryCount < 10 ? filter.entryCount : 10;
  for (DWORD i = 0; i < used; ++i) {
    if (filter.entries[i].usage == usage && filter.entries[i].usagePage == usagePage) return true;
  }
  return false;
}

inline constexpr DWORD MONITORCLOSE = 0;
inline constexpr DWORD MONITOROPEN = 1;

// One collection that arrived (MONITOROPEN) or left (MONITORCLOSE); lParam of WM_HID_NOTIFY.
struct _DEVICE_STATE {
  DWORD event;
  DWORD dwDeviceID;  // only bits 0-15 are used
  WORD unused1;
  WORD usage;
  WORD usagePage;
  WORD unused2;
};
static_assert(sizeof(_DEVICE_STATE) == 16);
static_assert(offsetof(_DEVICE_STATE, dwDeviceID) == 4);
static_assert(offsetof(_DEVICE_STATE, usage) == 10);
static_assert(offsetof(_DEVICE_STATE, usagePage) == 12);

// Called on a thread of the library's own with every input report (byte 0 is the report id).
using ReportCallback = void (*)(DWORD deviceId, const BYTE* report, DWORD length);

class HidLibrary {
 public:
  virtual ~HidLibrary() = default;
  virtual void SetDeviceFilter(const DEVICE_FILTER* filter) = 0;  // ordinal 4
  // Ordinal 5. Null stops the calls; once this returns, the previous callback is not running
  // and is not called again.
  virtual void SetReportCallback(ReportCallback callback) = 0;
  // Ordinal 2. Delivers `message` (wParam 1, lParam a _DEVICE_STATE valid while it is handled)
  // to window for every matching collection present now or arriving later, and for every one
  // that leaves. Nonzero when watching started.
  virtual BOOL StartMonitor(HWND window, UINT message) = 0;
  // Ordinal 3. Once this returns no report callback is running or will run.
  virtual void StopMonitor() = 0;
  // Ordinal 7: writes length bytes (byte 0 the report id) to the collection; nonzero on success.
  virtual BOOL WriteReport(DWORD deviceId, const BYTE* buffer, DWORD length) = 0;
  // Ordinal 8: reads a report of length bytes into buffer (byte 0 the report id asked for).
  virtual BOOL ReadReport(DWORD deviceId, BYTE* buffer, DWORD length) = 0;
};

}  // namespace kx
