// Files and folders on the real file system.
#pragma once

#include "platform/files.h"

namespace kx::win32 {

class Win32FileSystem final : public FileSystem {
 public:
  std::u16string ModulePath() const override;
  std::optional<std::u16string> RoamingAppDataFolder() override;
  DWORD GetAttributes(std::u16string_view path) const override;
  bool MakeDirectory(std::u16string_view path) override;
  std::unique_ptr<FileStream> OpenRead(std::u16string_view path) override;
  std::optional<std::vector<std::uint8_t>> ReadAll(std::u16string_view path) override;
  bool WriteFileAtomically(std::u16string_view path, std::span<const std::uint8_t> bytes) override;
};

}  // namespace kx::win32
