// Flag and result values of the graphics calls (graphics.h). Like messages.h, agent code
// includes this; a backend that includes the system headers uses theirs instead.
#pragma once

#include "platform/types.h"

namespace kx {

// Raster operation of BitBlt and StretchBlt.
inline constexpr DWORD SRCCOPY = 0x00CC0020;

// Compression of a device-independent bitmap.
inline constexpr DWORD BI_RGB = 0;
inline constexpr DWORD BI_BITFIELDS = 3;

// Background modes of SetBkMode (the system calls them TRANSPARENT and OPAQUE).
inline constexpr int BKMODE_TRANSPARENT = 1;
inline constexpr int BKMODE_OPAQUE = 2;

// CombineRgn modes.
inline constexpr int RGN_AND = 1;
inline constexpr int RGN_OR = 2;
inline constexpr int RGN_XOR = 3;
inline constexpr int RGN_DIFF = 4;
inline constexpr int RGN_COPY = 5;

// Kinds of region that CombineRgn gives (the system's ERROR is REGION_ERROR here).
inline constexpr int REGION_ERROR = 0;
inline constexpr int NULLREGION = 1;
inline constexpr int SIMPLEREGION = 2;
inline constexpr int COMPLEXREGION = 3;

// Region data: header size and the type for rectangles.
inline constexpr DWORD RGNDATAHEADER_SIZE = 32;
inline constexpr DWORD RDH_RECTANGLES = 1;

// DrawText format flags.
inline constexpr UINT DT_TOP = 0x0000;
inline constexpr UINT DT_LEFT = 0x0000;
inline constexpr UINT DT_CENTER = 0x0001;
inline constexpr UINT DT_RIGHT = 0x0002;
inline constexpr UINT DT_VCENTER = 0x0004;
inline constexpr UINT DT_BOTTOM = 0x0008;
inline constexpr UINT DT_WORDBREAK = 0x0010;
inline constexpr UINT DT_SINGLELINE = 0x0020;
inline constexpr UINT DT_NOPREFIX = 0x0800;
inline constexpr UINT DT_END_ELLIPSIS = 0x8000;

}  // namespace kx
