// The simulated desktop's code-page conversion, following the Windows code-page tables as
// closely as ICU's Windows and IBM tables (and the C library's iconv where ICU has none) allow.
// System ANSI code page: 1252.
#pragma once

#include <map>
#include <memory>
#include <mutex>

#include "platform/text_codec.h"

namespace kx::sim {

namespace codec {
struct PageTable;
struct PageSource;
}  // namespace codec

class SimTextCodec final : public TextCodec {
 public:
  SimTextCodec();
  ~SimTextCodec() override;

  int MultiByteToWideChar(UINT codePage, DWORD flags, const char* src, int srcLength, char16_t* dst,
                          int dstCapacity) const override;
  int WideCharToMultiByte(UINT codePage, const char16_t* src, int srcLength, char* dst,
                          int dstCapacity, bool* usedDefault) const override;
  UINT AnsiCodePage() const override { return 1252; }

  // The table of a single- or double-byte page, built on first use.
  const codec::PageTable& Table(const codec::PageSource& page) const;

 private:
  mutable std::mutex mutex_;
  mutable std::map<UINT, std::unique_ptr<codec::PageTable>> tables_;
};

}  // namespace kx::sim
