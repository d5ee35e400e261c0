#include "platform/win32/win32_shell.h"

#include <string>

#include "platform/errors.h"
#include "platform/win32/wide.h"

#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>

namespace kx::win32 {

namespace {

using ShortcutTargetFn = ::UINT(WINAPI*)(const wchar_t*, wchar_t*, wchar_t*, wchar_t*);
using ComponentPathFn = int(WINAPI*)(const wchar_t*, const wchar_t*, wchar_t*, ::DWORD*);

constexpr int kPathCapacity = 260;

// Releases a COM interface when it goes.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (p_ != nullptr) p_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T* operator->() const { return p_; }
  void** Out() { return reinterpret_cast<void**>(&p_); }

 private:
  T* p_ = nullptr;
};

}  // namespace

Win32Shell::Win32Shell() = default;

Win32Shell::~Win32Shell() {
  if (msi_ != nullptr) ::FreeLibrary(static_cast<::HMODULE>(msi_));
}

std::intptr_t Win32Shell::Execute(std::u16string_view verb, std::u16string_view file,
                                  std::u16string_view parameters, std::u16string_view folder,
                                  int show) {
  const WideZ verbZ(verb);
  const WideZ fileZ(file);
  const WideZ parametersZ(parameters);
  const WideZ folderZ(folder);
  ::HINSTANCE result = ::ShellExecuteW(nullptr, verbZ.OrNull(), fileZ.Get(), parametersZ.OrNull(),
                                       folderZ.OrNull(), show);
  return reinterpret_cast<std::intptr_t>(result);
}

void Win32Shell::LoadInstaller() {
  if (msiTried_) return;
  msiTried_ = true;
  ::HMODULE msi = ::LoadLibraryW(L"msi.dll");
  if (msi == nullptr) return;
  msi_ = msi;
  shortcutTarget_ =
      reinterpret_cast<void*>(::GetProcAddress(msi, MAKEINTRESOURCEA(kShortcutTargetOrdinal)));
  componentPath_ =
      reinterpret_cast<void*>(::GetProcAddress(msi, MAKEINTRESOURCEA(kComponentPathOrdinal)));
}

UINT Win32Shell::GetAdvertisedShortcutTarget(std::u16string_view shortcut, char16_t* productCode,
                                             char16_t* featureId, char16_t* componentCode) {
  LoadInstaller();
  if (shortcutTarget_ == nullptr) return ERROR_FUNCTION_FAILED;  // as for no advertised shortcut
  auto fn = reinterpret_cast<ShortcutTargetFn>(shortcutTarget_);
  return fn(WideZ(shortcut).Get(), AsWide(productCode), AsWide(featureId), AsWide(componentCode));
}

int Win32Shell::GetComponentPath(std::u16string_view productCode, std::u16string_view componentCode,
                                 char16_t* path, DWORD* length) {
  LoadInstaller();
  if (componentPath_ == nullptr) return INSTALLSTATE_UNKNOWN;
  auto fn = reinterpret_cast<ComponentPathFn>(componentPath_);
  ::DWORD capacity = length != nullptr ? *length : 0;
  const int state =
      fn(WideZ(productCode).Get(), WideZ(componentCode).Get(), AsWide(path), &capacity);
  if (length != nullptr) *length = capacity;
  return state;
}

HRESULT Win32Shell::ResolveShellLink(std::u16string_view path, std::u16string& target) {
  ComRef<::IShellLinkW> link;
  ::HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    link.Out());
  if (FAILED(hr)) return hr;
  ComRef<::IPersistFile> file;
  hr = link->QueryInterface(IID_IPersistFile, file.Out());
  if (FAILED(hr)) return hr;
  hr = file->Load(WideZ(path).Get(), 0);
  if (FAILED(hr)) return hr;
  wchar_t buffer[kPathCapacity] = {};
  hr = link->GetPath(buffer, kPathCapacity, nullptr, 0);
  if (hr == S_OK) target = FromWide(buffer);
  return hr;
}

}  // namespace kx::win32
