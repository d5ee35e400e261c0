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
  // A character the page lacks becomes '?', never a look-alike ("best fit": omega to 'O'),
  // so what is written reads back as what the other programs read. The pages that take no
  // flags are left alone.
  const bool takesFlags = hasDefault && codePage != 42 && (codePage < 50220 || codePage > 50229) &&
                          (codePage < 57002 || codePage > 57011);
  ::BOOL used = FALSE;
  const int result =
      ::WideCharToMultiByte(codePage, takesFlags ? WC_NO_BEST_FIT_CHARS : 0, AsWide(src), srcLength,
                            dst, dstCapacity, nullptr, hasDefault ? &used : nullptr);
  if (usedDefault != nullptr) *usedDefault = used != FALSE;
  return result;
}

UINT Win32TextCodec::AnsiCodePage() const {
  return ::GetACP();
}

}  // namespace kx::win32
