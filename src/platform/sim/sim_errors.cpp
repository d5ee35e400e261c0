#include "platform/sim/sim_errors.h"

#include <string_view>

#include "platform/text_util.h"

namespace kx::sim {

namespace {

thread_local DWORD t_lastError = 0;

struct SystemText {
  DWORD code;
  std::string_view text;
};

// The system's own English texts, each ending in CR LF as FormatMessage gives them.
constexpr SystemText kSystemTexts[] = {
    {0, "The operation completed successfully.\r\n"},
    {1, "Incorrect function.\r\n"},
    {2, "The system cannot find the file specified.\r\n"},
    {3, "The system cannot find the path specified.\r\n"},
    {4, "The system cannot open the file.\r\n"},
    {5, "Access is denied.\r\n"},
    {6, "The handle is invalid.\r\n"},
    {8, "Not enough memory resources are available to process this command.\r\n"},
    {14, "Not enough memory resources are available to complete this operation.\r\n"},
    {15, "The system cannot find the drive specified.\r\n"},
    {21, "The device is not ready.\r\n"},
    {23, "Data error (cyclic redundancy check).\r\n"},
    {29, "The system cannot write to the specified device.\r\n"},
    {30, "The system cannot read from the specified device.\r\n"},
    {31, "A device attached to the system is not functioning.\r\n"},
    {32, "The process cannot access the file because it is being used by another process.\r\n"},
    {33,
     "The process cannot access the file because another process has locked a portion of "
     "the file.\r\n"},
    {38, "Reached the end of the file.\r\n"},
    {39, "The disk is full.\r\n"},
    {80, "The file exists.\r\n"},
    {87, "The parameter is incorrect.\r\n"},
    {112, "There is not enough space on the disk.\r\n"},
    {122, "The data area passed to a system call is too small.\r\n"},
    {123, "The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {145, "The directory is not empty.\r\n"},
    {161, "The specified path is invalid.\r\n"},
    {183, "Cannot create a file when that file already exists.\r\n"},
    {206, "The filename or extension is too long.\r\n"},
    {223, "The file size exceeds the limit allowed and cannot be saved.\r\n"},
    {1113, "No mapping for the Unicode character exists in the target multi-byte code page.\r\n"},
    {1167, "The device is not connected.\r\n"},
    {1400, "Invalid window handle.\r\n"},
    {1627, "Function failed during execution.\r\n"},
};

}  // namespace

DWORD SimErrors::GetLastError() const {
  return t_lastError;
}

void SimErrors::SetLastError(DWORD code) {
  t_lastError = code;
}

std::u16string SimErrors::SystemMessage(DWORD code) const {
  for (const SystemText& t : kSystemTexts) {
    if (t.code == code) return Widen(t.text);
  }
  return {};
}

}  // namespace kx::sim
