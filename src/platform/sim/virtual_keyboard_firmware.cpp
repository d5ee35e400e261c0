#include "platform/sim/virtual_keyboard_firmware.h"

#include <algorithm>

namespace kx::sim {

namespace {

constexpr BYTE kOptionReport = 0x07;
constexpr BYTE kCommandReport = 0x0A;
constexpr BYTE kMatrixChunkReport = 0x0B;
constexpr BYTE kMacroChunkReport = 0x0C;

constexpr BYTE kQueryVersion = 0x80;
constexpr BYTE kQueryMode = 0x81;

// Reports are fixed-length on the wire: a byte past the end of a short one reads as zero.
BYTE At(std::span<const BYTE> report, std::size_t offset) {
  return offset < report.size() ? report[offset] : 0;
}

COLORREF ColourAt(std::span<const BYTE> report, std::size_t offset) {
  return Rgb(At(report, offset), At(report, offset + 1), At(report, offset + 2));
}

bool IsMode(BYTE mode) {
  return mode < kKeyboardModeCount;
}

// Matrix codes travel as code + 1; 0 names no key.
std::optional<BYTE> MatrixCodeFromWire(BYTE wire) {
  if (wire == 0 || wire > kMatrixCellCount) return std::nullopt;
  return static_cast<BYTE>(wire - 1);
}

}  // namespace

bool KeyboardFirmware::Accepts(WORD usage, BYTE reportId) {
  switch (usage) {
    case 2:
      return reportId == kOptionReport || reportId == kCommandReport;
    case 3:
      return reportId == kMatrixChunkReport;
    case 4:
      return reportId == kMacroChunkReport;
    default:
      return false;
  }
}

void KeyboardFirmware::Receive(WORD usage, std::span<const BYTE> report) {
  if (report.size() < 2 || !Accepts(usage, report[0])) return;
  switch (report[0]) {
    case kOptionReport:
    case kCommandReport:
      ReceiveCommand(report);
      break;
    case kMatrixChunkReport:
      ReceiveMatrixChunk(report);
      break;
    case kMacroChunkReport:
      ReceiveMacroChunk(report);
      break;
    default:
      break;
  }
}

void KeyboardFirmware::ReceiveCommand(std::span<const BYTE> report) {
  const BYTE command = report[1];
  const BYTE mode = At(report, 2);
  if (report[0] == kOptionReport) {
    switch (command) {
      case kQueryVersion:
      case kQueryMode:
        pendingQuery_ = command;
        break;
      case 0x01:
        memory_.pollingRateMask = mode;
        break;
      case 0x11:
        memory_.keyMode = mode;
        break;
      default:
        break;
    }
    return;
  }
  switch (command) {
    case 0x03:
      if (mode == kWireModeZero) {
        memory_.mode = 0;
      } else if (IsMode(mode)) {
        memory_.mode = mode;
      }
      break;
    case 0x04:
      matrixRun_ = ChunkRun{};
      matrixRun_.open = IsMode(mode);
      matrixRun_.mode = mode;
      break;
    case 0x05: {
      macroRun_ = ChunkRun{};
      std::optional<BYTE> code = MatrixCodeFromWire(At(report, 3));
      if (!IsMode(mode) || !code) break;
      macroRun_.open = true;
      macroRun_.mode = mode;
      macroRun_.matrixCode = *code;
      // A key's macro exists from its first header on; chunks overwrite it in place.
      memory_.modes[mode].macros.try_emplace(*code);
      break;
    }
    case 0x0A:
      if (IsMode(mode)) memory_.modes[mode].lightEffect = At(report, 3);
      break;
    case 0x0B:
      if (IsMode(mode)) memory_.modes[mode].lightColor = ColourAt(report, 4);
      break;
    case 0x0C: {
      std::optional<BYTE> code = MatrixCodeFromWire(At(report, 3));
      if (IsMode(mode) && code) memory_.modes[mode].keyColors[*code] = ColourAt(report, 4);
      break;
    }
    case 0x0F:
      ++memory_.command0FCount;
      break;
    default:
      break;
  }
}

namespace {

// Takes chunk `chunk` of a run of `count`: whether it belongs to the run, and keeps track of
// whether the run is still complete and in order.
template <typename Run>
bool TakeChunk(Run& run, std::size_t chunk, std::size_t count) {
  if (!run.open || chunk == 0 || chunk > count) return false;
  if (chunk != run.nextChunk) run.inOrder = false;
  run.nextChunk = chunk + 1;
  return true;
}

// Copies the chunk's six data bytes to their place in a block; bytes past the block's end (the
// tail of the last macro chunk) have nowhere to go.
template <std::size_t N>
void StoreChunk(std::array<BYTE, N>& block, std::size_t chunk, std::span<const BYTE> report) {
  const std::size_t start = (chunk - 1) * kChunkDataBytes;
  for (std::size_t i = 0; i < kChunkDataBytes && start + i < N; ++i) {
    block[start + i] = At(report, 2 + i);
  }
}

}  // namespace

void KeyboardFirmware::ReceiveMatrixChunk(std::span<const BYTE> report) {
  const std::size_t chunk = report[1];
  if (!TakeChunk(matrixRun_, chunk, kMatrixChunkCount)) return;
  ModeMemory& mode = memory_.modes[matrixRun_.mode];
  StoreChunk(mode.keyMatrix, chunk, report);
  if (chunk == kMatrixChunkCount) {
    if (matrixRun_.inOrder) ++mode.keyMatrixWrites;
    matrixRun_.open = false;
  }
}

void KeyboardFirmware::ReceiveMacroChunk(std::span<const BYTE> report) {
  const std::size_t chunk = report[1];
  if (!TakeChunk(macroRun_, chunk, kMacroChunkCount)) return;
  ModeMemory& mode = memory_.modes[macroRun_.mode];
  StoreChunk(mode.macros[macroRun_.matrixCode], chunk, report);
  if (chunk == kMacroChunkCount) {
    if (macroRun_.inOrder) ++mode.macroWrites[macroRun_.matrixCode];
    macroRun_.open = false;
  }
}

bool KeyboardFirmware::Answer(WORD usage, std::span<BYTE> buffer) {
  if (usage != 2 || buffer.empty() || buffer[0] != kOptionReport || !pendingQuery_) return false;
  const BYTE query = *pendingQuery_;
  pendingQuery_.reset();
  std::fill(buffer.begin() + 1, buffer.end(), BYTE{0});
  std::array<BYTE, 3> answer{query, 0, 0};
  if (query == kQueryVersion) {
    answer[1] = memory_.firmwareMajor;
    answer[2] = memory_.firmwareMinor;
  } else {
    answer[1] = WireMode(memory_.mode);
  }
  for (std::size_t i = 0; i < answer.size() && i + 1 < buffer.size(); ++i) {
    buffer[i + 1] = answer[i];
  }
  return true;
}

}  // namespace kx::sim
