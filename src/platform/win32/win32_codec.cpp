#include "platform/win32/win32_codec.h"

#include "platform/win32/wide.h"

#include <windows.h>

namespace kx::win32 {

int Win32TextCodec::MultiByteToWideChar(UINT codePage, DWORD flags, const char* src, int srcLength,
                                        char16_t* dst, int dstCapacity) const {
  return ::MultiByteToWideChar(codePage, flags, src, srcLength, AsWide(dst), dstCapacity);
}

int Win32TextCodec::WideCharToMultiByte(UINT codePage, const char16_t* src, int srcLength,
                                        char* dst, int dstCapacity, bool* usedDefault) const {
  // UTF-7 and UTF-8 have no default character, and the system refuses to report one.
  const bool hasDefault = codePage != CP_UTF7 && codePage != CP_UTF8;
  ::BOOL used = FALSE;
  const int result = ::WideCharToMultiByte(codePage, 0, AsWide(src), srcLength, dst, dstCapacity,
                                           nullptr, hasDefault ? &used : nullptr);
  if (usedDefault != nullptr) *usedDefault = used != FALSE;
  return result;
}

UINT Win32TextCodec::AnsiCodePage() const {
  return ::GetACP();
}

}  // namespace kx::win32
