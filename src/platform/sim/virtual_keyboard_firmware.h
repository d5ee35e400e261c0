// The virtual keyboard's firmware: what it does with the reports the host writes to its vendor
// collections, the answers it gives to the two queries, and a model of its memory, so tests can
// check what a write left in the keyboard.
#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <span>

#include "platform/types.h"

namespace kx::sim {

inline constexpr std::size_t kKeyboardModeCount = 6;  // mode 0 (PC mode) and modes 1-5
inline constexpr std::size_t kMatrixCellCount = 138;  // 6 rows x 23 columns
inline constexpr std::size_t kMatrixChunkCount = 23;  // 6 cells per 0B chunk
inline constexpr std::size_t kMacroByteCount = 242;   // options and 240 bytes of macro data
inline constexpr std::size_t kMacroChunkCount = 41;   // 6 bytes per 0C chunk (246 >= 242)
inline constexpr std::size_t kChunkDataBytes = 6;

// Everything one device mode keeps.
struct ModeMemory {
  std::array<BYTE, kMatrixCellCount> keyMatrix{};  // one device key code per matrix code
  std::size_t keyMatrixWrites = 0;                 // complete 0A 04 + 23 x 0B runs received
  std::map<BYTE, std::array<BYTE, kMacroByteCount>> macros;  // by matrix code
  std::map<BYTE, std::size_t> macroWrites;                   // complete runs, by matrix code
  std::optional<BYTE> lightEffect;                           // 0A 0A
  std::optional<COLORREF> lightColor;                        // 0A 0B, bytes c0 c1 c2
  std::map<BYTE, COLORREF> keyColors;                        // 0A 0C, by matrix code
};

struct KeyboardMemory {
  BYTE mode = 0;  // the active device mode, 0-5
  std::array<ModeMemory, kKeyboardModeCount> modes;
  std::optional<BYTE> pollingRateMask;  // 07 01
  std::optional<BYTE> keyMode;          // 07 11
  std::size_t command0FCount = 0;       // 0A 0F
  BYTE firmwareMajor = 1;               // answered in bytes 2 and 3 of the version query
  BYTE firmwareMinor = 3;
};

class KeyboardFirmware {
 public:
  // Whether the collection with this usage declares an output report with this id: 07 and 0A
  // on collection 2, 0B on 3, 0C on 4; collections 1 and 5 take none.
  static bool Accepts(WORD usage, BYTE reportId);
  // The keyboard calls its PC mode (0) 6 on the wire, in both directions.
  static constexpr BYTE kWireModeZero = 6;
  static constexpr BYTE WireMode(BYTE mode) { return mode == 0 ? kWireModeZero : mode; }

  // A report the host wrote to the collection; reports the collection does not take and
  // reports too short to carry a command are ignored.
  void Receive(WORD usage, std::span<const BYTE> report);
  // Fills buffer (byte 0 holds the report id asked for) with the answer to the query written
  // last on that collection, once; false when no answer is waiting.
  bool Answer(WORD usage, std::span<BYTE> buffer);

  const KeyboardMemory& Memory() const { return memory_; }
  KeyboardMemory& Memory() { return memory_; }

 private:
  // A chunk run in progress: its header chose where the chunks go.
  struct ChunkRun {
    bool open = false;
    BYTE mode = 0;
    BYTE matrixCode = 0;        // macros only
    std::size_t nextChunk = 1;  // the chunk expected next if none was lost
    bool inOrder = true;        // every chunk so far arrived, in order
  };

  void ReceiveCommand(std::span<const BYTE> report);
  void ReceiveMatrixChunk(std::span<const BYTE> report);
  void ReceiveMacroChunk(std::span<const BYTE> report);

  KeyboardMemory memory_;
  ChunkRun matrixRun_;
  ChunkRun macroRun_;
  std::optional<BYTE> pendingQuery_;  // 0x80 version or 0x81 mode, asked on collection 2
};

}  // namespace kx::sim
