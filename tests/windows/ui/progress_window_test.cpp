// The progress window on the real window manager: made from its template with the dialog
// class, shaped by its mask, shown as the agent shows it, deaf to Escape and Enter.
#include <gtest/gtest.h>

#include "../platform/win32_test_support.h"
#include "platform/messages.h"
#include "platform/platform.h"
#include "platform/system_settings.h"
#include "platform/window_system.h"
#include "ui/progress_dlg.h"
#include "ui/resources.h"

#include <windows.h>

namespace kx::win32::testing {
namespace {

using ui::CProgressDlg;

TEST(ProgressWindow, ShowsAndTakesTheShapeOfItsMask) {
  RecordingWindow agent;
  WindowSpec spec;
  spec.title = u"Kestrix_Hid";
  spec.style = WS_POPUP;
  ASSERT_TRUE(agent.CreateWindowObject(spec));

  CProgressDlg dlg;
  ASSERT_TRUE(dlg.Create(ui::IDD_PROGRESS, &agent));
  WindowSystem& windows = os::Windows();
  const HWND h = dlg.Handle();
  EXPECT_EQ(windows.ClassNameOf(h), u"#32770");
  EXPECT_EQ(windows.GetText(h), CProgressDlg::kCreatedTitle);
  EXPECT_EQ(windows.GetParent(h), agent.Handle());
  EXPECT_FALSE(windows.IsVisible(h));
  // The template's style; the system adds WS_CLIPSIBLINGS to every top-level window.
  EXPECT_EQ(windows.GetStyle(h),
            WS_POPUP | WS_CLIPSIBLINGS | WS_SYSMENU | DS_SETFONT | DS_FIXEDSYS);
  // The shipped bars are 420 x 44.
  EXPECT_EQ(dlg.m_nWidth, 420);
  EXPECT_EQ(dlg.m_nHeight, 44);
  EXPECT_EQ(windows.GetWindowRect(h).Width(), 420);
  EXPECT_EQ(windows.GetWindowRect(h).Height(), 44);
  EXPECT_EQ(windows.GetParent(dlg.m_marker.Handle()), h);

  // The system holds the mask's region: the corners are cut away, the middle is there.
  ::HRGN shape = ::CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(::GetWindowRgn(reinterpret_cast<::HWND>(h), shape), COMPLEXREGION);
  EXPECT_FALSE(::PtInRegion(shape, 0, 0));
  EXPECT_FALSE(::PtInRegion(shape, 419, 43));
  EXPECT_TRUE(::PtInRegion(shape, 210, 22));
  ::DeleteObject(shape);

  // Shown as the agent shows it: centred by the empty bar, top-most, renamed.
  const int x = (os::System().GetSystemMetrics(SM_CXSCREEN) - dlg.m_nWidth) / 2;
  const int y = (os::System().GetSystemMetrics(SM_CYSCREEN) - dlg.m_nHeight) / 2;
  ASSERT_TRUE(windows.SetWindowPos(h, HwndTopmost(), x, y, 0, 0, SWP_NOSIZE));
  windows.SetText(h, CProgressDlg::kShownTitle);
  dlg.m_marker.SetPos(0);
  windows.Show(h, SW_SHOW);
  EXPECT_TRUE(windows.IsVisible(h));
  EXPECT_EQ(windows.Find(u"", u"ZULQuarvexProgressbar"), h);
  EXPECT_NE(windows.GetExStyle(h) & WS_EX_TOPMOST, 0u);
  for (int pos : {20, 50, 100}) {
    dlg.m_marker.SetPos(pos);
    EXPECT_EQ(dlg.m_marker.m_nPos, pos);
  }

  // Neither key closes it.
  windows.Post(h, WM_KEYDOWN, VK_ESCAPE, 0);
  windows.Post(h, WM_KEYDOWN, VK_RETURN, 0);
  PumpFor(100);
  EXPECT_TRUE(windows.IsWindow(h));

  EXPECT_TRUE(dlg.DestroyWindowObject());
  EXPECT_EQ(dlg.Handle(), nullptr);
  EXPECT_FALSE(windows.IsWindow(h));
}

}  // namespace
}  // namespace kx::win32::testing
