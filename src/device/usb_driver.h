// The device link: the connection to the keyboard's five vendor collections through the HID
// access library, the list of collections present, the decoding of input reports into window
// messages, and the commands written to the keyboard.
//
// One CUSBDriver exists, owned by the agent's main window (the newest one constructed is the
// one the report callback serves). It lives on the user-interface thread; only ReportCallback /
// DecodeInputReport run on the library's thread, and they read nothing but m_hMainWnd and post.
//
// Relinking is the owner's: hand the library an all-zero filter and a null callback, stop it,
// clear m_bLinkOpen, then OpenLink.
#pragma once

#include <atomic>
#include <vector>

#include "device/key_blocks.h"
#include "device/report_decoder.h"
#include "platform/hid_library.h"
#include "platform/types.h"
#include "platform/window.h"

namespace kx::device {

// The keyboard's identity and the collections the commands use (usages on page 0xFF00).
inline constexpr DWORD kKeyboardVendorId = 0x258A;
inline constexpr DWORD kKeyboardProductId = 0x0090;
inline constexpr WORD kVendorUsagePage = 0xFF00;
inline constexpr WORD kFirstCollectionUsage = 1;
inline constexpr WORD kCollectionCount = 5;
inline constexpr WORD kCommandUsage = 2;  // reports 0x07 and 0x0A, and the two queries
// The keyboard calls its PC mode (mode 0) 6 on the wire, in its mode reports and answers.
constexpr BYTE ModeFromWire(BYTE wire) {
  return wire == 6 ? 0 : wire;
}
inline constexpr WORD kMatrixUsage = 3;  // reports 0x0B, the key-matrix chunks
inline constexpr WORD kMacroUsage = 4;   // reports 0x0C, the key-macro chunks

// The identity filter handed to the library on every open: the five collections in usage order.
DEVICE_FILTER KeyboardFilter();

// Device commands return 0 on success and 1 on failure: the link would not open, or the
// library refused a write or a read.
inline constexpr int kCommandOk = 0;
inline constexpr int kCommandFailed = 1;

class CUSBDriver : public Window {
 public:
  // Creates the link's own hidden window (an invisible 1x1 popup at 1,1, no title) and makes
  // this object the one the report callback serves. Needs the platform installed.
  CUSBDriver();
  // Stops the library's calls into this object first: clears the report callback and stops
  // watching (waiting for a callback running at that moment), then empties the list.
  ~CUSBDriver() override;

  // Hands the library the keyboard's filter and the report callback and starts watching with
  // this object's window. True (and the link open) when watching started. The list is kept.
  bool OpenLink();
  // The 16-bit device id of the first collection with this usage on page 0xFF00; without one,
  // the id of the last collection in the list; with an empty list, 0.
  WORD FindDeviceId(WORD usage) const;

  // --- Commands (user-interface thread; each blocks it for its pauses) ---
  // Every command but SetDeviceMode opens the link first when it is closed, and fails without
  // sending anything when that fails. SetDeviceMode fails at once on a closed link.

  // Waits 3 s, asks 07 80 on collection 2 and reads the answer; a and b (each when given)
  // receive bytes 2 and 3 of the buffer, even when the read failed.
  int GetFirmwareVersion(BYTE* a, BYTE* b);
  // 07 01 with the mask 1 << (3 - n): n = 3 - PollingRate gives the mask 1 << PollingRate.
  // Fails without sending when the mask would not fit in a byte (n > 3 or n < -4).
  int SetPollingRate(int n);
  int SetKeyMode(BYTE value);    // 07 11 value
  int SetDeviceMode(BYTE mode);  // 0A 03 mode
  // Asks 07 81 (264 bytes) and reads the answer; mode (when given) receives byte 2, with the
  // keyboard's 6 for the PC mode turned into 0.
  int GetDeviceMode(BYTE* mode);
  // 0A 04 mode on collection 2, then the 138 matrix cells in 23 chunks 0B k on collection 3.
  // A refused header or chunk fails the command, but the run still goes to its end. Mode 0
  // has no key matrix: nothing is sent and the result is success.
  int WriteKeyMatrix(BYTE mode, const KEY_MATRIX& matrix);
  int SendCommand0F();  // 0A 0F
  // 0A 05 mode (matrixCode + 1) 01 on collection 2, then the macro in 41 chunks 0C k on
  // collection 4 (the last carries macro bytes 240 and 241 and four zeros). Fails like
  // WriteKeyMatrix. Mode 0 has no macros: nothing is sent and the result is success.
  int WriteKeyMacro(BYTE mode, const KEY_MACRO& macro, BYTE matrixCode);
  int SetLightEffect(BYTE mode, BYTE effect);                    // 0A 0A mode effect
  int SetLightColor(COLORREF colour, BYTE mode);                 // 0A 0B mode 04 r g b
  int SetKeyColor(COLORREF colour, BYTE mode, BYTE matrixCode);  // 0A 0C mode code+1 r g b

  // --- Input reports (the library's thread) ---
  // Registered with the library: hands the report to the current CUSBDriver, if any.
  static void ReportCallback(DWORD deviceId, const BYTE* report, DWORD length);
  // Writes the two trace lines to the debugger output and posts what DecodeReport finds: to
  // m_hMainWnd when set, to the configuration program's inner window and to "Kestrix_Hid" when
  // they exist. A null or empty report is dropped.
  void DecodeInputReport(DWORD deviceId, const BYTE* report, DWORD length);

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  // The collections present, in order of arrival.
  std::vector<_DEVICE_STATE> m_DeviceList;
  // The pause after option and mode commands and the two queries, in ms.
  DWORD m_nCommandDelay = 20;
  // Nonzero while the link is open: from a successful OpenLink or an arriving collection until
  // the last collection leaves.
  BOOL m_bLinkOpen = 0;
  // Receives WM_DEVICE_PLUG and WM_DEVICE_EVENT: the agent's main window. Set once, before the
  // first OpenLink; read by the report callback on the library's thread.
  std::atomic<HWND> m_hMainWnd{nullptr};

 private:
  bool EnsureLinkOpen();
  // Writes an 8-byte report to collection 2 and pauses; 0 when it was taken.
  int Command(const std::array<BYTE, 8>& report, DWORD pauseMs);
  // A header on collection 2, then chunk reports reportId 1..count on the chunk collection,
  // six bytes of data each; true when every write was taken.
  bool WriteChunkRun(const std::array<BYTE, 8>& header, WORD chunkUsage, BYTE reportId,
                     const BYTE* data, std::size_t count);
  // False when the collection was already listed: its record is replaced.
  bool OnCollectionOpen(const _DEVICE_STATE& state);
  void OnCollectionClose(const _DEVICE_STATE& state);
  void PostToMain(UINT message, WPARAM wParam, LPARAM lParam) const;
  void PostDecoded(const DecodedReport& decoded) const;
};

}  // namespace kx::device
