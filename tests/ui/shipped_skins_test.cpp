// The skin images the build draws into the agent's folder make the progress window a person
// expects: a pill the size of the bars that fills from the left with a clearly different
// picture.
#include "platform/messages.h"
#include "platform/sim/recording_window.h"
#include "ui/progress_dlg.h"
#include "ui/resources.h"
#include "ui_fixture.h"

namespace kx::ui {
namespace {

using sim::AlphaOf;

class ShippedSkinsTest : public testing::UiTest {
 protected:
  void SetUp() override {
    desktop_.Files().Mount(std::u16string(sim::Desktop::kProgramFolder) + u"\\skins",
                           KX_SHIPPED_SKINS);
    ASSERT_TRUE(main_.Open(u"Kestrix_Hid"));
  }
  sim::RecordingWindow main_;
};

int Brightness(std::uint32_t p) {
  return sim::RedOf(p) + sim::GreenOf(p) + sim::BlueOf(p);
}

TEST_F(ShippedSkinsTest, MakeAPillThatFillsFromTheLeft) {
  CProgressDlg dlg;
  ASSERT_TRUE(dlg.Create(IDD_PROGRESS, &main_));
  const RECT client = windows_.GetClientRect(dlg.Handle());
  EXPECT_GE(client.Width(), 200);
  EXPECT_GE(client.Height(), 16);
  EXPECT_EQ((SIZE{dlg.m_nWidth, dlg.m_nHeight}), (SIZE{client.Width(), client.Height()}));
  windows_.Show(dlg.Handle(), SW_SHOW);
  desktop_.RunUntilIdle();
  dlg.m_marker.SetPos(50);

  const sim::Pixels shot = graphics_.RenderWindow(dlg.Handle());
  const int w = shot.width, h = shot.height, mid = h / 2;
  for (POINT corner : {POINT{0, 0}, POINT{w - 1, 0}, POINT{0, h - 1}, POINT{w - 1, h - 1}}) {
    EXPECT_EQ(AlphaOf(shot.At(corner.x, corner.y)), 0) << corner.x << "," << corner.y;
  }
  for (int x : {2, w / 4, w / 2 - 4, w / 2 + 4, 3 * w / 4, w - 3}) {
    EXPECT_EQ(AlphaOf(shot.At(x, mid)), 0xFF) << x;
  }
  // The full half is bright and blue, the empty half dark.
  const std::uint32_t full = shot.At(w / 4, mid);
  const std::uint32_t empty = shot.At(3 * w / 4, mid);
  EXPECT_GT(sim::BlueOf(full), sim::RedOf(full) + 60);
  EXPECT_GT(Brightness(full), Brightness(empty) + 150);
  EXPECT_LT(Brightness(empty), 3 * 100);
}

}  // namespace
}  // namespace kx::ui
