// kestrix-tool decode-report, run as a user runs it: what it prints and its exit status.
#include <gtest/gtest.h>

#include <string>

#include "support/run_program.h"

namespace {

using kx::testsupport::ProgramRun;

// The arguments go to the shell as they are: "0D 03" is two words, as typed.
ProgramRun RunTool(const std::string& args) {
  return kx::testsupport::RunProgram(std::string(KX_TOOL_PATH) + " decode-report " + args,
                                     ::testing::TempDir() + "decode_report_stderr.txt");
}

struct ToolCase {
  const char* args;
  const char* out;
};

TEST(DecodeReportToolTest, PrintsOneLinePerMessage) {
  const ToolCase cases[] = {
      {"0D 03 02 00 00 00 00 00 00", "WM_DEVICE_EVENT 0x2 0x100da\n"},
      {"'08 02 01 01 05'", "WM_DEVICE_EVENT 0x5 0x100df\nWM_DEVICE_EVENT 0x1 0x10002\n"},
      {"0800070003d6010000", "WM_DEVICE_TOGGLE 0x1 0x0\n"},
      {"08 FE 05 00", "WM_DEVICE_SWITCH 0x0 0x0\n"},
      {"0D05 002A", "WM_DEVICE_EVENT 0xde 0x1002a\n"},
      {"08 2f 01 ac", ""},  // a report that posts nothing
      {"", ""},             // no digits: a report of length 0
      {"' '", ""},
  };
  for (const ToolCase& c : cases) {
    const ProgramRun run = RunTool(c.args);
    EXPECT_EQ(run.status, 0) << c.args;
    EXPECT_EQ(run.out, c.out) << c.args;
    EXPECT_EQ(run.err, "") << c.args;
  }
}

TEST(DecodeReportToolTest, MalformedHexIsAnErrorWithNothingOnStdout) {
  for (const char* args : {"0D 0", "0x0D", "0G", "'0D\t03'", "0D 03 -"}) {
    const ProgramRun run = RunTool(args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_EQ(run.out, "") << args;
    ASSERT_FALSE(run.err.empty()) << args;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
  }
}

}  // namespace
