#include "platform/win32/win32_platform.h"

#include "platform/win32/hid_device_abi.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_codec.h"
#include "platform/win32/win32_debug_output.h"
#include "platform/win32/win32_errors.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_graphics.h"
#include "platform/win32/win32_hid_library.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_sync.h"
#include "platform/win32/win32_system_settings.h"
#include "platform/win32/win32_window_system.h"

#include <windows.h>

#include <ole2.h>

namespace kx::win32 {

struct Win32Platform::Parts {
  Win32Clock clock;
  Win32Errors errors;
  Win32DebugOutput debug;
  Win32Sync sync;
  Win32WindowSystem windows;
  Win32FileSystem files;
  Win32Registry registry;
  Win32Processes processes;
  Win32Shell shell;
  Win32SystemSettings system;
  Win32TextCodec codec;
  Win32HidLibrary hid;
  Win32Graphics graphics;
};

Win32Platform::Win32Platform() : parts_(std::make_unique<Parts>()) {
  // Shell links need COM on this thread, and the picture decoder OLE; the agent itself never
  // initialises either.
  oleInitialised_ = SUCCEEDED(::OleInitialize(nullptr));
  Parts& p = *parts_;
  services_.windows = &p.windows;
  services_.clock = &p.clock;
  services_.debug = &p.debug;
  services_.sync = &p.sync;
  services_.errors = &p.errors;
  services_.files = &p.files;
  services_.registry = &p.registry;
  services_.shell = &p.shell;
  services_.system = &p.system;
  services_.processes = &p.processes;
  services_.codec = &p.codec;
  services_.hid = &p.hid;
  services_.graphics = &p.graphics;
  previous_ = InstalledPlatform();
  InstallPlatform(&services_);
}

Win32Platform::~Win32Platform() {
  InstallPlatform(&previous_);
  parts_.reset();  // the HID library stops its threads and window on this thread
  if (oleInitialised_) ::OleUninitialize();
}

std::u16string Win32Platform::HidLibraryPath() const {
  std::u16string path = parts_->files.ModulePath();
  const std::size_t slash = path.find_last_of(u"\\/");
  path.erase(slash == std::u16string::npos ? 0 : slash + 1);
  return path + hid_abi::kLibraryFileName;
}

bool Win32Platform::LoadHidLibrary() {
  return parts_->hid.Load(HidLibraryPath());
}

}  // namespace kx::win32
