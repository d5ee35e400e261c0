// The system's code-page conversion (MultiByteToWideChar).
#pragma once

#include "platform/types.h"

namespace kx {

inline constexpr UINT CP_ACP = 0;
inline constexpr UINT CP_UTF7 = 65000;
inline constexpr UINT CP_UTF8 = 65001;

class TextCodec {
 public:
  virtual ~TextCodec() = default;
  // MultiByteToWideChar(codePage, flags, src, srcLength, dst, dstCapacity): the number of
  // UTF-16 units written, or needed when dstCapacity is 0; 0 with the last error set on
  // failure (ERROR_INVALID_PARAMETER for a code page the system rejects,
  // ERROR_INSUFFICIENT_BUFFER when the output does not fit). CP_ACP is the system ANSI page.
  virtual int MultiByteToWideChar(UINT codePage, DWORD flags, const char* src, int srcLength,
                                  char16_t* dst, int dstCapacity) const = 0;
  // WideCharToMultiByte(codePage, 0, src, srcLength, dst, dstCapacity, default char, used):
  // characters the code page lacks become its default character ('?') and set *usedDefault.
  virtual int WideCharToMultiByte(UINT codePage, const char16_t* src, int srcLength, char* dst,
                                  int dstCapacity, bool* usedDefault) const = 0;
  // GetACP: the system ANSI code page.
  virtual UINT AnsiCodePage() const = 0;
};

}  // namespace kx
