#include "ui/progress_dlg.h"

#include "platform/graphics_flags.h"
#include "platform/messages.h"
#include "platform/sim/recording_window.h"
#include "ui/resources.h"
#include "ui/skin_image.h"
#include "ui_fixture.h"

namespace kx::ui {
namespace {

using sim::AlphaOf;
using sim::Pixels;

constexpr std::uint32_t kEmpty = 0x303848;
constexpr std::uint32_t kFull = 0x30C060;

class ProgressDlgTest : public testing::UiTest {
 protected:
  void SetUp() override { ASSERT_TRUE(main_.Open(u"Kestrix_Hid")); }

  // Skin files of these sizes: a pill mask, and solid bars (written as BMP data under their
  // .jpg names, so colours compare exactly; the decoder goes by content, not by name).
  void WriteSkins(SIZE empty, SIZE full) {
    WriteAgentFile("skins\\updatebar_Mask.bmp",
                   sim::EncodeBmp24(testing::PillMask(full.cx, full.cy)));
    WriteAgentFile("skins\\updatebar_n.jpg", sim::EncodeBmp24(Pixels(empty.cx, empty.cy, kEmpty)));
    WriteAgentFile("skins\\updatebar_o.jpg", sim::EncodeBmp24(Pixels(full.cx, full.cy, kFull)));
  }
  // What the main window does to show it: centred by m_nWidth x m_nHeight, top-most, renamed,
  // at position 0, shown.
  void ShowAsTheAgentDoes(CProgressDlg& dlg) {
    const int x = (desktop_.System().GetSystemMetrics(SM_CXSCREEN) - dlg.m_nWidth) / 2;
    const int y = (desktop_.System().GetSystemMetrics(SM_CYSCREEN) - dlg.m_nHeight) / 2;
    windows_.SetWindowPos(dlg.Handle(), HwndTopmost(), x, y, 0, 0, SWP_NOSIZE);
    windows_.SetText(dlg.Handle(), CProgressDlg::kShownTitle);
    dlg.m_marker.SetPos(0);
    windows_.Show(dlg.Handle(), SW_SHOW);
  }
  Pixels Shot(const CProgressDlg& dlg) { return graphics_.RenderWindow(dlg.Handle()); }
  sim::RegionShape MaskShape(const Pixels& mask) {
    Bitmap bitmap(graphics_.DecodePicture(sim::EncodeBmp24(mask)));
    HRGN region = RegionFromMask(bitmap.Handle());
    sim::RegionShape shape = *graphics_.Region(region);
    graphics_.DeleteObject(region);
    return shape;
  }

  sim::RecordingWindow main_;
};

TEST_F(ProgressDlgTest, IsMadeFromTemplate129AtTheFullBarsSize) {
  WriteSkins(SIZE{300, 30}, SIZE{300, 30});
  CProgressDlg dlg;
  ASSERT_TRUE(dlg.Create(IDD_PROGRESS, &main_));
  const HWND h = dlg.Handle();
  EXPECT_EQ(windows_.ClassNameOf(h), Dialog::kClassName);
  EXPECT_EQ(windows_.GetStyle(h),
            WS_POPUP | WS_CLIPSIBLINGS | WS_SYSMENU | DS_SETFONT | DS_FIXEDSYS);  // hidden
  EXPECT_EQ(windows_.GetParent(h), main_.Handle());
  EXPECT_EQ(windows_.GetText(h), u"MORU_PROCESSBAR");
  EXPECT_EQ(windows_.GetWindowRect(h), (RECT{0, 0, 300, 30}));
  EXPECT_EQ(windows_.GetWindowRect(dlg.m_marker.Handle()), (RECT{0, 0, 300, 30}));
  EXPECT_EQ(dlg.m_marker.m_nMin, 0);
  EXPECT_EQ(dlg.m_marker.m_nMax, 100);
  EXPECT_TRUE(dlg.m_strText.empty());

  CProgressDlg unknown;
  EXPECT_FALSE(unknown.Create(130, &main_));
  // The template itself: 316 x 183 dialog units in "MS Shell Dlg" 8.
  const DialogTemplate* t = FindDialogTemplate(IDD_PROGRESS);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->size, (SIZE{316, 183}));
  EXPECT_EQ(t->fontFace, u"MS Shell Dlg");
  EXPECT_EQ(t->pointSize, 8);
  EXPECT_TRUE(t->caption.empty());
}

TEST_F(ProgressDlgTest, HasTheFullBarsSizeButIsCentredByTheEmptyBar) {
  WriteSkins(SIZE{200, 20}, SIZE{240, 30});
  desktop_.System().SetScreenSize(1024, 768);
  CProgressDlg dlg;
  ASSERT_TRUE(dlg.Create(IDD_PROGRESS, &main_));
  EXPECT_EQ(dlg.m_nWidth, 200);
  EXPECT_EQ(dlg.m_nHeight, 20);
  ShowAsTheAgentDoes(dlg);
  EXPECT_EQ(windows_.GetWindowRect(dlg.Handle()), (RECT{412, 374, 652, 404}));
  EXPECT_EQ(windows_.TopLevelWindows().front(), dlg.Handle());
  EXPECT_NE(windows_.GetExStyle(dlg.Handle()) & WS_EX_TOPMOST, 0u);
  EXPECT_EQ(windows_.Find(u"", u"ZULQuarvexProgressbar"), dlg.Handle());
}

TEST_F(ProgressDlgTest, IsAPillThatFillsFromTheLeftAsTheAgentMovesIt) {
  WriteSkins(SIZE{400, 40}, SIZE{400, 40});
  CProgressDlg dlg;
  ASSERT_TRUE(dlg.Create(IDD_PROGRESS, &main_));
  ShowAsTheAgentDoes(dlg);
  desktop_.RunUntilIdle();
  EXPECT_EQ(*graphics_.WindowRegion(dlg.Handle()), MaskShape(testing::PillMask(400, 40)));

  // The loop is blocked while the keyboard is written: each SetPos shows at once.
  for (int pos : {20, 50, 100}) {
    dlg.m_marker.SetPos(pos);
    const Pixels shot = Shot(dlg);
    EXPECT_EQ(AlphaOf(shot.At(0, 0)), 0) << "corners are cut away";
    EXPECT_EQ(AlphaOf(shot.At(399, 39)), 0);
    EXPECT_EQ(shot.At(200, 20) & sim::kAlphaMask, sim::kAlphaMask);
    EXPECT_EQ(RunOf(shot, 20, kFull), 4 * pos) << pos;
  }
  dlg.m_marker.SetPos(150);  // beyond the range: the lower end
  EXPECT_EQ(dlg.m_marker.m_nPos, 0);
  EXPECT_EQ(Shot(dlg).At(200, 20) & sim::kColourMask, kEmpty);
}

TEST_F(ProgressDlgTest, AnAllWhiteMaskLeavesNothingVisible) {
  WriteSkins(SIZE{100, 10}, SIZE{100, 10});
  WriteAgentFile("skins\\updatebar_Mask.bmp", sim::EncodeBmp24(Pixels(100, 10, testing::kWhite)));
  CProgressDlg dlg;
  ASSERT_TRUE(dlg.Create(IDD_PROGRESS, &main_));
  ShowAsTheAgentDoes(dlg);
  ASSERT_TRUE(graphics_.WindowRegion(dlg.Handle()).has_value());
  EXPECT_TRUE(graphics_.WindowRegion(dlg.Handle())->Empty());
  EXPECT_TRUE(windows_.IsVisible(dlg.Handle()));
  const Pixels shot = Shot(dlg);
  EXPECT_TRUE(std::all_of(shot.data.begin(), shot.data.end(),
                          [](std::uint32_t p) { return AlphaOf(p) == 0; }));
}

TEST_F(ProgressDlgTest, EscapeAndEnterLeaveItOpen) {
  WriteSkins(SIZE{100, 10}, SIZE{100, 10});
  CProgressDlg dlg;
  ASSERT_TRUE(dlg.Create(IDD_PROGRESS, &main_));
  ShowAsTheAgentDoes(dlg);
  for (HWND target : {dlg.Handle(), dlg.m_marker.Handle()}) {
    for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
      windows_.Post(target, WM_KEYDOWN, key, 0);
      desktop_.RunUntilIdle();
    }
  }
  EXPECT_TRUE(windows_.IsWindow(dlg.Handle()));
  EXPECT_TRUE(windows_.IsVisible(dlg.Handle()));
}

TEST_F(ProgressDlgTest, MissingOrBrokenBarImagesGiveAPlainDrawnBar) {
  struct Case {
    const char* name;
    bool emptyFile;
    bool fullFile;
    bool broken;  // the files are there but are no pictures
    SIZE size;
    SIZE centredBy;
    bool shaped;  // the mask still applies: it was made for the image that is there
  };
  for (const Case c : {Case{"no skins", false, false, false, {320, 24}, {320, 24}, false},
                       Case{"broken skins", true, true, true, {320, 24}, {320, 24}, false},
                       Case{"no full bar", true, false, false, {200, 20}, {200, 20}, true},
                       Case{"no empty bar", false, true, false, {240, 30}, {240, 30}, true}}) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(desktop_.HostProgramFolder() / "skins");
    WriteAgentFile("skins\\updatebar_Mask.bmp", sim::EncodeBmp24(testing::PillMask(240, 30)));
    const std::vector<std::uint8_t> junk = {'n', 'o', 'p', 'e'};
    if (c.emptyFile) {
      WriteAgentFile("skins\\updatebar_n.jpg",
                     c.broken ? junk : sim::EncodeBmp24(Pixels(200, 20, kEmpty)));
    }
    if (c.fullFile) {
      WriteAgentFile("skins\\updatebar_o.jpg",
                     c.broken ? junk : sim::EncodeBmp24(Pixels(240, 30, kFull)));
    }
    CProgressDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_PROGRESS, &main_));
    EXPECT_EQ(windows_.GetClientRect(dlg.Handle()), (RECT{0, 0, c.size.cx, c.size.cy}));
    EXPECT_EQ((SIZE{dlg.m_nWidth, dlg.m_nHeight}), c.centredBy);
    EXPECT_EQ(graphics_.WindowRegion(dlg.Handle()).has_value(), c.shaped);
    ShowAsTheAgentDoes(dlg);
    dlg.m_marker.SetPos(50);
    desktop_.RunUntilIdle();
    const int middle = c.size.cy / 2;
    EXPECT_EQ(AlphaOf(Shot(dlg).At(c.size.cx / 2, middle)), 0xFF);
    const std::uint32_t drawnFull = sim::PixelFromColorref(CDMarker::kFullColour);
    const Pixels bar = graphics_.WindowSurface(dlg.m_marker.Handle());
    EXPECT_EQ(RunOf(bar, middle, c.fullFile && !c.broken ? kFull : drawnFull), c.size.cx / 2);
  }
}

TEST_F(ProgressDlgTest, DestroyingItReleasesEverything) {
  WriteSkins(SIZE{200, 20}, SIZE{200, 20});
  const std::size_t objects = graphics_.ObjectCount();
  auto dlg = std::make_unique<CProgressDlg>();
  ASSERT_TRUE(dlg->Create(IDD_PROGRESS, &main_));
  ShowAsTheAgentDoes(*dlg);
  desktop_.RunUntilIdle();
  for (int pos = 0; pos <= 100; pos += 10)
    dlg->m_marker.SetPos(pos);
  // Mask, empty bar, the bar's two copies and the window's region.
  EXPECT_EQ(graphics_.ObjectCount(), objects + 5);
  const HWND h = dlg->Handle();
  dlg.reset();
  EXPECT_FALSE(windows_.IsWindow(h));
  EXPECT_EQ(graphics_.ObjectCount(), objects);
  EXPECT_EQ(graphics_.DcCount(), 0u);
}

}  // namespace
}  // namespace kx::ui
