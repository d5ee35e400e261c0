#include "picture/font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>
#include <cmath>
#include <filesystem>

#include "platform/text_util.h"

namespace kx::picture {

namespace {

constexpr std::array<const char*, 2> kBoldFiles = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
    "/usr/share/fonts/dejavu/DejaVuSans-Bold.ttf",
};
constexpr std::array<const char*, 2> kRegularFiles = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/dejavu/DejaVuSans.ttf",
};

}  // namespace

struct Font::Face {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  ~Face() {
    if (face != nullptr) FT_Done_Face(face);
    if (library != nullptr) FT_Done_FreeType(library);
  }
  // Loads and renders a code point at a size; false when the face has no such glyph.
  bool Render(char32_t c, int size) const {
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size)) != 0) return false;
    return FT_Load_Char(face, c, FT_LOAD_RENDER) == 0;
  }
};

Font::Font(bool bold) : face_(std::make_unique<Face>()) {
  if (FT_Init_FreeType(&face_->library) != 0) {
    face_->library = nullptr;
    return;
  }
  for (const char* file : bold ? kBoldFiles : kRegularFiles) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) continue;
    if (FT_New_Face(face_->library, file, 0, &face_->face) == 0) return;
    face_->face = nullptr;
  }
}

Font::~Font() = default;

bool Font::Usable() const {
  return face_->face != nullptr;
}

double Font::Measure(std::string_view text, int size) const {
  if (!Usable()) return 0;
  double width = 0;
  for (char16_t c : FromUtf8(text)) {
    if (face_->Render(c, size)) width += static_cast<double>(face_->face->glyph->advance.x) / 64;
  }
  return width;
}

void Font::Draw(Canvas& canvas, double x, double baseline, std::string_view text, int size,
                Rgb colour) const {
  if (!Usable()) return;
  double pen = x;
  for (char16_t c : FromUtf8(text)) {
    if (!face_->Render(c, size)) continue;
    const FT_GlyphSlot glyph = face_->face->glyph;
    const FT_Bitmap& bitmap = glyph->bitmap;
    const int left = static_cast<int>(std::lround(pen)) + glyph->bitmap_left;
    const int top = static_cast<int>(std::lround(baseline)) - glyph->bitmap_top;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      for (unsigned col = 0; col < bitmap.width; ++col) {
        const unsigned char level =
            bitmap.buffer[static_cast<std::ptrdiff_t>(row) * bitmap.pitch + col];
        canvas.Blend(left + static_cast<int>(col), top + static_cast<int>(row), colour,
                     level / 255.0);
      }
    }
    pen += static_cast<double>(glyph->advance.x) / 64;
  }
}

void Font::DrawCentred(Canvas& canvas, double x, double baseline, std::string_view text, int size,
                       Rgb colour) const {
  Draw(canvas, x - Measure(text, size) / 2, baseline, text, size, colour);
}

}  // namespace kx::picture
