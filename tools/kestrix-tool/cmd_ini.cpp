// kestrix-tool ini: reads and writes values of settings and profile files as the agent does.
#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "command.h"
#include "host_ini_file.h"
#include "platform/text_util.h"
#include "profiles/ini/ini_file.h"

namespace kx::tool {

namespace {

constexpr std::int64_t kMaxStructSize = 16 * 1024 * 1024;

// A whole decimal number in [low, high], optionally signed.
std::optional<std::int64_t> ParseNumber(const std::string& text, std::int64_t low,
                                        std::int64_t high) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i == text.size() || text.size() - i > 12) return std::nullopt;
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  if (negative) value = -value;
  if (value < low || value > high) return std::nullopt;
  return value;
}

std::optional<std::vector<std::uint8_t>> ParseHex(const std::string& text) {
  if (text.empty() || text.size() % 2 != 0) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    int high = HexDigitValue(text[i]);
    int low = HexDigitValue(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
  }
  return bytes;
}

bool HasLineBreak(const std::string& text) {
  return text.find_first_of("\r\n") != std::string::npos;
}

int WriteFailed(const std::string& file) {
  std::cerr << "kestrix-tool: cannot write " << file << "\n";
  return kExitFailed;
}

int RunIni(const std::vector<std::string>& args) {
  if (args.empty())
    return UsageError("ini: missing subcommand (get, get-int, get-struct, set, set-struct)");
  const std::string& sub = args[0];
  auto need = [&](std::size_t low, std::size_t high, const char* usage) -> bool {
    if (args.size() - 1 >= low && args.size() - 1 <= high) return true;
    UsageError(std::string("usage: kestrix-tool ini ") + usage);
    return false;
  };
  bool known = sub == "get" || sub == "get-int" || sub == "get-struct" || sub == "set" ||
               sub == "set-struct";
  if (!known) return UsageError("ini: unknown subcommand '" + sub + "'");
  if (sub == "get" && !need(3, 4, "get FILE SECTION KEY [DEFAULT]")) return kExitUsage;
  if (sub != "get" && !need(4, 4,
                            (sub + " FILE SECTION KEY " +
                             (sub == "get-int"      ? "DEFAULT"
                              : sub == "get-struct" ? "SIZE"
                              : sub == "set"        ? "VALUE"
                                                    : "HEX"))
                                .c_str())) {
    return kExitUsage;
  }
  const std::string& file = args[1];
  std::u16string section = FromUtf8(args[2]);
  std::u16string key = FromUtf8(args[3]);

  if (sub == "get") {
    HostIniFile host(file);
    profiles::IniFile ini(host.WindowsPath());
    std::u16string fallback = args.size() > 4 ? FromUtf8(args[4]) : u"";
    std::cout << ToUtf8(ini.ReadText(section, key, fallback)) << "\n";
    return kExitOk;
  }
  if (sub == "get-int") {
    auto fallback = ParseNumber(args[4], INT32_MIN, INT32_MAX);
    if (!fallback) return UsageError("ini get-int: DEFAULT must be a 32-bit integer: " + args[4]);
    HostIniFile host(file);
    profiles::IniFile ini(host.WindowsPath());
    UINT value = ini.ReadInt(section, key, static_cast<std::int32_t>(*fallback));
    std::cout << static_cast<std::int32_t>(value) << "\n";
    return kExitOk;
  }
  if (sub == "get-struct") {
    auto size = ParseNumber(args[4], 1, kMaxStructSize);
    if (!size || args[4][0] == '-' || args[4][0] == '+') {
      return UsageError("ini get-struct: SIZE must be a number of bytes from 1: " + args[4]);
    }
    HostIniFile host(file);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(*size));
    if (!profiles::IniFile(host.WindowsPath()).ReadStruct(section, key, bytes)) {
      return kExitFailed;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (std::uint8_t b : bytes) {
      hex.push_back(kDigits[b >> 4]);
      hex.push_back(kDigits[b & 0x0F]);
    }
    std::cout << hex << "\n";
    return kExitOk;
  }
  if (HasLineBreak(args[2]) || HasLineBreak(args[3])) {
    return UsageError("ini " + sub + ": SECTION and KEY cannot hold line breaks");
  }
  if (sub == "set") {
    HostIniFile host(file);
    if (!profiles::IniFile(host.WindowsPath()).WriteText(section, key, FromUtf8(args[4]))) {
      return WriteFailed(file);
    }
    return kExitOk;
  }
  auto bytes = ParseHex(args[4]);
  if (!bytes) return UsageError("ini set-struct: HEX must be pairs of hex digits: " + args[4]);
  HostIniFile host(file);
  if (!profiles::IniFile(host.WindowsPath()).WriteStruct(section, key, *bytes)) {
    return WriteFailed(file);
  }
  return kExitOk;
}

}  // namespace

KX_TOOL_COMMAND(
    ini, "ini",
    "ini get|get-int|get-struct|set|set-struct FILE SECTION KEY [DEFAULT|SIZE|VALUE|HEX]", RunIni);

}  // namespace kx::tool
