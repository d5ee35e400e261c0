// The binary interface of HidDevice.dll: six functions exported by ordinal only. The agent
// loads the library at run time and takes them by ordinal, so a library from the keyboard's
// maker with the same six ordinals can stand in for ours.
//
// The trailing 32-bit argument of each function is reserved and passed as 0.
#pragma once

#include "platform/hid_library.h"

namespace kx::hid_abi {

inline constexpr unsigned kStartMonitorOrdinal = 2;
inline constexpr unsigned kStopMonitorOrdinal = 3;
inline constexpr unsigned kSetDeviceFilterOrdinal = 4;
inline constexpr unsigned kSetReportCallbackOrdinal = 5;
inline constexpr unsigned kWriteReportOrdinal = 7;
inline constexpr unsigned kReadReportOrdinal = 8;

// The library's file name, beside the agent's executable.
inline constexpr char16_t kLibraryFileName[] = u"HidDevice.dll";

// x64 has one calling convention, so no attribute is needed on the pointer types.
using SetDeviceFilterFn = void (*)(const DEVICE_FILTER* filter, DWORD reserved);
using SetReportCallbackFn = void (*)(ReportCallback callback, DWORD reserved);
using StartMonitorFn = BOOL (*)(HWND window, UINT message, DWORD reserved);
using StopMonitorFn = void (*)(DWORD reserved);
using WriteReportFn = BOOL (*)(DWORD deviceId, const BYTE* buffer, DWORD length, DWORD reserved);
using ReadReportFn = BOOL (*)(DWORD deviceId, BYTE* buffer, DWORD length, DWORD reserved);

}  // namespace kx::hid_abi
