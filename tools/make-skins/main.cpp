// make-skins OUTDIR: draws the progress window's skin images (our own pictures) into OUTDIR:
// updatebar_Mask.bmp, updatebar_n.jpg and updatebar_o.jpg.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <vector>

#include "platform/sim/picture_files.h"
#include "skin_art.h"

namespace {

bool WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  if (bytes.empty()) return false;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-skins OUTDIR\n";
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  constexpr int kJpegQuality = 92;
  const struct {
    const char* name;
    std::vector<std::uint8_t> bytes;
  } files[] = {
      {"updatebar_Mask.bmp", kx::sim::EncodeBmp24(kx::skins::DrawMask())},
      {"updatebar_n.jpg", kx::sim::EncodeJpeg(kx::skins::DrawEmptyBar(), kJpegQuality)},
      {"updatebar_o.jpg", kx::sim::EncodeJpeg(kx::skins::DrawFullBar(), kJpegQuality)},
  };
  for (const auto& file : files) {
    if (!WriteFile(folder / file.name, file.bytes)) {
      std::cerr << "make-skins: cannot write " << (folder / file.name).string() << "\n";
      return 1;
    }
  }
  return 0;
}
