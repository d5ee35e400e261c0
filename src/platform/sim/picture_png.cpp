// PNG files through libpng's simplified interface, which reports errors as values.
#include <png.h>

#include "platform/sim/picture_files.h"

namespace kx::sim {

bool WritePng(const Pixels& picture, const std::filesystem::path& path) {
  if (picture.Empty()) return false;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.width);
  image.height = static_cast<png_uint_32>(picture.height);
  image.format = PNG_FORMAT_BGRA;
  const int ok =
      png_image_write_to_file(&image, path.string().c_str(), 0, picture.data.data(), 0, nullptr);
  png_image_free(&image);
  return ok != 0;
}

std::optional<Pixels> ReadPng(const std::filesystem::path& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, path.string().c_str()) == 0) return std::nullopt;
  if (std::int64_t{image.width} * image.height > kMaxPixels) {
    png_image_free(&image);
    return std::nullopt;
  }
  image.format = PNG_FORMAT_BGRA;
  Pixels out(static_cast<int>(image.width), static_cast<int>(image.height));
  if (png_image_finish_read(&image, nullptr, out.data.data(), 0, nullptr) == 0) {
    png_image_free(&image);
    return std::nullopt;
  }
  return out;
}

}  // namespace kx::sim
