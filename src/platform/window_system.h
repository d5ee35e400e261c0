// Windows, messages and timers: the window system the agent and its companions live in.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/types.h"

namespace kx {

class Window;

struct WindowSpec {
  std::u16string className;  // empty: the framework's default window class
  std::u16string title;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT rect;  // screen coordinates for a top-level window, parent client coordinates for a child
  HWND parent = nullptr;
  UINT_PTR id = 0;  // control id of a child window
};

struct Msg {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

// Every window of the agent is a Window object; the window system calls its WindowProc for each
// message, on the thread that created it (the agent's one user-interface thread).
//
// Names avoid the system's macro names (PostMessage, FindWindow ...), so the Windows backend can
// implement this interface next to the system headers.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // Creates the window and sends it WM_CREATE (lParam 0) before returning. An answer of -1
  // destroys it again and gives null.
  virtual HWND Create(Window& window, const WindowSpec& spec) = 0;
  // DestroyWindow: hides it, sends WM_DESTROY to it and then to its children, WM_NCDESTROY to
  // the children and then to it, and detaches the Window object.
  virtual bool Destroy(HWND window) = 0;
  virtual bool IsWindow(HWND window) const = 0;
  // The Window object behind a handle of this process; null for others.
  virtual Window* FromHandle(HWND window) const = 0;

  // FindWindowW(class, title): the first top-level window in z-order with that title (and
  // class, unless cls is empty). Names compare without regard to case, as the system does.
  // Thread-safe.
  virtual HWND Find(std::u16string_view cls, std::u16string_view title) const = 0;
  // FindWindowExW(parent, null, null, title): the first child of parent with that title.
  virtual HWND FindChild(HWND parent, std::u16string_view title) const = 0;
  virtual bool SetText(HWND window, std::u16string_view text) = 0;
  virtual std::u16string GetText(HWND window) const = 0;
  virtual std::u16string ClassNameOf(HWND window) const = 0;
  virtual HWND GetParent(HWND window) const = 0;
  virtual DWORD GetStyle(HWND window) const = 0;
  virtual DWORD GetExStyle(HWND window) const = 0;

  // PostMessageW: thread-safe; messages from one thread keep their order. HwndBroadcast()
  // posts to every top-level window. False (nothing queued) for a missing window.
  virtual bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // SendMessageW: calls the window procedure now and returns its answer; 0 for a missing window.
  virtual LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // Whether the message this thread is handling now was delivered by Send (or by the system
  // itself, as WM_CREATE is) rather than taken from the queue by the message loop. A pointer in
  // a message is only to be trusted when it was sent: any program can post any number.
  virtual bool HandlingSentMessage() const = 0;
  // RegisterWindowMessageW: the same name (any letter case) always gives the same id, >= 0xC000.
  virtual UINT RegisterMessage(std::u16string_view name) = 0;
  // DefWindowProcW: the system's default handling (WM_CLOSE destroys the window).
  virtual LRESULT DefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;

  // SetTimer/KillTimer: WM_TIMER with wParam id every ms milliseconds; setting an existing id
  // restarts it.
  virtual bool SetTimer(HWND window, UINT_PTR id, UINT ms) = 0;
  virtual bool KillTimer(HWND window, UINT_PTR id) = 0;

  // The message loop: NextMessage (GetMessageW: false once WM_QUIT is taken), then Dispatch.
  virtual bool NextMessage(Msg& msg) = 0;
  virtual LRESULT Dispatch(const Msg& msg) = 0;
  virtual void PostQuit(int exitCode) = 0;

  // Placement and state.
  virtual bool SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy,
                            UINT flags) = 0;
  virtual bool Show(HWND window, int command) = 0;  // ShowWindow; true if it was visible
  virtual bool IsVisible(HWND window) const = 0;
  virtual RECT GetWindowRect(HWND window) const = 0;  // screen coordinates
  virtual RECT GetClientRect(HWND window) const = 0;  // (0, 0, width, height)
  virtual POINT ClientToScreen(HWND window, POINT point) const = 0;
  virtual POINT ScreenToClient(HWND window, POINT point) const = 0;

  // Painting: InvalidateRect (null rect: the whole client area), UpdateWindow (sends WM_PAINT
  // at once when anything is invalid), and taking the invalid area for BeginPaint.
  virtual bool Invalidate(HWND window, const RECT* rect, bool erase) = 0;
  virtual bool Update(HWND window) = 0;
  // Gives the invalid area and whether it wants erasing, and validates the window.
  virtual bool TakeInvalidArea(HWND window, RECT* area, bool* erase) = 0;

  // Mouse capture and keyboard focus. Losing the capture sends WM_CAPTURECHANGED (lParam the
  // new capture window); moving the focus sends WM_KILLFOCUS and WM_SETFOCUS.
  virtual HWND SetCapture(HWND window) = 0;
  virtual bool ReleaseCapture() = 0;
  virtual HWND GetCapture() const = 0;
  virtual HWND SetFocus(HWND window) = 0;
  virtual HWND GetFocus() const = 0;
};

}  // namespace kx
