#include "platform/application.h"

#include "platform/platform.h"
#include "platform/window.h"
#include "platform/window_system.h"

namespace kx {

namespace {
Application* g_application = nullptr;
}  // namespace

Application::Application() {
  g_application = this;
}

Application::~Application() {
  if (g_application == this) g_application = nullptr;
}

Application* Application::Current() {
  return g_application;
}

int Application::RunApplication() {
  if (!InitInstance()) return ExitInstance();
  return Run();
}

int Application::Run() {
  Msg msg;
  while (os::Windows().NextMessage(msg))
    Window::TranslateAndDispatch(msg);
  exitCode_ = static_cast<int>(msg.wParam);
  return ExitInstance();
}

void Application::OnWindowGone(const Window* window) {
  if (window != nullptr && window == mainWindow_) {
    mainWindow_ = nullptr;
    os::Windows().PostQuit(0);
  }
}

}  // namespace kx
