// The system's code-page conversion.
#pragma once

#include "platform/text_codec.h"

namespace kx::win32 {

class Win32TextCodec final : public TextCodec {
 public:
  int MultiByteToWideChar(UINT codePage, DWORD flags, const char* src, int srcLength, char16_t* dst,
                          int dstCapacity) const override;
  int WideCharToMultiByte(UINT codePage, const char16_t* src, int srcLength, char* dst,
                          int dstCapacity, bool* usedDefault) const override;
  UINT AnsiCodePage() const override;
};

}  // namespace kx::win32
