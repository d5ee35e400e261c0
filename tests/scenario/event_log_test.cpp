#include "event_log.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kx::simtool {
namespace {

TEST(EventLogTest, LinesHaveTheLogFormat) {
  Event msg;
  msg.timeMs = 16300;
  msg.title = "Kestrix";
  msg.message = 0x658;
  msg.wParam = 0;
  msg.lParam = -1;
  EXPECT_EQ(FormatEvent(msg), "16300 MSG \"Kestrix\" 0x658 0x0 0xffffffffffffffff");

  Event osd;
  osd.kind = Event::Kind::kOsd;
  osd.text = "PC Mode";
  osd.colour = 0x55FF;
  EXPECT_EQ(FormatEvent(osd), "0 OSD \"PC Mode\" 0x55ff");

  Event launch;
  launch.kind = Event::Kind::kLaunch;
  launch.timeMs = 5;
  launch.text = "C:\\Games\\a \"b\".exe";  // printed as it is
  EXPECT_EQ(FormatEvent(launch), "5 LAUNCH \"C:\\Games\\a \"b\".exe\"");

  Event reg;
  reg.kind = Event::Kind::kRegistry;
  reg.text = "FWVersion";
  reg.data = "\" \"";
  EXPECT_EQ(FormatEvent(reg), "0 REG \"FWVersion\" \" \"");

  Event write;
  write.kind = Event::Kind::kWrite;
  write.usage = 2;
  write.bytes = {0x0A, 0x03, 0xFF, 0x00};
  EXPECT_EQ(FormatEvent(write), "0 W u2 0a 03 ff 00");
  write.kind = Event::Kind::kRead;
  write.usage = 0;
  EXPECT_EQ(FormatEvent(write), "0 R u0 0a 03 ff 00");
}

TEST(EventLogTest, WritesEachLineAsItHappensAndKeepsTheEvents) {
  std::ostringstream sink;
  EventLog log(&sink);
  Event a;
  a.kind = Event::Kind::kLaunch;
  a.text = "x";
  log.Add(a);
  EXPECT_EQ(sink.str(), "0 LAUNCH \"x\"\n");
  const std::size_t mark = log.Count();
  a.text = "y";
  log.Add(a);
  EXPECT_EQ(sink.str(), "0 LAUNCH \"x\"\n0 LAUNCH \"y\"\n");
  ASSERT_EQ(log.EventsSince(mark).size(), 1u);
  EXPECT_EQ(log.EventsSince(mark)[0].text, "y");
  EXPECT_TRUE(log.EventsSince(5).empty());
}

}  // namespace
}  // namespace kx::simtool
