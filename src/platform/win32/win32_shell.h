// Starting programs (ShellExecuteW), shell links (IShellLinkW with IPersistFile) and the
// Windows Installer's advertised shortcuts (msi.dll, two functions taken by ordinal at run
// time, so the agent starts even where msi.dll lacks them).
#pragma once

#include "platform/shell.h"

namespace kx::win32 {

class Win32Shell final : public Shell {
 public:
  Win32Shell();
  ~Win32Shell() override;
  Win32Shell(const Win32Shell&) = delete;
  Win32Shell& operator=(const Win32Shell&) = delete;

  std::intptr_t Execute(std::u16string_view verb, std::u16string_view file,
                        std::u16string_view parameters, std::u16string_view folder,
                        int show) override;
  UINT GetAdvertisedShortcutTarget(std::u16string_view shortcut, char16_t* productCode,
                                   char16_t* featureId, char16_t* componentCode) override;
  int GetComponentPath(std::u16string_view productCode, std::u16string_view componentCode,
                       char16_t* path, DWORD* length) override;
  HRESULT ResolveShellLink(std::u16string_view path, std::u16string& target) override;

  // msi.dll's exports by ordinal: 217 gives the three codes of an advertised shortcut, 173 the
  // installed path of a component.
  static constexpr unsigned kShortcutTargetOrdinal = 217;
  static constexpr unsigned kComponentPathOrdinal = 173;

 private:
  void LoadInstaller();

  void* msi_ = nullptr;  // the module, loaded on first use
  bool msiTried_ = false;
  void* shortcutTarget_ = nullptr;
  void* componentPath_ = nullptr;
};

}  // namespace kx::win32
