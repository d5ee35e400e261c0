// The window system on the real window manager: creation and the trampoline, the order of the
// messages when a window goes, posts from other threads, sends, timers, registered messages
// and the dialog class.
#include <atomic>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/application.h"
#include "platform/dialog.h"
#include "platform/messages.h"
#include "platform/platform.h"
#include "platform/window_system.h"
#include "win32_test_support.h"

#include <windows.h>

namespace kx::win32::testing {
namespace {

WindowSpec Popup(std::u16string title, std::u16string cls = {}) {
  WindowSpec spec;
  spec.className = std::move(cls);
  spec.title = std::move(title);
  spec.style = WS_POPUP;
  spec.rect = RECT{1, 1, 2, 2};
  return spec;
}

TEST(Win32WindowSystem, CreateDeliversCreateToTheObjectAndFindsTheWindowByTitleAndClass) {
  RecordingWindow window;
  window.watch = {WM_CREATE};
  ASSERT_TRUE(window.CreateWindowObject(Popup(u"Kx Test Window", u"Kx Test Class")));
  ASSERT_EQ(window.Count(WM_CREATE), 1u);
  EXPECT_EQ(window.received[0].lParam, 0);  // as on every platform of ours

  WindowSystem& windows = os::Windows();
  EXPECT_EQ(windows.Find(u"", u"kx test WINDOW"), window.Handle());
  EXPECT_EQ(windows.Find(u"KX TEST CLASS", u"Kx Test Window"), window.Handle());
  EXPECT_EQ(windows.Find(u"Other Class", u"Kx Test Window"), nullptr);
  EXPECT_EQ(windows.FromHandle(window.Handle()), &window);
  EXPECT_EQ(windows.GetText(window.Handle()), u"Kx Test Window");
  EXPECT_EQ(windows.ClassNameOf(window.Handle()), u"Kx Test Class");
  EXPECT_EQ(windows.GetStyle(window.Handle()) & WS_POPUP, WS_POPUP);
  EXPECT_FALSE(windows.IsVisible(window.Handle()));

  RecordingWindow plain;
  ASSERT_TRUE(plain.CreateWindowObject(Popup(u"Kx Plain")));
  EXPECT_EQ(windows.ClassNameOf(plain.Handle()), u"KxWindow");
}

TEST(Win32WindowSystem, CreateAnsweredWithMinusOneFailsAndTheObjectSeesItGo) {
  RecordingWindow window;
  window.watch = {WM_CREATE, WM_DESTROY, WM_NCDESTROY};
  window.answer = [](UINT message, WPARAM, LPARAM) -> LRESULT {
    return message == WM_CREATE ? -1 : 0;
  };
  EXPECT_FALSE(window.CreateWindowObject(Popup(u"Kx Refused")));
  EXPECT_EQ(window.Handle(), nullptr);
  EXPECT_EQ(os::Windows().Find(u"", u"Kx Refused"), nullptr);
  ASSERT_EQ(window.received.size(), 3u);
  EXPECT_EQ(window.received[1].message, static_cast<UINT>(WM_DESTROY));
  EXPECT_EQ(window.received[2].message, static_cast<UINT>(WM_NCDESTROY));
}

// Logs the messages of a window going, and whether the application had let go of it (the
// framework is told before WM_NCDESTROY).
struct GoingLog {
  std::vector<std::pair<char, UINT>> events;
};

class LoggingWindow : public Window {
 public:
  LoggingWindow(GoingLog& log, char name) : log_(log), name_(name) {}
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_DESTROY || message == WM_NCDESTROY) {
      log_.events.emplace_back(name_, message);
      if (message == WM_NCDESTROY) {
        handleGoneAtNcDestroy = Handle() == nullptr;
        mainWindowGoneAtNcDestroy =
            Application::Current() != nullptr && Application::Current()->MainWindow() == nullptr;
      }
    }
    return Window::WindowProc(message, wParam, lParam);
  }
  bool handleGoneAtNcDestroy = false;
  bool mainWindowGoneAtNcDestroy = false;

 private:
  GoingLog& log_;
  char name_;
};

TEST(Win32WindowSystem, DestroyingTheMainWindowTellsTheFrameworkFirstAndEndsTheLoop) {
  Application app;
  GoingLog log;
  LoggingWindow parent(log, 'P');
  LoggingWindow child(log, 'C');
  ASSERT_TRUE(parent.CreateWindowObject(Popup(u"Kx Parent")));
  WindowSpec childSpec;
  childSpec.title = u"Kx Child";
  childSpec.style = WS_CHILD;
  childSpec.rect = RECT{0, 0, 1, 1};
  childSpec.parent = parent.Handle();
  childSpec.id = 7;
  ASSERT_TRUE(child.CreateWindowObject(childSpec));
  EXPECT_EQ(os::Windows().FindChild(parent.Handle(), u"KX CHILD"), child.Handle());
  EXPECT_EQ(os::Windows().GetParent(child.Handle()), parent.Handle());
  app.SetMainWindow(&parent);

  // WM_CLOSE's default handling destroys the window.
  os::Windows().Post(parent.Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(app.Run(), 0);

  const std::vector<std::pair<char, UINT>> expected{
      {'P', WM_DESTROY}, {'C', WM_DESTROY}, {'C', WM_NCDESTROY}, {'P', WM_NCDESTROY}};
  EXPECT_EQ(log.events, expected);
  EXPECT_TRUE(parent.handleGoneAtNcDestroy);
  EXPECT_TRUE(parent.mainWindowGoneAtNcDestroy);
  EXPECT_EQ(parent.Handle(), nullptr);
  EXPECT_EQ(child.Handle(), nullptr);
}

TEST(Win32WindowSystem, AWindowTakesTheTopLevelWindowsItOwnsWithIt) {
  GoingLog log;
  LoggingWindow owner(log, 'O');
  LoggingWindow owned(log, 'W');
  ASSERT_TRUE(owner.CreateWindowObject(Popup(u"Kx Owner Going")));
  WindowSpec spec = Popup(u"Kx Owned Going");
  spec.parent = owner.Handle();  // a top-level window's owner
  ASSERT_TRUE(owned.CreateWindowObject(spec));
  EXPECT_EQ(os::Windows().GetParent(owned.Handle()), owner.Handle());
  ASSERT_TRUE(owner.DestroyWindowObject());
  // The owned window goes first, completely, then its owner.
  const std::vector<std::pair<char, UINT>> expected{
      {'W', WM_DESTROY}, {'W', WM_NCDESTROY}, {'O', WM_DESTROY}, {'O', WM_NCDESTROY}};
  EXPECT_EQ(log.events, expected);
  EXPECT_EQ(owned.Handle(), nullptr);
}

TEST(Win32WindowSystem, PostsFromAnotherThreadArriveInOrderAndSendGivesTheAnswer) {
  RecordingWindow window;
  window.watch = {WM_USER + 1, WM_USER + 2};
  window.answer = [](UINT message, WPARAM wParam, LPARAM) -> LRESULT {
    return message == WM_USER + 2 ? static_cast<LRESULT>(wParam * 2) : 1;
  };
  ASSERT_TRUE(window.CreateWindowObject(Popup(u"Kx Posts")));
  constexpr int kCount = 200;
  std::thread poster([&] {
    HWND target = os::Windows().Find(u"", u"Kx Posts");  // Find works from any thread
    for (int i = 0; i < kCount; ++i)
      os::Windows().Post(target, WM_USER + 1, static_cast<WPARAM>(i), 0);
  });
  poster.join();
  ASSERT_TRUE(PumpUntil([&] { return window.Count(WM_USER + 1) == kCount; }, 5000));
  for (int i = 0; i < kCount; ++i)
    EXPECT_EQ(window.received[static_cast<std::size_t>(i)].wParam, static_cast<WPARAM>(i));

  EXPECT_EQ(os::Windows().Send(window.Handle(), WM_USER + 2, 21, 0), 42);
  EXPECT_FALSE(os::Windows().Post(HwndFromValue(0x1234), WM_USER + 1, 0, 0));
  EXPECT_EQ(os::Windows().Send(nullptr, WM_USER + 2, 21, 0), 0);
}

TEST(Win32WindowSystem, AHandlerKnowsWhetherItsMessageWasSentOrPosted) {
  RecordingWindow window;
  std::vector<std::pair<UINT, bool>> seen;
  window.watch = {WM_USER + 1, WM_USER + 2, WM_USER + 3, WM_USER + 4};
  window.answer = [&](UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message < WM_USER + 1 || message > WM_USER + 4) return 0;
    seen.emplace_back(message, os::Windows().HandlingSentMessage());
    // A message sent from inside the handler of a posted one, and the posted one after it.
    if (message == WM_USER + 1) {
      os::Windows().Send(window.Handle(), WM_USER + 2, 0, 0);
      seen.emplace_back(message, os::Windows().HandlingSentMessage());
    }
    return 0;
  };
  ASSERT_TRUE(window.CreateWindowObject(Popup(u"Kx Sent Or Posted")));
  os::Windows().Post(window.Handle(), WM_USER + 1, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return window.Count(WM_USER + 1) == 1; }, 5000));
  os::Windows().Send(window.Handle(), WM_USER + 3, 0, 0);
  // Sent from another thread.
  std::thread sender([&] { os::Windows().Send(window.Handle(), WM_USER + 4, 0, 0); });
  ASSERT_TRUE(PumpUntil([&] { return window.Count(WM_USER + 4) == 1; }, 5000));
  sender.join();
  EXPECT_EQ(seen, (std::vector<std::pair<UINT, bool>>{{WM_USER + 1, false},
                                                      {WM_USER + 2, true},
                                                      {WM_USER + 1, false},
                                                      {WM_USER + 3, true},
                                                      {WM_USER + 4, true}}));
  EXPECT_FALSE(os::Windows().HandlingSentMessage());
}

TEST(Win32WindowSystem, CopyDataReachesTheWindowWithItsBytes) {
  RecordingWindow window;
  std::vector<std::uint8_t> got;
  window.watch = {WM_COPYDATA};
  window.answer = [&](UINT, WPARAM, LPARAM lParam) -> LRESULT {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    const auto* bytes = static_cast<const std::uint8_t*>(data->lpData);
    got.assign(bytes, bytes + data->cbData);
    return static_cast<LRESULT>(data->dwData);
  };
  ASSERT_TRUE(window.CreateWindowObject(Popup(u"Kx Copy")));
  const std::uint8_t payload[] = {1, 2, 3, 250};
  COPYDATASTRUCT record;
  record.dwData = 9;
  record.cbData = sizeof(payload);
  record.lpData = payload;
  EXPECT_EQ(os::Windows().Send(window.Handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record)),
            9);
  EXPECT_EQ(got, std::vector<std::uint8_t>(std::begin(payload), std::end(payload)));
}

TEST(Win32WindowSystem, TimersRepeatUntilKilled) {
  RecordingWindow window;
  window.watch = {WM_TIMER};
  ASSERT_TRUE(window.CreateWindowObject(Popup(u"Kx Timer")));
  ASSERT_TRUE(os::Windows().SetTimer(window.Handle(), 5, 20));
  ASSERT_TRUE(PumpUntil([&] { return window.Count(WM_TIMER) >= 3; }, 5000));
  EXPECT_EQ(window.received[0].wParam, 5u);
  EXPECT_TRUE(os::Windows().KillTimer(window.Handle(), 5));
  const std::size_t seen = window.Count(WM_TIMER);
  PumpFor(150);
  EXPECT_EQ(window.Count(WM_TIMER), seen);
  EXPECT_FALSE(os::Windows().KillTimer(window.Handle(), 5));
}

TEST(Win32WindowSystem, RegisteredMessagesAndBroadcasts) {
  const UINT id = os::Windows().RegisterMessage(u"VELT_DEV_SYNC");
  EXPECT_GE(id, kFirstRegisteredMessage);
  EXPECT_EQ(os::Windows().RegisterMessage(u"velt_dev_sync"), id);
  EXPECT_NE(os::Windows().RegisterMessage(u"KX_OTHER_MESSAGE"), id);

  RecordingWindow a;
  RecordingWindow b;
  a.watch = b.watch = {id};
  ASSERT_TRUE(a.CreateWindowObject(Popup(u"Kx Broadcast A")));
  ASSERT_TRUE(b.CreateWindowObject(Popup(u"Kx Broadcast B")));
  ASSERT_TRUE(os::Windows().Post(HwndBroadcast(), id, 12, 3));
  ASSERT_TRUE(PumpUntil([&] { return a.Count(id) == 1 && b.Count(id) == 1; }, 5000));
  EXPECT_EQ(a.received[0].wParam, 12u);
  EXPECT_EQ(b.received[0].lParam, 3);
}

class TestDialog : public Dialog {
 public:
  bool initialised = false;
  bool ok = false;

 protected:
  bool OnInitDialog() override {
    initialised = true;
    return Dialog::OnInitDialog();
  }
  void OnOK() override {
    ok = true;
    Dialog::OnOK();
  }
};

TEST(Win32WindowSystem, DialogsUseTheSystemDialogClassAndTurnEnterIntoOk) {
  RecordingWindow owner;
  ASSERT_TRUE(owner.CreateWindowObject(Popup(u"Kx Owner")));
  DialogTemplate dialogTemplate;
  dialogTemplate.style = WS_POPUP;
  dialogTemplate.size = SIZE{100, 40};
  dialogTemplate.caption = u"Kx Dialog";
  dialogTemplate.fontFace = u"MS Shell Dlg";
  TestDialog dialog;
  ASSERT_TRUE(dialog.CreateIndirect(dialogTemplate, &owner));
  EXPECT_TRUE(dialog.initialised);
  EXPECT_EQ(os::Windows().ClassNameOf(dialog.Handle()), u"#32770");
  EXPECT_EQ(os::Windows().Find(u"#32770", u"Kx Dialog"), dialog.Handle());
  EXPECT_EQ(os::Windows().GetParent(dialog.Handle()), owner.Handle());
  EXPECT_EQ(os::Windows().GetWindowRect(dialog.Handle()).Width(),
            Dialog::DialogUnitsToPixels(SIZE{100, 40}, 8).cx);

  os::Windows().Post(dialog.Handle(), WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_TRUE(PumpUntil([&] { return dialog.Handle() == nullptr; }, 5000));
  EXPECT_TRUE(dialog.ok);
}

TEST(Win32WindowSystem, PlacementAndVisibility) {
  RecordingWindow window;
  ASSERT_TRUE(window.CreateWindowObject(Popup(u"Kx Place")));
  WindowSystem& windows = os::Windows();
  ASSERT_TRUE(windows.SetWindowPos(window.Handle(), HwndTopmost(), 30, 40, 120, 50,
                                   SWP_NOACTIVATE | SWP_SHOWWINDOW));
  EXPECT_TRUE(windows.IsVisible(window.Handle()));
  EXPECT_EQ(windows.GetWindowRect(window.Handle()), (RECT{30, 40, 150, 90}));
  EXPECT_EQ(windows.GetClientRect(window.Handle()), (RECT{0, 0, 120, 50}));
  EXPECT_NE(windows.GetExStyle(window.Handle()) & WS_EX_TOPMOST, 0u);
  EXPECT_EQ(windows.ClientToScreen(window.Handle(), POINT{5, 6}), (POINT{35, 46}));
  EXPECT_EQ(windows.ScreenToClient(window.Handle(), POINT{35, 46}), (POINT{5, 6}));
  EXPECT_TRUE(windows.Show(window.Handle(), SW_HIDE));  // it was visible
  EXPECT_FALSE(windows.IsVisible(window.Handle()));
}

}  // namespace
}  // namespace kx::win32::testing
