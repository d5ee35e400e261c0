// decode-report HEX...: the messages the device link posts for one input report, one a line,
// as if the main window, the configuration program and "Kestrix_Hid" were all there.
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "command.h"
#include "device/report_decoder.h"
#include "platform/text_util.h"
#include "protocol/messages.h"

namespace kx::tool {

namespace {

// The arguments joined, spaces removed, read as pairs of hex digits; nothing when malformed.
std::optional<std::vector<BYTE>> ParseReport(const std::vector<std::string>& args,
                                             std::string* error) {
  std::string digits;
  for (const std::string& arg : args) {
    for (char c : arg) {
      if (c == ' ') continue;
      if (HexDigitValue(c) < 0) {
        *error = "decode-report: not a hex digit: '" + std::string(1, c) + "'";
        return std::nullopt;
      }
      digits.push_back(c);
    }
  }
  if (digits.size() % 2 != 0) {
    *error = "decode-report: odd number of hex digits (" + std::to_string(digits.size()) + ")";
    return std::nullopt;
  }
  std::vector<BYTE> report;
  report.reserve(digits.size() / 2);
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    report.push_back(
        static_cast<BYTE>(HexDigitValue(digits[i]) * 16 + HexDigitValue(digits[i + 1])));
  }
  return report;
}

int DecodeReportCommand(const std::vector<std::string>& args) {
  std::string error;
  std::optional<std::vector<BYTE>> report = ParseReport(args, &error);
  if (!report) return UsageError(error);
  for (const device::DeviceMessage& m : device::DecodeReport(*report)) {
    std::cout << protocol::MessageNameOf(m.message) << std::hex << " 0x" << m.wParam << " 0x"
              << static_cast<std::uintptr_t>(m.lParam) << std::dec << "\n";
  }
  return kExitOk;
}

}  // namespace

KX_TOOL_COMMAND(decode_report, "decode-report",
                "decode-report HEX...  the messages an input report posts (b0 first)",
                DecodeReportCommand);

}  // namespace kx::tool
