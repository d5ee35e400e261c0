#include "protocol/windows.h"

#include <gtest/gtest.h>

#include "platform/sim/desktop.h"
#include "platform/sim/recording_window.h"
#include "platform/sim/temp_folder.h"
#include "protocol/messages.h"

namespace kx::protocol {
namespace {

class ProtocolWindowsTest : public ::testing::Test {
 protected:
  sim::TempFolder folder_;
  sim::Desktop desktop_{sim::DesktopOptions{folder_.Path()}};
};

TEST_F(ProtocolWindowsTest, NoticesReachTheInnerWindowOnlyWhenBothWindowsExist) {
  EXPECT_EQ(NotifyConfigWindow(WM_PROFILE_SELECT, 0, 3), 0);  // no configuration program

  sim::RecordingWindow outer;
  outer.Open(kConfigTitle);
  EXPECT_EQ(FindInnerWindow(kConfigTitle, kConfigTitle), nullptr);
  EXPECT_EQ(NotifyConfigWindow(WM_PROFILE_SELECT, 0, 3), 0);

  sim::RecordingWindow other, inner;
  other.Open(u"Something else", u"", outer.Handle());
  inner.Open(kConfigTitle, u"", outer.Handle());
  EXPECT_EQ(FindInnerWindow(kConfigTitle, kConfigTitle), inner.Handle());
  EXPECT_EQ(NotifyConfigWindow(WM_PROFILE_SELECT, 0, 3), 1);
  desktop_.RunUntilIdle();
  auto got = inner.ReceivedOf(WM_PROFILE_SELECT);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].lParam, 3);
  EXPECT_TRUE(outer.ReceivedOf(WM_PROFILE_SELECT).empty());
}

TEST_F(ProtocolWindowsTest, MessageNamesAreUniqueAndFound) {
  for (std::size_t i = 0; i < kMessageNames.size(); ++i) {
    for (std::size_t j = i + 1; j < kMessageNames.size(); ++j) {
      EXPECT_NE(kMessageNames[i].number, kMessageNames[j].number) << kMessageNames[i].name;
    }
  }
  static_assert(MessageNameOf(0x5401) == "WM_DEVICE_PLUG");
  static_assert(MessageNameOf(0x1234).empty());
}

}  // namespace
}  // namespace kx::protocol
