// The simulated desktop's code-page conversion. System ANSI code page: 1252.
#pragma once

#include "platform/text_codec.h"

namespace kx::sim {

class SimTextCodec final : public TextCodec {
 public:
  int MultiByteToWideChar(UINT codePage, DWORD flags, const char* src, int srcLength, char16_t* dst,
                          int dstCapacity) const override;
  int WideCharToMultiByte(UINT codePage, const char16_t* src, int srcLength, char* dst,
                          int dstCapacity, bool* usedDefault) const override;
  UINT AnsiCodePage() const override { return 1252; }
};

}  // namespace kx::sim
