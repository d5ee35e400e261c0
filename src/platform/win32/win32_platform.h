// The real Windows platform: every service on the Windows API, installed for as long as the
// object lives. Construct it on the thread that runs the message loop: OLE (COM in a
// single-threaded apartment, for shell links and picture decoding) is initialised there.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace kx::win32 {

class Win32Platform {
 public:
  Win32Platform();
  ~Win32Platform();
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  // Loads the HID access library from the folder of the running executable; false when it is
  // missing or lacks one of its six functions (the HID service then fails every call).
  bool LoadHidLibrary();
  // The full path LoadHidLibrary uses.
  std::u16string HidLibraryPath() const;

  const PlatformServices& Services() const { return services_; }

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
  PlatformServices services_;
  PlatformServices previous_;
  bool oleInitialised_ = false;
};

}  // namespace kx::win32
