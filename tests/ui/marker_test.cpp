#include "ui/marker.h"

#include "platform/graphics_flags.h"
#include "platform/messages.h"
#include "platform/sim/recording_window.h"
#include "ui_fixture.h"

namespace kx::ui {
namespace {

using sim::Pixels;

constexpr std::uint32_t kEmpty = 0x404040;
constexpr std::uint32_t kFull = 0x2080FF;

class MarkerTest : public testing::UiTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(parent_.Open(u"owner"));
    windows_.SetWindowPos(parent_.Handle(), nullptr, 200, 100, 400, 100, SWP_NOZORDER);
    windows_.Show(parent_.Handle(), SW_SHOW);
    desktop_.RunUntilIdle();
  }
  // Creates the bar over rect of the parent, with solid empty and full images of its size.
  void Make(CDMarker& marker, const RECT& rect, std::u16string_view text = u"") {
    ASSERT_TRUE(marker.Create(rect, &parent_, text, 7));
    const int w = rect.Width(), h = rect.Height();
    Bitmap empty(graphics_.DecodePicture(sim::EncodeBmp24(Pixels(w, h, kEmpty))));
    Bitmap full(graphics_.DecodePicture(sim::EncodeBmp24(Pixels(w, h, kFull))));
    marker.SetImages(empty, full, RECT{0, 0, w, h});
  }
  // Pixels of the full bar shown on the bar's top and bottom rows; -1 when they differ.
  int Filled(const CDMarker& marker, std::uint32_t full = kFull) {
    const Pixels shown = graphics_.WindowSurface(marker.Handle());
    const int top = RunOf(shown, 0, full);
    return top == RunOf(shown, shown.height - 1, full) ? top : -1;
  }
  // The mouse at a point of the bar's client area, as the system delivers it.
  void Mouse(const CDMarker& marker, UINT message, int x) {
    const POINT screen = windows_.ClientToScreen(marker.Handle(), POINT{x, 5});
    windows_.PostMouse(message, screen);
    desktop_.RunUntilIdle();
  }

  sim::RecordingWindow parent_;
  CDMarker marker_;
  static constexpr RECT kBar{20, 10, 270, 30};  // 250 wide, away from the parent's corner
};

TEST_F(MarkerTest, CreationSetsTheDefaultsAndAChildWindow) {
  Make(marker_, kBar);
  EXPECT_EQ(marker_.m_nMin, 0);
  EXPECT_EQ(marker_.m_nMax, 10);
  EXPECT_EQ(marker_.m_nPos, 0);
  EXPECT_EQ(marker_.m_bTrack, 1);
  EXPECT_EQ(windows_.GetParent(marker_.Handle()), parent_.Handle());
  EXPECT_EQ(windows_.GetStyle(marker_.Handle()), WS_CHILD | WS_VISIBLE | WS_TABSTOP);
  EXPECT_EQ(windows_.GetText(marker_.Handle()), u"");
  EXPECT_EQ(windows_.GetWindowRect(marker_.Handle()), (RECT{220, 110, 470, 130}));
}

TEST_F(MarkerTest, SetPosFillsFromTheLeftAndPaintsBeforeReturning) {
  Make(marker_, kBar);
  marker_.m_nMax = 100;
  struct Case {
    int set;
    int pos;
    int filled;
  };
  for (const Case c : {Case{50, 50, 125}, Case{33, 33, 82}, Case{100, 100, 250}, Case{0, 0, 0},
                       Case{150, 0, 0}, Case{-1, 0, 0}, Case{99, 99, 247}}) {
    SCOPED_TRACE(c.set);
    marker_.SetPos(c.set);  // no message is pumped: the paint happens inside SetPos
    EXPECT_EQ(marker_.m_nPos, c.pos);
    EXPECT_EQ(Filled(marker_), c.filled);
    const Pixels shown = graphics_.WindowSurface(marker_.Handle());
    if (c.filled < 250) {
      EXPECT_EQ(shown.At(c.filled, 10), kEmpty);
    }
  }
}

TEST_F(MarkerTest, AnEmptyRangeOrABarOfNoWidthShowsTheEmptyBar) {
  Make(marker_, kBar);
  marker_.m_nMin = marker_.m_nMax = 5;
  marker_.SetPos(5);
  EXPECT_EQ(Filled(marker_), 0);
  EXPECT_EQ(marker_.PosFromPoint(POINT{100, 5}), 5);
  marker_.m_nMin = 9;
  marker_.m_nMax = 3;
  marker_.SetPos(4);
  EXPECT_EQ(Filled(marker_), 0);

  CDMarker flat;
  Make(flat, RECT{0, 0, 0, 20});
  flat.SetPos(3);
  EXPECT_EQ(flat.FilledWidth(), 0);
  EXPECT_EQ(flat.PosFromPoint(POINT{10, 5}), 0);
}

TEST_F(MarkerTest, DraggingFollowsThePointerAndStopsAtTheEnds) {
  Make(marker_, kBar);
  marker_.m_nMax = 100;
  Mouse(marker_, WM_LBUTTONDOWN, 10);
  EXPECT_EQ(windows_.GetCapture(), marker_.Handle());
  EXPECT_EQ(marker_.m_bDragging, 1);
  EXPECT_EQ(marker_.m_nPos, 0);  // the press alone does not move it

  struct Step {
    int x;
    int pos;
  };
  for (const Step s : {Step{125, 50}, Step{-60, 0}, Step{400, 100}, Step{0, 0}, Step{249, 99}}) {
    Mouse(marker_, WM_MOUSEMOVE, s.x);
    EXPECT_EQ(marker_.m_nPos, s.pos) << s.x;
  }
  EXPECT_EQ(Filled(marker_), 247);  // the moves repainted the bar

  Mouse(marker_, WM_LBUTTONUP, 62);
  EXPECT_EQ(marker_.m_nPos, 24);
  EXPECT_EQ(marker_.m_bDragging, 0);
  EXPECT_EQ(windows_.GetCapture(), nullptr);
  Mouse(marker_, WM_MOUSEMOVE, 200);
  EXPECT_EQ(marker_.m_nPos, 24);
  EXPECT_EQ(Filled(marker_), 60);
}

TEST_F(MarkerTest, AButtonUpAlwaysMovesTheBarEvenWithoutTracking) {
  Make(marker_, kBar);
  marker_.m_nMax = 100;
  Mouse(marker_, WM_LBUTTONUP, 125);  // no press came first
  EXPECT_EQ(marker_.m_nPos, 50);

  marker_.m_bTrack = 0;
  Mouse(marker_, WM_LBUTTONDOWN, 10);
  EXPECT_EQ(marker_.m_bDragging, 0);
  EXPECT_EQ(windows_.GetCapture(), nullptr);
  Mouse(marker_, WM_MOUSEMOVE, 200);
  EXPECT_EQ(marker_.m_nPos, 50);
  Mouse(marker_, WM_LBUTTONUP, 200);
  EXPECT_EQ(marker_.m_nPos, 80);
}

TEST_F(MarkerTest, ADragOutlivesALostCaptureUntilTheFocusGoes) {
  Make(marker_, kBar);
  marker_.m_nMax = 100;
  sim::RecordingWindow other;
  ASSERT_TRUE(other.Open(u"other"));
  windows_.SetFocus(marker_.Handle());
  Mouse(marker_, WM_LBUTTONDOWN, 10);

  windows_.SetCapture(other.Handle());
  desktop_.RunUntilIdle();
  EXPECT_EQ(marker_.m_bDragging, 1);
  EXPECT_NE(windows_.GetCapture(), marker_.Handle());
  Mouse(marker_, WM_MOUSEMOVE, 125);  // over the bar, without the capture
  EXPECT_EQ(marker_.m_nPos, 50);

  windows_.SetFocus(other.Handle());
  EXPECT_EQ(marker_.m_bDragging, 0);
  Mouse(marker_, WM_MOUSEMOVE, 200);
  EXPECT_EQ(marker_.m_nPos, 50);
}

TEST_F(MarkerTest, TextIsDrawnOverTheBarInTheBarsRectangle) {
  Make(marker_, kBar, u"Writing");
  marker_.SetPos(5);
  const auto draws = graphics_.TextDraws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].text, u"Writing");
  EXPECT_EQ(draws[0].rect, kBar);  // the parent's coordinates: shifted inside the control
  EXPECT_EQ(draws[0].format,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  EXPECT_EQ(draws[0].bkMode, BKMODE_TRANSPARENT);
  EXPECT_NE(draws[0].bitmap, nullptr);  // drawn off screen, with the images

  CDMarker silent;
  Make(silent, RECT{0, 40, 100, 60});
  silent.SetPos(5);
  EXPECT_EQ(graphics_.TextDraws().size(), 1u);
}

TEST_F(MarkerTest, WithoutImagesTheBarIsDrawnInPlainColours) {
  ASSERT_TRUE(marker_.Create(RECT{0, 0, 100, 10}, &parent_, u"", 0));
  marker_.SetPos(5);
  EXPECT_EQ(Filled(marker_, sim::PixelFromColorref(CDMarker::kFullColour)), 50);
  EXPECT_EQ(graphics_.WindowSurface(marker_.Handle()).At(50, 5),
            sim::PixelFromColorref(CDMarker::kEmptyColour));
}

TEST_F(MarkerTest, ABarReleasesEverythingItDrewWith) {
  const std::size_t objects = graphics_.ObjectCount();
  {
    CDMarker marker;
    Make(marker, kBar, u"x");
    marker.SetPos(7);
    Mouse(marker, WM_LBUTTONDOWN, 30);
    Mouse(marker, WM_LBUTTONUP, 60);
    EXPECT_EQ(graphics_.ObjectCount(), objects + 2);  // its two copies of the images
  }
  EXPECT_EQ(graphics_.ObjectCount(), objects);
  EXPECT_EQ(graphics_.DcCount(), 0u);
  EXPECT_EQ(windows_.Children(parent_.Handle()).size(), 0u);
}

}  // namespace
}  // namespace kx::ui
