// JPEG files through libjpeg-turbo. Its errors arrive by longjmp; each setjmp sits in a small
// function that owns no object with a destructor and reads none of its locals after a jump:
// everything that must outlive the jump belongs to the caller.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "platform/sim/picture_files.h"

namespace kx::sim {

namespace {

struct ErrorManager {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

[[noreturn]] void JumpOnError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}
void IgnoreMessage(j_common_ptr) {}

void UseErrorManager(jpeg_error_mgr** slot, ErrorManager* errors) {
  *slot = jpeg_std_error(&errors->manager);
  errors->manager.error_exit = JumpOnError;
  errors->manager.output_message = IgnoreMessage;  // warnings of damaged files stay quiet
}

bool RunDecoder(jpeg_decompress_struct* info, ErrorManager* errors,
                std::span<const std::uint8_t> bytes, Pixels* out, std::vector<JSAMPLE>* greyRow) {
  if (setjmp(errors->jump) != 0) return false;
  jpeg_mem_src(info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  if (jpeg_read_header(info, TRUE) != JPEG_HEADER_OK) return false;
  if (std::int64_t{info->image_width} * info->image_height > kMaxPixels) return false;
  const bool grey = info->jpeg_color_space == JCS_GRAYSCALE;
  info->out_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGRX;
  jpeg_start_decompress(info);
  const int width = static_cast<int>(info->output_width);
  const int height = static_cast<int>(info->output_height);
  *out = Pixels(width, height);
  greyRow->resize(grey ? static_cast<std::size_t>(width) : 0);
  while (info->output_scanline < info->output_height) {
    const int y = static_cast<int>(info->output_scanline);
    JSAMPROW row = grey ? greyRow->data() : reinterpret_cast<JSAMPROW>(&out->At(0, y));
    if (jpeg_read_scanlines(info, &row, 1) != 1) return false;
    for (int x = 0; x < width; ++x) {
      if (grey) {
        const std::uint8_t v = (*greyRow)[static_cast<std::size_t>(x)];
        out->At(x, y) = PixelRgb(v, v, v);
      } else {
        out->At(x, y) &= kColourMask;  // the decoder writes 0xFF into the unused byte
      }
    }
  }
  jpeg_finish_decompress(info);
  return true;
}

bool RunEncoder(jpeg_compress_struct* info, ErrorManager* errors, const Pixels& picture,
                int quality, unsigned char** buffer, unsigned long* size) {
  if (setjmp(errors->jump) != 0) return false;
  jpeg_mem_dest(info, buffer, size);
  info->image_width = static_cast<JDIMENSION>(picture.width);
  info->image_height = static_cast<JDIMENSION>(picture.height);
  info->input_components = 4;
  info->in_color_space = JCS_EXT_BGRX;
  jpeg_set_defaults(info);
  jpeg_set_quality(info, quality, TRUE);
  jpeg_start_compress(info, TRUE);
  while (info->next_scanline < info->image_height) {
    const int y = static_cast<int>(info->next_scanline);
    // libjpeg takes rows as non-const pointers but only reads them.
    const std::uint32_t* first =
        picture.data.data() + static_cast<std::ptrdiff_t>(y) * picture.width;
    JSAMPROW row = reinterpret_cast<JSAMPROW>(const_cast<std::uint32_t*>(first));
    jpeg_write_scanlines(info, &row, 1);
  }
  jpeg_finish_compress(info);
  return true;
}

}  // namespace

std::optional<Pixels> DecodeJpeg(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return std::nullopt;
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  UseErrorManager(&info.err, &errors);
  jpeg_create_decompress(&info);
  Pixels out;
  std::vector<JSAMPLE> greyRow;
  const bool ok = RunDecoder(&info, &errors, bytes, &out, &greyRow);
  jpeg_destroy_decompress(&info);
  if (!ok) return std::nullopt;
  return out;
}

std::vector<std::uint8_t> EncodeJpeg(const Pixels& picture, int quality) {
  if (picture.Empty() || quality < 1 || quality > 100) return {};
  jpeg_compress_struct info{};
  ErrorManager errors{};
  UseErrorManager(&info.err, &errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const bool ok = RunEncoder(&info, &errors, picture, quality, &buffer, &size);
  jpeg_destroy_compress(&info);
  std::vector<std::uint8_t> out;
  if (ok && buffer != nullptr) out.assign(buffer, buffer + size);
  std::free(buffer);  // jpeg_mem_dest allocates with malloc
  return out;
}

}  // namespace kx::sim
