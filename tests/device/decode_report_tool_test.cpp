// kestrix-tool decode-report, run as a user runs it: what it prints and its exit status.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace {

struct ToolRun {
  std::string out;
  std::string err;
  int status = -1;
};

ToolRun RunTool(const std::string& args) {
  const std::string errFile = ::testing::TempDir() + "decode_report_stderr.txt";
  const std::string command =
      std::string(KX_TOOL_PATH) + " decode-report " + args + " 2>" + errFile;
  ToolRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  std::array<char, 256> buffer;
  std::size_t n = 0;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
    run.out.append(buffer.data(), n);
  const int raw = pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  if (FILE* err = fopen(errFile.c_str(), "r")) {
    while ((n = fread(buffer.data(), 1, buffer.size(), err)) > 0)
      run.err.append(buffer.data(), n);
    fclose(err);
  }
  return run;
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
    const ToolRun run = RunTool(c.args);
    EXPECT_EQ(run.status, 0) << c.args;
    EXPECT_EQ(run.out, c.out) << c.args;
    EXPECT_EQ(run.err, "") << c.args;
  }
}

TEST(DecodeReportToolTest, MalformedHexIsAnErrorWithNothingOnStdout) {
  for (const char* args : {"0D 0", "0x0D", "0G", "'0D\t03'", "0D 03 -"}) {
    const ToolRun run = RunTool(args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_EQ(run.out, "") << args;
    ASSERT_FALSE(run.err.empty()) << args;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
  }
}

}  // namespace
