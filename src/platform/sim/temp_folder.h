// A fresh host folder, removed with everything in it when the object goes.
#pragma once

#include <filesystem>
#include <string_view>

namespace kx::sim {

class TempFolder {
 public:
  explicit TempFolder(std::string_view prefix = "kestrix");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // Keeps the folder when the object goes (for a person to look at).
  void Keep() { keep_ = true; }

 private:
  std::filesystem::path path_;
  bool keep_ = false;
};

}  // namespace kx::sim
