// The window base class of our small framework: a window object with a window procedure.
#pragma once

#include "platform/types.h"
#include "platform/window_system.h"

namespace kx {

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  // Destroys the window if it still exists.
  virtual ~Window();

  // Creates the window through the platform's window system; WM_CREATE reaches WindowProc
  // before this returns. False when the creation failed.
  bool CreateWindowObject(const WindowSpec& spec);
  bool DestroyWindowObject();

  HWND Handle() const { return hwnd_; }

  // The window procedure. The default passes every message to the system's default handling.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Called by the message loop for a message to this window or its children before it is
  // dispatched; true means handled, the message is then not dispatched.
  virtual bool PreTranslateMessage(const Msg& msg);

  // The message loop's step: PreTranslateMessage of the target and its parents, then dispatch.
  static void TranslateAndDispatch(const Msg& msg);
  // Backends call this when a window object's window is gone (just before its WM_NCDESTROY,
  // whatever the object's own handlers do), so the framework can end the loop.
  static void NotifyWindowGone(const Window* window);

 protected:
  LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  friend class WindowBinding;
  HWND hwnd_ = nullptr;
};

// The backends attach and detach the handle of a window object; nothing else touches it.
class WindowBinding {
 public:
  static void Attach(Window& window, HWND handle) { window.hwnd_ = handle; }
  static void Detach(Window& window) { window.hwnd_ = nullptr; }
};

}  // namespace kx
