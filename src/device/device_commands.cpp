// The commands the agent writes to the keyboard: one short report, or a header and a run of
// chunks, each followed by the pause the keyboard needs before it takes the next one.
#include <algorithm>
#include <array>
#include <cstddef>

#include "device/usb_driver.h"
#include "platform/clock.h"
#include "platform/platform.h"

namespace kx::device {

namespace {

constexpr BYTE kOptionReport = 0x07;
constexpr BYTE kCommandReport = 0x0A;
constexpr BYTE kMatrixChunkReport = 0x0B;
constexpr BYTE kMacroChunkReport = 0x0C;

constexpr DWORD kReportBytes = 8;
constexpr DWORD kModeQueryBytes = 264;
constexpr std::size_t kChunkDataBytes = 6;
constexpr std::size_t kMatrixChunks = 23;
constexpr std::size_t kMacroChunks = 41;
// The macro travels in a zero-filled area a whole number of chunks long.
constexpr std::size_t kMacroAreaBytes = 256;
static_assert(kMatrixChunks * kChunkDataBytes == kMatrixCells);
static_assert(kMacroChunks * kChunkDataBytes >= kKeyMacroBytes &&
              kMacroChunks * kChunkDataBytes <= kMacroAreaBytes);

// Pauses the keyboard needs, in ms.
constexpr DWORD kVersionQueryWaitMs = 3000;
constexpr DWORD kModeQueryWaitMs = 100;
constexpr DWORD kHeaderPauseMs = 200;
constexpr DWORD kChunkPauseMs = 60;
constexpr DWORD kLightPauseMs = 200;
constexpr DWORD kKeyColourPauseMs = 10;

using Report = std::array<BYTE, kReportBytes>;

void Pause(DWORD ms) {
  os::Clock().Sleep(ms);
}

bool WriteTo(WORD deviceId, const BYTE* report, DWORD length) {
  return os::Hid().WriteReport(deviceId, report, length) != 0;
}

bool ReadFrom(WORD deviceId, BYTE* buffer, DWORD length) {
  return os::Hid().ReadReport(deviceId, buffer, length) != 0;
}

constexpr BYTE Red(COLORREF c) {
  return static_cast<BYTE>(c & 0xFF);
}
constexpr BYTE Green(COLORREF c) {
  return static_cast<BYTE>((c >> 8) & 0xFF);
}
constexpr BYTE Blue(COLORREF c) {
  return static_cast<BYTE>((c >> 16) & 0xFF);
}

}  // namespace

bool CUSBDriver::EnsureLinkOpen() {
  return m_bLinkOpen != 0 || OpenLink();
}

int CUSBDriver::Command(const Report& report, DWORD pauseMs) {
  const bool ok = WriteTo(FindDeviceId(kCommandUsage), report.data(), kReportBytes);
  Pause(pauseMs);
  return ok ? kCommandOk : kCommandFailed;
}

bool CUSBDriver::WriteChunkRun(const Report& header, WORD chunkUsage, BYTE reportId,
                               const BYTE* data, std::size_t count) {
  bool ok = Command(header, kHeaderPauseMs) == kCommandOk;
  // The keyboard expects every chunk of a run, so a lost one does not stop the rest.
  const WORD chunkId = FindDeviceId(chunkUsage);
  for (std::size_t k = 1; k <= count; ++k) {
    Report chunk{reportId, static_cast<BYTE>(k)};
    std::copy_n(data + (k - 1) * kChunkDataBytes, kChunkDataBytes, chunk.begin() + 2);
    ok = WriteTo(chunkId, chunk.data(), kReportBytes) && ok;
    Pause(kChunkPauseMs);
  }
  return ok;
}

int CUSBDriver::GetFirmwareVersion(BYTE* a, BYTE* b) {
  if (!EnsureLinkOpen()) return kCommandFailed;
  Pause(kVersionQueryWaitMs);
  const WORD id = FindDeviceId(kCommandUsage);
  Report buffer{kOptionReport, 0x80};
  const bool written = WriteTo(id, buffer.data(), kReportBytes);
  Pause(m_nCommandDelay);
  const bool read = ReadFrom(id, buffer.data(), kReportBytes);
  if (a != nullptr) *a = buffer[2];
  if (b != nullptr) *b = buffer[3];
  Pause(m_nCommandDelay);
  return written && read ? kCommandOk : kCommandFailed;
}

int CUSBDriver::SetPollingRate(int n) {
  const int shift = 3 - n;
  if (shift < 0 || shift > 7) return kCommandFailed;
  if (!EnsureLinkOpen()) return kCommandFailed;
  return Command({kOptionReport, 0x01, static_cast<BYTE>(1u << shift)}, m_nCommandDelay);
}

int CUSBDriver::SetKeyMode(BYTE value) {
  if (!EnsureLinkOpen()) return kCommandFailed;
  return Command({kOptionReport, 0x11, value}, m_nCommandDelay);
}

int CUSBDriver::SetDeviceMode(BYTE mode) {
  if (m_bLinkOpen == 0) return kCommandFailed;
  return Command({kCommandReport, 0x03, mode}, m_nCommandDelay);
}

int CUSBDriver::GetDeviceMode(BYTE* mode) {
  if (!EnsureLinkOpen()) return kCommandFailed;
  const WORD id = FindDeviceId(kCommandUsage);
  std::array<BYTE, kModeQueryBytes> buffer{kOptionReport, 0x81};
  const bool written = WriteTo(id, buffer.data(), kModeQueryBytes);
  Pause(kModeQueryWaitMs);
  const bool read = ReadFrom(id, buffer.data(), kModeQueryBytes);
  if (mode != nullptr) *mode = ModeFromWire(buffer[2]);
  Pause(m_nCommandDelay);
  return written && read ? kCommandOk : kCommandFailed;
}

int CUSBDriver::WriteKeyMatrix(BYTE mode, const KEY_MATRIX& matrix) {
  if (!EnsureLinkOpen()) return kCommandFailed;
  if (mode == 0) return kCommandOk;
  const bool ok = WriteChunkRun({kCommandReport, 0x04, mode}, kMatrixUsage, kMatrixChunkReport,
                                matrix.data(), kMatrixChunks);
  return ok ? kCommandOk : kCommandFailed;
}

int CUSBDriver::SendCommand0F() {
  if (!EnsureLinkOpen()) return kCommandFailed;
  return Command({kCommandReport, 0x0F}, kHeaderPauseMs);
}

int CUSBDriver::WriteKeyMacro(BYTE mode, const KEY_MACRO& macro, BYTE matrixCode) {
  if (!EnsureLinkOpen()) return kCommandFailed;
  if (mode == 0) return kCommandOk;
  std::array<BYTE, kMacroAreaBytes> area{};
  std::copy(macro.begin(), macro.end(), area.begin());
  const bool ok =
      WriteChunkRun({kCommandReport, 0x05, mode, static_cast<BYTE>(matrixCode + 1), 0x01},
                    kMacroUsage, kMacroChunkReport, area.data(), kMacroChunks);
  return ok ? kCommandOk : kCommandFailed;
}

int CUSBDriver::SetLightEffect(BYTE mode, BYTE effect) {
  if (!EnsureLinkOpen()) return kCommandFailed;
  return Command({kCommandReport, 0x0A, mode, effect}, kLightPauseMs);
}

int CUSBDriver::SetLightColor(COLORREF colour, BYTE mode) {
  if (!EnsureLinkOpen()) return kCommandFailed;
  return Command({kCommandReport, 0x0B, mode, 0x04, Red(colour), Green(colour), Blue(colour)},
                 kLightPauseMs);
}

int CUSBDriver::SetKeyColor(COLORREF colour, BYTE mode, BYTE matrixCode) {
  if (!EnsureLinkOpen()) return kCommandFailed;
  return Command({kCommandReport, 0x0C, mode, static_cast<BYTE>(matrixCode + 1), Red(colour),
                  Green(colour), Blue(colour)},
                 kKeyColourPauseMs);
}

}  // namespace kx::device
