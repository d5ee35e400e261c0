#include "platform/sim/sim_window_system.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/messages.h"
#include "platform/sim/desktop.h"
#include "platform/sim/recording_window.h"
#include "platform/sim/temp_folder.h"

namespace kx::sim {
namespace {

class WindowSystemTest : public ::testing::Test {
 protected:
  TempFolder folder_;
  Desktop desktop_{DesktopOptions{folder_.Path()}};
  SimWindowSystem& windows_ = desktop_.Windows();
};

// A window whose handlers can be scripted per test.
class ScriptedWindow : public RecordingWindow {
 public:
  std::function<LRESULT(UINT, WPARAM, LPARAM)> onMessage;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    LRESULT recorded = RecordingWindow::WindowProc(message, wParam, lParam);
    LRESULT scripted = onMessage ? onMessage(message, wParam, lParam) : 0;
    return scripted != 0 ? scripted : recorded;
  }
};

std::vector<UINT> Numbers(const std::vector<ReceivedMessage>& messages) {
  std::vector<UINT> out;
  for (const auto& m : messages)
    out.push_back(m.message);
  return out;
}

TEST_F(WindowSystemTest, FindsTopLevelWindowsByTitleAndClassWithoutRegardToCase) {
  RecordingWindow config, inner, osd;
  ASSERT_TRUE(config.Open(u"Kestrix"));
  ASSERT_TRUE(inner.Open(u"Kestrix", u"", config.Handle()));
  ASSERT_TRUE(osd.Open(u"Kestrix OSD", u"On Screen Display"));

  EXPECT_EQ(windows_.Find(u"", u"kestrix"), config.Handle());
  EXPECT_EQ(windows_.Find(u"on screen display", u"KESTRIX OSD"), osd.Handle());
  EXPECT_EQ(windows_.Find(u"Other", u"Kestrix OSD"), nullptr);
  EXPECT_EQ(windows_.Find(u"", u"Kestrix_Hid"), nullptr);
  EXPECT_EQ(windows_.FindChild(config.Handle(), u"Kestrix"), inner.Handle());
  EXPECT_EQ(windows_.FindChild(osd.Handle(), u"Kestrix"), nullptr);
  // A child is never found as a top-level window.
  config.DestroyWindowObject();
  EXPECT_EQ(windows_.Find(u"", u"Kestrix"), nullptr);
  EXPECT_FALSE(inner.Handle());
}

TEST_F(WindowSystemTest, NewestWindowIsFoundFirstAndTopmostStaysInFront) {
  RecordingWindow first, second, topmost;
  first.Open(u"Same");
  topmost.Open(u"Same");
  windows_.SetWindowPos(topmost.Handle(), HwndTopmost(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  second.Open(u"Same");
  auto order = windows_.TopLevelWindows();
  ASSERT_EQ(order.size(), 3u);
  EXPECT_EQ(order[0], topmost.Handle());
  EXPECT_EQ(order[1], second.Handle());
  EXPECT_EQ(order[2], first.Handle());
  EXPECT_NE(windows_.GetExStyle(topmost.Handle()) & WS_EX_TOPMOST, 0u);
}

TEST_F(WindowSystemTest, PostedMessagesArriveInOrderAndBroadcastReachesTopLevelOnly) {
  RecordingWindow a, b, child;
  a.Open(u"A");
  b.Open(u"B");
  child.Open(u"C", u"", a.Handle());
  UINT sync = windows_.RegisterMessage(u"VELT_DEV_SYNC");
  EXPECT_GE(sync, 0xC000u);
  EXPECT_EQ(windows_.RegisterMessage(u"velt_dev_sync"), sync);
  EXPECT_NE(windows_.RegisterMessage(u"OTHER"), sync);

  EXPECT_TRUE(windows_.Post(a.Handle(), WM_USER + 1, 1, 2));
  EXPECT_TRUE(windows_.Post(HwndBroadcast(), sync, 0, 3));
  EXPECT_TRUE(windows_.Post(a.Handle(), WM_USER + 2, 0, 0));
  EXPECT_FALSE(windows_.Post(HwndFromValue(0x1234), WM_USER, 0, 0));
  desktop_.RunUntilIdle();

  EXPECT_EQ(Numbers(a.Received()), (std::vector<UINT>{WM_CREATE, WM_USER + 1, sync, WM_USER + 2}));
  EXPECT_EQ(Numbers(b.Received()), (std::vector<UINT>{WM_CREATE, sync}));
  EXPECT_EQ(Numbers(child.Received()), (std::vector<UINT>{WM_CREATE}));
}

TEST_F(WindowSystemTest, AHandlerKnowsWhetherItsMessageWasSentOrPosted) {
  ScriptedWindow w;
  ASSERT_TRUE(w.Open(u"w"));
  std::vector<std::pair<UINT, bool>> seen;
  w.onMessage = [&](UINT message, WPARAM, LPARAM) {
    seen.emplace_back(message, windows_.HandlingSentMessage());
    // A message sent from inside the handler of a posted one, and the posted one after it.
    if (message == WM_USER + 1) windows_.Send(w.Handle(), WM_USER + 2, 0, 0);
    if (message == WM_USER + 1) seen.emplace_back(WM_USER + 1, windows_.HandlingSentMessage());
    return 0;
  };
  windows_.Post(w.Handle(), WM_USER + 1, 0, 0);
  desktop_.RunUntilIdle();
  windows_.Send(w.Handle(), WM_USER + 3, 0, 0);
  EXPECT_EQ(
      seen,
      (std::vector<std::pair<UINT, bool>>{
          {WM_USER + 1, false}, {WM_USER + 2, true}, {WM_USER + 1, false}, {WM_USER + 3, true}}));
  EXPECT_FALSE(windows_.HandlingSentMessage());
}

TEST_F(WindowSystemTest, DestroyOrderAndMessagesForDestroyedWindowsAreDropped) {
  RecordingWindow parent, child;
  parent.Open(u"P");
  child.Open(u"C", u"", parent.Handle());
  HWND p = parent.Handle();
  windows_.Post(p, WM_USER, 0, 0);
  std::vector<std::pair<HWND, UINT>> seen;
  windows_.SetDeliveryObserver([&](const Msg& m) {
    if (m.message == WM_DESTROY || m.message == WM_NCDESTROY) seen.push_back({m.hwnd, m.message});
  });
  HWND c = child.Handle();
  // WM_CLOSE's default handling destroys the window.
  windows_.Send(p, WM_CLOSE, 0, 0);
  windows_.SetDeliveryObserver(nullptr);
  EXPECT_EQ(seen, (std::vector<std::pair<HWND, UINT>>{
                      {p, WM_DESTROY}, {c, WM_DESTROY}, {c, WM_NCDESTROY}, {p, WM_NCDESTROY}}));
  EXPECT_FALSE(windows_.IsWindow(p));
  EXPECT_EQ(desktop_.RunUntilIdle(), 0u);
}

TEST_F(WindowSystemTest, OwnedWindowsGoCompletelyBeforeTheirOwner) {
  RecordingWindow owner, owned;
  owner.Open(u"Owner");
  owned.Open(u"Owned");
  // A top-level window created with a parent is owned by it, not its child.
  WindowSpec spec;
  spec.title = u"Popup";
  spec.style = WS_POPUP;
  spec.parent = owner.Handle();
  RecordingWindow popup;
  ASSERT_TRUE(popup.CreateWindowObject(spec));
  EXPECT_NE(windows_.Find(u"", u"Popup"), nullptr);
  EXPECT_NE(windows_.GetStyle(popup.Handle()) & WS_CLIPSIBLINGS, 0u);
  std::vector<std::pair<HWND, UINT>> seen;
  windows_.SetDeliveryObserver([&](const Msg& m) {
    if (m.message == WM_DESTROY || m.message == WM_NCDESTROY) seen.push_back({m.hwnd, m.message});
  });
  HWND o = owner.Handle();
  HWND p = popup.Handle();
  owner.DestroyWindowObject();
  windows_.SetDeliveryObserver(nullptr);
  EXPECT_EQ(seen, (std::vector<std::pair<HWND, UINT>>{
                      {p, WM_DESTROY}, {p, WM_NCDESTROY}, {o, WM_DESTROY}, {o, WM_NCDESTROY}}));
  EXPECT_NE(owned.Handle(), nullptr);  // a window it does not own stays
}

TEST_F(WindowSystemTest, CreateRefusedByWmCreateGivesNoWindow) {
  ScriptedWindow w;
  w.onMessage = [](UINT m, WPARAM, LPARAM) -> LRESULT { return m == WM_CREATE ? -1 : 0; };
  WindowSpec spec;
  spec.title = u"Refused";
  EXPECT_FALSE(w.CreateWindowObject(spec));
  EXPECT_EQ(windows_.Find(u"", u"Refused"), nullptr);
  EXPECT_EQ(w.Handle(), nullptr);
}

TEST_F(WindowSystemTest, TimersFireOnVirtualTimeAndCoalesceWhileBlocked) {
  ScriptedWindow w;
  w.Open(u"T");
  bool blockOnce = true;
  w.onMessage = [&](UINT m, WPARAM, LPARAM) -> LRESULT {
    if (m == WM_TIMER && blockOnce) {
      blockOnce = false;
      desktop_.Clock().Sleep(7000);  // a blocking handler: several periods pass
    }
    return 0;
  };
  windows_.SetTimer(w.Handle(), 0x1001, 2000);
  windows_.RunFor(1999);
  EXPECT_TRUE(w.ReceivedOf(WM_TIMER).empty());
  windows_.RunFor(20001);  // until t = 22000
  auto timers = w.ReceivedOf(WM_TIMER);
  std::vector<std::uint64_t> times;
  for (const auto& m : timers)
    times.push_back(m.timeMs);
  // 2000 blocks until 9000; the periods missed meanwhile give one message, then the schedule
  // goes on from the original phase.
  EXPECT_EQ(times, (std::vector<std::uint64_t>{2000, 9000, 10000, 12000, 14000, 16000, 18000, 20000,
                                               22000}));
  EXPECT_EQ(desktop_.Clock().NowMs(), 22000u);
  windows_.KillTimer(w.Handle(), 0x1001);
  windows_.RunFor(10000);
  EXPECT_EQ(w.ReceivedOf(WM_TIMER).size(), timers.size());
}

TEST_F(WindowSystemTest, PostsFromAnotherThreadKeepTheirOrder) {
  RecordingWindow w;
  w.Open(u"Target");
  constexpr int kCount = 20000;
  std::thread poster([&] {
    for (int i = 0; i < kCount; ++i)
      windows_.Post(w.Handle(), WM_USER, static_cast<WPARAM>(i), 0);
  });
  std::size_t received = 0;
  while (received < kCount) {
    windows_.RunUntilIdle();
    received = w.ReceivedOf(WM_USER).size();
  }
  poster.join();
  auto messages = w.ReceivedOf(WM_USER);
  for (int i = 0; i < kCount; ++i)
    ASSERT_EQ(messages[static_cast<std::size_t>(i)].wParam, static_cast<WPARAM>(i));
}

TEST_F(WindowSystemTest, CaptureAndFocusChangesAreAnnounced) {
  RecordingWindow a, b;
  a.Open(u"A");
  b.Open(u"B");
  windows_.SetCapture(a.Handle());
  windows_.SetCapture(b.Handle());
  windows_.ReleaseCapture();
  auto aCapture = a.ReceivedOf(WM_CAPTURECHANGED);
  ASSERT_EQ(aCapture.size(), 1u);
  EXPECT_EQ(aCapture[0].lParam, reinterpret_cast<LPARAM>(b.Handle()));
  ASSERT_EQ(b.ReceivedOf(WM_CAPTURECHANGED).size(), 1u);
  EXPECT_EQ(b.ReceivedOf(WM_CAPTURECHANGED)[0].lParam, 0);

  windows_.SetFocus(a.Handle());
  windows_.SetFocus(b.Handle());
  EXPECT_EQ(a.ReceivedOf(WM_KILLFOCUS).size(), 1u);
  EXPECT_EQ(b.ReceivedOf(WM_SETFOCUS).size(), 1u);
  EXPECT_EQ(windows_.GetFocus(), b.Handle());
}

TEST_F(WindowSystemTest, PaintingFollowsInvalidationAndVisibility) {
  RecordingWindow w;
  WindowSpec spec;
  spec.title = u"Paint";
  spec.style = WS_POPUP;
  spec.rect = RECT{10, 20, 110, 70};
  ASSERT_TRUE(w.CreateWindowObject(spec));
  windows_.Invalidate(w.Handle(), nullptr, true);
  desktop_.RunUntilIdle();
  EXPECT_TRUE(w.ReceivedOf(WM_PAINT).empty());  // hidden windows are not painted
  windows_.Show(w.Handle(), SW_SHOW);
  desktop_.RunUntilIdle();
  EXPECT_EQ(w.ReceivedOf(WM_PAINT).size(), 1u);  // default handling validates
  windows_.Invalidate(w.Handle(), nullptr, false);
  windows_.Update(w.Handle());
  EXPECT_EQ(w.ReceivedOf(WM_PAINT).size(), 2u);
  EXPECT_EQ(windows_.GetWindowRect(w.Handle()), (RECT{10, 20, 110, 70}));
  EXPECT_EQ(windows_.ClientToScreen(w.Handle(), POINT{5, 5}), (POINT{15, 25}));
  EXPECT_EQ(windows_.WindowAt(POINT{15, 25}), w.Handle());
  EXPECT_EQ(windows_.WindowAt(POINT{5, 5}), nullptr);
}

}  // namespace
}  // namespace kx::sim
