// Starting programs and following shortcuts.
#pragma once

#include <string>
#include <string_view>

#include "platform/types.h"

namespace kx {

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
inline constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0);
inline constexpr HRESULT S_FALSE = 1;

// Windows Installer component states (the answer of the component-path query).
inline constexpr int INSTALLSTATE_UNKNOWN = -1;
inline constexpr int INSTALLSTATE_LOCAL = 3;

class Shell {
 public:
  virtual ~Shell() = default;
  // ShellExecuteW(no owner, verb, file, parameters, folder, show). Empty verb is the default
  // verb. Returns a value above 32 on success, an error code (2: file not found) otherwise.
  virtual std::intptr_t Execute(std::u16string_view verb, std::u16string_view file,
                                std::u16string_view parameters, std::u16string_view folder,
                                int show) = 0;

  // Windows Installer, ordinal 217 (MsiGetShortcutTargetW): product code, feature id and
  // component code of an advertised shortcut. ERROR_SUCCESS, or ERROR_FUNCTION_FAILED when
  // the file is not an advertised shortcut. Each buffer holds 260 characters.
  virtual UINT GetAdvertisedShortcutTarget(std::u16string_view shortcut, char16_t* productCode,
                                           char16_t* featureId, char16_t* componentCode) = 0;
  // Windows Installer, ordinal 173 (MsiGetComponentPathW): the installed path of a product's
  // component into path (capacity *length characters, updated); returns the install state.
  virtual int GetComponentPath(std::u16string_view productCode, std::u16string_view componentCode,
                               char16_t* path, DWORD* length) = 0;

  // The shell-link object (IShellLinkW with IPersistFile): Load(path, mode 0), then
  // GetPath(target, 260 characters, no find data, flags 0). Returns the HRESULT of the first
  // step that failed, or of GetPath; target is filled only on S_OK.
  virtual HRESULT ResolveShellLink(std::u16string_view path, std::u16string& target) = 0;
};

}  // namespace kx
