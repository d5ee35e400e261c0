// Windows, messages and timers on the real window manager. Every window of ours is subclassed
// at creation (a thread CBT hook catches it before its first message) so a trampoline window
// procedure maps the HWND to our Window object; the original class procedure (DefWindowProcW
// for our own classes, the system's for classes like the dialog class) does the default work.
#pragma once

#include <map>
#include <mutex>
#include <set>
#include <string>

#include "platform/window_system.h"

namespace kx::win32 {

class Win32WindowSystem final : public WindowSystem {
 public:
  // The class used when a window asks for none.
  static constexpr char16_t kDefaultClassName[] = u"KxWindow";

  Win32WindowSystem();
  ~Win32WindowSystem() override;

  HWND Create(Window& window, const WindowSpec& spec) override;
  bool Destroy(HWND window) override;
  bool IsWindow(HWND window) const override;
  Window* FromHandle(HWND window) const override;
  HWND Find(std::u16string_view cls, std::u16string_view title) const override;
  HWND FindChild(HWND parent, std::u16string_view title) const override;
  bool SetText(HWND window, std::u16string_view text) override;
  std::u16string GetText(HWND window) const override;
  std::u16string ClassNameOf(HWND window) const override;
  HWND GetParent(HWND window) const override;
  DWORD GetStyle(HWND window) const override;
  DWORD GetExStyle(HWND window) const override;

  bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  bool HandlingSentMessage() const override;
  UINT RegisterMessage(std::u16string_view name) override;
  LRESULT DefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

  bool SetTimer(HWND window, UINT_PTR id, UINT ms) override;
  bool KillTimer(HWND window, UINT_PTR id) override;

  bool NextMessage(Msg& msg) override;
  LRESULT Dispatch(const Msg& msg) override;
  void PostQuit(int exitCode) override;

  bool SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy,
                    UINT flags) override;
  bool Show(HWND window, int command) override;
  bool IsVisible(HWND window) const override;
  RECT GetWindowRect(HWND window) const override;
  RECT GetClientRect(HWND window) const override;
  POINT ClientToScreen(HWND window, POINT point) const override;
  POINT ScreenToClient(HWND window, POINT point) const override;
  bool Invalidate(HWND window, const RECT* rect, bool erase) override;
  bool Update(HWND window) override;
  bool TakeInvalidArea(HWND window, RECT* area, bool* erase) override;
  HWND SetCapture(HWND window) override;
  bool ReleaseCapture() override;
  HWND GetCapture() const override;
  HWND SetFocus(HWND window) override;
  HWND GetFocus() const override;

  // --- Used by the trampoline (win32_window_system.cpp) ---
  struct Binding {
    Window* object = nullptr;
    std::uintptr_t originalProc = 0;  // the class's own window procedure
    bool destroyed = false;           // WM_DESTROY has reached the object
  };
  void Bind(HWND window, const Binding& binding);
  bool Lookup(HWND window, Binding* binding) const;
  void MarkDestroyed(HWND window);
  // Forgets the window; gives what it was bound to.
  bool Unbind(HWND window, Binding* binding);

 private:
  // Registers a class of ours with that name unless the system or we know it already.
  bool EnsureClass(const std::u16string& name);

  mutable std::mutex mutex_;  // guards everything below
  std::map<std::uintptr_t, Binding> bindings_;
  std::set<std::u16string> registeredClasses_;
};

}  // namespace kx::win32
