// kestrix-hid.exe: the agent on Windows. A GUI-subsystem program without a console: it installs
// the Windows platform on this thread, loads the HID access library from its own folder (by
// ordinal, at run time), and runs the application object until its main window is gone.
#include "app/hid_app.h"
#include "platform/debug_output.h"
#include "platform/platform.h"
#include "platform/win32/win32_platform.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  kx::win32::Win32Platform platform;
  // Without its HID library the agent cannot reach the keyboard; like a program whose import
  // is missing, it does not start.
  if (!platform.LoadHidLibrary()) {
    kx::os::Debug().Write(u"Kestrix: cannot load " + platform.HidLibraryPath() + u"\n");
    return 1;
  }
  kx::app::CHidApp app;
  return app.RunApplication();
}
