#include "platform/dialog.h"

#include <gtest/gtest.h>

#include "platform/messages.h"
#include "platform/sim/desktop.h"
#include "platform/sim/recording_window.h"
#include "platform/sim/temp_folder.h"

namespace kx {
namespace {

// A dialog that records the messages it sees and what ended it.
class TraceDialog : public Dialog {
 public:
  std::vector<UINT> seen;
  std::vector<UINT> endedBy;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    seen.push_back(message);
    return Dialog::WindowProc(message, wParam, lParam);
  }

 protected:
  void OnOK() override {
    endedBy.push_back(IDOK);
    Dialog::OnOK();
  }
  void OnCancel() override {
    endedBy.push_back(IDCANCEL);
    Dialog::OnCancel();
  }
};

class DialogTest : public ::testing::Test {
 protected:
  sim::TempFolder folder_;
  sim::Desktop desktop_{sim::DesktopOptions{folder_.Path()}};
  sim::SimWindowSystem& windows_ = desktop_.Windows();
};

TEST(DialogUnits, FollowTheFontsCharacterSize) {
  EXPECT_EQ(Dialog::DialogUnitsToPixels(SIZE{316, 183}, 8), (SIZE{474, 297}));
  EXPECT_EQ(Dialog::DialogUnitsToPixels(SIZE{4, 8}, 8), (SIZE{6, 13}));
  EXPECT_EQ(Dialog::DialogUnitsToPixels(SIZE{4, 8}, 16), (SIZE{12, 26}));
}

TEST_F(DialogTest, IsCreatedAtItsOwnerWithCreateBeforeInitDialog) {
  sim::RecordingWindow owner;
  ASSERT_TRUE(owner.Open(u"owner"));
  windows_.SetWindowPos(owner.Handle(), nullptr, 100, 40, 10, 10, SWP_NOZORDER);
  DialogTemplate t;
  t.style = WS_POPUP;
  t.position = POINT{4, 8};
  t.size = SIZE{40, 16};
  t.caption = u"Title";

  TraceDialog hidden;
  ASSERT_TRUE(hidden.CreateIndirect(t, &owner));
  EXPECT_FALSE(hidden.CreateIndirect(t, &owner));  // once only
  const auto create = std::find(hidden.seen.begin(), hidden.seen.end(), WM_CREATE);
  const auto init = std::find(hidden.seen.begin(), hidden.seen.end(), WM_INITDIALOG);
  ASSERT_NE(init, hidden.seen.end());
  EXPECT_LT(create, init);
  EXPECT_EQ(windows_.GetWindowRect(hidden.Handle()), (RECT{106, 53, 166, 79}));
  EXPECT_EQ(windows_.GetText(hidden.Handle()), u"Title");
  EXPECT_EQ(windows_.ClassNameOf(hidden.Handle()), u"#32770");
  EXPECT_FALSE(windows_.IsVisible(hidden.Handle()));

  t.style |= WS_VISIBLE;
  TraceDialog shown;
  ASSERT_TRUE(shown.CreateIndirect(t, nullptr));
  EXPECT_TRUE(windows_.IsVisible(shown.Handle()));
}

TEST_F(DialogTest, EscapeAndEnterEndIt) {
  DialogTemplate t;
  t.style = WS_POPUP | WS_VISIBLE;
  t.size = SIZE{40, 16};
  for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
    TraceDialog dialog;
    ASSERT_TRUE(dialog.CreateIndirect(t, nullptr));
    sim::RecordingWindow control;
    ASSERT_TRUE(control.Open(u"", u"", dialog.Handle()));
    windows_.Post(control.Handle(), WM_KEYDOWN, key, 0);  // pressed in one of its controls
    desktop_.RunUntilIdle();
    EXPECT_EQ(dialog.endedBy, std::vector<UINT>{key == VK_ESCAPE ? IDCANCEL : IDOK});
    EXPECT_EQ(dialog.Handle(), nullptr);
    EXPECT_TRUE(control.ReceivedOf(WM_KEYDOWN).empty());
  }
}

TEST_F(DialogTest, CloseBecomesCancel) {
  DialogTemplate t;
  t.style = WS_POPUP;
  t.size = SIZE{40, 16};
  TraceDialog dialog;
  ASSERT_TRUE(dialog.CreateIndirect(t, nullptr));
  windows_.Send(dialog.Handle(), WM_CLOSE, 0, 0);
  EXPECT_NE(dialog.Handle(), nullptr);  // the dialog class posts the Cancel command
  desktop_.RunUntilIdle();
  EXPECT_EQ(dialog.endedBy, std::vector<UINT>{IDCANCEL});
  EXPECT_EQ(dialog.Handle(), nullptr);
}

}  // namespace
}  // namespace kx
