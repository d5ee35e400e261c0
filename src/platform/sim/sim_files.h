// The simulated desktop's files: Windows paths mapped onto host folders. Drive C: is a host
// folder; further folders (the user's application data, the agent's program folder) can be
// mounted anywhere. Names resolve without regard to case, as on Windows, so every file the
// agent writes is a real file that a user can open.
#pragma once

#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/files.h"

namespace kx::sim {

// The steps of file work where a test can make the platform fail or stop.
enum class FileStep { Open, Read, MakeDirectory, WriteTemp, FlushTemp, Rename };

class SimFileSystem final : public FileSystem {
 public:
  // cDrive: the host folder that stands for C:\. modulePath: the Windows path of the agent's
  // executable.
  SimFileSystem(std::filesystem::path cDrive, std::u16string modulePath);

  std::u16string ModulePath() const override;
  std::optional<std::u16string> RoamingAppDataFolder() override;
  DWORD GetAttributes(std::u16string_view path) const override;
  bool MakeDirectory(std::u16string_view path) override;
  std::unique_ptr<FileStream> OpenRead(std::u16string_view path) override;
  std::optional<std::vector<std::uint8_t>> ReadAll(std::u16string_view path) override;
  bool WriteFileAtomically(std::u16string_view path, std::span<const std::uint8_t> bytes) override;

  // --- The desktop's own controls ---

  // Maps a Windows folder (and everything below it) onto a host folder; the longest mapped
  // prefix wins.
  void Mount(std::u16string_view windowsFolder, const std::filesystem::path& hostFolder);
  // The roaming application-data folder the shell reports (a Windows path), or none.
  void SetRoamingAppData(std::optional<std::u16string> windowsFolder);
  // The host path a Windows path names (existing names matched without regard to case), or
  // nothing (with the error) when the path is invalid or on no mapped drive.
  std::optional<std::filesystem::path> HostPath(std::u16string_view windowsPath,
                                                DWORD* error = nullptr) const;
  // Marks a file or folder read-only: writes to it (or into it) are refused with
  // ERROR_ACCESS_DENIED, as for a folder the user may not write to.
  void SetReadOnly(std::u16string_view windowsPath, bool readOnly);
  // Called before each step of file work; a nonzero answer makes that step fail with that
  // error code. The hook may also throw to simulate the process dying at that step.
  using FaultHook = std::function<DWORD(FileStep step, std::u16string_view windowsPath)>;
  void SetFaultHook(FaultHook hook);

 private:
  struct MountPoint {
    std::vector<std::u16string> components;  // the Windows folder, split
    std::filesystem::path host;
  };

  DWORD Fault(FileStep step, std::u16string_view path) const;
  bool IsReadOnly(const std::filesystem::path& host) const;

  const std::u16string modulePath_;
  std::optional<std::u16string> appData_;
  std::vector<MountPoint> mounts_;
  std::set<std::filesystem::path> readOnly_;
  FaultHook faultHook_;
  mutable std::mutex mutex_;
};

}  // namespace kx::sim
