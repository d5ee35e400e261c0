#include "platform/window.h"

#include "platform/application.h"
#include "platform/platform.h"

namespace kx {

Window::~Window() {
  if (hwnd_ != nullptr && InstalledPlatform().windows != nullptr) os::Windows().Destroy(hwnd_);
}

bool Window::CreateWindowObject(const WindowSpec& spec) {
  return os::Windows().Create(*this, spec) != nullptr;
}

bool Window::DestroyWindowObject() {
  return hwnd_ != nullptr && os::Windows().Destroy(hwnd_);
}

LRESULT Window::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefaultProc(message, wParam, lParam);
}

void Window::NotifyWindowGone(const Window* window) {
  // The main window going ends the application's message loop.
  if (Application* app = Application::Current()) app->OnWindowGone(window);
}

bool Window::PreTranslateMessage(const Msg&) {
  return false;
}

LRESULT Window::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return os::Windows().DefaultProc(hwnd_, message, wParam, lParam);
}

void Window::TranslateAndDispatch(const Msg& msg) {
  WindowSystem& windows = os::Windows();
  for (HWND h = msg.hwnd; h != nullptr; h = windows.GetParent(h)) {
    Window* w = windows.FromHandle(h);
    if (w != nullptr && w->PreTranslateMessage(msg)) return;
  }
  windows.Dispatch(msg);
}

}  // namespace kx
