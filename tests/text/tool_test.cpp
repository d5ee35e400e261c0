// The kestrix-tool commands over the text reader, run as a user would run them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/sim/temp_folder.h"
#include "support/run_program.h"

namespace kx::text {
namespace {

using ToolRun = testsupport::ProgramRun;

ToolRun Tool(const std::string& args) {
  return testsupport::RunProgram(std::string(KX_TOOL_PATH) + " " + args);
}

class ToolTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    std::filesystem::path path = temp_.Path() / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
  sim::TempFolder temp_;
};

TEST_F(ToolTest, TextDecodeReportsEverything) {
  ToolRun run = Tool("text decode " + Write("a.txt",
                                            "\xEF\xBB\xBF"
                                            "a\xC3\xA9"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "ok 1\nflags 0x4\nresult UTF-8 BOM + length 3 to 2 wide chars \nunits 0061 00e9\n");

  ToolRun missing = Tool("text decode " + (temp_.Path() / "absent.txt").string());
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out,
            "ok 0\nflags 0x0\nresult The system cannot find the file specified.\nunits \n");

  ToolRun noFolder = Tool("text decode " + (temp_.Path() / "no" / "absent.txt").string());
  EXPECT_EQ(noFolder.out,
            "ok 0\nflags 0x0\nresult The system cannot find the path specified.\nunits \n");
  EXPECT_FALSE(std::filesystem::exists(temp_.Path() / "no"));
}

TEST_F(ToolTest, TextCatPrintsUtf8) {
  ToolRun run = Tool("text cat " + Write("b.txt", std::string("\xFF\xFE"
                                                              "A\0\xE9\0",
                                                              6)));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "A\xC3\xA9");
}

TEST_F(ToolTest, CodePage) {
  EXPECT_EQ(Tool("codepage Latin1").out, "28591\n");
  EXPECT_EQ(Tool("codepage UTF-32BE").out, "65005\n");
  EXPECT_EQ(Tool("codepage utf-32").out, "-1\n");
}

TEST_F(ToolTest, XmlTokensAndIndex) {
  const std::string file = Write("c.xml", "<a x='1'><b/></a>");
  EXPECT_EQ(Tool("xml tokens " + file).out,
            "1 0 9 0x0 a\n1 9 4 0x10000 b\n0 13 4 0x0\n-2 17 0 0x0\n");
  EXPECT_EQ(Tool("xml index " + file).out,
            "wellformed 1\n"
            "result UTF-8 length 17 to 17 wide chars \n"
            "0 0 17 0 0 0 0x0 0 1 0 0\n"
            "1 0 17 9 4 0 0x80000 0 2 0 1\n"
            "2 9 4 4 0 1 0x80000 1 0 0 2\n");
  EXPECT_EQ(Tool("xml index " + Write("d.xml", "<a><b>")).out,
            "wellformed 0\n"
            "result UTF-8 length 6 to 6 wide chars  Root element has sibling\n"
            "0 0 6 0 0 0 0x800000 0 1 0 0\n"
            "1 0 3 3 0 0 0x180000 0 0 2 2\n"
            "2 3 3 3 0 1 0x100000 0 0 0 1\n");
}

}  // namespace
}  // namespace kx::text
