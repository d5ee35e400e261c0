// Small fixed-width types with the widths the window-message protocol and the stored records
// need. They mirror the shapes of the system API the agent was written against, so handlers
// read like their Windows counterparts; no OS header is ever included by agent code.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kx {

struct HWND__;
using HWND = HWND__*;  // opaque window handle
struct HKEY__;
using HKEY = HKEY__*;  // opaque registry key handle

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using LONG = std::int32_t;
using BOOL = std::int32_t;
using HRESULT = std::int32_t;
using COLORREF = std::uint32_t;  // 0x00BBGGRR: red in the low byte
using WPARAM = std::uintptr_t;   // pointer-sized parameters, as on 64-bit Windows
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using HANDLE = std::uintptr_t;  // kernel objects (the named mutex); 0 is none

struct RECT {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  constexpr std::int32_t Width() const { return right - left; }
  constexpr std::int32_t Height() const { return bottom - top; }
  friend constexpr bool operator==(const RECT&, const RECT&) = default;
};

struct POINT {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend constexpr bool operator==(const POINT&, const POINT&) = default;
};

struct SIZE {
  std::int32_t cx = 0;
  std::int32_t cy = 0;
  friend constexpr bool operator==(const SIZE&, const SIZE&) = default;
};

inline HWND HwndFromValue(std::uintptr_t v) {
  return reinterpret_cast<HWND>(v);
}
inline std::uintptr_t HwndValue(HWND h) {
  return reinterpret_cast<std::uintptr_t>(h);
}

// Posting to this handle reaches every top-level window.
inline HWND HwndBroadcast() {
  return HwndFromValue(0xFFFF);
}
// SetWindowPos insert-after handles.
inline HWND HwndTop() {
  return HwndFromValue(0);
}
inline HWND HwndTopmost() {
  return HwndFromValue(static_cast<std::uintptr_t>(-1));
}
inline HWND HwndNoTopmost() {
  return HwndFromValue(static_cast<std::uintptr_t>(-2));
}

inline constexpr COLORREF Rgb(BYTE r, BYTE g, BYTE b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
         (static_cast<COLORREF>(b) << 16);
}

}  // namespace kx
