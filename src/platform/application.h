// The application object of our small framework: start-up (InitInstance), the message loop
// and exit (ExitInstance). The loop ends when the main window is destroyed.
#pragma once

namespace kx {

class Window;

class Application {
 public:
  Application();
  virtual ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Start-up; false ends the process at once (ExitInstance still runs).
  virtual bool InitInstance() { return true; }
  // Exit; the result is the process's exit code. The default gives the loop's exit code.
  virtual int ExitInstance() { return exitCode_; }

  // The whole life: InitInstance, then the message loop when it succeeded, then ExitInstance.
  int RunApplication();
  // The message loop until WM_QUIT; returns ExitInstance().
  int Run();

  Window* MainWindow() const { return mainWindow_; }
  void SetMainWindow(Window* window) { mainWindow_ = window; }
  // Ends the loop when the window that is going is the main window (called by the window base
  // class on WM_NCDESTROY).
  void OnWindowGone(const Window* window);

  // The one application object of the process, or null.
  static Application* Current();

 private:
  Window* mainWindow_ = nullptr;
  int exitCode_ = 0;
};

}  // namespace kx
