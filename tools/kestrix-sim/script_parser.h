// The commands of a kestrix-sim script, one per line; # starts a comment. Numbers are decimal,
// 0x-hex or negative (-1 is the pointer-sized value with all bits set); texts are in double
// quotes (a single word may go without), taken as they stand, without escapes.
//
//   plug | unplug                      the keyboard is plugged in or unplugged
//   firmware A B                       the keyboard's answer to the version query (0-255 each)
//   report <hex bytes>                 the keyboard sends an input report
//   post <msg> <wParam> <lParam>       another program posts to "Kestrix_Hid"
//   broadcast <code> <lParam>          another program broadcasts "VELT_DEV_SYNC"
//   foreground <exe name>              a process with that name owns the foreground window
//   window "<title>" | close "<title>" a window of another program appears or goes
//   wait <ms>                          virtual time passes, timers fire
//   registry create|delete "<key>"     a registry key of the current user appears or goes
//   quit                               the script ends here
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/types.h"

namespace kx::simtool {

struct ScriptCommand {
  enum class Kind : std::uint8_t {
    kPlug,
    kUnplug,
    kFirmware,
    kReport,
    kPost,
    kBroadcast,
    kForeground,
    kWindow,
    kClose,
    kWait,
    kRegistryCreate,
    kRegistryDelete,
    kQuit,
  };
  Kind kind = Kind::kQuit;
  UINT message = 0;         // post
  WPARAM wParam = 0;        // post; broadcast: the code
  LPARAM lParam = 0;        // post, broadcast
  BYTE major = 0;           // firmware
  BYTE minor = 0;           // firmware
  std::uint64_t ms = 0;     // wait
  std::vector<BYTE> bytes;  // report
  std::string text;         // foreground, window, close, registry (UTF-8)
};

struct ParsedLine {
  std::optional<ScriptCommand> command;  // nothing for a blank or comment line
  std::string error;                     // why the line cannot be read; empty when it can
};

ParsedLine ParseScriptLine(std::string_view line);

// The longest wait one command may ask for (a day).
inline constexpr std::uint64_t kLongestWaitMs = 24ull * 60 * 60 * 1000;

}  // namespace kx::simtool
